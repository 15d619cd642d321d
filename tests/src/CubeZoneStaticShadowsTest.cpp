#include "CubeZone.h"
#include "CubeZoneStaticShadows.h"
#include "DeviceManager.h"
#include "IndexedWorld.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

using CubeZoneStaticShadows::ShadowSearch;

namespace
{
int const FACES = CubeZone::NB_SHADOW_FACES;
// The light of region (0, 0, 0): its centre plus (-3000, 10000, -3000).
Float3 const LIGHT(160.f - 3000.f, 160.f + 10000.f, 160.f - 3000.f);

struct Shadows
{
    std::vector<Float3> triangles[FACES];
    bool inShadow[FACES] = {};
};

Shadows computeShadows(std::vector<CubeZone> const& scene, size_t receiver,
                       ShadowSearch search = ShadowSearch::TRIANGLE_GRID)
{
    std::vector<CubeZone const*> occluders;
    for (CubeZone const& zone : scene)
        occluders.push_back(&zone);
    Shadows shadows;
    CubeZoneStaticShadows::calculateStaticShadows(occluders, scene[receiver], shadows.triangles, shadows.inShadow,
                                                  LIGHT, search);
    return shadows;
}

// A zone given by its lower corner and size.
CubeZone box(Float3 const& low, Float3 const& size)
{
    return CubeZone(low + size * 0.5f, size, 0);
}

// The face's own axis and its two 2-D axes: (y, z) on x faces, (x, z) on y faces, (x, y) on z faces.
int axisOf(int face)
{
    return face / 2;
}

int horizontalAxisOf(int face)
{
    return axisOf(face) == 0 ? 1 : 0;
}

int verticalAxisOf(int face)
{
    return axisOf(face) == 2 ? 1 : 2;
}

struct Point
{
    double x;
    double y;
};

Point onFace(Float3 const& vertex, int face)
{
    return {vertex[horizontalAxisOf(face)], vertex[verticalAxisOf(face)]};
}

double cross(Point const& o, Point const& a, Point const& b)
{
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Bounds included, with a little room for rounding.
bool isInTriangle(Point const& p, Point const& a, Point const& b, Point const& c)
{
    double const abp = cross(a, b, p);
    double const bcp = cross(b, c, p);
    double const cap = cross(c, a, p);
    double const slack = 1e-7;
    return (abp >= -slack && bcp >= -slack && cap >= -slack) || (abp <= slack && bcp <= slack && cap <= slack);
}

bool isCovered(std::vector<Float3> const& triangles, int face, Point const& p)
{
    for (size_t first = 0; first + 3 <= triangles.size(); first += 3)
        if (isInTriangle(p, onFace(triangles[first], face), onFace(triangles[first + 1], face),
                         onFace(triangles[first + 2], face)))
            return true;
    return false;
}

double coveredArea(std::vector<Float3> const& triangles, int face)
{
    double area = 0.0;
    for (size_t first = 0; first + 3 <= triangles.size(); first += 3)
        area += std::fabs(cross(onFace(triangles[first], face), onFace(triangles[first + 1], face),
                                onFace(triangles[first + 2], face))) /
                2.0;
    return area;
}

// The zone's outward normal on the face dotted with the triangle's normal.
double facingOf(Float3 const* triangle, int face)
{
    double normal[3] = {};
    double const a[3] = {triangle[1].x() - triangle[0].x(), triangle[1].y() - triangle[0].y(),
                         triangle[1].z() - triangle[0].z()};
    double const b[3] = {triangle[2].x() - triangle[0].x(), triangle[2].y() - triangle[0].y(),
                         triangle[2].z() - triangle[0].z()};
    normal[0] = a[1] * b[2] - a[2] * b[1];
    normal[1] = a[2] * b[0] - a[0] * b[2];
    normal[2] = a[0] * b[1] - a[1] * b[0];
    return face % 2 == 0 ? -normal[axisOf(face)] : normal[axisOf(face)];
}

// ---- The shadow as described, computed independently in double precision ----

struct Segment
{
    Point a;
    Point b;
};

double distanceToSegment(Point const& p, Segment const& s)
{
    double const dx = s.b.x - s.a.x;
    double const dy = s.b.y - s.a.y;
    double const lengthSquared = dx * dx + dy * dy;
    double t = lengthSquared > 0.0 ? ((p.x - s.a.x) * dx + (p.y - s.a.y) * dy) / lengthSquared : 0.0;
    t = std::max(0.0, std::min(1.0, t));
    return std::hypot(p.x - (s.a.x + t * dx), p.y - (s.a.y + t * dy));
}

// Counter-clockwise hull (monotone chain).
std::vector<Point> convexHull(std::vector<Point> points)
{
    std::sort(points.begin(), points.end(),
              [](Point const& l, Point const& r) { return l.x < r.x || (l.x == r.x && l.y < r.y); });
    std::vector<Point> hull(2 * points.size());
    size_t k = 0;
    for (size_t i = 0; i < points.size(); ++i)
    {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], points[i]) <= 0)
            --k;
        hull[k++] = points[i];
    }
    for (size_t i = points.size() - 1, lower = k + 1; i-- > 0;)
    {
        while (k >= lower && cross(hull[k - 2], hull[k - 1], points[i]) <= 0)
            --k;
        hull[k++] = points[i];
    }
    hull.resize(k - 1);
    return hull;
}

