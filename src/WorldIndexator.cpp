#include "WorldIndexator.h"

#include "DeviceManager.h"
#include "Errors.h"
#include "Scene3D.h"
#include "Camera.h"
#include "WorldRegion.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <new>
#include <string>
#include <utility>

namespace
{
// Regions farther than this from the origin are refused: the table is dense,
// so a single element that far out would make it allocate without bound.
float const MAX_REGION_COORDINATE = 65536.f;
// The smallest cell in the file: an empty zone block and an empty object block.
int64_t const MIN_CELL_BYTES = 4 * 4;
// Cells are addressed by int offsets.
int64_t const MAX_TABLE_CELLS = INT32_MAX;
// A file's table lying away from the origin is loaded into one that also holds
// the regions around the origin, so the empty regions between them are
// allocated too: beyond this many the file is refused rather than believed.
int64_t const MAX_EMPTY_REGIONS_JOINING_A_FILE = 1 << 20;
// Above the light of each region, a little toward -x and -z.
Float3 const SHADOW_LIGHT_OFFSET(-3000.f, 10000.f, -3000.f);

// Component-wise comparisons of cell indices: true when every component compares so.
bool operator>=(Int3 const& a, Int3 const& b)
{
    return a.x() >= b.x() && a.y() >= b.y() && a.z() >= b.z();
}

bool operator<(Int3 const& a, Int3 const& b)
{
    return a.x() < b.x() && a.y() < b.y() && a.z() < b.z();
}

bool operator<=(Int3 const& a, Int3 const& b)
{
    return a.x() <= b.x() && a.y() <= b.y() && a.z() <= b.z();
}

// floor(p / size) clamped far outside any table, so that a camera at an absurd
// or undefined place just sees no region.
int64_t clampedRegionCoordinate(float p, float sizeOneRegion)
{
    float const q = std::floor(p / sizeOneRegion);
    if (!(q > -1e9f))
        return -1000000000;
    if (!(q < 1e9f))
        return 1000000000;
    return int64_t(q);
}

Float3 getCameraPosition()
{
    return scene3D->getCamera().getPosition();
}

// Region coordinates a file asks for, in 64 bits so that they are checked
// before any int holds them.
typedef BasicVector<3, int64_t> Long3;

Long3 toLong3(Int3 const& v)
{
    return Long3(v.x(), v.y(), v.z());
}

Int3 toInt3(Long3 const& v)
{
    return Int3(int(v.x()), int(v.y()), int(v.z()));
}

std::string describe(Long3 const& v)
{
    return "(" + std::to_string(v.x()) + ", " + std::to_string(v.y()) + ", " + std::to_string(v.z()) + ")";
}

// The box [first, end) of absolute regions grown as the table grows to include a region.
void growBoxToInclude(Long3& first, Long3& end, Long3 const& region)
{
    for (int axis = 0; axis < 3; ++axis)
    {
        first[axis] = std::min(first[axis], region[axis]);
        end[axis] = std::max(end[axis], region[axis] + 1);
    }
}

// Stops at MAX_TABLE_CELLS + 1, so that no product overflows.
int64_t countCells(Long3 const& size)
{
    int64_t cells = 1;
    for (int axis = 0; axis < 3; ++axis)
        cells = std::min(cells * std::max<int64_t>(0, std::min(size[axis], MAX_TABLE_CELLS + 1)), MAX_TABLE_CELLS + 1);
    return cells;
}

// The cells of a table read from a file, which must all fit in the bytes left.
int64_t countFileCells(RecordReader const& reader, Int3 const& fileSize)
{
    int64_t const maxCells = reader.getBytesLeft() / MIN_CELL_BYTES;
    int64_t cells = 1;
    for (int axis = 0; axis < 3; ++axis)
    {
        if (fileSize[axis] < 0)
            reader.failCorrupt("the region table's size is negative (" + std::to_string(fileSize[axis]) + ")");
        if (fileSize[axis] > 0 && cells > maxCells / fileSize[axis])
            reader.failCorrupt("the region table has more cells than the bytes left can hold");
        cells *= fileSize[axis];
    }
    return cells;
}
}

