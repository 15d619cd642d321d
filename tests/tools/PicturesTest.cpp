#include "GeneratedData.h"

#include <gtest/gtest.h>

namespace
{
bool isPowerOfTwo(int n)
{
    return n >= 2 && (n & (n - 1)) == 0;
}

struct Rectangle
{
    int left, top, right, bottom; // pixels left <= x < right, top <= y < bottom
};

// Share of the rectangle's pixels that are fully opaque.
float opaqueShare(Canvas const& picture, Rectangle const& r)
{
    int opaque = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            opaque += picture.getPixel(x, y).w() == 255 ? 1 : 0;
    return opaque / float((r.right - r.left) * (r.bottom - r.top));
}

void expectTransparentOutsideTheWindow(Canvas const& picture, char const* name)
{
    int stray = 0;
    for (int y = 0; y < picture.getHeight(); ++y)
        for (int x = 0; x < picture.getWidth(); ++x)
            if ((x >= 800 || y >= 600) && picture.getPixel(x, y).w() != 0)
                ++stray;
    EXPECT_EQ(stray, 0) << name << " has pixels outside the 800 x 600 window";
}
}

TEST(Pictures, EveryPictureHasPowerOfTwoSidesAndTheExpectedAlpha)
{
    struct Expected
    {
        std::string file;
        bool alpha;
    };
    std::vector<Expected> expected = {
        {"default_font.png", true},     {"loading.png", true},          {"menus/main_menu.png", true},
        {"menus/options_menu.png", true}, {"menus/menu_mouse.png", true}, {"menus/editor_box.png", true},
        {"whiteTexture.png", true},     {"black_semi_transparent.png", true}, {"water.png", true},
        {"world_heightmap.png", false}, {"obj_player/player.png", false}, {"obj_objects/gem.png", false},
        {"obj_objects/coin.png", false}, {"title.png", false}};
    for (char const* face : {"top", "bottom", "left", "right", "front", "back"})
        expected.push_back({std::string("skybox/") + face + ".png", false});
    for (char const* texture : GeneratedData::CUBE_TEXTURES)
    {
        bool const seeThrough = std::string(texture) == "leaves.png" || std::string(texture) == "glass.png";
        expected.push_back({std::string("cube_textures/") + texture, seeThrough});
        expected.push_back({std::string("cube_shadowed_textures/") + texture, seeThrough});
    }
    for (Expected const& e : expected)
    {
        bool alpha = false;
        Canvas const picture = GeneratedData::picture(e.file, &alpha);
        EXPECT_TRUE(isPowerOfTwo(picture.getWidth()) && isPowerOfTwo(picture.getHeight()))
            << e.file << " is " << picture.getWidth() << " x " << picture.getHeight();
        EXPECT_EQ(alpha, e.alpha) << e.file;
    }
}

TEST(Pictures, PlainPicturesAreUniform)
{
    Canvas const white = GeneratedData::picture("whiteTexture.png");
    Canvas const shadow = GeneratedData::picture("black_semi_transparent.png");
    for (int y = 0; y < white.getHeight(); ++y)
        for (int x = 0; x < white.getWidth(); ++x)
            ASSERT_EQ(white.getPixel(x, y), Color4(255, 255, 255, 255));
    for (int y = 0; y < shadow.getHeight(); ++y)
        for (int x = 0; x < shadow.getWidth(); ++x)
            ASSERT_EQ(shadow.getPixel(x, y), Color4(0, 0, 0, 128));
}