bool isInsideConvex(std::vector<Point> const& hull, Point const& p)
{
    if (hull.size() < 3)
        return false;
    for (size_t i = 0; i < hull.size(); ++i)
        if (cross(hull[i], hull[(i + 1) % hull.size()], p) < 0)
            return false;
    return true;
}

// The outlines of the shadows cast on one face of the receiver, in 2-D face
// coordinates relative to its centre. An occluder casts when, once its x (or
// z) extent is cut to the part in front of an x (or z) face, every corner
// lies between the light and the face's plane; its shadow is the hull of its
// corners seen from the light on the plane.
std::vector<std::vector<Point>> referenceShadows(std::vector<CubeZone> const& scene, size_t receiver, int face)
{
    CubeZone const& zone = scene[receiver];
    int const axis = axisOf(face);
    double const low = double(zone.getPosition()[axis]) - zone.getSize()[axis] / 2.0;
    double const high = double(zone.getPosition()[axis]) + zone.getSize()[axis] / 2.0;
    double const plane = face % 2 == 0 ? low : high;
    double const light = LIGHT[axis];
    std::vector<std::vector<Point>> shadows;
    for (size_t o = 0; o < scene.size(); ++o)
    {
        if (o == receiver)
            continue;
        double from[3];
        double to[3];
        for (int a = 0; a < 3; ++a)
        {
            from[a] = double(scene[o].getPosition()[a]) - scene[o].getSize()[a] / 2.0;
            to[a] = double(scene[o].getPosition()[a]) + scene[o].getSize()[a] / 2.0;
        }
        if (axis != 1)
        {
            // Only the part on the light's side of the plane, when the occluder crosses it.
            if (light > high && to[axis] >= high)
                from[axis] = std::max(from[axis], high);
            if (light < low && from[axis] <= low)
                to[axis] = std::min(to[axis], low);
        }
        double const nearLight = std::min(from[axis], to[axis]);
        double const farLight = std::max(from[axis], to[axis]);
        bool const between = face % 2 == 0 ? (nearLight >= light && farLight <= plane)
                                           : (nearLight >= plane && farLight <= light);
        if (!between)
            continue;
        std::vector<Point> corners;
        for (int c = 0; c < 8; ++c)
        {
            double const corner[3] = {(c & 1) ? to[0] : from[0], (c & 2) ? to[1] : from[1], (c & 4) ? to[2] : from[2]};
            double const t = (plane - light) / (corner[axis] - light);
            double seen[3];
            for (int a = 0; a < 3; ++a)
                seen[a] = LIGHT[a] + t * (corner[a] - LIGHT[a]) - zone.getPosition()[a];
            corners.push_back({seen[horizontalAxisOf(face)], seen[verticalAxisOf(face)]});
        }
        shadows.push_back(convexHull(corners));
    }
    return shadows;
}