WorldIndexator::WorldIndexator(float sizeOneRegion)
    : sizeOneRegion(sizeOneRegion), tableRegionOrigin(-1, -1, -1), tableRegionSize(2, 2, 2), tableRegions(NULL),
      viewDistance(0.f)
{
    ASSERT(sizeOneRegion > 0.f, "regions need a positive size");
    allocateTableRegions();
}

WorldIndexator::~WorldIndexator()
{
    destroyTableRegions_();
}

void WorldIndexator::allocateTableRegions()
{
    int64_t const cells = int64_t(tableRegionSize.x()) * tableRegionSize.y() * tableRegionSize.z();
    tableRegions = new (std::nothrow) WorldRegion*[size_t(cells)];
    ASSERT(tableRegions != NULL, NULL);
    for (int64_t i = 0; i < cells; ++i)
        tableRegions[i] = new WorldRegion();
}

void WorldIndexator::destroyTableRegions_()
{
    int64_t const cells = int64_t(tableRegionSize.x()) * tableRegionSize.y() * tableRegionSize.z();
    for (int64_t i = 0; i < cells; ++i)
        delete tableRegions[i];
    delete[] tableRegions;
    tableRegions = NULL;
}

float WorldIndexator::getSizeOneRegion() const
{
    return sizeOneRegion;
}

Int3 const& WorldIndexator::getTableRegionOrigin() const
{
    return tableRegionOrigin;
}

Int3 const& WorldIndexator::getTableRegionSize() const
{
    return tableRegionSize;
}

float WorldIndexator::getViewDistance() const
{
    return viewDistance;
}

void WorldIndexator::setViewDistance(float distance)
{
    viewDistance = distance;
}

int WorldIndexator::getWorkRadius() const
{
    float const radius = viewDistance / sizeOneRegion;
    // Beyond the table's reach on every axis a bigger radius changes nothing.
    if (!(radius < 1e9f))
        return 1000000000;
    return int(radius);
}

bool WorldIndexator::getAbsoluteRegion_(Float3 const& position, Int3& region) const
{
    for (int axis = 0; axis < 3; ++axis)
    {
        float const q = std::floor(position[axis] / sizeOneRegion);
        if (!(q >= -MAX_REGION_COORDINATE && q <= MAX_REGION_COORDINATE))
            return false;
        region[axis] = int(q);
    }
    return true;
}

Int3 WorldIndexator::getTableRegionIndexFromRealPosition(Float3 const& position) const
{
    Int3 index;
    for (int axis = 0; axis < 3; ++axis)
    {
        int64_t const relative = clampedRegionCoordinate(position[axis], sizeOneRegion) - tableRegionOrigin[axis];
        index[axis] = int(std::max<int64_t>(INT32_MIN, std::min<int64_t>(INT32_MAX, relative)));
    }
    return index;
}

Float3 WorldIndexator::getRealPositionRegionCenterFromTableRegionIndex(Int3 const& index) const
{
    Float3 center;
    for (int axis = 0; axis < 3; ++axis)
        center[axis] = (float(index[axis] + tableRegionOrigin[axis]) + 0.5f) * sizeOneRegion;
    return center;
}

bool WorldIndexator::isIndexInTableRegion(Int3 const& index) const
{
    return index >= Int3(0, 0, 0) && index < tableRegionSize;
}

int WorldIndexator::getCellOffset_(Int3 const& index) const
{
    return index.x() + index.y() * tableRegionSize.x() + index.z() * tableRegionSize.x() * tableRegionSize.y();
}

WorldRegion* WorldIndexator::getWorldRegionFromTableRegionIndex(Int3 const& posIndex) const
{
    ASSERT(posIndex >= Int3(0,0,0) && posIndex < tableRegionSize, NULL);
    WorldRegion* const wr = tableRegions[getCellOffset_(posIndex)];
    ASSERT(wr, NULL);
    return wr;
}

