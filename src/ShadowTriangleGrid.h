#ifndef SHADOWTRIANGLEGRID_H
#define SHADOWTRIANGLEGRID_H

// The 2-D shadow triangles cast on one face, sorted into a uniform grid of
// cells over the face, so that the question "is this point in any shadow
// triangle" looks at the few triangles near the point instead of all of them.
// The answer is exactly that of testing every triangle with
// CubeZoneStaticShadows::isPointInsidePolygon: a triangle is passed over
// only where the crossing count provably finds no crossing, or an even
// number of them. Triangles too large or not finite for that proof are
// tested for every point. Built for one face from a copy of its triangles;
// every point asked about must lie in the domain given at construction.

#include "BasicVector.h"

#include <cstdint>
#include <vector>

class ShadowTriangleGrid
{
public:
    // Every three consecutive points form one triangle.
    ShadowTriangleGrid(std::vector<Float2> const& triangles, Float2 const& domainMin, Float2 const& domainMax);

    bool contains(Float2 const& point) const;
    // False when no triangle with its corners among these points would be
    // tested for any point of the domain: such triangles can be left out.
    static bool mayReachDomain(Float2 const* points, int count, Float2 const& domainMin, Float2 const& domainMax);
    // The triangles tested for every point, their bounds not being usable.
    size_t getAlwaysTestedCount() const;

private:
    // Outside these bounds the crossing count of a triangle within them is
    // even. minX is lowered by a margin covering the rounding of the crossings.
    struct Bounds
    {
        float minX;
        float maxX;
        float minY;
        float maxY;
    };
    struct Triangle
    {
        Float2 points[3];
        Bounds bounds;
    };

    // The bounds of the points, or false when triangles among them must be
    // tested for every point. The bounds never shrink as points are added.
    static bool getBounds_(Float2 const* points, int count, Bounds& bounds);
    static bool isOutsideDomain_(Bounds const& bounds, Float2 const& domainMin, Float2 const& domainMax);
    // Cells of edge cellEdge over the domain, the entries the triangles make in
    // them, and each triangle's first and last cell.
    int64_t countEntries_(float cellEdge, std::vector<Int2>& firstCells, std::vector<Int2>& lastCells);
    void fillCells_(std::vector<Int2> const& firstCells, std::vector<Int2> const& lastCells);
    // The cell of a coordinate on one axis, clamped into the grid; it never
    // decreases as the value grows, so a triangle listed in the cells of its
    // bounds is listed in the cell of every point within them.
    int getCell_(float value, int axis) const;
    static bool isInsideBounds_(Bounds const& bounds, Float2 const& point);

    Float2 domainMin;
    Float2 domainMax;
    Int2 cellsPerAxis;
    float cellsPerUnit;
    // The triangles with usable bounds touching the domain.
    std::vector<Triangle> boundedTriangles;
    // Compressed lists: the triangles of cell c are triangleIndices[cellStart[c] .. cellStart[c + 1]).
    std::vector<int32_t> cellStart;
    std::vector<int32_t> triangleIndices;
    // Points of triangles whose bounds cannot be trusted, three per triangle.
    std::vector<Float2> alwaysTested;
};

#endif