// 2 to 6 zones of whole cubes, 10 to 60 units wide and up to 100 high,
// packed into a corner of region (0, 0, 0) so that they often shadow and cross
// each other, some high enough for long slanted shadow edges.
std::vector<CubeZone> randomScene(unsigned seed)
{
    std::mt19937 random(seed);
    auto cubes = [&](int from, int to) { return float(10 * std::uniform_int_distribution<int>(from, to)(random)); };
    int const count = std::uniform_int_distribution<int>(2, 6)(random);
    std::vector<CubeZone> scene;
    for (int i = 0; i < count; ++i)
    {
        Float3 const size(cubes(1, 6), cubes(1, 10), cubes(1, 6));
        scene.push_back(box(Float3(100.f + cubes(0, 12), cubes(0, 20), 100.f + cubes(0, 12)), size));
    }
    return scene;
}
}

TEST(CubeZoneStaticShadows, LoneZoneHasOnlyItsFacesAwayFromTheLightWhollyInShadow)
{
    CubeZone zone = box(Float3(160.f, 0.f, 160.f), Float3(10.f, 10.f, 10.f));
    // Earlier shadow data is replaced.
    std::vector<Float3> old[FACES];
    old[0] = {Float3(0.f, 0.f, 0.f), Float3(0.f, 1.f, 0.f), Float3(0.f, 0.f, 1.f)};
    bool const oldFlags[FACES] = {false, false, false, false, true, false};
    zone.setShadows(old, oldFlags);

    // The list of occluders holds the zone itself, which casts nothing on itself.
    zone.calculateStaticShadows({&zone}, LIGHT);
    bool const expected[FACES] = {false, true, true, false, false, true};
    for (int face = 0; face < FACES; ++face)
    {
        EXPECT_EQ(expected[face], zone.getIsFaceInShadow(face)) << face;
        EXPECT_TRUE(zone.getShadowTriangles(face).empty()) << face;
    }

    // A light level with a face's plane: both faces of that axis look away.
    Shadows const within = computeShadows({box(Float3(LIGHT.x() - 10.f, 0.f, 160.f), Float3(10.f, 10.f, 10.f))}, 0);
    EXPECT_TRUE(within.inShadow[0]);
    EXPECT_TRUE(within.inShadow[1]);
    EXPECT_FALSE(within.inShadow[4]);
}