bool WorldIndexator::getTableRegionIndexFromElementPosition(Float3 const& position, Float3 const& size, Int3& index)
{
    Float3 const minCorner = position - size / 2.f;
    Float3 const maxCorner = position + size / 2.f;
    Int3 minRegion;
    Int3 maxRegion;
    if (!getAbsoluteRegion_(minCorner, minRegion) || !getAbsoluteRegion_(maxCorner, maxRegion))
        return false;
    float const offsets[3] = {-0.01f, 0.f, 0.01f};
    bool found = minRegion == maxRegion || size == Float3(0.f, 0.f, 0.f);
    Int3 region = minRegion;
    // A corner lying on (or a rounding away from) a border may go over by 0.01.
    for (int i = 0; i < 27 && !found; ++i)
    {
        Int3 moved;
        found = getAbsoluteRegion_(maxCorner + Float3(offsets[i / 9], offsets[(i / 3) % 3], offsets[i % 3]), moved) &&
                moved == minRegion;
    }
    for (int i = 0; i < 27 && !found; ++i)
    {
        Int3 moved;
        found = getAbsoluteRegion_(minCorner + Float3(offsets[i / 9], offsets[(i / 3) % 3], offsets[i % 3]), moved) &&
                moved == maxRegion;
        region = moved;
    }
    if (!found)
        return false;
    index = region - tableRegionOrigin;
    if (!isIndexInTableRegion(index))
        index -= rescaleTableRegionsToInclude(region);
    return true;
}

CustomObject* WorldIndexator::findCustomObject(uint64_t serial, Float3 const& position) const
{
    Int3 const index = getTableRegionIndexFromRealPosition(position);
    if (!isIndexInTableRegion(index))
        return NULL;
    return getWorldRegionFromTableRegionIndex(index)->findCustomObject(serial);
}

bool WorldIndexator::addElement(CubeZone const& zone)
{
    Int3 index;
    if (!getTableRegionIndexFromElementPosition(zone.getPosition(), zone.getSize(), index))
        return false;
    getWorldRegionFromTableRegionIndex(index)->addCubeZone(zone);
    return true;
}

bool WorldIndexator::addElement(CustomObject const& object)
{
    Int3 index;
    if (!getTableRegionIndexFromElementPosition(object.getPosition(), CustomObject::positionZero, index))
        return false;
    getWorldRegionFromTableRegionIndex(index)->addCustomObject(object);
    return true;
}

Int3 WorldIndexator::rescaleTableRegionsToInclude(Int3 const& absoluteRegion)
{
    Int3 const rel = absoluteRegion - tableRegionOrigin;
    Int3 modMin;
    Int3 modMax;
    for (int axis = 0; axis < 3; ++axis)
    {
        modMax[axis] = rel[axis] >= tableRegionSize[axis] ? rel[axis] - tableRegionSize[axis] + 1 : 0;
        modMin[axis] = rel[axis] < 0 ? rel[axis] : 0;
    }
    ASSERT(modMin <= Int3(0,0,0), NULL);
    return rescaleTableRegions(modMin, modMax);
}

Int3 WorldIndexator::rescaleTableRegions(Int3 const& modMin, Int3 const& modMax)
{
    Int3 const oldSize = tableRegionSize;
    Int3 const newSize = tableRegionSize - modMin + modMax;
    ASSERT(newSize >= Int3(1, 1, 1), "the region table cannot lose every cell");
    WorldRegion** const oldTable = tableRegions;
    tableRegionOrigin += modMin;
    tableRegionSize = newSize;
    allocateTableRegions();
    for (int z = 0; z < oldSize.z(); ++z)
        for (int y = 0; y < oldSize.y(); ++y)
            for (int x = 0; x < oldSize.x(); ++x)
            {
                WorldRegion* const wr = oldTable[x + y * oldSize.x() + z * oldSize.x() * oldSize.y()];
                ASSERT(wr != NULL, NULL);
                Int3 const newIndex = Int3(x, y, z) - modMin;
                if (!isIndexInTableRegion(newIndex))
                {
                    // Only empty regions are ever cut off (see removeUnusedRegions).
                    delete wr;
                    continue;
                }
                WorldRegion*& cell = tableRegions[getCellOffset_(newIndex)];
                WorldRegion* const wrToFree = cell;
                ASSERT(wrToFree != NULL, NULL);
                delete wrToFree;
                wr->clearStatic();
                cell = wr;
            }
    delete[] oldTable;
    return modMin;
}

