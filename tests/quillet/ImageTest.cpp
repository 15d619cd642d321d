#include "DeviceManager.h"
#include "Image.h"
#include "ImageLoader.h"
#include "PictureWriter.h"
#include "TestSupport.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>

namespace
{
void openWindow()
{
    DeviceManager::newInstance("quillet_tests", "ImageTest", 800, 600, false);
}
}

TEST(Image, TransparentColourHonoursToleranceOnEachChannel)
{
    unsigned char const rgb[] = {250, 5, 255, 240, 0, 255, 255, 0, 255, 255, 11, 255};
    unsigned char rgba[16] = {};
    Image::keyOutColor(rgb, false, 4, Color4(255, 0, 255, 255), 10, rgba);
    EXPECT_EQ(rgba[3], 0);    // (250, 5, 255) is within 10 of magenta
    EXPECT_EQ(rgba[7], 255);  // (240, 0, 255) is 15 away in red
    EXPECT_EQ(rgba[11], 0);
    EXPECT_EQ(rgba[15], 255); // green 11 is past the tolerance
    EXPECT_EQ(rgba[4], 240);
    EXPECT_EQ(rgba[6], 255);

    // In place on RGBA: earlier alpha values are overwritten either way.
    unsigned char inPlace[] = {1, 2, 3, 77, 100, 100, 100, 0};
    Image::keyOutColor(inPlace, true, 2, Color4(1, 2, 3, 255), 0, inPlace);
    EXPECT_EQ(inPlace[3], 0);
    EXPECT_EQ(inPlace[7], 255);
    EXPECT_EQ(inPlace[4], 100);
}

TEST(Image, ReadPixelGivesOpaqueAlphaForRgb)
{
    unsigned char const rgb[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    EXPECT_EQ(Image::readPixel(rgb, 2, false, Int2(1, 1)), Color4(10, 11, 12, 255));
    EXPECT_EQ(Image::readPixel(rgb, 1, true, Int2(0, 2)), Color4(9, 10, 11, 12));
}

TEST(Image, OnlyAlphaBelowFullMakesAPictureTranslucent)
{
    unsigned char const rgb[] = {0, 0, 0, 1, 2, 3};
    EXPECT_FALSE(Image::hasTranslucentPixel(rgb, false, 2));
    unsigned char rgba[] = {0, 0, 0, 255, 9, 9, 9, 255, 1, 2, 3, 255};
    EXPECT_FALSE(Image::hasTranslucentPixel(rgba, true, 3));
    rgba[11] = 254;
    EXPECT_TRUE(Image::hasTranslucentPixel(rgba, true, 3));
    // Pixels past the count are not looked at.
    EXPECT_FALSE(Image::hasTranslucentPixel(rgba, true, 2));
}

TEST(Image, LoadsTexturesAndKeysOutAColour)
{
    REQUIRE_DISPLAY();
    std::string const folder = TestSupport::makeTemporaryFolder();
    std::string const path = folder + "/key.png";
    std::vector<unsigned char> pixels;
    for (int i = 0; i < 4; ++i)
        pixels.insert(pixels.end(), {255, 0, 255, 10, 20, 30});
    TestSupport::writeFile(path, PictureWriter::encodePng(2, 4, false, pixels));
    openWindow();
    Image image(deviceManager, path.c_str(), false);
    EXPECT_EQ(image.getWidth(), 2);
    EXPECT_EQ(image.getHeight(), 4);
    EXPECT_FALSE(image.getIsAlpha());
    EXPECT_NE(image.getTextureId(), 0);
    EXPECT_EQ(image.getFileName(), path);
    EXPECT_EQ(image.getPixel(Int2(1, 3)), Color4(10, 20, 30, 255));
    EXPECT_FALSE(image.getIsTranslucent());

    image.setTransparentColor(255, 0, 255, 0, false);
    EXPECT_TRUE(image.getIsAlpha());
    EXPECT_TRUE(image.getIsTranslucent());
    EXPECT_NE(image.getTextureId(), 0);
    EXPECT_EQ(image.getPixel(Int2(0, 2)), Color4(255, 0, 255, 0));
    EXPECT_EQ(image.getPixel(Int2(1, 2)), Color4(10, 20, 30, 255));

    std::ostringstream text;
    text << image;
    EXPECT_EQ(text.str(), "Image (width=2;height=4)");

    Image blank(4, 2, true);
    EXPECT_EQ(blank.getPixel(Int2(3, 1)), Color4(0, 0, 0, 0));
    EXPECT_NE(blank.getTextureId(), 0);
    EXPECT_TRUE(blank.getIsTranslucent());
    // The pixels are dropped once uploaded; what they were stays known.
    blank.freeUselessMemory();
    EXPECT_TRUE(blank.getIsTranslucent());

    // Pixels changed in place count from the next texture made of them.
    Image opaque(2, 1, true);
    opaque.getData()[3] = 255;
    opaque.getData()[7] = 255;
    opaque.freeTexture();
    opaque.generateTexture();
    EXPECT_FALSE(opaque.getIsTranslucent());
}

TEST(Image, KeyingAfterTheFreeIsFatal)
{
    REQUIRE_DISPLAY();
    TestSupport::ChildResult const result = TestSupport::runInChild([] {
        openWindow();
        Image image(2, 2, false);
        image.freeUselessMemory();
        image.setTransparentColor(0, 0, 0, 0, false);
    });
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.errors.find("Condition: data != NULL\nMessage: Image::setTransparentColor: data == NULL\n(Do you "
                                 "have called freeUselessMemory before calling this function?)"),
              std::string::npos);
}

TEST(Image, OpenGlStretchAgreesWithTheCpuStretch)
{
    REQUIRE_DISPLAY();
    openWindow();
    ImageLoader::Pixels pixels;
    pixels.width = 5;
    pixels.height = 3;
    pixels.alpha = false;
    pixels.data.reset(new unsigned char[45]);
    for (int i = 0; i < 45; ++i)
        pixels.data[i] = (unsigned char)(i * 29 % 256);
    std::unique_ptr<unsigned char[]> const cpu = ImageLoader::scalePixels(pixels, 8, 4);
    ASSERT_TRUE(ImageLoader::stretchToPowerOfTwo(pixels)); // a context is current: gluScaleImage
    ASSERT_EQ(pixels.width, 8);
    for (int i = 0; i < 8 * 4 * 3; ++i)
        EXPECT_LE(std::abs(int(cpu[i]) - int(pixels.data[i])), 1) << "byte " << i;
}