TEST(CubeZoneStaticShadows, BlockerOverAOneCubeZoneCoversItsTopWithTwoTrianglesWrittenAsACountOfSix)
{
    REQUIRE_DISPLAY();
    std::string const folder = TestSupport::makeTemporaryFolder();
    // The pictures the world needs (shadow and water textures) come from the game's data.
    ASSERT_EQ(0, chdir(GAME_DATA_DIR));
    DeviceManager::newInstance("game_tests", "static shadows test", 800, 600, false);
    {
        // An empty world: header, no cube type, the initial table of eight empty cells.
        std::string empty = std::string("WORLD") + std::string("\x01\0\0\0", 4) + std::string(4, '\0');
        int32_t const table[6] = {-1, -1, -1, 2, 2, 2};
        empty.append(reinterpret_cast<char const*>(table), sizeof(table));
        empty += std::string(8 * 16, '\0');
        TestSupport::writeFile(folder + "/world.dat", empty);
        IndexedWorld world(NULL, folder + "/world.dat", NULL);

        // A one-cube zone of region (0, 0, 0) and, 90 units above, a roof 100 units square.
        ASSERT_TRUE(world.addCubeZone(Float3(165.f, 5.f, 165.f), Float3(10.f, 10.f, 10.f), 0));
        ASSERT_TRUE(world.addCubeZone(Float3(165.f, 105.f, 165.f), Float3(100.f, 10.f, 100.f), 0));
        testing::internal::CaptureStdout();
        world.calculateStaticShadowsOneRegion(Float3(165.f, 5.f, 165.f));
        testing::internal::GetCapturedStdout();
        world.saveWorldToFile(folder + "/saved.dat");
    }
    DeviceManager::deleteInstance();

    // The zones are the two records of the last cell, after its count and extra length.
    std::string const bytes = TestSupport::readFile(folder + "/saved.dat");
    size_t at = 165 - 16;
    auto int32At = [&](size_t offset) {
        int32_t value = 0;
        std::memcpy(&value, bytes.data() + offset, 4);
        return value;
    };
    auto floatAt = [&](size_t offset) {
        float value = 0.f;
        std::memcpy(&value, bytes.data() + offset, 4);
        return value;
    };
    ASSERT_EQ(2, int32At(at));
    at += 8 + 32;
    std::vector<int32_t> counts;
    std::vector<float> topVertices;
    for (int face = 0; face < FACES; ++face)
    {
        counts.push_back(int32At(at));
        at += 4;
        if (face == 3)
            for (int value = 0; value < 3 * counts.back(); ++value)
                topVertices.push_back(floatAt(at + 4 * size_t(value)));
        at += 12 * size_t(std::max(0, counts.back()));
    }
    // The roof shadows the lit faces whole: one square, two triangles each;
    // the faces away from the light are written as -1.
    EXPECT_EQ((std::vector<int32_t>{6, -1, -1, 6, 6, -1}), counts);
    // The top's two triangles lie on it and cover it.
    ASSERT_EQ(18u, topVertices.size());
    std::vector<Float3> top;
    for (size_t v = 0; v < 18; v += 3)
        top.push_back(Float3(topVertices[v], topVertices[v + 1], topVertices[v + 2]));
    for (Float3 const& vertex : top)
        EXPECT_EQ(5.f, vertex.y());
    EXPECT_NEAR(100.0, coveredArea(top, 3), 1e-3);
}

TEST(CubeZoneStaticShadows, FacesAreWalkedInSquaresOfOneCubeAndTheLastIsCutAtTheEdge)
{
    // A 30 x 20 top under a roof: six squares of two triangles each.
    std::vector<CubeZone> scene = {box(Float3(150.f, 0.f, 150.f), Float3(30.f, 10.f, 20.f)),
                                   box(Float3(50.f, 100.f, 50.f), Float3(200.f, 10.f, 200.f))};
    Shadows shadows = computeShadows(scene, 0);
    std::vector<Float3> const& top = shadows.triangles[3];
    ASSERT_EQ(36u, top.size());
    std::vector<std::vector<float>> squares;
    for (size_t first = 0; first < top.size(); first += 6)
    {
        float minX = top[first].x(), maxX = minX, minZ = top[first].z(), maxZ = minZ;
        for (size_t v = first; v < first + 6; ++v)
        {
            minX = std::min(minX, top[v].x());
            maxX = std::max(maxX, top[v].x());
            minZ = std::min(minZ, top[v].z());
            maxZ = std::max(maxZ, top[v].z());
        }
        squares.push_back({minX, maxX, minZ, maxZ});
    }
    std::sort(squares.begin(), squares.end());
    std::vector<std::vector<float>> const expected = {{-15, -5, -10, 0}, {-15, -5, 0, 10}, {-5, 5, -10, 0},
                                                      {-5, 5, 0, 10},    {5, 15, -10, 0},  {5, 15, 0, 10}};
    EXPECT_EQ(expected, squares);

    // A top of 25 x 12: the squares of the last row and column are cut at the
    // edge, and the whole top is covered.
    scene[0] = box(Float3(150.f, 0.f, 150.f), Float3(25.f, 10.f, 12.f));
    shadows = computeShadows(scene, 0);
    EXPECT_EQ(3u * 2u * 6u, shadows.triangles[3].size());
    EXPECT_NEAR(25.0 * 12.0, coveredArea(shadows.triangles[3], 3), 1e-3);
    for (Float3 const& vertex : shadows.triangles[3])
    {
        EXPECT_LE(std::fabs(vertex.x()), 12.5f);
        EXPECT_LE(std::fabs(vertex.z()), 6.f);
    }
}

