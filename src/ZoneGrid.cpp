#include "ZoneGrid.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
int const MAX_CELLS_PER_AXIS = 32;
// Zones that overlap (a box placed many times over) would each be listed in
// many cells; past this many entries per zone on average the cells get coarser.
int64_t const MAX_ENTRIES_PER_ZONE = 16;

bool isUsableExtent(float extent)
{
    return extent > 0.f && std::isfinite(extent);
}
}

ZoneGrid::ZoneGrid(std::vector<CubeZone> const& zones)
    : boundsMin(), boundsMax(), cellsPerAxis(1, 1, 1), cellsPerUnit()
{
    std::vector<Float3> mins;
    std::vector<Float3> maxs;
    mins.reserve(zones.size());
    maxs.reserve(zones.size());
    // Exactly the bounds the zones' own point query uses.
    for (CubeZone const& zone : zones)
    {
        mins.push_back(zone.getPosition() - zone.getSize() / 2.f);
        maxs.push_back(zone.getPosition() + zone.getSize() / 2.f);
    }
    // Zones with undefined bounds contain no point and widen nothing.
    float const infinity = std::numeric_limits<float>::infinity();
    boundsMin = Float3(infinity, infinity, infinity);
    boundsMax = -boundsMin;
    for (size_t i = 0; i < zones.size(); ++i)
        for (int axis = 0; axis < 3; ++axis)
        {
            boundsMin[axis] = std::min(boundsMin[axis], mins[i][axis]);
            boundsMax[axis] = std::max(boundsMax[axis], maxs[i][axis]);
        }
    std::vector<Int3> firstCells(zones.size());
    std::vector<Int3> lastCells(zones.size());
    double targetCells = double(zones.size());
    chooseCells_(targetCells);
    while (countEntries_(mins, maxs, firstCells, lastCells) > MAX_ENTRIES_PER_ZONE * int64_t(zones.size()) &&
           cellsPerAxis != Int3(1, 1, 1))
    {
        targetCells /= 8.0;
        chooseCells_(targetCells);
    }
    fillCells_(firstCells, lastCells);
}

Int3 ZoneGrid::getCellsForEdge_(double edge) const
{
    Int3 cells(1, 1, 1);
    for (int axis = 0; axis < 3; ++axis)
    {
        float const extent = boundsMax[axis] - boundsMin[axis];
        if (isUsableExtent(extent))
            cells[axis] = int(std::min(double(MAX_CELLS_PER_AXIS), std::max(1.0, std::ceil(double(extent) / edge))));
    }
    return cells;
}

void ZoneGrid::chooseCells_(double targetCells)
{
    double longest = 0.0;
    for (int axis = 0; axis < 3; ++axis)
    {
        float const extent = boundsMax[axis] - boundsMin[axis];
        if (isUsableExtent(extent))
            longest = std::max(longest, double(extent));
    }
    cellsPerAxis = Int3(1, 1, 1);
    if (longest > 0.0 && targetCells >= 2.0)
    {
        // The cell count falls as the edge grows: bisect for the shortest edge within the target.
        double shorter = longest / MAX_CELLS_PER_AXIS;
        double longer = longest;
        for (int step = 0; step < 40; ++step)
        {
            double const edge = 0.5 * (shorter + longer);
            Int3 const cells = getCellsForEdge_(edge);
            if (double(cells.x()) * cells.y() * cells.z() > targetCells)
                shorter = edge;
            else
                longer = edge;
        }
        cellsPerAxis = getCellsForEdge_(longer);
    }
    for (int axis = 0; axis < 3; ++axis)
    {
        float const extent = boundsMax[axis] - boundsMin[axis];
        cellsPerUnit[axis] = isUsableExtent(extent) ? float(cellsPerAxis[axis]) / extent : 0.f;
    }
}

int64_t ZoneGrid::countEntries_(std::vector<Float3> const& mins, std::vector<Float3> const& maxs,
                                std::vector<Int3>& firstCells, std::vector<Int3>& lastCells) const
{
    int64_t entries = 0;
    for (size_t i = 0; i < mins.size(); ++i)
    {
        int64_t covered = 1;
        for (int axis = 0; axis < 3; ++axis)
        {
            firstCells[i][axis] = getCell_(mins[i][axis], axis);
            lastCells[i][axis] = getCell_(maxs[i][axis], axis);
            covered *= lastCells[i][axis] - firstCells[i][axis] + 1;
        }
        entries += covered;
    }
    return entries;
}

void ZoneGrid::fillCells_(std::vector<Int3> const& firstCells, std::vector<Int3> const& lastCells)
{
    size_t const cellCount = size_t(cellsPerAxis.x()) * cellsPerAxis.y() * cellsPerAxis.z();
    std::vector<int32_t> counts(cellCount + 1, 0);
    for (int pass = 0; pass < 2; ++pass)
    {
        for (size_t i = 0; i < firstCells.size(); ++i)
            for (int z = firstCells[i].z(); z <= lastCells[i].z(); ++z)
                for (int y = firstCells[i].y(); y <= lastCells[i].y(); ++y)
                    for (int x = firstCells[i].x(); x <= lastCells[i].x(); ++x)
                    {
                        size_t const cell = getCellOffset_(x, y, z);
                        if (pass == 0)
                            ++counts[cell + 1];
                        else
                            zoneIndices[size_t(cellStart[cell + 1]++)] = int32_t(i);
                    }
        if (pass == 0)
        {
            // Prefix sums; cellStart[c + 1] serves as the write position of cell c in the second pass.
            for (size_t c = 1; c <= cellCount; ++c)
                counts[c] += counts[c - 1];
            zoneIndices.resize(size_t(counts[cellCount]));
            cellStart.assign(cellCount + 1, 0);
            std::copy(counts.begin(), counts.end() - 1, cellStart.begin() + 1);
        }
    }
}

int ZoneGrid::getCell_(float value, int axis) const
{
    float const cell = std::floor((value - boundsMin[axis]) * cellsPerUnit[axis]);
    if (!(cell > 0.f))
        return 0;
    return cell >= float(cellsPerAxis[axis]) ? cellsPerAxis[axis] - 1 : int(cell);
}

size_t ZoneGrid::getCellOffset_(int x, int y, int z) const
{
    return size_t(x) + size_t(cellsPerAxis.x()) * (size_t(y) + size_t(cellsPerAxis.y()) * size_t(z));
}

void ZoneGrid::getCandidates(Float3 const& point, int32_t const*& first, int32_t const*& last) const
{
    first = last = zoneIndices.data();
    for (int axis = 0; axis < 3; ++axis)
        if (!(boundsMin[axis] <= point[axis] && point[axis] <= boundsMax[axis]))
            return;
    size_t const cell = getCellOffset_(getCell_(point.x(), 0), getCell_(point.y(), 1), getCell_(point.z(), 2));
    first = zoneIndices.data() + cellStart[cell];
    last = zoneIndices.data() + cellStart[cell + 1];
}

size_t ZoneGrid::getEntryCount() const
{
    return zoneIndices.size();
}
