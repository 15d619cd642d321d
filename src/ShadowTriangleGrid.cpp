#include "ShadowTriangleGrid.h"

#include "CubeZoneStaticShadows.h"
#include "Errors.h"

#include <algorithm>
#include <cmath>

namespace
{
// Cells start one cube wide, at most this many on an axis.
float const SMALLEST_CELL_EDGE = 10.f;
int const MAX_CELLS_PER_AXIS = 64;
// Shadows of large occluders span many cells; past this many entries per
// triangle on average (beyond a floor) the cells get coarser.
int64_t const MAX_ENTRIES_PER_TRIANGLE = 32;
int64_t const ENTRIES_ALWAYS_ALLOWED = 4096;
// Beyond this size a coordinate's products in the crossing count could lose
// too much to the rounding bound below; such triangles are tested everywhere.
float const LARGEST_BOUNDED_COORDINATE = 1.0e6f;
// The crossing count compares x with p1.x + (y - p1.y)(p2.x - p1.x) / (p2.y - p1.y),
// computed in float: with five roundings it lands at most about 11 float
// epsilons (6.6e-7) of the largest |x| of the edge below the edge's smaller x.
// A point left of the triangle by more than this margin therefore crosses
// every edge its ray meets, an even number of them, and is outside.
float const CROSSING_ROUNDING = 2.0e-6f;
float const SMALLEST_MARGIN = 1.0e-30f;

bool isBoundedCoordinate(float value)
{
    return std::isfinite(value) && std::fabs(value) <= LARGEST_BOUNDED_COORDINATE;
}
}

ShadowTriangleGrid::ShadowTriangleGrid(std::vector<Float2> const& triangles, Float2 const& domainMin,
                                       Float2 const& domainMax)
    : domainMin(domainMin), domainMax(domainMax), cellsPerAxis(1, 1), cellsPerUnit(1.f)
{
    ASSERT(triangles.size() % 3 == 0, "shadow triangles come three points each");
    for (size_t first = 0; first + 3 <= triangles.size(); first += 3)
    {
        Triangle triangle = {};
        std::copy(triangles.begin() + first, triangles.begin() + first + 3, triangle.points);
        if (!getBounds_(triangle.points, 3, triangle.bounds))
            alwaysTested.insert(alwaysTested.end(), triangles.begin() + first, triangles.begin() + first + 3);
        else if (!isOutsideDomain_(triangle.bounds, domainMin, domainMax))
            boundedTriangles.push_back(triangle);
    }
    std::vector<Int2> firstCells;
    std::vector<Int2> lastCells;
    float const extent = std::max(domainMax.x() - domainMin.x(), domainMax.y() - domainMin.y());
    float cellEdge = std::max(SMALLEST_CELL_EDGE, extent / float(MAX_CELLS_PER_AXIS));
    int64_t const maxEntries = MAX_ENTRIES_PER_TRIANGLE * int64_t(boundedTriangles.size()) + ENTRIES_ALWAYS_ALLOWED;
    while (countEntries_(cellEdge, firstCells, lastCells) > maxEntries && cellsPerAxis != Int2(1, 1))
        cellEdge *= 2.f;
    fillCells_(firstCells, lastCells);
}

bool ShadowTriangleGrid::getBounds_(Float2 const* points, int count, Bounds& bounds)
{
    if (count <= 0)
        return false;
    bounds = {points[0].x(), points[0].x(), points[0].y(), points[0].y()};
    for (int p = 0; p < count; ++p)
    {
        if (!isBoundedCoordinate(points[p].x()) || !isBoundedCoordinate(points[p].y()))
            return false;
        bounds.minX = std::min(bounds.minX, points[p].x());
        bounds.maxX = std::max(bounds.maxX, points[p].x());
        bounds.minY = std::min(bounds.minY, points[p].y());
        bounds.maxY = std::max(bounds.maxY, points[p].y());
    }
    float const largestX = std::max(std::fabs(bounds.minX), std::fabs(bounds.maxX));
    // Twice the margin, so that rounding the subtraction cannot eat into it.
    // Every operation rounds monotonically, so more points never give a larger minX.
    bounds.minX -= 2.f * (CROSSING_ROUNDING * largestX + SMALLEST_MARGIN);
    return true;
}

bool ShadowTriangleGrid::isOutsideDomain_(Bounds const& bounds, Float2 const& domainMin, Float2 const& domainMax)
{
    return bounds.maxX < domainMin.x() || bounds.minX > domainMax.x() || bounds.maxY < domainMin.y() ||
           bounds.minY >= domainMax.y();
}