TEST(CubeZoneStaticShadows, PolygonTestAndRectanglesWhollyInOrOutOfShadow)
{
    std::vector<Float2> const triangle = {Float2(0.f, 0.f), Float2(10.f, 0.f), Float2(0.f, 10.f)};
    EXPECT_TRUE(CubeZoneStaticShadows::isPointInsidePolygon(triangle.data(), 3, Float2(1.f, 1.f)));
    EXPECT_FALSE(CubeZoneStaticShadows::isPointInsidePolygon(triangle.data(), 3, Float2(9.f, 9.f)));
    EXPECT_FALSE(CubeZoneStaticShadows::isPointInsidePolygon(triangle.data(), 3, Float2(-1.f, 1.f)));
    EXPECT_FALSE(CubeZoneStaticShadows::isPointInsidePolygon(triangle.data(), 0, Float2(1.f, 1.f)));
    // A concave outline: its notch is outside.
    std::vector<Float2> const notched = {Float2(0.f, 0.f), Float2(10.f, 0.f), Float2(10.f, 10.f), Float2(5.f, 2.f),
                                         Float2(0.f, 10.f)};
    EXPECT_TRUE(CubeZoneStaticShadows::isPointInsidePolygon(notched.data(), 5, Float2(5.f, 1.f)));
    EXPECT_FALSE(CubeZoneStaticShadows::isPointInsidePolygon(notched.data(), 5, Float2(5.f, 5.f)));

    // All four corners in shadow (of the second triangle): exactly two triangles on the face's plane.
    std::vector<Float2> const shadow = {Float2(50.f, 50.f), Float2(51.f, 50.f), Float2(50.f, 51.f),
                                        Float2(-100.f, -100.f), Float2(100.f, -100.f), Float2(0.f, 100.f)};
    std::vector<Float3> out;
    EXPECT_TRUE(CubeZoneStaticShadows::discretiseInSquaresShadowRecursive(out, 7.f, shadow, 5, 0.f, 10.f, 0.f, 10.f));
    ASSERT_EQ(6u, out.size());
    EXPECT_NEAR(100.0, coveredArea(out, 5), 1e-4);
    for (Float3 const& vertex : out)
        EXPECT_EQ(7.f, vertex.z());
    // No corner in shadow: nothing, even though the shadow reaches inside.
    out.clear();
    std::vector<Float2> const inner = {Float2(2.f, 2.f), Float2(8.f, 2.f), Float2(5.f, 8.f)};
    EXPECT_FALSE(CubeZoneStaticShadows::discretiseInSquaresShadowRecursive(out, 7.f, inner, 5, 0.f, 10.f, 0.f, 10.f));
    EXPECT_TRUE(out.empty());
}

