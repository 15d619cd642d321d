#include "EditorHistory.h"

#include "IndexedWorld.h"
#include "WorldIndexator.h"
#include "WorldRegion.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <tuple>
#include <utility>

namespace
{
// Calls visit(cell) for every cell of a table of that size.
template <typename Visit> void forEachCell(Int3 const& size, Visit const& visit)
{
    Int3 cell;
    for (cell.z() = 0; cell.z() < size.z(); ++cell.z())
        for (cell.y() = 0; cell.y() < size.y(); ++cell.y())
            for (cell.x() = 0; cell.x() < size.x(); ++cell.x())
                visit(cell);
}

bool contains(Int3 const& low, Int3 const& high, Int3 const& point)
{
    for (int axis = 0; axis < 3; ++axis)
        if (point[axis] < low[axis] || point[axis] >= high[axis])
            return false;
    return true;
}
}

bool EditorHistory::RegionOrder::operator()(Int3 const& a, Int3 const& b) const
{
    return std::make_tuple(a.x(), a.y(), a.z()) < std::make_tuple(b.x(), b.y(), b.z());
}

EditorHistory::EditorHistory(IndexedWorld* world, size_t maxBytes)
    : world(world), maxBytes(maxBytes), keptBytes(0), isStepOpen(false), openStep(), undoSteps(), redoSteps()
{
}

WorldIndexator& EditorHistory::indexator_() const
{
    return *world->getWorldIndexator();
}

void EditorHistory::beginStep()
{
    openStep = Step();
    openStep.tableOrigin = indexator_().getTableRegionOrigin();
    openStep.tableSize = indexator_().getTableRegionSize();
    isStepOpen = true;
}

void EditorHistory::touchRegionAt(Float3 const& position)
{
    if (!isStepOpen || openStep.wholeWorld)
        return;
    WorldIndexator const& indexator = indexator_();
    copyRegion_(indexator.getTableRegionIndexFromRealPosition(position) + indexator.getTableRegionOrigin(), openStep);
}

void EditorHistory::touchCubeTypes()
{
    if (!isStepOpen || openStep.hasCubeTypes)
        return;
    openStep.cubeTypes = readCubeTypes_();
    openStep.hasCubeTypes = true;
}

void EditorHistory::touchWholeWorld()
{
    if (!isStepOpen)
        return;
    touchCubeTypes();
    if (openStep.wholeWorld)
        return;
    openStep.regions.clear();
    openStep.wholeWorld = true;
    WorldIndexator const& indexator = indexator_();
    forEachCell(indexator.getTableRegionSize(), [&](Int3 const& cell) {
        if (!indexator.getWorldRegionFromTableRegionIndex(cell)->isEmpty())
            copyRegion_(cell + indexator.getTableRegionOrigin(), openStep);
    });
}

void EditorHistory::endStep(bool changed)
{
    if (!isStepOpen)
        return;
    isStepOpen = false;
    Step step = std::move(openStep);
    openStep = Step();
    bool const sameBounds = step.tableOrigin == indexator_().getTableRegionOrigin() &&
                            step.tableSize == indexator_().getTableRegionSize();
    if (!changed || (step.regions.empty() && !step.wholeWorld && !step.hasCubeTypes && sameBounds))
        return;
    for (Step const& forgotten : redoSteps)
        keptBytes -= forgotten.bytes;
    redoSteps.clear();
    recount_(step);
    undoSteps.push_back(std::move(step));
    trim_();
}

bool EditorHistory::undo()
{
    if (undoSteps.empty())
        return false;
    Step step = std::move(undoSteps.back());
    undoSteps.pop_back();
    exchangeWithWorld_(step);
    recount_(step);
    redoSteps.push_back(std::move(step));
    trim_();
    return true;
}

bool EditorHistory::redo()
{
    if (redoSteps.empty())
        return false;
    Step step = std::move(redoSteps.back());
    redoSteps.pop_back();
    exchangeWithWorld_(step);
    recount_(step);
    undoSteps.push_back(std::move(step));
    trim_();
    return true;
}

