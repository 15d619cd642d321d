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

std::set<uint64_t> serialsOf(std::vector<CustomObject> const& objects)
{
    std::set<uint64_t> serials;
    for (CustomObject const& object : objects)
        serials.insert(object.getSerial());
    return serials;
}

void eraseObjectsWithSerials(std::vector<CustomObject>& objects, std::set<uint64_t> const& serials)
{
    objects.erase(std::remove_if(objects.begin(), objects.end(),
                                 [&serials](CustomObject const& object) {
                                     return serials.count(object.getSerial()) != 0;
                                 }),
                  objects.end());
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
    recordObjectsLeftInWorld_(step);
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
    if (!step.wholeWorld)
    {
        exchangeRegionsKeepingMovedObjects_(step);
        return;
    }
    WorldIndexator& indexator = indexator_();
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
    // Regions left out of a whole-world step are empty.
    for (auto entry = step.regions.begin(); entry != step.regions.end();)
        if (entry->second.zones.empty() && entry->second.objects.empty())
            entry = step.regions.erase(entry);
        else
            ++entry;
}

std::vector<CustomObject> EditorHistory::objectsComeIn_(WorldRegion const& region, RegionElements const& elements)
{
    std::vector<CustomObject> comeIn;
    for (CustomObject const& object : region.getCustomObjects())
        if (elements.serialsLeftInWorld.count(object.getSerial()) == 0)
            comeIn.push_back(object);
    return comeIn;
}

void EditorHistory::exchangeRegionsKeepingMovedObjects_(Step& step) const
{
    WorldIndexator& indexator = indexator_();
    // Where every object lives now that the step does not bring back itself.
    std::set<uint64_t> livingElsewhere;
    std::map<Int3, std::vector<CustomObject>, RegionOrder> comeIn;
    Int3 const origin = indexator.getTableRegionOrigin();
    forEachCell(indexator.getTableRegionSize(), [&](Int3 const& cell) {
        WorldRegion const& region = *indexator.getWorldRegionFromTableRegionIndex(cell);
        auto const entry = step.regions.find(cell + origin);
        std::vector<CustomObject> const living =
            entry == step.regions.end() ? region.getCustomObjects() : objectsComeIn_(region, entry->second);
        for (CustomObject const& object : living)
            livingElsewhere.insert(object.getSerial());
        if (entry != step.regions.end() && !living.empty())
            comeIn[entry->first] = living;
    });
    for (auto& entry : step.regions)
    {
        RegionElements& elements = entry.second;
        std::vector<CustomObject>& objects = elements.objects;
        eraseObjectsWithSerials(objects, livingElsewhere);
        elements.serialsLeftInWorld = serialsOf(objects);
        std::vector<CustomObject> const& staying = comeIn[entry.first];
        objects.insert(objects.end(), staying.begin(), staying.end());
        Int3 cell = entry.first - indexator.getTableRegionOrigin();
        if (!indexator.isIndexInTableRegion(cell))
        {
            if (elements.zones.empty() && objects.empty())
                continue;
            cell -= indexator.rescaleTableRegionsToInclude(entry.first);
        }
        indexator.getWorldRegionFromTableRegionIndex(cell)->swapElements(elements.zones, objects);
        // What came in went back to the world with the step's copy; the step keeps the rest.
        eraseObjectsWithSerials(objects, serialsOf(staying));
    }
}

void EditorHistory::recordObjectsLeftInWorld_(Step& step) const
{
    if (step.wholeWorld)
        return;
    WorldIndexator const& indexator = indexator_();
    for (auto& entry : step.regions)
    {
        Int3 const cell = entry.first - indexator.getTableRegionOrigin();
        entry.second.serialsLeftInWorld.clear();
        if (indexator.isIndexInTableRegion(cell))
            entry.second.serialsLeftInWorld =
                serialsOf(indexator.getWorldRegionFromTableRegionIndex(cell)->getCustomObjects());
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