TEST(CubeZoneStaticShadows, SmallRectangleCrossedByTheBorderHasItsLitCornersMovedOntoIt)
{
    // The shadow is everything left of x = 3.3 (within the face).
    std::vector<Float2> const leftOf33 = {Float2(-100.f, -100.f), Float2(3.3f, -100.f), Float2(3.3f, 100.f),
                                          Float2(-100.f, -100.f), Float2(3.3f, 100.f), Float2(-100.f, 100.f)};
    Float2 const border = CubeZoneStaticShadows::fastFindShadowBorder(leftOf33, Float2(5.f, 1.f), Float2(0.f, 1.f));
    EXPECT_NEAR(3.3f, border.x(), 0.05f);
    EXPECT_EQ(1.f, border.y());

    // Corners 1 and 3 (left edge) in shadow: a quadrilateral up to the border.
    std::vector<Float3> out;
    EXPECT_TRUE(CubeZoneStaticShadows::discretiseInSquaresShadowRecursive(out, 0.f, leftOf33, 1, 0.f, 5.f, 0.f, 5.f));
    ASSERT_EQ(6u, out.size());
    for (Float3 const& vertex : out)
        EXPECT_LE(vertex.y(), 3.3f + 0.051f);
    EXPECT_NEAR(3.3 * 5.0, coveredArea(out, 1), 0.3);

    // Only corner 1 in shadow (below h + v = 3): one triangle, its two other corners on the border.
    std::vector<Float2> const corner = {Float2(-100.f, -100.f), Float2(103.f, -100.f), Float2(-100.f, 103.f)};
    out.clear();
    EXPECT_TRUE(CubeZoneStaticShadows::discretiseInSquaresShadowRecursive(out, 0.f, corner, 1, 0.f, 5.f, 0.f, 5.f));
    ASSERT_EQ(3u, out.size());
    int onBorder = 0;
    for (Float3 const& vertex : out)
        if (std::fabs(vertex.y() + vertex.z() - 3.f) < 0.051f)
            ++onBorder;
    EXPECT_EQ(2, onBorder);
    EXPECT_NEAR(4.5, coveredArea(out, 1), 0.2);

    // Three corners in shadow (below h + v = 7): split down below 1 x 1; the
    // smallest squares the border cuts a lit corner off are emitted whole, so
    // the cover exceeds the true 20.5 a little, never by more than such squares.
    std::vector<Float2> const allButCorner4 = {Float2(-100.f, -100.f), Float2(107.f, -100.f), Float2(-100.f, 107.f)};
    out.clear();
    EXPECT_TRUE(CubeZoneStaticShadows::discretiseInSquaresShadowRecursive(out, 0.f, allButCorner4, 1, 0.f, 5.f, 0.f, 5.f));
    double const area = coveredArea(out, 1);
    EXPECT_GE(area, 20.5 - 0.1);
    EXPECT_LE(area, 20.5 + 2 * 0.625 * 0.625);
    for (Float3 const& vertex : out)
        EXPECT_LE((vertex.y() + vertex.z() - 7.f) / std::sqrt(2.f), 0.625f * std::sqrt(2.f));
}

TEST(CubeZoneStaticShadows, EmptyRectangleIsAFatalContractFailure)
{
    TestSupport::ChildResult const result = TestSupport::runInChild([] {
        std::vector<Float3> out;
        CubeZoneStaticShadows::discretiseInSquaresShadowRecursive(out, 0.f, {}, 3, 5.f, 5.f, 0.f, 10.f);
    });
    EXPECT_EQ(1, result.exitStatus);
    // The path relative to the source root.
    size_t const file = result.errors.find("__FILE__ ");
    ASSERT_NE(std::string::npos, file) << result.errors;
    std::string const path = result.errors.substr(file + 9, result.errors.find('\n', file) - file - 9);
    EXPECT_EQ(path, "src/CubeZoneStaticShadows.cpp");
    EXPECT_NE(std::string::npos, result.errors.find("Condition: minHoriz < maxHoriz && minVert < maxVert\n"))
        << result.errors;
}

TEST(CubeZoneStaticShadows, PartialShadowEndsWithinATenthOfTheTrueEdge)
{
    // A 60 x 60 top and, 190 units above, a slab whose edge along z casts the
    // border of the shadow across the top; left of it all is in shadow. The
    // slab's width moves the border to places all over the top's squares.
    int checked = 0;
    for (float width : {103.7f, 101.13f, 98.41f, 105.9f, 96.77f, 108.3f, 92.02f, 111.6f})
    {
        std::vector<CubeZone> const scene = {box(Float3(130.f, 0.f, 130.f), Float3(60.f, 10.f, 60.f)),
                                             box(Float3(0.f, 200.f, 0.f), Float3(width, 10.f, 319.f))};
        Float3 const receiver = scene[0].getPosition();
        Float3 const slabLow = scene[1].getPosition() - scene[1].getSize() * 0.5f;
        Float3 const slabHigh = scene[1].getPosition() + scene[1].getSize() * 0.5f;
        // The farther of the slab's two edges at its largest x, seen from the light on the plane y = 10.
        double edge = -1e9;
        for (double y : {double(slabLow.y()), double(slabHigh.y())})
        {
            double const t = (10.0 - LIGHT.y()) / (y - LIGHT.y());
            edge = std::max(edge, LIGHT.x() + t * (double(slabHigh.x()) - LIGHT.x()) - receiver.x());
        }
        ASSERT_GT(edge, -25.0);
        ASSERT_LT(edge, 25.0);

        std::vector<Float3> const& top = computeShadows(scene, 0).triangles[3];
        double const tolerance = 0.1 + 0.001;
        double farthest = -1e9;
        for (Float3 const& vertex : top)
            farthest = std::max(farthest, double(vertex.x()));
        EXPECT_NEAR(edge, farthest, tolerance) << width;
        for (double x = -29.9; x < 30.0; x += 0.0371)
            for (double z : {-29.5, -12.25, 0.5, 17.75, 29.5})
            {
                if (std::fabs(x - edge) <= tolerance)
                    continue;
                ASSERT_EQ(x < edge, isCovered(top, 3, {x, z})) << x << ", " << z << " edge " << edge;
                ++checked;
            }
    }
    EXPECT_GT(checked, 8 * 7000);
}

