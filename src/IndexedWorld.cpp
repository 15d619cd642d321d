#include "IndexedWorld.h"

#include "CubeTypeManager.h"
#include "CubeZone.h"
#include "CustomObject.h"
#include "CustomObjectTypeManager.h"
#include "DeviceManager.h"
#include "Errors.h"
#include "FileManager.h"
#include "RecordReader.h"
#include "RecordWriter.h"
#include "Scene3D.h"
#include "Water.h"
#include "WorldIndexator.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace
{
// One of each per program, hence one indexed world at a time.
CubeTypeManager* cubeTypeManager = NULL;
CustomObjectTypeManager* cotm = NULL;
WorldIndexator* worldIndexator = NULL;

float const SIZE_ONE_CUBE = 10.0f;
float const SIZE_ONE_REGION = 320.0f;
char const WORLD_MAGIC[] = "WORLD";
size_t const WORLD_MAGIC_LENGTH = 5;
int32_t const WORLD_VERSION = 1;
// Six empty names (an int32 length each) and four flag bytes.
int64_t const MIN_CUBE_TYPE_RECORD_BYTES = 6 * 4 + 4;
// Large reads keep the many small record fields from costing a system call each.
size_t const FILE_BUFFER_BYTES = 1 << 20;

Float3 getCameraPosition()
{
    return deviceManager->getScene3D()->getCamera().getPosition();
}

std::string describeLastSystemError()
{
    return std::strerror(errno);
}
}

IndexedWorld::IndexedWorld(Font const* font, std::string const& worldFileName, SoundManager* soundManager)
    : IndexedWorld(font, soundManager)
{
    clearAndLoadWorldFromFile(worldFileName);
}

IndexedWorld::IndexedWorld(Font const* font, SoundManager* soundManager) : water(NULL), waterEnable(true)
{
    ASSERT(cotm == NULL && cubeTypeManager == NULL && worldIndexator == NULL, "Only one indexed world may exist");
    cotm = new CustomObjectTypeManager(font, soundManager);
    cubeTypeManager = new CubeTypeManager();
    worldIndexator = new WorldIndexator(SIZE_ONE_REGION);
    water = new Water(SIZE_ONE_CUBE);
}

IndexedWorld::~IndexedWorld()
{
    ASSERT(cotm != NULL && cubeTypeManager != NULL && worldIndexator != NULL, NULL);
    delete water;
    water = NULL;
    delete worldIndexator;
    worldIndexator = NULL;
    delete cubeTypeManager;
    cubeTypeManager = NULL;
    delete cotm;
    cotm = NULL;
}

float IndexedWorld::getSizeOneCube()
{
    return SIZE_ONE_CUBE;
}

float IndexedWorld::getSizeOneRegion()
{
    return SIZE_ONE_REGION;
}

int IndexedWorld::getCubesSizeOneRegion()
{
    return static_cast<int>(SIZE_ONE_REGION / SIZE_ONE_CUBE);
}

void IndexedWorld::manage(LuaFuncs* luaFuncs)
{
    CustomObject_injectLuaFuncs(luaFuncs);
    cubeTypeManager->initUnused();
    cotm->initUnused();
    worldIndexator->manage();
    cubeTypeManager->freeUnused();
    cotm->freeUnused();
}

void IndexedWorld::draw(float viewDistance, bool drawAlsoPositionCube, bool drawRegionBoxes) const
{
    worldIndexator->setViewDistance(viewDistance);
    CustomObject::drawAlsoPositionCube = drawAlsoPositionCube;
    worldIndexator->draw(drawRegionBoxes);
}

void IndexedWorld::drawWaterOnlyFromTo(float minDistance, float maxDistance) const
{
    if (!waterEnable)
        return;
    water->setMinAndMaxViewDistance(minDistance, maxDistance);
    water->setPositionFollow(getCameraPosition());
    water->draw();
}

void IndexedWorld::draw2D() const
{
    if (waterEnable)
        water->draw2D(getCameraPosition());
}

float IndexedWorld::getViewDistance() const
{
    return worldIndexator->getViewDistance();
}

bool IndexedWorld::getWaterEnable() const
{
    return waterEnable;
}

void IndexedWorld::setWaterEnable(bool enable)
{
    waterEnable = enable;
}

bool IndexedWorld::getEnableShadows() const
{
    return CubeZone::enableShadows;
}

void IndexedWorld::setEnableShadows(bool enable)
{
    CubeZone::enableShadows = enable;
    worldIndexator->resetStaticData();
}

void IndexedWorld::freeCustomObjects(LuaFuncs* luaFuncs)
{
    cotm->initUnused();
    cotm->freeUnused();
    CustomObject_injectLuaFuncs(luaFuncs);
}

bool IndexedWorld::isThere3DIntersectionPoint(Float3 const& point) const
{
    return worldIndexator->isThere3DIntersectionPoint(point);
}

bool IndexedWorld::isThere3DIntersection(Float3 const& from, Float3 const& to, Float3& hit) const
{
    return worldIndexator->isThere3DIntersection(from, to, hit);
}

int IndexedWorld::getNbCubeType() const
{
    return static_cast<int>(cubeTypeManager->getNbCubeType());
}

CubeType* IndexedWorld::getCubeType(int id)
{
    ASSERT(id >= 0 && id < getNbCubeType(), "No cube type has this id");
    return cubeTypeManager->getCubeType(static_cast<unsigned>(id));
}

