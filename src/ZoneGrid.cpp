#include "ZoneGrid.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
// About one zone per cell, within bounds that keep the grid small.
int chooseCellsPerAxis(size_t zones)
{
    int const cells = int(std::cbrt(double(zones)) + 0.5);
    return std::max(1, std::min(16, cells));
}
}

ZoneGrid::ZoneGrid(std::vector<CubeZone> const& zones)
    : boundsMin(), boundsMax(), cellsPerUnit(), cellsPerAxis(chooseCellsPerAxis(zones.size()))
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
    for (int axis = 0; axis < 3; ++axis)
    {
        float const extent = boundsMax[axis] - boundsMin[axis];
        cellsPerUnit[axis] = extent > 0.f && std::isfinite(extent) ? float(cellsPerAxis) / extent : 0.f;
    }

    size_t const cellCount = size_t(cellsPerAxis) * cellsPerAxis * cellsPerAxis;
    std::vector<Int3> firstCells(zones.size());
    std::vector<Int3> lastCells(zones.size());
    std::vector<int32_t> counts(cellCount + 1, 0);
    for (int pass = 0; pass < 2; ++pass)
    {
        for (size_t i = 0; i < zones.size(); ++i)
        {
            if (pass == 0)
                for (int axis = 0; axis < 3; ++axis)
                {
                    firstCells[i][axis] = getCell_(mins[i][axis], axis);
                    lastCells[i][axis] = getCell_(maxs[i][axis], axis);
                }
            for (int z = firstCells[i].z(); z <= lastCells[i].z(); ++z)
                for (int y = firstCells[i].y(); y <= lastCells[i].y(); ++y)
                    for (int x = firstCells[i].x(); x <= lastCells[i].x(); ++x)
                    {
                        size_t const cell = size_t(x + cellsPerAxis * (y + cellsPerAxis * z));
                        if (pass == 0)
                            ++counts[cell + 1];
                        else
                            zoneIndices[size_t(cellStart[cell + 1]++)] = int32_t(i);
                    }
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
    return cell >= float(cellsPerAxis) ? cellsPerAxis - 1 : int(cell);
}

void ZoneGrid::getCandidates(Float3 const& point, int32_t const*& first, int32_t const*& last) const
{
    first = last = zoneIndices.data();
    for (int axis = 0; axis < 3; ++axis)
        if (!(boundsMin[axis] <= point[axis] && point[axis] <= boundsMax[axis]))
            return;
    size_t const cell =
        size_t(getCell_(point.x(), 0) + cellsPerAxis * (getCell_(point.y(), 1) + cellsPerAxis * getCell_(point.z(), 2)));
    first = zoneIndices.data() + cellStart[cell];
    last = zoneIndices.data() + cellStart[cell + 1];
}