TEST(CubeZoneStaticShadows, RandomScenesAreCoveredWhereTheDescribedShadowFalls)
{
    // Where only one shadow outline passes within a square's diagonal of a
    // point, the border is one straight line across the point's square. There
    // the cover follows it to the border search's 0.1 (plus the corner inset)
    // on the shadow side; on the lit side, squares below 1 x 1 with three
    // corners in shadow are covered whole, so the cover may reach one such
    // square's diagonal past the border.
    double const squareDiagonal = 10.0 * std::sqrt(2.0) + 0.01;
    double const shadowSide = 0.1 + 0.001 + 0.005;
    double const litSide = std::sqrt(2.0) + 0.005;
    int checkedInside = 0;
    int checkedOutside = 0;
    // Points within two units of a border, where the cover's precision shows.
    int checkedNearBorder = 0;
    for (unsigned seed = 1; seed <= 40; ++seed)
    {
        std::vector<CubeZone> const scene = randomScene(seed);
        for (size_t receiver = 0; receiver < scene.size(); ++receiver)
        {
            Shadows const shadows = computeShadows(scene, receiver);
            Float3 const half = scene[receiver].getSize() * 0.5f;
            for (int face = 0; face < FACES; ++face)
            {
                if (shadows.inShadow[face])
                    continue;
                std::vector<std::vector<Point>> const outlines = referenceShadows(scene, receiver, face);
                std::vector<Segment> edges;
                for (std::vector<Point> const& outline : outlines)
                    for (size_t i = 0; i < outline.size(); ++i)
                        edges.push_back({outline[i], outline[(i + 1) % outline.size()]});
                double const halfH = half[horizontalAxisOf(face)];
                double const halfV = half[verticalAxisOf(face)];
                for (double h = -halfH + 0.237; h < halfH; h += 0.61)
                    for (double v = -halfV + 0.413; v < halfV; v += 0.61)
                    {
                        Point const p = {h, v};
                        int nearEdges = 0;
                        double distance = 1e9;
                        for (Segment const& edge : edges)
                        {
                            double const d = distanceToSegment(p, edge);
                            distance = std::min(distance, d);
                            nearEdges += d < squareDiagonal ? 1 : 0;
                        }
                        if (nearEdges > 1)
                            continue;
                        bool inside = false;
                        for (std::vector<Point> const& outline : outlines)
                            inside = inside || isInsideConvex(outline, p);
                        if (distance <= (inside ? shadowSide : litSide))
                            continue;
                        ASSERT_EQ(inside, isCovered(shadows.triangles[face], face, p))
                            << "scene " << seed << " zone " << receiver << " face " << face << " at " << h << ", " << v;
                        ++(inside ? checkedInside : checkedOutside);
                        checkedNearBorder += distance < 2.0 ? 1 : 0;
                    }
            }
        }
    }
    // The scenes cast enough shadow for the comparison to mean something.
    EXPECT_GT(checkedInside, 50000);
    EXPECT_GT(checkedOutside, 500000);
    EXPECT_GT(checkedNearBorder, 5000);
}

