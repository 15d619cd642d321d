#include "CubeZoneStaticShadows.h"

#include "Errors.h"
#include "ShadowTriangleGrid.h"

#include <algorithm>
#include <cmath>

namespace CubeZoneStaticShadows
{
namespace
{
int const NB_FACES = CubeZone::NB_SHADOW_FACES;
int const NB_BOX_CORNERS = 8;
// Offsets of a box's corners from its centre, in halves of its size; the
// projected corner lists keep this order.
float const CORNER_SIGNS[NB_BOX_CORNERS][3] = {{1, 1, 1},   {-1, 1, 1}, {1, -1, 1},  {1, 1, -1},
                                               {-1, -1, 1}, {1, -1, -1}, {-1, 1, -1}, {-1, -1, -1}};
// The corners of each face of a box, in order around the face: two triangles each.
int const BOX_FACE_CORNERS[6][4] = {{0, 2, 5, 3}, {1, 4, 7, 6}, {0, 1, 6, 3},
                                    {2, 4, 7, 5}, {0, 1, 4, 2}, {3, 6, 7, 5}};
int const Y_AXIS = 1;
// Faces are walked in squares of one cube.
float const SQUARE_EDGE = 10.f;
// Corners are tested this far inside their rectangle, off the edges that
// neighbouring rectangles and touching shadows share.
float const CORNER_INSET = 0.001f;
float const BORDER_PRECISION = 0.1f;
// Rectangles with three corners in shadow are split down to below this edge.
float const SMALLEST_SPLIT_EDGE = 1.f;
// A rectangle's corners, numbered 0 (minH, minV), 1 (maxH, minV), 2 (minH, maxV),
// 3 (maxH, maxV), in counter-clockwise order around it.
int const CORNERS_AROUND[4] = {0, 1, 3, 2};

int getFaceAxis(int face)
{
    return face / 2;
}

bool isMaxFace(int face)
{
    return face % 2 == 1;
}

// The two axes of a face's 2-D coordinates: (y, z), (x, z) or (x, y).
void getFacePlaneAxes(int face, int& horizAxis, int& vertAxis)
{
    int const axis = getFaceAxis(face);
    horizAxis = axis == 0 ? 1 : 0;
    vertAxis = axis == 2 ? 1 : 2;
}

bool isFinite(Float3 const& point)
{
    return std::isfinite(point.x()) && std::isfinite(point.y()) && std::isfinite(point.z());
}

// A corner of an occluder that straddles the zone's plane on x or z is moved
// onto the plane, so only the part between the light and the plane casts.
float clipToZone(float corner, float occluderMin, float occluderMax, float zoneMin, float zoneMax, float light)
{
    if (corner < zoneMax && light > zoneMax && occluderMax >= zoneMax)
        return zoneMax;
    if (light < zoneMin && zoneMin < corner && occluderMin <= zoneMin)
        return zoneMin;
    return corner;
}

bool isBetweenLightAndPlane(float corner, float light, float plane, bool maxFace)
{
    if (maxFace)
        return !(corner < plane || corner > light);
    return !(corner < light || corner > plane);
}

// The corner seen from the light on the plane, relative to origin, given
// t = (plane - light) / (corner - light) on the plane's axis;
// FLOAT3_INFINITY when the corner lies level with the light.
Float3 projectFromLight(Float3 const& corner, Float3 const& light, int axis, float plane, float t,
                        Float3 const& origin)
{
    Float3 projected = light + (corner - light) * t;
    projected[axis] = plane;
    projected -= origin;
    return isFinite(projected) ? projected : FLOAT3_INFINITY;
}

// The 12 triangles of a box's six faces, from its corners in CORNER_SIGNS order.
void appendBoxTriangles(Float3 const* corners, std::vector<Float3>& triangles)
{
    for (int const* face : BOX_FACE_CORNERS)
        for (int second = 1; second <= 2; ++second)
        {
            triangles.push_back(corners[face[0]]);
            triangles.push_back(corners[face[second]]);
            triangles.push_back(corners[face[second + 1]]);
        }
}

// The occluder's corners seen from the light on the plane of the zone's face,
// relative to the zone's position; false when some corner does not lie
// between the light and the plane, so the occluder casts nothing there.
// With stopWhenCastingNothing, nothing is projected in that case.
bool projectOccluderCorners(CubeZone const& occluder, CubeZone const& zone, Float3 const& light, int face,
                            bool stopWhenCastingNothing, Float3 projected[NB_BOX_CORNERS])
{
    int const axis = getFaceAxis(face);
    // The face's axis first: it alone decides whether anything is cast.
    float const zoneHalf = zone.getSize()[axis] * 0.5f;
    float const zoneMin = zone.getPosition()[axis] - zoneHalf;
    float const zoneMax = zone.getPosition()[axis] + zoneHalf;
    float const occluderHalf = occluder.getSize()[axis] * 0.5f;
    float const occluderMin = occluder.getPosition()[axis] - occluderHalf;
    float const occluderMax = occluder.getPosition()[axis] + occluderHalf;
    float const plane = isMaxFace(face) ? zoneMax : zoneMin;
    // On the face's axis the corners take two values (after clipping), and so
    // does the projection factor.
    float onAxis[2] = {occluderMin, occluderMax};
    bool mayShadow = true;
    for (float& value : onAxis)
    {
        if (axis != Y_AXIS)
            value = clipToZone(value, occluderMin, occluderMax, zoneMin, zoneMax, light[axis]);
        mayShadow = mayShadow && isBetweenLightAndPlane(value, light[axis], plane, isMaxFace(face));
    }
    if (!mayShadow && stopWhenCastingNothing)
        return false;
    float const factor[2] = {(plane - light[axis]) / (onAxis[0] - light[axis]),
                             (plane - light[axis]) / (onAxis[1] - light[axis])};
    Float3 const halfSize = occluder.getSize() * 0.5f;
    for (int c = 0; c < NB_BOX_CORNERS; ++c)
    {
        Float3 corner;
        for (int a = 0; a < 3; ++a)
            corner[a] = occluder.getPosition()[a] + CORNER_SIGNS[c][a] * halfSize[a];
        int const side = CORNER_SIGNS[c][axis] < 0.f ? 0 : 1;
        corner[axis] = onAxis[side];
        projected[c] = projectFromLight(corner, light, axis, plane, factor[side], zone.getPosition());
    }
    return mayShadow;
}

// Adds the occluder's 12 triangles to the working list of each of the
// zone's six faces it lies in front of.
void appendOccluderShadows(CubeZone const& occluder, CubeZone const& zone, Float3 const& light,
                           std::vector<Float3> tmpShadowTrianglesForEachFace[NB_FACES],
                           std::vector<Float3> shadowTrianglesForEachFace[NB_FACES])
{
    for (int i = 0; i < NB_FACES; ++i)
    {
        Float3 projected[NB_BOX_CORNERS];
        bool const mayShadow = projectOccluderCorners(occluder, zone, light, i, false, projected);
        tmpShadowTrianglesForEachFace[i].assign(projected, projected + NB_BOX_CORNERS);
        ASSERT(tmpShadowTrianglesForEachFace[i].size()==8, NULL);
        if (mayShadow)
            appendBoxTriangles(tmpShadowTrianglesForEachFace[i].data(), shadowTrianglesForEachFace[i]);
    }
}

Float2 toFaceCoordinates(Float3 const& vertex, int face)
{
    int horizAxis = 0;
    int vertAxis = 0;
    getFacePlaneAxes(face, horizAxis, vertAxis);
    return Float2(vertex[horizAxis], vertex[vertAxis]);
}

bool hasInfiniteVertex(Float3 const* triangle)
{
    return triangle[0] == FLOAT3_INFINITY || triangle[1] == FLOAT3_INFINITY || triangle[2] == FLOAT3_INFINITY;
}

// The usable triangles of one face in its 2-D coordinates.
std::vector<Float2> getFaceTriangles2D(std::vector<Float3> const& triangleVectorTmp, int face)
{
    ASSERT(triangleVectorTmp.size() % 6 == 0, NULL);
    std::vector<Float3> triangleVectorTmp2;
    triangleVectorTmp2.reserve(triangleVectorTmp.size());
    for (size_t first = 0; first + 3 <= triangleVectorTmp.size(); first += 3)
        if (!hasInfiniteVertex(&triangleVectorTmp[first]))
            triangleVectorTmp2.insert(triangleVectorTmp2.end(), triangleVectorTmp.begin() + first,
                                      triangleVectorTmp.begin() + first + 3);
    ASSERT(triangleVectorTmp2.size() % 3 == 0, NULL);
    std::vector<Float2> triangles2D;
    triangles2D.reserve(triangleVectorTmp2.size());
    for (Float3 const& vertex : triangleVectorTmp2)
        triangles2D.push_back(toFaceCoordinates(vertex, face));
    return triangles2D;
}

// The usable 2-D triangles of one face from the occluders whose shadow can
// reach the domain around it: the same points, wherever asked in the domain,
// as the face's full list, since the grid would pass over the others anyway.
std::vector<Float2> getReachingTriangles2D(std::vector<CubeZone const*> const& occluders, CubeZone const& zone,
                                           Float3 const& light, int face, Float2 const& domainMin,
                                           Float2 const& domainMax)
{
    std::vector<Float2> triangles2D;
    std::vector<Float3> boxTriangles;
    for (CubeZone const* occluder : occluders)
    {
        Float3 projected[NB_BOX_CORNERS];
        if (occluder == &zone || !projectOccluderCorners(*occluder, zone, light, face, true, projected))
            continue;
        Float2 corners2D[NB_BOX_CORNERS];
        for (int c = 0; c < NB_BOX_CORNERS; ++c)
            corners2D[c] = toFaceCoordinates(projected[c], face);
        if (!ShadowTriangleGrid::mayReachDomain(corners2D, NB_BOX_CORNERS, domainMin, domainMax))
            continue;
        boxTriangles.clear();
        appendBoxTriangles(projected, boxTriangles);
        for (size_t first = 0; first + 3 <= boxTriangles.size(); first += 3)
            if (!hasInfiniteVertex(&boxTriangles[first]))
                for (size_t v = first; v < first + 3; ++v)
                    triangles2D.push_back(toFaceCoordinates(boxTriangles[v], face));
    }
    return triangles2D;
}

Float3 toFacePoint(Float2 const& point, float faceCoordinate, int face)
{
    int horizAxis = 0;
    int vertAxis = 0;
    getFacePlaneAxes(face, horizAxis, vertAxis);
    Float3 facePoint;
    facePoint[getFaceAxis(face)] = faceCoordinate;
    facePoint[horizAxis] = point.x();
    facePoint[vertAxis] = point.y();
    return facePoint;
}

// Appends a convex polygon given counter-clockwise in face coordinates as a
// fan of triangles, each facing away from the zone: counter-clockwise seen
// from outside the face.
void emitPolygon(std::vector<Float3>& out, float faceCoordinate, int face, Float2 const* points, int count)
{
    // (y, z), (x, z) and (x, y) turn counter-clockwise about +x, -y and +z.
    bool const reversed = face == 0 || face == 3 || face == 4;
    for (int i = 1; i + 1 < count; ++i)
    {
        out.push_back(toFacePoint(points[0], faceCoordinate, face));
        out.push_back(toFacePoint(points[reversed ? i + 1 : i], faceCoordinate, face));
        out.push_back(toFacePoint(points[reversed ? i : i + 1], faceCoordinate, face));
    }
}

void emitRectangle(std::vector<Float3>& out, float faceCoordinate, int face, Float2 const corners[4])
{
    Float2 const around[4] = {corners[CORNERS_AROUND[0]], corners[CORNERS_AROUND[1]], corners[CORNERS_AROUND[2]],
                              corners[CORNERS_AROUND[3]]};
    emitPolygon(out, faceCoordinate, face, around, 4);
}

// The shadow as the plain computation sees it: every triangle tested in turn.
class EveryTriangle
{
public:
    explicit EveryTriangle(std::vector<Float2> const& triangles2D) : triangles2D(triangles2D) {}

