#include "WorldTestSupport.h"

#include "CubeZone.h"
#include "DeviceManager.h"
#include "Editor3D.h"
#include "Font.h"
#include "IndexedWorld.h"
#include "TestSupport.h"
#include "WorldIndexator.h"
#include "WorldRegion.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <png.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace WorldTestSupport
{
void writeSolidPng(std::string const& path, unsigned char red, unsigned char green, unsigned char blue,
                   unsigned char alpha)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == NULL)
        throw std::runtime_error("cannot write " + path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        throw std::runtime_error("cannot encode " + path);
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, 2, 2, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    unsigned char row[8] = {red, green, blue, alpha, red, green, blue, alpha};
    png_write_row(png, row);
    png_write_row(png, row);
    png_write_end(png, NULL);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

void enterWorldFolderWithWindow(std::vector<std::string> const& faceTextures, std::string const& windowTitle)
{
    std::string const folder = TestSupport::makeTemporaryFolder();
    mkdir((folder + "/cube_textures").c_str(), 0755);
    mkdir((folder + "/cube_shadowed_textures").c_str(), 0755);
    writeSolidPng(folder + "/black_semi_transparent.png", 0, 0, 0, 128);
    for (std::string const& name : faceTextures)
    {
        writeSolidPng(folder + "/cube_textures/" + name, 200, 100, 50, 255);
        writeSolidPng(folder + "/cube_shadowed_textures/" + name, 100, 50, 25, 255);
    }
    if (chdir(folder.c_str()) != 0)
        throw std::runtime_error("cannot enter " + folder);
    DeviceManager::newInstance("game_tests", windowTitle, 800, 600, false);
}

std::string enterGameFolder(std::string const& worldBytes)
{
    std::string const folder = TestSupport::makeTemporaryFolder();
    DIR* const data = opendir(GAME_DATA_DIR);
    if (data == NULL)
        throw std::runtime_error("no game data in " GAME_DATA_DIR);
    for (dirent* entry = readdir(data); entry != NULL; entry = readdir(data))
    {
        std::string const name = entry->d_name;
        if (name == "." || name == ".." || name == "world.dat" || name == "world.lua")
            continue;
        if (symlink((std::string(GAME_DATA_DIR) + "/" + name).c_str(), (folder + "/" + name).c_str()) != 0)
            throw std::runtime_error("cannot link " + name);
    }
    closedir(data);
    TestSupport::writeFile(folder + "/world.dat", worldBytes);
    if (chdir(folder.c_str()) != 0)
        throw std::runtime_error("cannot enter " + folder);
    return folder;
}

std::string emptyWorld()
{
    return WorldBytes().header(0).table(-1, -1, -1, 2, 2, 2).emptyCells(8).bytes;
}

std::vector<std::string> sixNames(std::string const& prefix)
{
    std::vector<std::string> names;
    for (int i = 1; i <= 6; ++i)
        names.push_back(prefix + std::to_string(i) + ".png");
    return names;
}

std::ostream& operator<<(std::ostream& out, GridBox const& box)
{
    return out << "[" << box.low << " - " << box.high << " type " << box.cubeType << "]";
}

std::vector<GridBox> gridBoxesOf(IndexedWorld const& world)
{
    std::vector<GridBox> boxes;
    WorldIndexator const* const index = world.getWorldIndexator();
    Int3 const size = index->getTableRegionSize();
    float const cube = IndexedWorld::getSizeOneCube();
    Int3 cell;
    for (cell.x() = 0; cell.x() < size.x(); ++cell.x())
        for (cell.y() = 0; cell.y() < size.y(); ++cell.y())
            for (cell.z() = 0; cell.z() < size.z(); ++cell.z())
                for (CubeZone const& zone : index->getWorldRegionFromTableRegionIndex(cell)->getCubeZones())
                {
                    Float3 const low = (zone.getPosition() - zone.getSize() * 0.5f) / cube;
                    Float3 const high = (zone.getPosition() + zone.getSize() * 0.5f) / cube;
                    boxes.push_back(GridBox{Int3(std::lround(low.x()), std::lround(low.y()), std::lround(low.z())),
                                            Int3(std::lround(high.x()), std::lround(high.y()), std::lround(high.z())),
                                            zone.getId()});
                }
    return boxes;
}

EditedWorld::EditedWorld(std::string const& windowTitle, int nbCubeTypes)
{
    std::vector<std::string> textures;
    for (int type = 0; type < nbCubeTypes; ++type)
        for (std::string const& name : namesOfType(type))
            textures.push_back(name);
    enterWorldFolderWithWindow(textures, windowTitle);
    writeSolidPng("water.png", 0, 0, 255, 128);
    TestSupport::writeFile("world.dat", emptyWorld());
    font = new Font(deviceManager, GAME_DATA_DIR "/default_font.png", 16, false);
    world = new IndexedWorld(font, "world.dat", NULL);
    bool const noRepeat[3] = {false, false, false};
    for (int type = 0; type < nbCubeTypes; ++type)
    {
        std::vector<std::string> const names = namesOfType(type);
        world->addCubeType(names.data(), noRepeat, true);
    }
    editor = new Editor3D(*font, world);
}

EditedWorld::~EditedWorld()
{
    delete editor;
    delete world;
    delete font;
    if (deviceManager != NULL)
        DeviceManager::deleteInstance();
}

std::vector<std::string> EditedWorld::namesOfType(int type)
{
    return sixNames("t" + std::to_string(type) + "_");
}
}

WorldObstacle::WorldObstacle(IndexedWorld const& world) : world(world)
{
}

bool WorldObstacle::isThere3DIntersection(Float3 const& from, Float3 const& to, Float3& out) const
{
    ++queries;
    if (!world.isThere3DIntersectionPoint(to))
        return false;
    out = from;
    return true;
}

void WorldObstacle::drawNoPos() const
{
}

void RecordingLuaFuncs::callLuaGenericFunction(char const* functionName)
{
    calls.push_back(functionName);
    if (onCall != nullptr)
        onCall(*this, functionName);
}

int RecordingLuaFuncs::countCalls(std::string const& functionName) const
{
    return int(std::count(calls.begin(), calls.end(), functionName));
}