size_t EditorHistory::bytesOf_(Step const& step)
{
    size_t bytes = sizeof(Step) + step.cubeTypes.size() * sizeof(CubeTypeRecord);
    for (auto const& entry : step.regions)
    {
        RegionElements const& elements = entry.second;
        bytes += sizeof(entry) + elements.zones.size() * sizeof(CubeZone) +
                 elements.objects.size() * sizeof(CustomObject);
        for (CubeZone const& zone : elements.zones)
            for (int face = 0; face < CubeZone::NB_SHADOW_FACES; ++face)
                bytes += zone.getShadowTriangles(face).size() * sizeof(Float3);
    }
    return bytes;
}

void EditorHistory::recount_(Step& step)
{
    keptBytes -= step.bytes;
    step.bytes = bytesOf_(step);
    keptBytes += step.bytes;
}

void EditorHistory::trim_()
{
    while (!undoSteps.empty() &&
           (undoSteps.size() > MAX_STEPS || (keptBytes > maxBytes && undoSteps.size() + redoSteps.size() > 1)))
    {
        keptBytes -= undoSteps.front().bytes;
        undoSteps.pop_front();
    }
}

size_t EditorHistory::getNbUndoSteps() const
{
    return undoSteps.size();
}

size_t EditorHistory::getNbRedoSteps() const
{
    return redoSteps.size();
}

size_t EditorHistory::getKeptBytes() const
{
    return keptBytes;
}

void EditorHistory::copyRegion_(Int3 const& absoluteRegion, Step& step) const
{
    if (step.regions.count(absoluteRegion) != 0)
        return;
    RegionElements& copy = step.regions[absoluteRegion];
    WorldIndexator const& indexator = indexator_();
    Int3 const cell = absoluteRegion - indexator.getTableRegionOrigin();
    // A region beyond the table is empty.
    if (!indexator.isIndexInTableRegion(cell))
        return;
    WorldRegion const* const region = indexator.getWorldRegionFromTableRegionIndex(cell);
    copy.zones = region->getCubeZones();
    copy.objects = region->getCustomObjects();
}

std::vector<EditorHistory::CubeTypeRecord> EditorHistory::readCubeTypes_() const
{
    std::vector<CubeTypeRecord> records(static_cast<size_t>(world->getNbCubeType()));
    for (size_t id = 0; id < records.size(); ++id)
    {
        CubeType const* const type = world->getCubeType(int(id));
        for (int face = 0; face < CubeType::NB_FACES; ++face)
            records[id].names[face] = type->getTextureFilename(face);
        for (int axis = 0; axis < 3; ++axis)
            records[id].repeat[axis] = type->getRepeatTexture(axis);
        records[id].collidable = type->getIsCollidable();
    }
    return records;
}

void EditorHistory::writeCubeTypes_(std::vector<CubeTypeRecord> const& records) const
{
    while (world->getNbCubeType() > int(records.size()))
        world->removeLastCubeType();
    std::vector<CubeTypeRecord> const current = readCubeTypes_();
    for (size_t id = 0; id < records.size(); ++id)
    {
        CubeTypeRecord const& record = records[id];
        if (id >= current.size())
        {
            // The registry takes the names front and back first, then top and bottom.
            std::string const registryOrder[CubeType::NB_FACES] = {record.names[2], record.names[3], record.names[0],
                                                                    record.names[1], record.names[4], record.names[5]};
            world->addCubeType(registryOrder, record.repeat, record.collidable);
            continue;
        }
        CubeTypeRecord const& now = current[id];
        bool const same = std::equal(record.names, record.names + CubeType::NB_FACES, now.names) &&
                          std::equal(record.repeat, record.repeat + 3, now.repeat) &&
                          record.collidable == now.collidable;
        if (!same)
            world->getCubeType(int(id))->modifyCubeType(record.names, record.repeat, record.collidable);
    }
}