void WorldIndexator::getWorkCube_(Float3 const& cameraPosition, Int3& first, Int3& end) const
{
    int64_t const radius = getWorkRadius();
    for (int axis = 0; axis < 3; ++axis)
    {
        int64_t const center = clampedRegionCoordinate(cameraPosition[axis], sizeOneRegion) - tableRegionOrigin[axis];
        first[axis] = int(std::max<int64_t>(0, center - radius));
        end[axis] = int(std::min<int64_t>(tableRegionSize[axis], center + radius + 1));
    }
}

void WorldIndexator::manage()
{
    manageAround(getCameraPosition());
}

void WorldIndexator::manageAround(Float3 const& cameraPosition)
{
    scene3D->setWireframeMode(false);
    scene3D->setLighting(false);
    Int3 first;
    Int3 end;
    getWorkCube_(cameraPosition, first, end);
    std::vector<CustomObject> objectsToMove;
    for (int x = first.x(); x < end.x(); ++x)
        for (int y = first.y(); y < end.y(); ++y)
            for (int z = first.z(); z < end.z(); ++z)
                tableRegions[getCellOffset_(Int3(x, y, z))]->manage(objectsToMove);
    placeMovedObjects_(objectsToMove);
    releaseUnmanagedRegions_();
}

void WorldIndexator::placeMovedObjects_(std::vector<CustomObject> const& objects)
{
    for (CustomObject const& object : objects)
    {
        Int3 index;
        bool const isOk =
            getTableRegionIndexFromElementPosition(object.getPosition(), CustomObject::positionZero, index);
        ASSERT(isOk, "a script object moved out of the world's reach");
        getWorldRegionFromTableRegionIndex(index)->addCustomObject(object);
    }
}

void WorldIndexator::releaseUnmanagedRegions_()
{
    int64_t const cells = int64_t(tableRegionSize.x()) * tableRegionSize.y() * tableRegionSize.z();
    int released = 0;
    for (int64_t i = 0; i < cells; ++i)
    {
        WorldRegion* const wr = tableRegions[i];
        if (!wr->takeWasManaged() && wr->clearStatic())
            ++released;
    }
    if (released > 0)
        std::cout << "Removed " << released << " regions" << std::endl;
}

void WorldIndexator::draw(bool drawRegionBoxes) const
{
    drawAround(getCameraPosition(), drawRegionBoxes);
}

std::vector<Int3> WorldIndexator::getWorkCubeNearestFirst_(Float3 const& cameraPosition) const
{
    Int3 first;
    Int3 end;
    getWorkCube_(cameraPosition, first, end);
    std::vector<std::pair<float, Int3>> byDistance;
    for (int x = first.x(); x < end.x(); ++x)
        for (int y = first.y(); y < end.y(); ++y)
            for (int z = first.z(); z < end.z(); ++z)
            {
                Int3 const index(x, y, z);
                Float3 const toCentre = getRealPositionRegionCenterFromTableRegionIndex(index) - cameraPosition;
                float const squaredDistance = toCentre.x() * toCentre.x() + toCentre.y() * toCentre.y() +
                                              toCentre.z() * toCentre.z();
                byDistance.push_back(std::make_pair(squaredDistance, index));
            }
    // Ties keep the table order, so the picture does not flicker between frames.
    std::stable_sort(byDistance.begin(), byDistance.end(),
                     [](std::pair<float, Int3> const& a, std::pair<float, Int3> const& b) {
                         return a.first < b.first;
                     });
    std::vector<Int3> indices;
    indices.reserve(byDistance.size());
    for (std::pair<float, Int3> const& entry : byDistance)
        indices.push_back(entry.second);
    return indices;
}