    bool contains(Float2 const& point) const
    {
        for (size_t first = 0; first + 3 <= triangles2D.size(); first += 3)
            if (isPointInsidePolygon(&triangles2D[first], 3, point))
                return true;
        return false;
    }

    // Stops scanning once all four are known to be inside.
    int countInside(Float2 const points[4], bool inside[4]) const
    {
        int nbInside = 0;
        for (size_t first = 0; first + 3 <= triangles2D.size() && nbInside < 4; first += 3)
            for (int corner = 0; corner < 4; ++corner)
                if (!inside[corner] && isPointInsidePolygon(&triangles2D[first], 3, points[corner]))
                {
                    inside[corner] = true;
                    ++nbInside;
                }
        return nbInside;
    }

private:
    std::vector<Float2> const& triangles2D;
};

// The shadow through a grid of the face's triangles: the same answers.
class GridTriangles
{
public:
    explicit GridTriangles(ShadowTriangleGrid const& grid) : grid(grid) {}

    bool contains(Float2 const& point) const { return grid.contains(point); }

    int countInside(Float2 const points[4], bool inside[4]) const
    {
        int nbInside = 0;
        for (int corner = 0; corner < 4; ++corner)
        {
            inside[corner] = grid.contains(points[corner]);
            nbInside += inside[corner] ? 1 : 0;
        }
        return nbInside;
    }

private:
    ShadowTriangleGrid const& grid;
};

template <typename Shadow>
Float2 findShadowBorder(Shadow const& shadow, Float2 outside, Float2 inside)
{
    for (;;)
    {
        Float2 const middle = (outside + inside) * 0.5f;
        if (std::fabs(outside.x() - inside.x()) < BORDER_PRECISION &&
            std::fabs(outside.y() - inside.y()) < BORDER_PRECISION)
            return middle;
        // Ends a single float step apart (absurdly far from the origin) cannot be halved further.
        if (middle == outside || middle == inside)
            return middle;
        if (shadow.contains(middle))
            inside = middle;
        else
            outside = middle;
    }
}

// The rectangle corner `from` (out of shadow) moved along its edge toward
// corner `to` (in shadow) onto the border, searched between their test points.
template <typename Shadow>
Float2 moveCornerOntoBorder(Shadow const& shadow, Float2 const corners[4], Float2 const testPoints[4], int from,
                            int to)
{
    Float2 const border = findShadowBorder(shadow, testPoints[from], testPoints[to]);
    if (corners[from].y() == corners[to].y())
        return Float2(border.x(), corners[from].y());
    return Float2(corners[from].x(), border.y());
}

template <typename Shadow>
bool discretiseRectangle(Shadow const& shadow, std::vector<Float3>& out, float faceCoordinate, int face,
                         float minHoriz, float maxHoriz, float minVert, float maxVert)
{
    ASSERT(minHoriz < maxHoriz && minVert < maxVert, NULL);
    Float2 const corners[4] = {Float2(minHoriz, minVert), Float2(maxHoriz, minVert), Float2(minHoriz, maxVert),
                               Float2(maxHoriz, maxVert)};
    Float2 const testPoints[4] = {
        Float2(minHoriz + CORNER_INSET, minVert + CORNER_INSET), Float2(maxHoriz - CORNER_INSET, minVert + CORNER_INSET),
        Float2(minHoriz + CORNER_INSET, maxVert - CORNER_INSET), Float2(maxHoriz - CORNER_INSET, maxVert - CORNER_INSET)};
    bool inside[4] = {false, false, false, false};
    int const nbPointsInside = shadow.countInside(testPoints, inside);
    if (nbPointsInside == 0)
        return false;
    if (nbPointsInside == 4)
    {
        emitRectangle(out, faceCoordinate, face, corners);
        return true;
    }
    float const width = maxHoriz - minHoriz;
    float const height = maxVert - minVert;
    if ((width >= SQUARE_EDGE && height >= SQUARE_EDGE) ||
        (nbPointsInside == 3 && width >= SMALLEST_SPLIT_EDGE && height >= SMALLEST_SPLIT_EDGE))
    {
        float const midHoriz = (minHoriz + maxHoriz) * 0.5f;
        float const midVert = (minVert + maxVert) * 0.5f;
        bool const lowerLeft = discretiseRectangle(shadow, out, faceCoordinate, face, minHoriz, midHoriz, minVert, midVert);
        bool const lowerRight = discretiseRectangle(shadow, out, faceCoordinate, face, midHoriz, maxHoriz, minVert, midVert);
        bool const upperLeft = discretiseRectangle(shadow, out, faceCoordinate, face, minHoriz, midHoriz, midVert, maxVert);
        bool const upperRight = discretiseRectangle(shadow, out, faceCoordinate, face, midHoriz, maxHoriz, midVert, maxVert);
        return lowerLeft && lowerRight && upperLeft && upperRight;
    }
    // A small rectangle the border crosses: corners out of shadow move onto it.
    for (int place = 0; place < 4; ++place)
    {
        int const corner = CORNERS_AROUND[place];
        int const before = CORNERS_AROUND[(place + 3) % 4];
        int const after = CORNERS_AROUND[(place + 1) % 4];
        if (nbPointsInside == 1 && inside[corner])
        {
            Float2 const triangle[3] = {moveCornerOntoBorder(shadow, corners, testPoints, before, corner), corners[corner],
                                        moveCornerOntoBorder(shadow, corners, testPoints, after, corner)};
            emitPolygon(out, faceCoordinate, face, triangle, 3);
            return true;
        }
        int const opposite = CORNERS_AROUND[(place + 2) % 4];
        if (nbPointsInside == 2 && inside[corner] && inside[after])
        {
            Float2 const quadrilateral[4] = {moveCornerOntoBorder(shadow, corners, testPoints, before, corner),
                                             corners[corner], corners[after],
                                             moveCornerOntoBorder(shadow, corners, testPoints, opposite, after)};
            emitPolygon(out, faceCoordinate, face, quadrilateral, 4);
            return true;
        }
    }
    // Two diagonal corners or three: the whole rectangle.
    ASSERT(nbPointsInside != 1, NULL);
    emitRectangle(out, faceCoordinate, face, corners);
    return true;
}

// Walks the face in squares of one cube from its lower corner; the last
// square of a row or column is cut at the face's edge.
template <typename Shadow>
void coverFace(Shadow const& shadow, std::vector<Float3>& out, float faceCoordinate, int face, Float2 const& faceHalf)
{
    for (int column = 0;; ++column)
    {
        float const minHoriz = -faceHalf.x() + SQUARE_EDGE * float(column);
        if (!(minHoriz < faceHalf.x()))
            break;
        float const maxHoriz = std::min(-faceHalf.x() + SQUARE_EDGE * float(column + 1), faceHalf.x());
        for (int row = 0;; ++row)
        {
            float const minVert = -faceHalf.y() + SQUARE_EDGE * float(row);
            if (!(minVert < faceHalf.y()))
                break;
            float const maxVert = std::min(-faceHalf.y() + SQUARE_EDGE * float(row + 1), faceHalf.y());
            discretiseRectangle(shadow, out, faceCoordinate, face, minHoriz, maxHoriz, minVert, maxVert);
        }
    }
}

// The face's coordinate on its own axis and its half extent on its two 2-D axes.
void getFaceExtent(CubeZone const& zone, int face, float& faceCoordinate, Float2& faceHalf)
{
    Float3 const half = zone.getSize() * 0.5f;
    int const axis = getFaceAxis(face);
    faceCoordinate = isMaxFace(face) ? half[axis] : -half[axis];
    int horizAxis = 0;
    int vertAxis = 0;
    getFacePlaneAxes(face, horizAxis, vertAxis);
    faceHalf = Float2(half[horizAxis], half[vertAxis]);
}

// The computation as described: every occluder projected onto all six
// planes, then each lit face covered by testing each point against every
// triangle of its list.
void coverFacesTestingEveryTriangle(std::vector<CubeZone const*> const& occluders, CubeZone const& zone,
                                    Float3 const& light, bool const inShadow[NB_FACES],
                                    std::vector<Float3> triangles[NB_FACES])
{
    std::vector<Float3> tmpShadowTrianglesForEachFace[NB_FACES];
    std::vector<Float3> shadowTrianglesForEachFace[NB_FACES];
    for (CubeZone const* occluder : occluders)
        if (occluder != &zone)
            appendOccluderShadows(*occluder, zone, light, tmpShadowTrianglesForEachFace, shadowTrianglesForEachFace);
    ASSERT(shadowTrianglesForEachFace[0].size() % 6 == 0, NULL);
    for (int face = 0; face < NB_FACES; ++face)
    {
        if (inShadow[face])
            continue;
        float faceCoordinate = 0.f;
        Float2 faceHalf;
        getFaceExtent(zone, face, faceCoordinate, faceHalf);
        std::vector<Float2> const triangles2D = getFaceTriangles2D(shadowTrianglesForEachFace[face], face);
        coverFace(EveryTriangle(triangles2D), triangles[face], faceCoordinate, face, faceHalf);
    }
}
}

void calculateStaticShadows(std::vector<CubeZone const*> const& occluders, CubeZone const& zone,
                            std::vector<Float3> triangles[CubeZone::NB_SHADOW_FACES],
                            bool inShadow[CubeZone::NB_SHADOW_FACES], Float3 const& light, ShadowSearch search)
{
    for (int face = 0; face < NB_FACES; ++face)
        triangles[face].clear();
    Float3 const half = zone.getSize() * 0.5f;
    Float3 const zoneMin = zone.getPosition() - half;
    Float3 const zoneMax = zone.getPosition() + half;
    for (int axis = 0; axis < 3; ++axis)
    {
        // A face whose plane the light does not lie beyond looks away from it.
        inShadow[2 * axis] = zoneMin[axis] <= light[axis];
        inShadow[2 * axis + 1] = light[axis] <= zoneMax[axis];
    }

    if (search == ShadowSearch::EVERY_TRIANGLE)
    {
        coverFacesTestingEveryTriangle(occluders, zone, light, inShadow, triangles);
        return;
    }
    for (int face = 0; face < NB_FACES; ++face)
    {
        if (inShadow[face])
            continue;
        float faceCoordinate = 0.f;
        Float2 faceHalf;
        getFaceExtent(zone, face, faceCoordinate, faceHalf);
        // Every tested point lies on the face; the domain leaves room for rounding.
        Float2 const domainMin = -faceHalf - Float2(1.f, 1.f);
        Float2 const domainMax = faceHalf + Float2(1.f, 1.f);
        ShadowTriangleGrid const grid(getReachingTriangles2D(occluders, zone, light, face, domainMin, domainMax),
                                      domainMin, domainMax);
        coverFace(GridTriangles(grid), triangles[face], faceCoordinate, face, faceHalf);
    }
}

bool isPointInsidePolygon(Float2 const* points, int count, Float2 const& point)
{
    bool inside = false;
    for (int i = 1; i <= count; ++i)
    {
        Float2 const& p1 = points[i - 1];
        Float2 const& p2 = points[i % count];
        if (point.y() > std::min(p1.y(), p2.y()) && point.y() <= std::max(p1.y(), p2.y()) &&
            point.x() <= std::max(p1.x(), p2.x()) && p1.y() != p2.y() &&
            (p1.x() == p2.x() || point.x() <= p1.x() + (point.y() - p1.y()) * (p2.x() - p1.x()) / (p2.y() - p1.y())))
            inside = !inside;
    }
    return inside;
}

Float2 fastFindShadowBorder(std::vector<Float2> const& triangles2D, Float2 const& outside, Float2 const& inside)
{
    return findShadowBorder(EveryTriangle(triangles2D), outside, inside);
}

bool discretiseInSquaresShadowRecursive(std::vector<Float3>& out, float faceCoordinate,
                                        std::vector<Float2> const& triangles2D, int face, float minHoriz,
                                        float maxHoriz, float minVert, float maxVert)
{
    return discretiseRectangle(EveryTriangle(triangles2D), out, faceCoordinate, face, minHoriz, maxHoriz, minVert,
                               maxVert);
}
}