int IndexedWorld::addCubeType(std::string const names[6], bool const* repeat, bool collidable)
{
    std::cout << "Add cube type with " << names[0] << ", etc. and collidable = " << (collidable ? 1 : 0)
              << std::endl;
    return static_cast<int>(cubeTypeManager->addCubeType(names, repeat, collidable));
}

void IndexedWorld::removeLastCubeType()
{
    ASSERT(getNbCubeType() > 0, "There is no cube type to remove");
    cubeTypeManager->removeLastCubeType();
}

bool IndexedWorld::addCubeZone(Float3 const& position, Float3 const& size, int id)
{
    return worldIndexator->addElement(CubeZone(position, size, id));
}

void IndexedWorld::addCustomObject(Float3 const& position, int id)
{
    bool const res = worldIndexator->addElement(CustomObject(position, id));
    ASSERT(res, NULL);
}

CustomObject* IndexedWorld::findCustomObject(uint64_t serial, Float3 const& position)
{
    if (worldIndexator == NULL)
        return NULL;
    return worldIndexator->findCustomObject(serial, position);
}

bool IndexedWorld::removeElement(Float3 const& position)
{
    return worldIndexator->removeElement(position);
}

bool IndexedWorld::removeNearestElementInRegion(Float3 const& position)
{
    return worldIndexator->removeNearestElement(position);
}

bool IndexedWorld::clearRegion(Float3 const& position)
{
    return worldIndexator->clearRegion(position);
}

void IndexedWorld::clearAll()
{
    worldIndexator->clearAll();
}

void IndexedWorld::removeUnusedRegions()
{
    worldIndexator->removeUnusedRegions();
}

void IndexedWorld::calculateStaticShadowsOneRegion(Float3 const& position)
{
    worldIndexator->calculateStaticShadowsOneRegion(position);
}

void IndexedWorld::calculateStaticShadowsAll()
{
    worldIndexator->calculateStaticShadowsAll();
}

void IndexedWorld::saveWorldToFile(std::string const& fileName) const
{
    std::cout << "==== Saving world to file '" << fileName << "'" << std::endl;
    FileManager::Replacement replacement;
    FILE* const fd = FileManager::openReplacement(fileName, replacement) ? replacement.file : NULL;
    ASSERT(fd != NULL, ("Cannot write the world file '" + fileName + "': " + describeLastSystemError()).c_str());
    setvbuf(fd, NULL, _IOFBF, FILE_BUFFER_BYTES);
    writeWorld_(fd);
    if (!FileManager::commitReplacement(replacement))
    {
        std::string const message = "Cannot write the world file '" + fileName + "' (" + describeLastSystemError() +
                                    "); the previous file is unchanged";
        FATAL_ERROR(message.c_str());
    }
    std::cout << "==== World saved to file" << std::endl;
}

void IndexedWorld::writeWorld_(FILE* file) const
{
    RecordWriter writer(file);
    fwrite(WORLD_MAGIC, 1, WORLD_MAGIC_LENGTH, file);
    writer.writeInt32(WORLD_VERSION);
    int const count = getNbCubeType();
    writer.writeInt32(count);
    for (int id = 0; id < count; ++id)
        cubeTypeManager->getCubeType(static_cast<unsigned>(id))->saveToFile(writer);
    worldIndexator->saveWorldToFile(writer);
}

void IndexedWorld::clearAndLoadWorldFromFile(std::string const& fileName)
{
    std::cout << "==== Loading world from file '" << fileName << "'" << std::endl;
    FILE* const fd = openWorldFile_(fileName);
    RecordReader reader(fd, fileName);
    int32_t const versionFile = reader.readInt32("the version");
    ASSERT(versionFile == 1, ("World file '" + fileName + "' has version " + std::to_string(versionFile) +
                              "; this program reads version 1").c_str());
    cubeTypeManager->removeAllCubeTypes();
    int32_t const count = reader.readCount(MIN_CUBE_TYPE_RECORD_BYTES, "the cube type count");
    for (int32_t i = 0; i < count; ++i)
        cubeTypeManager->addCubeTypeFromFile(reader);
    worldIndexator->clearAll();
    worldIndexator->loadWorldFromFile(reader);
    if (reader.getBytesLeft() > 0)
        Errors::printError("World file '" + fileName + "' holds " + std::to_string(reader.getBytesLeft()) +
                           " bytes after the world; they were ignored");
    fclose(fd);
    std::cout << "==== Loading world done" << std::endl;
}

FILE* IndexedWorld::openWorldFile_(std::string const& fileName) const
{
    FILE* const fd = fopen(fileName.c_str(), "rb");
    ASSERT(fd != NULL, ("Cannot open the world file '" + fileName + "': " + describeLastSystemError()).c_str());
    setvbuf(fd, NULL, _IOFBF, FILE_BUFFER_BYTES);
    char buf[WORLD_MAGIC_LENGTH + 1] = {};
    // A file shorter than the magic fails the comparison.
    size_t const magicRead = fread(buf, 1, WORLD_MAGIC_LENGTH, fd);
    buf[magicRead] = '\0';
    ASSERT(std::string(buf) == std::string("WORLD"), ("'" + fileName + "' is not a world file").c_str());
    return fd;
}

WorldIndexator const* IndexedWorld::getWorldIndexator() const
{
    return worldIndexator;
}

WorldIndexator* IndexedWorld::getWorldIndexator()
{
    return worldIndexator;
}

Water const* IndexedWorld::getWater() const
{
    return water;
}
