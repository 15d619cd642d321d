#include "CubeZoneStaticShadows.h"
#include "ShadowTriangleGrid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace
{
bool isInAnyTriangle(std::vector<Float2> const& triangles, Float2 const& point)
{
    for (size_t first = 0; first + 3 <= triangles.size(); first += 3)
        if (CubeZoneStaticShadows::isPointInsidePolygon(&triangles[first], 3, point))
            return true;
    return false;
}

// The float just below or above a value.
float below(float value)
{
    return std::nextafter(value, -std::numeric_limits<float>::infinity());
}

float above(float value)
{
    return std::nextafter(value, std::numeric_limits<float>::infinity());
}
}

TEST(ShadowTriangleGrid, AnswersExactlyAsTestingEveryTriangle)
{
    Float2 const domainMin(-41.f, -26.f);
    Float2 const domainMax(41.f, 26.f);
    float const inf = std::numeric_limits<float>::infinity();
    size_t inside = 0;
    size_t asked = 0;
    for (unsigned seed = 1; seed <= 30; ++seed)
    {
        std::mt19937 random(seed);
        std::uniform_real_distribution<float> near(-60.f, 60.f);
        std::uniform_real_distribution<float> small(-3.f, 3.f);
        std::vector<Float2> triangles;
        int const count = std::uniform_int_distribution<int>(1, 200)(random);
        for (int t = 0; t < count; ++t)
        {
            Float2 const centre(near(random), near(random));
            for (int corner = 0; corner < 3; ++corner)
                triangles.push_back(t % 3 == 0 ? Float2(near(random), near(random))
                                               : centre + Float2(small(random), small(random)));
        }
        // Slivers, flat triangles, points far away, and some that are not finite.
        triangles.insert(triangles.end(), {Float2(-40.f, -20.f), Float2(40.f, 20.f), Float2(40.f, 20.0001f)});
        triangles.insert(triangles.end(), {Float2(-10.f, 5.f), Float2(10.f, 5.f), Float2(30.f, 5.f)});
        triangles.insert(triangles.end(), {Float2(-3.0e7f, -1.f), Float2(3.0e7f, 0.f), Float2(0.f, 4.0e7f)});
        triangles.insert(triangles.end(), {Float2(-1.0e30f, 0.f), Float2(1.0e30f, 1.f), Float2(2.f, 1.0e30f)});
        triangles.insert(triangles.end(), {Float2(inf, 0.f), Float2(0.f, 3.f), Float2(3.f, 3.f)});
        triangles.insert(triangles.end(), {Float2(std::nanf(""), 0.f), Float2(0.f, 3.f), Float2(3.f, 3.f)});
        ShadowTriangleGrid const grid(triangles, domainMin, domainMax);

        // Random points, and the points where the crossing count is most
        // delicate: on and beside every vertex and edge.
        std::vector<Float2> points;
        std::uniform_real_distribution<float> x(domainMin.x(), domainMax.x());
        std::uniform_real_distribution<float> y(domainMin.y(), domainMax.y());
        for (int p = 0; p < 3000; ++p)
            points.push_back(Float2(x(random), y(random)));
        for (size_t v = 0; v < triangles.size(); ++v)
        {
            Float2 const a = triangles[v];
            Float2 const b = triangles[v - v % 3 + (v + 1) % 3];
            Float2 const middle = (a + b) * 0.5f;
            for (Float2 const& p : {a, middle})
                for (float px : {below(p.x()), p.x(), above(p.x())})
                    for (float py : {below(p.y()), p.y(), above(p.y())})
                        if (px >= domainMin.x() && px <= domainMax.x() && py >= domainMin.y() && py <= domainMax.y())
                            points.push_back(Float2(px, py));
        }
        // Triangles said not to reach the domain hold none of its points.
        std::vector<Float2> unreaching;
        for (size_t first = 0; first + 3 <= triangles.size(); first += 3)
            if (!ShadowTriangleGrid::mayReachDomain(&triangles[first], 3, domainMin, domainMax))
                unreaching.insert(unreaching.end(), triangles.begin() + first, triangles.begin() + first + 3);
        EXPECT_FALSE(unreaching.empty());
        for (Float2 const& point : points)
        {
            bool const expected = isInAnyTriangle(triangles, point);
            ASSERT_EQ(expected, grid.contains(point)) << "seed " << seed << " at " << point;
            ASSERT_FALSE(isInAnyTriangle(unreaching, point)) << "seed " << seed << " at " << point;
            inside += expected ? 1 : 0;
            ++asked;
        }
        // Only the triangles whose bounds cannot be trusted are tested everywhere.
        EXPECT_EQ(4u, grid.getAlwaysTestedCount());
    }
    EXPECT_GT(inside, asked / 10);
}