void WorldIndexator::drawRegionBox_(Int3 const& index) const
{
    Color4 const savedColor = deviceManager->getColor();
    deviceManager->setColor(colorWhite);
    scene3D->setWireframeMode(true);
    scene3D->pushPosition();
    scene3D->setPosition(getRealPositionRegionCenterFromTableRegionIndex(index));
    scene3D->drawCube(Float3(sizeOneRegion, sizeOneRegion, sizeOneRegion), NULL, Float3(1.f, 1.f, 1.f), false);
    scene3D->popPosition();
    scene3D->setWireframeMode(false);
    deviceManager->setColor(savedColor);
}

void WorldIndexator::drawAround(Float3 const& cameraPosition, bool drawRegionBoxes) const
{
    scene3D->setWireframeMode(false);
    scene3D->setLighting(false);
    // Opaque geometry nearest first, so the depth test spares the pixels it
    // hides; then, farthest first, what blends with what lies behind it:
    // translucent faces, shadows and script objects, in that order within a
    // region as when a region is drawn alone.
    std::vector<Int3> const nearestFirst = getWorkCubeNearestFirst_(cameraPosition);
    int addedRegions = 0;
    int addedBuffers = 0;
    int addedVertices = 0;
    for (Int3 const& index : nearestFirst)
    {
        Int2 const created = tableRegions[getCellOffset_(index)]->drawOpaque();
        if (created[0] > 0)
        {
            ++addedRegions;
            addedBuffers += created[0];
            addedVertices += created[1];
        }
        if (drawRegionBoxes)
            drawRegionBox_(index);
    }
    for (auto index = nearestFirst.rbegin(); index != nearestFirst.rend(); ++index)
        tableRegions[getCellOffset_(*index)]->drawBlended();
    if (addedRegions > 0)
        std::cout << "Added " << addedRegions << " regions (" << addedBuffers << " VBO, " << addedVertices
                  << " vertices)" << std::endl;
}

bool WorldIndexator::isThere3DIntersectionPoint(Float3 const& point) const
{
    scene3D->setWireframeMode(false);
    scene3D->setLighting(false);
    Int3 const index = getTableRegionIndexFromRealPosition(point);
    if (!isIndexInTableRegion(index))
        return false;
    return getWorldRegionFromTableRegionIndex(index)->isThere3DIntersectionPoint(point);
}

bool WorldIndexator::isThere3DIntersection(Float3 const& from, Float3 const& to, Float3& hit) const
{
    return isThere3DIntersectionAround(getCameraPosition(), from, to, hit);
}

bool WorldIndexator::isThere3DIntersectionAround(Float3 const& cameraPosition, Float3 const& from, Float3 const& to,
                                                 Float3& hit) const
{
    scene3D->setWireframeMode(false);
    scene3D->setLighting(false);
    Int3 first;
    Int3 end;
    getWorkCube_(cameraPosition, first, end);
    for (int x = first.x(); x < end.x(); ++x)
        for (int y = first.y(); y < end.y(); ++y)
            for (int z = first.z(); z < end.z(); ++z)
                if (tableRegions[getCellOffset_(Int3(x, y, z))]->isThere3DIntersection(from, to, hit))
                    return true;
    return false;
}

bool WorldIndexator::clearRegion(Float3 const& position)
{
    Int3 const index = getTableRegionIndexFromRealPosition(position);
    if (!isIndexInTableRegion(index))
        return false;
    getWorldRegionFromTableRegionIndex(index)->clearAll();
    return true;
}

bool WorldIndexator::removeNearestElement(Float3 const& position)
{
    Int3 const index = getTableRegionIndexFromRealPosition(position);
    if (!isIndexInTableRegion(index))
        return false;
    return getWorldRegionFromTableRegionIndex(index)->removeNearestElement(position);
}