TEST(Pictures, MenusHaveAnOpaqueButtonUnderEveryPlaceTheyReactTo)
{
    // The press rectangles of the main loop, as pixel ranges: "a < x <= b"
    // covers the pixels a + 1 to b, "a < x < b" the pixels a + 1 to b - 1.
    std::vector<Rectangle> const mainMenu = {
        {201, 16, 270, 55},   // close
        {51, 151, 150, 215},  // editor
        {51, 251, 150, 315},  // options
        {51, 351, 150, 415}}; // quit
    std::vector<Rectangle> options = {{201, 11, 270, 50}}; // back
    for (int column = 0; column < 4; ++column)
    {
        int const left = column == 0 ? 51 : 50 + 100 * column;
        options.push_back({left, 151, 150 + 100 * column, 200}); // display modes, first row
        options.push_back({left, 201, 150 + 100 * column, 250}); // second row
        if (column < 2)
        {
            options.push_back({left, 351, 150 + 100 * column, 400}); // view distance
            options.push_back({left, 451, 150 + 100 * column, 500}); // shadows
        }
    }
    Canvas const main = GeneratedData::picture("menus/main_menu.png");
    Canvas const optionsPicture = GeneratedData::picture("menus/options_menu.png");
    for (Rectangle const& r : mainMenu)
        EXPECT_GT(opaqueShare(main, r), 0.8f) << "main menu at " << r.left << ", " << r.top;
    for (Rectangle const& r : options)
        EXPECT_GT(opaqueShare(optionsPicture, r), 0.75f) << "options menu at " << r.left << ", " << r.top;
    expectTransparentOutsideTheWindow(main, "main_menu.png");
    expectTransparentOutsideTheWindow(optionsPicture, "options_menu.png");
}

TEST(Pictures, MainMenuLeavesTheCreditsAndStatisticsClear)
{
    // The credits line is written at (155, 100), the five statistics lines
    // under it, one 32-pixel font line each.
    Canvas const main = GeneratedData::picture("menus/main_menu.png");
    int painted = 0;
    for (int y = 100; y < 100 + 6 * 32; ++y)
        for (int x = 154; x < 700; ++x)
            painted += main.getPixel(x, y).w() != 0 ? 1 : 0;
    EXPECT_EQ(painted, 0);
}

TEST(Pictures, CursorTipIsTheTopLeftPixel)
{
    Canvas const cursor = GeneratedData::picture("menus/menu_mouse.png");
    EXPECT_EQ(cursor.getPixel(0, 0).w(), 255);
    // The arrow points up and left from there: ink below and to the right only.
    EXPECT_GT(cursor.getPixel(4, 12).w(), 200);
    EXPECT_EQ(cursor.getPixel(cursor.getWidth() - 1, 0).w(), 0);
    EXPECT_EQ(cursor.getPixel(0, cursor.getHeight() - 1).w(), 0);
}

TEST(Pictures, EditorHelpFitsTheWindowBelowItsTitleBar)
{
    // The help window puts its picture at (150, 130) in the 800 x 600 window.
    Canvas const help = GeneratedData::picture("menus/editor_box.png");
    EXPECT_LE(help.getWidth(), 800 - 150);
    for (int y = 600 - 130; y < help.getHeight(); ++y)
        for (int x = 0; x < help.getWidth(); ++x)
            ASSERT_EQ(help.getPixel(x, y).w(), 0) << "ink at " << x << ", " << y << " falls off the window";
    EXPECT_EQ(help.getPixel(help.getWidth() / 2, 200).w(), 235);
}

TEST(Pictures, HeightMapIsGreyWithHillsAndValleys)
{
    Canvas const map = GeneratedData::picture("world_heightmap.png");
    int lowest = 255, highest = 0;
    for (int y = 0; y < map.getHeight(); ++y)
        for (int x = 0; x < map.getWidth(); ++x)
        {
            Color4 const p = map.getPixel(x, y);
            ASSERT_TRUE(p.x() == p.y() && p.y() == p.z()) << "colour at " << x << ", " << y;
            lowest = std::min(lowest, int(p.x()));
            highest = std::max(highest, int(p.x()));
        }
    // Heights are red / 5 + 1 cubes: from a few cubes up to some forty.
    EXPECT_LT(lowest, 40);
    EXPECT_GT(highest, 180);
}
