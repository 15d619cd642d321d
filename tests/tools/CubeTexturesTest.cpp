#include "GeneratedData.h"

#include <cmath>
#include <gtest/gtest.h>

namespace
{
float pixelDifference(Color4 const& a, Color4 const& b)
{
    float sum = 0.0f;
    for (int c = 0; c < 4; ++c)
        sum += std::fabs(float(a[c]) - float(b[c]));
    return sum;
}

// Mean difference between column a and column b (or rows, when across rows).
float lineDifference(Canvas const& p, int a, int b, bool columns)
{
    int const length = columns ? p.getHeight() : p.getWidth();
    float sum = 0.0f;
    for (int i = 0; i < length; ++i)
        sum += columns ? pixelDifference(p.getPixel(a, i), p.getPixel(b, i))
                       : pixelDifference(p.getPixel(i, a), p.getPixel(i, b));
    return sum / length;
}

// Repeated side by side, the picture's last and first lines meet: that join
// must be no harsher than the harshest one inside the picture.
void expectTiles(Canvas const& p, std::string const& name, bool columns)
{
    int const size = columns ? p.getWidth() : p.getHeight();
    float harshestInside = 0.0f;
    for (int i = 0; i + 1 < size; ++i)
        harshestInside = std::max(harshestInside, lineDifference(p, i, i + 1, columns));
    EXPECT_LE(lineDifference(p, size - 1, 0, columns), harshestInside * 1.1f)
        << name << (columns ? " across its left and right edges" : " across its top and bottom edges");
}
}

TEST(CubeTextures, ShadowedVariantsAreDarkerAndKeepTheSameShape)
{
    for (char const* texture : GeneratedData::CUBE_TEXTURES)
    {
        Canvas const lit = GeneratedData::picture(std::string("cube_textures/") + texture);
        Canvas const shadowed = GeneratedData::picture(std::string("cube_shadowed_textures/") + texture);
        ASSERT_EQ(lit.getWidth(), shadowed.getWidth()) << texture;
        ASSERT_EQ(lit.getHeight(), shadowed.getHeight()) << texture;
        float litSum = 0.0f, shadowedSum = 0.0f;
        int alphaChanges = 0;
        for (int y = 0; y < lit.getHeight(); ++y)
            for (int x = 0; x < lit.getWidth(); ++x)
            {
                Color4 const a = lit.getPixel(x, y), b = shadowed.getPixel(x, y);
                litSum += GeneratedData::luminance(a);
                shadowedSum += GeneratedData::luminance(b);
                alphaChanges += a.w() != b.w() ? 1 : 0;
                EXPECT_LE(GeneratedData::luminance(b), GeneratedData::luminance(a));
            }
        EXPECT_LT(shadowedSum, litSum * 0.7f) << texture;
        EXPECT_GT(shadowedSum, litSum * 0.3f) << texture << " is too dark to make out";
        EXPECT_EQ(alphaChanges, 0) << texture;
    }
}

TEST(CubeTextures, RepeatedFacesJoinWithoutVisibleEdges)
{
    for (char const* texture : GeneratedData::CUBE_TEXTURES)
    {
        Canvas const picture = GeneratedData::picture(std::string("cube_textures/") + texture);
        expectTiles(picture, texture, true);
        // Grass sides are grass above and earth below: they repeat only sideways.
        if (std::string(texture) != "grass_side.png")
            expectTiles(picture, texture, false);
    }
    Canvas const water = GeneratedData::picture("water.png");
    expectTiles(water, "water.png", true);
    expectTiles(water, "water.png", false);
}

TEST(CubeTextures, GlassAndLeavesCanBeSeenThrough)
{
    for (char const* texture : {"glass.png", "leaves.png"})
    {
        Canvas const picture = GeneratedData::picture(std::string("cube_textures/") + texture);
        int clear = 0, solid = 0;
        for (int y = 0; y < picture.getHeight(); ++y)
            for (int x = 0; x < picture.getWidth(); ++x)
            {
                clear += picture.getPixel(x, y).w() == 0 ? 1 : 0;
                solid += picture.getPixel(x, y).w() == 255 ? 1 : 0;
            }
        int const total = picture.getWidth() * picture.getHeight();
        EXPECT_GT(clear, total / 5) << texture;
        EXPECT_GT(solid, total / 10) << texture;
    }
}