void EditorHistory::exchangeWithWorld_(Step& step) const
{
    Int3 const origin = indexator_().getTableRegionOrigin();
    Int3 const size = indexator_().getTableRegionSize();
    exchangeRegions_(step);
    exchangeTableBounds_(step);
    step.tableOrigin = origin;
    step.tableSize = size;
    if (!step.hasCubeTypes)
        return;
    std::vector<CubeTypeRecord> current = readCubeTypes_();
    writeCubeTypes_(step.cubeTypes);
    step.cubeTypes.swap(current);
}

void EditorHistory::exchangeRegions_(Step& step) const
{
    WorldIndexator& indexator = indexator_();
    if (step.wholeWorld)
        forEachCell(indexator.getTableRegionSize(), [&](Int3 const& cell) {
            if (!indexator.getWorldRegionFromTableRegionIndex(cell)->isEmpty())
                step.regions[cell + indexator.getTableRegionOrigin()];
        });
    for (auto& entry : step.regions)
    {
        RegionElements& elements = entry.second;
        Int3 cell = entry.first - indexator.getTableRegionOrigin();
        if (!indexator.isIndexInTableRegion(cell))
        {
            // Empty on both sides: nothing to exchange.
            if (elements.zones.empty() && elements.objects.empty())
                continue;
            cell -= indexator.rescaleTableRegionsToInclude(entry.first);
        }
        indexator.getWorldRegionFromTableRegionIndex(cell)->swapElements(elements.zones, elements.objects);
    }
    if (!step.wholeWorld)
    {
        dropObjectsLivingOutside_(step);
        return;
    }
    // Regions left out of a whole-world step are empty.
    for (auto entry = step.regions.begin(); entry != step.regions.end();)
        if (entry->second.zones.empty() && entry->second.objects.empty())
            entry = step.regions.erase(entry);
        else
            ++entry;
}

void EditorHistory::dropObjectsLivingOutside_(Step const& step) const
{
    WorldIndexator& indexator = indexator_();
    Int3 const origin = indexator.getTableRegionOrigin();
    std::set<uint64_t> serialsOutside;
    forEachCell(indexator.getTableRegionSize(), [&](Int3 const& cell) {
        if (step.regions.count(cell + origin) != 0)
            return;
        for (CustomObject const& object : indexator.getWorldRegionFromTableRegionIndex(cell)->getCustomObjects())
            serialsOutside.insert(object.getSerial());
    });
    auto livesOutside = [&serialsOutside](CustomObject const& object) {
        return serialsOutside.count(object.getSerial()) != 0;
    };
    for (auto const& entry : step.regions)
    {
        Int3 const cell = entry.first - origin;
        if (!indexator.isIndexInTableRegion(cell))
            continue;
        WorldRegion* const region = indexator.getWorldRegionFromTableRegionIndex(cell);
        std::vector<CustomObject> const& objects = region->getCustomObjects();
        if (std::none_of(objects.begin(), objects.end(), livesOutside))
            continue;
        std::vector<CubeZone> keptZones;
        std::vector<CustomObject> keptObjects;
        region->swapElements(keptZones, keptObjects);
        keptObjects.erase(std::remove_if(keptObjects.begin(), keptObjects.end(), livesOutside), keptObjects.end());
        region->swapElements(keptZones, keptObjects);
    }
}

void EditorHistory::exchangeTableBounds_(Step& step) const
{
    WorldIndexator& indexator = indexator_();
    Int3 const origin = indexator.getTableRegionOrigin();
    Int3 const end = origin + indexator.getTableRegionSize();
    Int3 low = step.tableOrigin;
    Int3 high = step.tableOrigin + step.tableSize;
    // What lies outside the step's bounds, put there by something other than
    // the editor's commands, stays.
    forEachCell(indexator.getTableRegionSize(), [&](Int3 const& cell) {
        Int3 const absolute = cell + origin;
        if (contains(low, high, absolute) || indexator.getWorldRegionFromTableRegionIndex(cell)->isEmpty())
            return;
        for (int axis = 0; axis < 3; ++axis)
        {
            low[axis] = std::min(low[axis], absolute[axis]);
            high[axis] = std::max(high[axis], absolute[axis] + 1);
        }
    });
    if (low != origin || high != end)
        indexator.rescaleTableRegions(low - origin, high - end);
}