bool WorldIndexator::removeElement(Float3 const& position)
{
    Int3 const index = getTableRegionIndexFromRealPosition(position);
    if (!isIndexInTableRegion(index))
        return false;
    return getWorldRegionFromTableRegionIndex(index)->removeElement(position);
}

void WorldIndexator::removeUnusedRegions()
{
    Int3 minRegion(-1, -1, -1);
    Int3 maxRegion(0, 0, 0);
    for (int z = 0; z < tableRegionSize.z(); ++z)
        for (int y = 0; y < tableRegionSize.y(); ++y)
            for (int x = 0; x < tableRegionSize.x(); ++x)
            {
                if (tableRegions[getCellOffset_(Int3(x, y, z))]->isEmpty())
                    continue;
                Int3 const absolute = Int3(x, y, z) + tableRegionOrigin;
                for (int axis = 0; axis < 3; ++axis)
                {
                    minRegion[axis] = std::min(minRegion[axis], absolute[axis]);
                    maxRegion[axis] = std::max(maxRegion[axis], absolute[axis]);
                }
            }
    rescaleTableRegions(minRegion - tableRegionOrigin, (maxRegion - tableRegionOrigin + Int3(1, 1, 1)) - tableRegionSize);
}

void WorldIndexator::resetStaticData()
{
    int64_t const cells = int64_t(tableRegionSize.x()) * tableRegionSize.y() * tableRegionSize.z();
    for (int64_t i = 0; i < cells; ++i)
        tableRegions[i]->clearStatic();
}

void WorldIndexator::clearAll()
{
    destroyTableRegions_();
    tableRegionOrigin = Int3(-1, -1, -1);
    tableRegionSize = Int3(2, 2, 2);
    allocateTableRegions();
}

std::vector<CubeZone const*> WorldIndexator::getAllOcclusiveObjectsForOneRegion(Int3 const& index) const
{
    std::vector<CubeZone const*> occluders;
    Int3 const neighbours[3] = {Int3(0, 0, 0), Int3(-1, 0, 0), Int3(0, 0, -1)};
    for (int y = 0; y < tableRegionSize.y(); ++y)
        for (Int3 const& neighbour : neighbours)
        {
            Int3 const cell = Int3(index.x(), y, index.z()) + neighbour;
            if (!isIndexInTableRegion(cell))
                continue;
            std::vector<CubeZone const*> const zones = getWorldRegionFromTableRegionIndex(cell)->getAllOcclusiveObjects();
            occluders.insert(occluders.end(), zones.begin(), zones.end());
        }
    return occluders;
}

Float3 WorldIndexator::getShadowLightOfRegion(Int3 const& index) const
{
    return getRealPositionRegionCenterFromTableRegionIndex(index) + SHADOW_LIGHT_OFFSET;
}

void WorldIndexator::calculateStaticShadowsOneRegion(Float3 const& position) const
{
    Int3 const index = getTableRegionIndexFromRealPosition(position);
    if (!isIndexInTableRegion(index))
    {
        Errors::printError("No region holds that position: no shadows were calculated");
        return;
    }
    std::cout << "Calculating shadows for region " << index.x() << "x" << index.y() << "x" << index.z() << ":"
              << std::endl;
    getWorldRegionFromTableRegionIndex(index)->calculateStaticShadows(getAllOcclusiveObjectsForOneRegion(index),
                                                                      getShadowLightOfRegion(index));
    std::cout << std::endl << "Calculating shadows done." << std::endl;
}

