#include "GeneratedData.h"

#include <cmath>
#include <gtest/gtest.h>

namespace
{
// Where the sky box shows each picture: the positions, on the cube of side 2
// around the eye, of the picture's texture corners (0, 0), (1, 0) and (0, 1).
// The box is drawn inverted with the box faces' texture corners, face slots
// 0..5 taking the bottom, top, left, right, front and back pictures.
struct Placement
{
    char const* face;
    Float3 origin;  // texture (0, 0)
    Float3 acrossS; // texture (1, 0)
    Float3 acrossT; // texture (0, 1)
};

Placement const PLACEMENTS[] = {
    {"bottom", Float3(1, -1, 1), Float3(-1, -1, 1), Float3(1, -1, -1)},
    {"top", Float3(1, 1, 1), Float3(-1, 1, 1), Float3(1, 1, -1)},
    {"left", Float3(-1, 1, -1), Float3(1, 1, -1), Float3(-1, -1, -1)},
    {"right", Float3(1, 1, 1), Float3(-1, 1, 1), Float3(1, -1, 1)},
    {"front", Float3(1, 1, -1), Float3(1, 1, 1), Float3(1, -1, -1)},
    {"back", Float3(-1, 1, 1), Float3(-1, 1, -1), Float3(-1, -1, 1)},
};

float dot(Float3 const& a, Float3 const& b)
{
    return a.x() * b.x() + a.y() * b.y() + a.z() * b.z();
}

std::vector<Float3> corners(Placement const& p)
{
    return {p.origin, p.acrossS, p.acrossT, p.acrossS + p.acrossT - p.origin};
}

// The picture's pixel that shows the point x of the cube.
Color4 pixelAt(Canvas const& picture, Placement const& p, Float3 const& x)
{
    float const s = dot(x - p.origin, p.acrossS - p.origin) / 4.0f;
    float const t = dot(x - p.origin, p.acrossT - p.origin) / 4.0f;
    int const column = std::min(picture.getWidth() - 1, std::max(0, int(s * picture.getWidth())));
    int const row = std::min(picture.getHeight() - 1, std::max(0, int(t * picture.getHeight())));
    return picture.getPixel(column, row);
}
}

TEST(SkyBox, FacesMeetWithoutSeams)
{
    int edges = 0;
    for (size_t a = 0; a < 6; ++a)
        for (size_t b = a + 1; b < 6; ++b)
        {
            std::vector<Float3> shared;
            for (Float3 const& ca : corners(PLACEMENTS[a]))
                for (Float3 const& cb : corners(PLACEMENTS[b]))
                    if (ca == cb)
                        shared.push_back(ca);
            if (shared.size() != 2)
                continue; // opposite faces
            ++edges;
            Canvas const first = GeneratedData::picture(std::string("skybox/") + PLACEMENTS[a].face + ".png");
            Canvas const second = GeneratedData::picture(std::string("skybox/") + PLACEMENTS[b].face + ".png");
            int const samples = first.getWidth();
            float total = 0.0f, worst = 0.0f;
            for (int k = 0; k < samples; ++k)
            {
                Float3 const x = shared[0] + (shared[1] - shared[0]) * ((k + 0.5f) / samples);
                Color4 const p = pixelAt(first, PLACEMENTS[a], x), q = pixelAt(second, PLACEMENTS[b], x);
                float difference = 0.0f;
                for (int c = 0; c < 3; ++c)
                    difference += std::fabs(float(p[c]) - float(q[c]));
                total += difference;
                worst = std::max(worst, difference);
            }
            EXPECT_LT(total / samples, 6.0f) << PLACEMENTS[a].face << " / " << PLACEMENTS[b].face;
            EXPECT_LT(worst, 40.0f) << PLACEMENTS[a].face << " / " << PLACEMENTS[b].face;
        }
    EXPECT_EQ(edges, 12);
}

TEST(SkyBox, SkyIsBlueAboveAndDarkerBelowTheHorizon)
{
    Canvas const top = GeneratedData::picture("skybox/top.png");
    Canvas const bottom = GeneratedData::picture("skybox/bottom.png");
    Color4 const zenith = top.getPixel(top.getWidth() / 2, top.getHeight() / 2);
    Color4 const nadir = bottom.getPixel(bottom.getWidth() / 2, bottom.getHeight() / 2);
    EXPECT_GT(zenith.z(), zenith.x());
    EXPECT_LT(GeneratedData::luminance(nadir), GeneratedData::luminance(zenith));
}
