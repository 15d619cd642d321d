#include "DeviceManager.h"
#include "Font.h"
#include "Image.h"
#include "PictureWriter.h"
#include "Scene2D.h"
#include "TestSupport.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace
{
constexpr int STRIP_WIDTH = 512;
constexpr int STRIP_HEIGHT = 16;
constexpr int SPACE_WIDTH = 5;

// A glyph strip: "!" inked over columns 3 to 7, then glyphCount - 1 glyphs two
// columns wide, each after a gap of two empty columns.
std::vector<unsigned char> makeStrip(int glyphCount)
{
    std::vector<unsigned char> rgba(STRIP_WIDTH * STRIP_HEIGHT * 4, 0);
    auto ink = [&rgba](int column) {
        for (int y = 0; y < STRIP_HEIGHT; ++y)
            for (int c = 0; c < 4; ++c)
                rgba[(y * STRIP_WIDTH + column) * 4 + c] = 255;
    };
    for (int column = 3; column <= 7; ++column)
        ink(column);
    for (int k = 1; k < glyphCount; ++k)
    {
        ink(10 + (k - 1) * 4);
        ink(11 + (k - 1) * 4);
    }
    return rgba;
}

std::string writeStrip(int glyphCount)
{
    std::string const path = TestSupport::makeTemporaryFolder() + "/font.png";
    TestSupport::writeFile(path, PictureWriter::encodePng(STRIP_WIDTH, STRIP_HEIGHT, true, makeStrip(glyphCount)));
    return path;
}

void openWindow()
{
    DeviceManager::newInstance("quillet_tests", "font test", 800, 600, false);
    deviceManager->loopEvent();
    deviceManager->getScene2D()->set2DMode();
    deviceManager->clearBackground(colorBlack);
    deviceManager->setColor(colorWhite);
}

// Brightness (the red channel) of the pixel at 2-D scene position (x, y).
int brightnessAt(int x, int y)
{
    return TestSupport::readScenePixelRgb(x, y).x();
}

// Texels are filtered: a pixel at a texel's centre shows it within a few levels.
void expectColourNear(int x, int y, Color4 const& expected)
{
    Color4 const seen = TestSupport::readScenePixelRgb(x, y);
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(int(seen[c]), int(expected[c]), 8) << "at " << x << ", " << y << " channel " << c;
}

// Inked pixels in the rectangle [x0, x1) x [y0, y1) of the 2-D scene.
int inkIn(int x0, int y0, int x1, int y1)
{
    glFinish();
    int const w = x1 - x0;
    int const h = y1 - y0;
    std::vector<unsigned char> rgba(size_t(w) * h * 4);
    glReadBuffer(GL_BACK);
    glReadPixels(x0, 600 - y1, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    int count = 0;
    for (size_t i = 0; i < rgba.size(); i += 4)
        count += rgba[i] > 128 ? 1 : 0;
    return count;
}
}

TEST(Font, GlyphCellsSpanOneColumnBeforeToThreeAfterTheInk)
{
    std::vector<unsigned char> const strip = makeStrip(94);
    int glyphX[Font::CHARACTER_COUNT];
    int glyphWidth[Font::CHARACTER_COUNT];
    std::fill(glyphX, glyphX + Font::CHARACTER_COUNT, -1);
    std::fill(glyphWidth, glyphWidth + Font::CHARACTER_COUNT, -1);
    Int2 const size(STRIP_WIDTH, STRIP_HEIGHT);
    int column = Font::findInkedColumn(strip.data(), size, 0);
    EXPECT_EQ(column, 4);
    Font::measureGlyphs(strip.data(), size, 33, 126, column, glyphX, glyphWidth, false);
    EXPECT_EQ(glyphX['!'], 2);
    EXPECT_EQ(glyphWidth['!'], 9);
    EXPECT_EQ(glyphX['"'], 9); // inked at 10 and 11
    EXPECT_EQ(glyphWidth['"'], 6);
    EXPECT_EQ(glyphX['~'], 10 + 92 * 4 - 1);
    EXPECT_EQ(column, STRIP_WIDTH); // nothing after the last glyph
    EXPECT_EQ(glyphX[' '], -1);

    // A strip with only three glyphs: the characters after them have none.
    std::vector<unsigned char> const shortStrip = makeStrip(3);
    std::fill(glyphX, glyphX + Font::CHARACTER_COUNT, -1);
    column = Font::findInkedColumn(shortStrip.data(), size, 0);
    Font::measureGlyphs(shortStrip.data(), size, 33, 126, column, glyphX, glyphWidth, false);
    EXPECT_EQ(glyphX['#'], 13);
    EXPECT_EQ(glyphX['$'], -1);
    EXPECT_EQ(glyphX['~'], -1);
}

TEST(Font, WidthsAndSupportedCharacters)
{
    REQUIRE_DISPLAY();
    std::string const path = writeStrip(94);
    openWindow();
    Font font(deviceManager, path.c_str(), SPACE_WIDTH, false);
    EXPECT_EQ(font.getGlyphX('!'), 2);
    EXPECT_EQ(font.getGlyphWidth('!'), 9);
    EXPECT_TRUE(font.isSupported(' '));
    EXPECT_TRUE(font.isSupported('\n'));
    EXPECT_TRUE(font.isSupported('a'));
    EXPECT_FALSE(font.isSupported('\t'));
    EXPECT_FALSE(font.isSupported(char(200)));
    // Every glyph but "!" is 6 wide.
    EXPECT_EQ(font.getWidth("ab\ncde", -1, 1.f), 18);
    EXPECT_EQ(font.getWidth("abcd\ne", -1, 1.f), 24);
    EXPECT_EQ(font.getWidth("a\tb", -1, 1.f), 12); // no glyph adds nothing
    EXPECT_EQ(font.getWidth("a b", -1, 1.f), 17);
    EXPECT_EQ(font.getWidth("abcdef", 2, 1.f), 12);
    EXPECT_EQ(font.getWidth("!!", -1, 1.5f), 26); // each character truncated alone: 13 + 13
}

TEST(Font, TextIsDrawnWhereThePenSays)
{
    REQUIRE_DISPLAY();
    std::string const path = writeStrip(94);
    openWindow();
    Font font(deviceManager, path.c_str(), SPACE_WIDTH, false);

    Int2 const none = font.drawText(Int2(300, 300), "!!!", Float2(1.f, 1.f), 0, false);
    EXPECT_EQ(none, Int2(300, 300));
    EXPECT_EQ(inkIn(290, 290, 340, 330), 0);

    Int2 const pen = font.drawText(Int2(100, 100), "! !\n\"", Float2(1.f, 1.f), -1, false);
    EXPECT_EQ(pen, Int2(106, 116));
    // "!" is inked over cell columns 1 to 5 of its cell at x 100.
    EXPECT_GT(brightnessAt(103, 108), 200);
    EXPECT_LT(brightnessAt(100, 108), 60);
    EXPECT_LT(brightnessAt(103, 98), 60);
    EXPECT_LT(brightnessAt(103, 118), 200);
    // Then a space of 5 and the second "!" in its cell at 114.
    EXPECT_LT(brightnessAt(110, 108), 60);
    EXPECT_GT(brightnessAt(117, 108), 200);
    // The line feed puts '"' at (100, 116): ink in its cell columns 1 and 2.
    EXPECT_GT(brightnessAt(101, 124), 128);
    EXPECT_LT(brightnessAt(104, 124), 60);
    EXPECT_EQ(inkIn(130, 90, 200, 140), 0);

    // Twice as large: the cell is 18 by 32.
    deviceManager->clearBackground(colorBlack);
    Int2 const big = font.drawText(Int2(200, 200), "!", Float2(2.f, 2.f), -1, true);
    EXPECT_EQ(big, Int2(218, 200));
    EXPECT_GT(brightnessAt(206, 228), 200);
    EXPECT_LT(brightnessAt(206, 234), 60);
}

TEST(Font, WrappedAndCentredText)
{
    REQUIRE_DISPLAY();
    std::string const path = writeStrip(94);
    openWindow();
    Font font(deviceManager, path.c_str(), SPACE_WIDTH, false);

    // The first word is wider than maxWidth, so it starts one line lower.
    Int2 const end = font.drawTextWithLineReturn(Int2(100, 100), "!! a", 10, Float2(1.f, 1.f), false, -1);
    EXPECT_EQ(inkIn(95, 95, 140, 116), 0);
    EXPECT_GT(brightnessAt(103, 124), 200);
    // "!! " is 23 wide; "a" after it would reach 23 + 6 >= 10, so it starts the line after.
    EXPECT_EQ(end, Int2(106, 132));

    Int2 const flowing = font.drawTextWithLineReturn(Int2(0, 0), "ab cd\nef", 1000, Float2(1.f, 1.f), false, -1);
    EXPECT_EQ(flowing, Int2(12, 16));

    deviceManager->clearBackground(colorBlack);
    font.drawTextAtCenterOfScreen("!", Float2(1.f, 1.f), false, -1);
    // Cell 9 wide centred in 800: at x 395, y (600 - 16) / 2 = 292; ink from 396 to 400.
    EXPECT_GT(brightnessAt(398, 300), 200);
    EXPECT_EQ(inkIn(380, 270, 420, 290), 0);
}

TEST(Scene2D, PrimitivesDrawInWindowCoordinates)
{
    REQUIRE_DISPLAY();
    openWindow();
    Scene2D const* const scene = deviceManager->getScene2D();
    EXPECT_EQ(scene->getVirtualSize(), Int2(800, 600));

    scene->drawRectangle(Int2(10, 20), Int2(30, 40), true);
    EXPECT_GT(brightnessAt(15, 25), 200);
    EXPECT_LT(brightnessAt(15, 45), 60);

    deviceManager->setColor(colorWhite);
    scene->drawString(50, 100, Scene2D::TEXT_HELVETICA_18, "WWW");
    EXPECT_GT(inkIn(50, 80, 100, 101), 20);

    AdvancedBox box;
    box.calculate(Int2(400, 300), Int2(40, 40), Int2(20, 20), 0.f, 0, 0);
    scene->drawBoundingBoxWithBlurredBorder(box, 1.f, colorWhite);
    EXPECT_GT(brightnessAt(400, 300), 200);
    // The border reaches as far again beyond each edge, fading out.
    int const nearEdge = brightnessAt(425, 300);
    int const farOut = brightnessAt(436, 300);
    EXPECT_GT(nearEdge, 100);
    EXPECT_LT(farOut, nearEdge);
    EXPECT_LT(brightnessAt(445, 300), 30);

    scene->drawGradingSquare(600, 400, 700, 500, colorBlack, colorBlack, colorWhite, colorWhite);
    EXPECT_LT(brightnessAt(650, 402), 30);
    EXPECT_GT(brightnessAt(650, 498), 220);
}

TEST(Scene2D, PicturesAppearUprightAndFragmentsShowTheirPart)
{
    REQUIRE_DISPLAY();
    // Red, green on the first row; blue, white on the second.
    std::string const path = TestSupport::makeTemporaryFolder() + "/four.png";
    TestSupport::writeFile(path, PictureWriter::encodePng(2, 2, false, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}));
    openWindow();
    Scene2D const* const scene = deviceManager->getScene2D();
    Image const picture(deviceManager, path.c_str(), false);

    scene->drawTexture(picture.getTextureId(), 100, 100, 200, 200);
    expectColourNear(150, 150, Color4(255, 0, 0, 255)); // the first row at the top
    expectColourNear(250, 150, Color4(0, 255, 0, 255));
    expectColourNear(150, 250, Color4(0, 0, 255, 255));
    expectColourNear(250, 250, Color4(255, 255, 255, 255));

    // The right half of the picture, over a rectangle as tall and half as wide.
    scene->drawFragmentOfTexture(picture.getTextureId(), 400, 100, 0.5f, 0.f, 1.f, 1.f, 100, 200);
    expectColourNear(450, 150, Color4(0, 255, 0, 255));
    expectColourNear(450, 250, Color4(255, 255, 255, 255));

    // Lines leave texturing as their rows say: back on after one colour, off after two.
    deviceManager->setColor(colorWhite);
    scene->drawLine(Int2(100, 400), Int2(300, 400));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    scene->drawLineTwoColors(Int2(100, 450), Int2(300, 450), Color4(255, 0, 0, 255), Color4(0, 0, 255, 255));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_GT(TestSupport::readScenePixelRgb(200, 400)[1], 200);
    EXPECT_GT(TestSupport::readScenePixelRgb(105, 450)[0], TestSupport::readScenePixelRgb(105, 450)[2]);
    EXPECT_GT(TestSupport::readScenePixelRgb(295, 450)[2], TestSupport::readScenePixelRgb(295, 450)[0]);
}

TEST(Scene2D, AWindowWithoutAreaIsAContractFailure)
{
    REQUIRE_DISPLAY();
    TestSupport::ChildResult const result = TestSupport::runInChild([] {
        openWindow();
        deviceManager->getScene2D()->injectWindowSize(Int2(800, 0));
    });
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.errors.find("__FILE__ quillet_src/Scene2D.cpp\n"), std::string::npos);
    EXPECT_NE(result.errors.find("Condition: windowSize.x() != 0 && windowSize.y() != 0\n"), std::string::npos);
}

TEST(Scene2D, BlurredCornersMoveAwayFromTheCentre)
{
    EXPECT_EQ(Scene2D::getBlurredCorner(Int2(10, 20), Int2(0, 0), 0.5f), Int2(15, 30));
    EXPECT_EQ(Scene2D::getBlurredCorner(Int2(-3, 5), Int2(0, 0), 0.5f), Int2(-4, 7)); // truncated toward zero
    AdvancedBox box;
    box.corners[0] = Int2(1, 1);
    box.corners[1] = Int2(0, 1);
    box.corners[2] = Int2(0, 0);
    box.corners[3] = Int2(2, 0);
    EXPECT_EQ(Scene2D::getCentre(box), Int2(0, 0));
}