void WorldIndexator::calculateStaticShadowsAll()
{
    std::cout << "Calculating shadows ... please wait ..." << std::endl;
    // Tools compute shadows without a window.
    if (scene3D != NULL)
        scene3D->setWireframeMode(false);
    for (int x = 0; x < tableRegionSize.x(); ++x)
        for (int z = 0; z < tableRegionSize.z(); ++z)
        {
            std::vector<CubeZone const*> const occluders = getAllOcclusiveObjectsForOneRegion(Int3(x, 0, z));
            for (int y = 0; y < tableRegionSize.y(); ++y)
            {
                std::cout << "Region " << x << "x" << y << "x" << z << " " << std::flush;
                Int3 const index(x, y, z);
                getWorldRegionFromTableRegionIndex(index)->calculateStaticShadows(occluders,
                                                                                  getShadowLightOfRegion(index));
                std::cout << std::endl;
            }
        }
    std::cout << "... calculating shadows done." << std::endl;
}

void WorldIndexator::saveWorldToFile(RecordWriter& writer) const
{
    for (int axis = 0; axis < 3; ++axis)
        writer.writeInt32(tableRegionOrigin[axis]);
    for (int axis = 0; axis < 3; ++axis)
        writer.writeInt32(tableRegionSize[axis]);
    for (int x = 0; x < tableRegionSize.x(); ++x)
        for (int y = 0; y < tableRegionSize.y(); ++y)
            for (int z = 0; z < tableRegionSize.z(); ++z)
            {
                WorldRegion const* const wr = getWorldRegionFromTableRegionIndex(Int3(x, y, z));
                wr->saveToFile(writer, false);
                wr->saveToFile(writer, true);
            }
}

void WorldIndexator::loadWorldFromFile(RecordReader& reader)
{
    Int3 fileOrigin;
    Int3 fileSize;
    for (int axis = 0; axis < 3; ++axis)
        fileOrigin[axis] = reader.readInt32("the region table's origin");
    for (int axis = 0; axis < 3; ++axis)
        fileSize[axis] = reader.readInt32("the region table's size");
    growToHoldFileTable_(reader, fileOrigin, fileSize);
    for (int x = 0; x < fileSize.x(); ++x)
        for (int y = 0; y < fileSize.y(); ++y)
            for (int z = 0; z < fileSize.z(); ++z)
            {
                WorldRegion* const wr = getWorldRegionFromTableRegionIndex(fileOrigin + Int3(x, y, z) - tableRegionOrigin);
                wr->loadFromFile(reader, false);
                wr->loadFromFile(reader, true);
            }
}

void WorldIndexator::growToHoldFileTable_(RecordReader const& reader, Int3 const& fileOrigin, Int3 const& fileSize)
{
    int64_t const fileCells = countFileCells(reader, fileSize);
    Long3 const origin = toLong3(fileOrigin);
    Long3 const last = origin + toLong3(fileSize) - Long3(1, 1, 1);
    Long3 first = toLong3(tableRegionOrigin);
    Long3 end = first + toLong3(tableRegionSize);
    // As elements grow it: to the file's first cell when that lies below the
    // table, then to its last cell when the file's table is the larger on some axis.
    if (!(fileOrigin >= tableRegionOrigin))
        growBoxToInclude(first, end, origin);
    if (!(fileSize <= tableRegionSize))
        growBoxToInclude(first, end, last);
    for (int axis = 0; axis < 3; ++axis)
        if (fileCells > 0 && last[axis] >= end[axis])
            reader.failCorrupt("the region table (origin " + std::to_string(fileOrigin[axis]) + ", size " +
                               std::to_string(fileSize[axis]) +
                               " on one axis) does not hold the regions around the origin");
    int64_t const cells = countCells(end - first);
    if (cells > MAX_TABLE_CELLS || cells - fileCells > MAX_EMPTY_REGIONS_JOINING_A_FILE)
        reader.failCorrupt("the region table (origin " + describe(origin) + ", size " + describe(toLong3(fileSize)) +
                           ") lies too far from the regions around the origin to be loaded with them");
    Int3 const modMin = toInt3(first) - tableRegionOrigin;
    Int3 const modMax = toInt3(end) - (tableRegionOrigin + tableRegionSize);
    if (modMin != Int3(0, 0, 0) || modMax != Int3(0, 0, 0))
        rescaleTableRegions(modMin, modMax);
}