bool ShadowTriangleGrid::mayReachDomain(Float2 const* points, int count, Float2 const& domainMin,
                                        Float2 const& domainMax)
{
    Bounds bounds = {};
    return !getBounds_(points, count, bounds) || !isOutsideDomain_(bounds, domainMin, domainMax);
}

int64_t ShadowTriangleGrid::countEntries_(float cellEdge, std::vector<Int2>& firstCells, std::vector<Int2>& lastCells)
{
    cellsPerUnit = 1.f / cellEdge;
    for (int axis = 0; axis < 2; ++axis)
    {
        float const cells = std::ceil((domainMax[axis] - domainMin[axis]) * cellsPerUnit);
        cellsPerAxis[axis] = std::max(1, std::min(MAX_CELLS_PER_AXIS, int(cells)));
    }
    firstCells.resize(boundedTriangles.size());
    lastCells.resize(boundedTriangles.size());
    int64_t entries = 0;
    for (size_t t = 0; t < boundedTriangles.size(); ++t)
    {
        Bounds const& bounds = boundedTriangles[t].bounds;
        firstCells[t] = Int2(getCell_(bounds.minX, 0), getCell_(bounds.minY, 1));
        lastCells[t] = Int2(getCell_(bounds.maxX, 0), getCell_(bounds.maxY, 1));
        entries += int64_t(lastCells[t].x() - firstCells[t].x() + 1) * (lastCells[t].y() - firstCells[t].y() + 1);
    }
    return entries;
}

void ShadowTriangleGrid::fillCells_(std::vector<Int2> const& firstCells, std::vector<Int2> const& lastCells)
{
    size_t const cellCount = size_t(cellsPerAxis.x()) * size_t(cellsPerAxis.y());
    cellStart.assign(cellCount + 1, 0);
    for (size_t t = 0; t < boundedTriangles.size(); ++t)
        for (int y = firstCells[t].y(); y <= lastCells[t].y(); ++y)
            for (int x = firstCells[t].x(); x <= lastCells[t].x(); ++x)
                ++cellStart[size_t(x + y * cellsPerAxis.x()) + 1];
    for (size_t cell = 0; cell < cellCount; ++cell)
        cellStart[cell + 1] += cellStart[cell];
    triangleIndices.resize(size_t(cellStart[cellCount]));
    std::vector<int32_t> filled(cellStart.begin(), cellStart.end() - 1);
    for (size_t t = 0; t < boundedTriangles.size(); ++t)
        for (int y = firstCells[t].y(); y <= lastCells[t].y(); ++y)
            for (int x = firstCells[t].x(); x <= lastCells[t].x(); ++x)
                triangleIndices[size_t(filled[size_t(x + y * cellsPerAxis.x())]++)] = int32_t(t);
}

int ShadowTriangleGrid::getCell_(float value, int axis) const
{
    float const cell = (value - domainMin[axis]) * cellsPerUnit;
    if (!(cell > 0.f))
        return 0;
    if (cell >= float(cellsPerAxis[axis]))
        return cellsPerAxis[axis] - 1;
    return int(cell);
}

bool ShadowTriangleGrid::isInsideBounds_(Bounds const& bounds, Float2 const& point)
{
    // The crossing count counts no edge at or below the lowest y, above the
    // highest y or right of the largest x: plain comparisons, no rounding.
    return point.y() > bounds.minY && point.y() <= bounds.maxY && point.x() <= bounds.maxX &&
           point.x() >= bounds.minX;
}

bool ShadowTriangleGrid::contains(Float2 const& point) const
{
    ASSERT(point.x() >= domainMin.x() && point.x() <= domainMax.x() && point.y() >= domainMin.y() &&
               point.y() <= domainMax.y(),
           "a point outside the face asked of its shadow grid");
    size_t const cell = size_t(getCell_(point.x(), 0) + getCell_(point.y(), 1) * cellsPerAxis.x());
    for (int32_t entry = cellStart[cell]; entry < cellStart[cell + 1]; ++entry)
    {
        Triangle const& triangle = boundedTriangles[size_t(triangleIndices[size_t(entry)])];
        if (isInsideBounds_(triangle.bounds, point) && CubeZoneStaticShadows::isPointInsidePolygon(triangle.points, 3, point))
            return true;
    }
    for (size_t first = 0; first + 3 <= alwaysTested.size(); first += 3)
        if (CubeZoneStaticShadows::isPointInsidePolygon(&alwaysTested[first], 3, point))
            return true;
    return false;
}

size_t ShadowTriangleGrid::getAlwaysTestedCount() const
{
    return alwaysTested.size() / 3;
}