TEST(CubeZoneStaticShadows, EveryTriangleOfAFaceFacesAwayFromTheZone)
{
    size_t triangles = 0;
    for (unsigned seed = 1; seed <= 40; ++seed)
    {
        std::vector<CubeZone> const scene = randomScene(seed);
        for (size_t receiver = 0; receiver < scene.size(); ++receiver)
        {
            Shadows const shadows = computeShadows(scene, receiver);
            for (int face = 0; face < FACES; ++face)
            {
                std::vector<Float3> const& list = shadows.triangles[face];
                ASSERT_EQ(0u, list.size() % 3);
                for (size_t first = 0; first < list.size(); first += 3, ++triangles)
                    ASSERT_GT(facingOf(&list[first], face), 0.0)
                        << "scene " << seed << " zone " << receiver << " face " << face;
            }
        }
    }
    EXPECT_GT(triangles, 2000u);
}

TEST(CubeZoneStaticShadows, OccluderLevelWithTheLightCastsOnlyItsUsableTriangles)
{
    // A tower from y = 100 up to the light's own height: its corners up there
    // cannot be projected onto the top, and the triangles using them are dropped;
    // its bottom alone still hides the whole top.
    float const height = LIGHT.y() - 100.f;
    std::vector<CubeZone> const scene = {box(Float3(160.f, 0.f, 160.f), Float3(10.f, 10.f, 10.f)),
                                         box(Float3(100.f, 100.f, 100.f), Float3(120.f, height, 120.f))};
    ASSERT_EQ(LIGHT.y(), scene[1].getPosition().y() + scene[1].getSize().y() * 0.5f);
    Shadows const shadows = computeShadows(scene, 0);
    EXPECT_EQ(6u, shadows.triangles[3].size());
    EXPECT_NEAR(100.0, coveredArea(shadows.triangles[3], 3), 1e-3);
    for (int face = 0; face < FACES; ++face)
        for (Float3 const& vertex : shadows.triangles[face])
            EXPECT_TRUE(std::isfinite(vertex.x()) && std::isfinite(vertex.y()) && std::isfinite(vertex.z()));
}

TEST(CubeZoneStaticShadows, TriangleGridGivesExactlyThePlainTriangles)
{
    size_t compared = 0;
    for (unsigned seed = 1; seed <= 60; ++seed)
    {
        std::mt19937 random(seed);
        std::uniform_real_distribution<float> place(0.f, 300.f);
        std::uniform_real_distribution<float> extent(0.5f, 80.f);
        std::vector<CubeZone> scene = seed % 2 == 0 ? randomScene(seed) : std::vector<CubeZone>();
        // Zones anywhere in the region with sizes off the cube grid.
        int const extra = std::uniform_int_distribution<int>(2, 20)(random);
        for (int i = 0; i < extra; ++i)
            scene.push_back(box(Float3(place(random), place(random) * 0.5f, place(random)),
                                Float3(extent(random), extent(random), extent(random))));
        // Now and then a tower level with the light, or one passing beside it.
        if (seed % 5 == 0)
            scene.push_back(box(Float3(place(random), 50.f, place(random)), Float3(30.f, LIGHT.y() - 50.f, 30.f)));
        if (seed % 7 == 0)
            scene.push_back(box(Float3(LIGHT.x() - 5.f, 50.f, place(random)), Float3(10.f, LIGHT.y(), 40.f)));
        for (size_t receiver = 0; receiver < scene.size(); ++receiver)
        {
            Shadows const plain = computeShadows(scene, receiver, ShadowSearch::EVERY_TRIANGLE);
            Shadows const grid = computeShadows(scene, receiver, ShadowSearch::TRIANGLE_GRID);
            for (int face = 0; face < FACES; ++face)
            {
                EXPECT_EQ(plain.inShadow[face], grid.inShadow[face]);
                ASSERT_EQ(plain.triangles[face], grid.triangles[face])
                    << "scene " << seed << " zone " << receiver << " face " << face;
                compared += plain.triangles[face].size() / 3;
            }
        }
    }
    EXPECT_GT(compared, 20000u);
}
