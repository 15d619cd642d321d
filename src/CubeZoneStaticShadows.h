#ifndef CUBEZONESTATICSHADOWS_H
#define CUBEZONESTATICSHADOWS_H

// The static shadow computation of one receiving zone under a point light.
// Per face (shadow face order -x, +x, -y, +y, -z, +z) the result is either a
// wholly-in-shadow mark, for faces looking away from the light, or flat
// triangles covering the parts of the face that other zones darken. Each
// occluder's box is projected from the light onto the face's plane (12
// triangles); the face is then walked in squares of one cube, and each square
// is covered whole, not at all, or, where the shadow border crosses it, by
// smaller rectangles and by triangles whose corners sit on the border.
// Nothing is kept between calls.

#include "BasicVector.h"
#include "CubeZone.h"

#include <limits>
#include <vector>

namespace CubeZoneStaticShadows
{
// Positive infinity, and the point marking a corner that cannot be projected
// (it lies level with the light on the face's axis).
constexpr float FLOAT_INFINITY = std::numeric_limits<float>::infinity();
constexpr Float3 FLOAT3_INFINITY(FLOAT_INFINITY, FLOAT_INFINITY, FLOAT_INFINITY);

// How the shadow triangles of a face are searched for each tested point. Both
// give exactly the same triangles: EVERY_TRIANGLE tests every triangle,
// TRIANGLE_GRID only those a grid over the face shows can hold the point.
enum class ShadowSearch
{
    EVERY_TRIANGLE,
    TRIANGLE_GRID
};

// Replaces the six lists (triangle vertices relative to the zone's position)
// and the six wholly-in-shadow flags. The occluders may include the zone
// itself, which casts nothing on itself.
void calculateStaticShadows(std::vector<CubeZone const*> const& occluders, CubeZone const& zone,
                            std::vector<Float3> triangles[CubeZone::NB_SHADOW_FACES],
                            bool inShadow[CubeZone::NB_SHADOW_FACES], Float3 const& light,
                            ShadowSearch search = ShadowSearch::TRIANGLE_GRID);

// Crossing count of a horizontal ray toward +x; no points contain nothing.
bool isPointInsidePolygon(Float2 const* points, int count, Float2 const& point);

// Bisection from outside (out of every triangle) toward inside (in one of them)
// until the two ends are less than 0.1 apart on both axes; returns the middle
// of the last pair. Every three consecutive points form one triangle.
Float2 fastFindShadowBorder(std::vector<Float2> const& triangles2D, Float2 const& outside, Float2 const& inside);

// Covers the shadowed part of one rectangle of face `face` (2-D face
// coordinates) with triangles appended to out, at faceCoordinate on the
// face's own axis. False when no corner was in shadow (nothing emitted); after
// a split into quarters, true only when every quarter gave true.
bool discretiseInSquaresShadowRecursive(std::vector<Float3>& out, float faceCoordinate,
                                        std::vector<Float2> const& triangles2D, int face, float minHoriz,
                                        float maxHoriz, float minVert, float maxVert);
}

#endif
