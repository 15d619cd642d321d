#include "DataPack.h"
#include "ImageLoader.h"
#include "PictureWriter.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>

using PictureWriter::bytesOf;

namespace
{
ImageLoader::Pixels decodeOk(bool (*decoder)(unsigned char const*, size_t, ImageLoader::Pixels&, std::string&),
                             std::string const& file)
{
    std::vector<unsigned char> const bytes = bytesOf(file);
    ImageLoader::Pixels pixels;
    std::string error;
    EXPECT_TRUE(decoder(bytes.data(), bytes.size(), pixels, error)) << error;
    return pixels;
}

std::string decodeError(bool (*decoder)(unsigned char const*, size_t, ImageLoader::Pixels&, std::string&),
                        std::string const& file)
{
    std::vector<unsigned char> const bytes = bytesOf(file);
    ImageLoader::Pixels pixels;
    std::string error;
    EXPECT_FALSE(decoder(bytes.data(), bytes.size(), pixels, error));
    EXPECT_EQ(pixels.data, nullptr);
    return error;
}

std::vector<int> bytesAt(ImageLoader::Pixels const& pixels, int x, int y)
{
    int const n = pixels.getBytesPerPixel();
    unsigned char const* p = pixels.data.get() + (size_t(y) * pixels.width + x) * n;
    return std::vector<int>(p, p + n);
}
}

TEST(ImageLoader, FormatIsChosenByExactSuffixes)
{
    EXPECT_TRUE(ImageLoader::getIsJpegFile("a.jpg"));
    EXPECT_TRUE(ImageLoader::getIsJpegFile("a.JPG"));
    EXPECT_TRUE(ImageLoader::getIsJpegFile("a.jpeg"));
    EXPECT_TRUE(ImageLoader::getIsJpegFile("a.JPEG"));
    EXPECT_FALSE(ImageLoader::getIsJpegFile("photo.Jpg"));
    EXPECT_FALSE(ImageLoader::getIsJpegFile(".jpg")); // needs more than the suffix
    EXPECT_FALSE(ImageLoader::getIsJpegFile(".jpeg"));
    EXPECT_TRUE(ImageLoader::getIsPngFile("a.png"));
    EXPECT_TRUE(ImageLoader::getIsPngFile("a.PNG"));
    EXPECT_FALSE(ImageLoader::getIsPngFile("a.Png"));
    EXPECT_FALSE(ImageLoader::getIsPngFile(".png"));
    EXPECT_TRUE(ImageLoader::getIsTgaFile("photo.Tga"));
    EXPECT_TRUE(ImageLoader::getIsTgaFile("x.tGa"));
    EXPECT_FALSE(ImageLoader::getIsTgaFile("x.tg"));
    EXPECT_FALSE(ImageLoader::getIsTgaFile("xtga"));
}

TEST(ImageLoader, StretchSidesArePowersOfTwoFromTwo)
{
    EXPECT_EQ(ImageLoader::getPowerOfTwoSide(1), 2);
    EXPECT_EQ(ImageLoader::getPowerOfTwoSide(2), 2);
    EXPECT_EQ(ImageLoader::getPowerOfTwoSide(3), 4);
    EXPECT_EQ(ImageLoader::getPowerOfTwoSide(64), 64);
    EXPECT_EQ(ImageLoader::getPowerOfTwoSide(65), 128);
    EXPECT_EQ(ImageLoader::getPowerOfTwoSide(100), 128);
    EXPECT_EQ(ImageLoader::getPowerOfTwoSide(60), 64);
}

TEST(ImageLoader, CpuStretchKeepsColoursAndSpreadsPixels)
{
    ImageLoader::Pixels pixels;
    pixels.width = 1;
    pixels.height = 1;
    pixels.alpha = true;
    pixels.data.reset(new unsigned char[4]{10, 20, 30, 40});
    EXPECT_TRUE(ImageLoader::stretchToPowerOfTwo(pixels));
    ASSERT_EQ(pixels.width, 2);
    ASSERT_EQ(pixels.height, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(bytesAt(pixels, x, y), (std::vector<int>{10, 20, 30, 40}));

    // Three columns black, white, black become four; each new pixel averages a box one source pixel wide.
    ImageLoader::Pixels row;
    row.width = 3;
    row.height = 2;
    row.data.reset(new unsigned char[18]{0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 0, 0, 255, 255, 255, 0, 0, 0});
    EXPECT_TRUE(ImageLoader::stretchToPowerOfTwo(row));
    EXPECT_EQ(row.width, 4);
    EXPECT_EQ(row.height, 2);
    EXPECT_EQ(bytesAt(row, 0, 0)[0], 0);
    EXPECT_EQ(bytesAt(row, 1, 0)[0], 159); // its box [0.625, 1.625) is five eighths white
    EXPECT_EQ(bytesAt(row, 2, 0)[0], 159);
    EXPECT_EQ(bytesAt(row, 3, 1)[0], 0);

    ImageLoader::Pixels square;
    square.width = square.height = 2;
    square.data.reset(new unsigned char[12]());
    EXPECT_FALSE(ImageLoader::stretchToPowerOfTwo(square));
}

TEST(ImageLoader, PngEightBitRgbAndRgbaKeepBytesAndRowOrder)
{
    std::vector<unsigned char> const rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 1, 2, 3};
    ImageLoader::Pixels const a = decodeOk(ImageLoader::decodePng, PictureWriter::encodePng(2, 2, false, rgb));
    EXPECT_EQ(a.width, 2);
    EXPECT_FALSE(a.alpha);
    EXPECT_EQ(std::vector<unsigned char>(a.data.get(), a.data.get() + 12), rgb);

    std::vector<unsigned char> const rgba = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 11, 12};
    ImageLoader::Pixels const b = decodeOk(ImageLoader::decodePng, PictureWriter::encodePng(1, 3, true, rgba));
    EXPECT_TRUE(b.alpha);
    EXPECT_EQ(b.height, 3);
    EXPECT_EQ(std::vector<unsigned char>(b.data.get(), b.data.get() + 12), rgba);
}

TEST(ImageLoader, PngOtherKindsExpandToEightBitRgbOrRgba)
{
    // 16-bit RGBA keeps the most significant byte of each sample.
    ImageLoader::Pixels const deep = decodeOk(ImageLoader::decodePng,
        PictureWriter::encodePng(1, 1, PNG_COLOR_TYPE_RGBA, 16, {0x1234, 0xABCD, 0xFF00, 0x80FF}));
    EXPECT_TRUE(deep.alpha);
    EXPECT_EQ(bytesAt(deep, 0, 0), (std::vector<int>{0x12, 0xAB, 0xFF, 0x80}));

    ImageLoader::Pixels const deepRgb = decodeOk(ImageLoader::decodePng,
        PictureWriter::encodePng(1, 1, PNG_COLOR_TYPE_RGB, 16, {0x1234, 0xABCD, 0xFF00}));
    EXPECT_FALSE(deepRgb.alpha);
    EXPECT_EQ(bytesAt(deepRgb, 0, 0), (std::vector<int>{0x12, 0xAB, 0xFF}));

    ImageLoader::Pixels const grey = decodeOk(ImageLoader::decodePng,
        PictureWriter::encodePng(2, 1, PNG_COLOR_TYPE_GRAY, 8, {7, 200}));
    EXPECT_FALSE(grey.alpha);
    EXPECT_EQ(bytesAt(grey, 1, 0), (std::vector<int>{200, 200, 200}));

    ImageLoader::Pixels const lowGrey = decodeOk(ImageLoader::decodePng,
        PictureWriter::encodePng(2, 1, PNG_COLOR_TYPE_GRAY, 1, {1, 0}));
    EXPECT_EQ(bytesAt(lowGrey, 0, 0), (std::vector<int>{255, 255, 255}));
    EXPECT_EQ(bytesAt(lowGrey, 1, 0), (std::vector<int>{0, 0, 0}));

    ImageLoader::Pixels const greyAlpha = decodeOk(ImageLoader::decodePng,
        PictureWriter::encodePng(1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {50, 60}));
    EXPECT_TRUE(greyAlpha.alpha);
    EXPECT_EQ(bytesAt(greyAlpha, 0, 0), (std::vector<int>{50, 50, 50, 60}));

    ImageLoader::Pixels const palette = decodeOk(ImageLoader::decodePng,
        PictureWriter::encodePng(3, 1, PNG_COLOR_TYPE_PALETTE, 4, {2, 0, 1}, {10, 20, 30, 40, 50, 60, 70, 80, 90}));
    EXPECT_FALSE(palette.alpha);
    EXPECT_EQ(bytesAt(palette, 0, 0), (std::vector<int>{70, 80, 90}));
    EXPECT_EQ(bytesAt(palette, 2, 0), (std::vector<int>{40, 50, 60}));
}

TEST(ImageLoader, PngOfOneColourLoadsHoweverFarItsPixelsExpand)
{
    // Plain pictures pack their rows some thousand times; expanded to 8-bit RGB
    // a 1-bit or palette picture outgrows that ratio many times over.
    std::string const grey = PictureWriter::encodePng(1024, 1024, PNG_COLOR_TYPE_GRAY, 1, std::vector<int>(1024 * 1024, 1));
    ImageLoader::Pixels const a = decodeOk(ImageLoader::decodePng, grey);
    EXPECT_EQ(a.width, 1024);
    EXPECT_EQ(a.height, 1024);
    EXPECT_FALSE(a.alpha);
    ASSERT_NE(a.data, nullptr);
    EXPECT_EQ(bytesAt(a, 1023, 1023), (std::vector<int>{255, 255, 255}));

    std::string const palette = PictureWriter::encodePng(512, 512, PNG_COLOR_TYPE_PALETTE, 8,
                                                         std::vector<int>(512 * 512, 1), {0, 0, 0, 10, 200, 30});
    ImageLoader::Pixels const b = decodeOk(ImageLoader::decodePng, palette);
    EXPECT_EQ(b.width, 512);
    ASSERT_NE(b.data, nullptr);
    EXPECT_EQ(bytesAt(b, 300, 200), (std::vector<int>{10, 200, 30}));
}

TEST(ImageLoader, PngInterlacedDecodesLikePlain)
{
    std::vector<int> samples;
    for (int i = 0; i < 9 * 7 * 3; ++i)
        samples.push_back((i * 37) % 256);
    ImageLoader::Pixels const plain = decodeOk(ImageLoader::decodePng,
        PictureWriter::encodePng(9, 7, PNG_COLOR_TYPE_RGB, 8, samples));
    ImageLoader::Pixels const interlaced = decodeOk(ImageLoader::decodePng,
        PictureWriter::encodePng(9, 7, PNG_COLOR_TYPE_RGB, 8, samples, {}, true));
    EXPECT_EQ(std::vector<unsigned char>(plain.data.get(), plain.data.get() + samples.size()),
              std::vector<unsigned char>(interlaced.data.get(), interlaced.data.get() + samples.size()));
}

TEST(ImageLoader, PngBadFilesAreRefusedWithTheirStage)
{
    EXPECT_EQ(decodeError(ImageLoader::decodePng, "GIF89a not a png at all"),
              "[read_png_file] File is not recognized as a PNG file");
    EXPECT_EQ(decodeError(ImageLoader::decodePng, ""), "[read_png_file] File is not recognized as a PNG file");

    std::vector<int> samples(64 * 64 * 3);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int((i * 7919) % 251);
    std::string const file = PictureWriter::encodePng(64, 64, PNG_COLOR_TYPE_RGB, 8, samples);
    EXPECT_EQ(decodeError(ImageLoader::decodePng, file.substr(0, 20)).rfind("[read_png_file] Error during init_io", 0), 0u);
    EXPECT_EQ(decodeError(ImageLoader::decodePng, file.substr(0, file.size() / 2))
                  .rfind("[read_png_file] Error during read_image", 0), 0u);

    // A header claiming 65535 x 65535 pixels in a small file is refused before allocating.
    std::string forged = PictureWriter::encodePng(1, 1, PNG_COLOR_TYPE_RGBA, 8, {1, 2, 3, 4});
    forged.replace(16, 8, std::string("\0\0\xFF\xFF\0\0\xFF\xFF", 8));
    EXPECT_EQ(decodeError(ImageLoader::decodePng, forged).rfind("[read_png_file] Error during init_io", 0), 0u);
}

TEST(ImageLoader, JpegDecodesToRgbWithRowsBottomFirst)
{
    // Top half red, bottom half blue: the decoded first row is the file's last.
    std::vector<unsigned char> pixels;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
        {
            pixels.push_back(y < 8 ? 255 : 0);
            pixels.push_back(0);
            pixels.push_back(y < 8 ? 0 : 255);
        }
    ImageLoader::Pixels const color = decodeOk(ImageLoader::decodeJpeg, PictureWriter::encodeJpeg(16, 16, 3, pixels));
    ASSERT_EQ(color.width, 16);
    EXPECT_FALSE(color.alpha);
    std::vector<int> const bottom = bytesAt(color, 4, 1);
    std::vector<int> const top = bytesAt(color, 4, 14);
    EXPECT_LT(bottom[0], 40);
    EXPECT_GT(bottom[2], 215);
    EXPECT_GT(top[0], 215);
    EXPECT_LT(top[2], 40);

    ImageLoader::Pixels const grey =
        decodeOk(ImageLoader::decodeJpeg, PictureWriter::encodeJpeg(8, 8, 1, std::vector<unsigned char>(64, 100)));
    EXPECT_FALSE(grey.alpha);
    std::vector<int> const g = bytesAt(grey, 3, 3);
    EXPECT_NEAR(g[0], 100, 2);
    EXPECT_EQ(g[0], g[1]);
    EXPECT_EQ(g[1], g[2]);
}

TEST(ImageLoader, JpegTruncatedOrCorruptIsRefused)
{
    std::vector<unsigned char> pixels(32 * 32 * 3);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = (unsigned char)(i * 13);
    std::string const file = PictureWriter::encodeJpeg(32, 32, 3, pixels);
    EXPECT_FALSE(decodeError(ImageLoader::decodeJpeg, file.substr(0, file.size() / 2)).empty());
    EXPECT_FALSE(decodeError(ImageLoader::decodeJpeg, file.substr(0, 100)).empty());
    EXPECT_FALSE(decodeError(ImageLoader::decodeJpeg, "not a jpeg").empty());
    EXPECT_FALSE(decodeError(ImageLoader::decodeJpeg, "").empty());
    std::string corrupt = file;
    for (size_t i = corrupt.size() / 2; i < corrupt.size() - 2; i += 5)
        corrupt[i] = char(0xFF);
    EXPECT_FALSE(decodeError(ImageLoader::decodeJpeg, corrupt).empty());

    // Padding after the picture's data, before its end marker, spoils nothing.
    std::string padded = file;
    padded.insert(padded.size() - 2, std::string(64, '\0'));
    ImageLoader::Pixels const loaded = decodeOk(ImageLoader::decodeJpeg, padded);
    ImageLoader::Pixels const plain = decodeOk(ImageLoader::decodeJpeg, file);
    ASSERT_NE(loaded.data, nullptr);
    EXPECT_EQ(std::vector<unsigned char>(loaded.data.get(), loaded.data.get() + pixels.size()),
              std::vector<unsigned char>(plain.data.get(), plain.data.get() + pixels.size()));
}

TEST(ImageLoader, JpegWithAbsurdOrZeroSizeIsRefused)
{
    std::string const file = PictureWriter::encodeJpeg(8, 8, 3, std::vector<unsigned char>(8 * 8 * 3, 90));
    size_t const frame = file.find("\xFF\xC0"); // height and width follow the marker, its length and the precision
    ASSERT_NE(frame, std::string::npos);
    for (std::string const& size : {std::string("\xFF\xFF\xFF\xFF", 4), std::string("\x1F\x40\x1F\x40", 4),
                                    std::string("\0\0\0\x08", 4), std::string("\0\x08\0\0", 4)})
    {
        std::string forged = file;
        forged.replace(frame + 5, 4, size);
        EXPECT_FALSE(decodeError(ImageLoader::decodeJpeg, forged).empty());
    }
}

TEST(ImageLoader, TgaTrueColourDepthsAndRowReversal)
{
    // 2 x 2 type 2, stored bottom row first: the result's first row is the stored last.
    std::string const rgb24 = PictureWriter::tgaHeader(2, 2, 2, 24) +
        std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C", 12);
    ImageLoader::Pixels const a = decodeOk(ImageLoader::decodeTga, rgb24);
    EXPECT_FALSE(a.alpha);
    EXPECT_EQ(bytesAt(a, 0, 0), (std::vector<int>{9, 8, 7}));
    EXPECT_EQ(bytesAt(a, 1, 0), (std::vector<int>{12, 11, 10}));
    EXPECT_EQ(bytesAt(a, 0, 1), (std::vector<int>{3, 2, 1}));

    ImageLoader::Pixels const b = decodeOk(ImageLoader::decodeTga,
        PictureWriter::tgaHeader(2, 1, 1, 32) + std::string("\x10\x20\x30\x40", 4));
    EXPECT_TRUE(b.alpha);
    EXPECT_EQ(bytesAt(b, 0, 0), (std::vector<int>{0x30, 0x20, 0x10, 0x40}));

    // 5-5-5: v = 0x7C1F is red 31 and blue 31.
    ImageLoader::Pixels const c = decodeOk(ImageLoader::decodeTga,
        PictureWriter::tgaHeader(2, 2, 1, 16) + std::string("\x1F\x7C\xE0\x03", 4));
    EXPECT_FALSE(c.alpha);
    EXPECT_EQ(bytesAt(c, 0, 0), (std::vector<int>{0xF8, 0x00, 0xF8}));
    EXPECT_EQ(bytesAt(c, 1, 0), (std::vector<int>{0x00, 0xF8, 0x00}));
}

TEST(ImageLoader, TgaColourMappedAndRunLengthPackets)
{
    std::string const map = std::string("\x00\x00\xFF" "\x00\xFF\x00" "\xFF\x00\x00", 9); // red, green, blue as BGR
    ImageLoader::Pixels const mapped = decodeOk(ImageLoader::decodeTga,
        PictureWriter::tgaHeader(1, 3, 1, 8, 3, 24) + map + std::string("\x02\x00\x01", 3));
    EXPECT_EQ(bytesAt(mapped, 0, 0), (std::vector<int>{0, 0, 255}));
    EXPECT_EQ(bytesAt(mapped, 1, 0), (std::vector<int>{255, 0, 0}));

    // 0x83 repeats the next pixel four times; 0x03 introduces four literal pixels.
    std::string const runs = std::string("\x83\x01\x02\x03", 4) +
        std::string("\x03" "\x0A\x0B\x0C" "\x0D\x0E\x0F" "\x10\x11\x12" "\x13\x14\x15", 13);
    ImageLoader::Pixels const rle = decodeOk(ImageLoader::decodeTga, PictureWriter::tgaHeader(10, 8, 1, 24) + runs);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(bytesAt(rle, x, 0), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(bytesAt(rle, 4, 0), (std::vector<int>{0x0C, 0x0B, 0x0A}));
    EXPECT_EQ(bytesAt(rle, 7, 0), (std::vector<int>{0x15, 0x14, 0x13}));

    ImageLoader::Pixels const rleMapped = decodeOk(ImageLoader::decodeTga,
        PictureWriter::tgaHeader(9, 4, 1, 8, 3, 24) + map + std::string("\x81\x01\x01\x02\x00", 5));
    EXPECT_EQ(bytesAt(rleMapped, 1, 0), (std::vector<int>{0, 255, 0}));
    EXPECT_EQ(bytesAt(rleMapped, 2, 0), (std::vector<int>{0, 0, 255}));
    EXPECT_EQ(bytesAt(rleMapped, 3, 0), (std::vector<int>{255, 0, 0}));

    ImageLoader::Pixels const rle16 = decodeOk(ImageLoader::decodeTga,
        PictureWriter::tgaHeader(10, 3, 1, 16) + std::string("\x81\x1F\x7C" "\x00\xE0\x03", 6));
    EXPECT_FALSE(rle16.alpha);
    EXPECT_EQ(bytesAt(rle16, 1, 0), (std::vector<int>{0xF8, 0x00, 0xF8}));
    EXPECT_EQ(bytesAt(rle16, 2, 0), (std::vector<int>{0x00, 0xF8, 0x00}));

    ImageLoader::Pixels const rle32 = decodeOk(ImageLoader::decodeTga,
        PictureWriter::tgaHeader(10, 2, 1, 32) + std::string("\x81\x01\x02\x03\x04", 5));
    EXPECT_TRUE(rle32.alpha);
    EXPECT_EQ(bytesAt(rle32, 1, 0), (std::vector<int>{3, 2, 1, 4}));
}

TEST(ImageLoader, TgaGreyExpandsToRgbOrRgba)
{
    ImageLoader::Pixels const grey = decodeOk(ImageLoader::decodeTga,
        PictureWriter::tgaHeader(3, 2, 1, 8) + std::string("\x05\x09", 2));
    EXPECT_FALSE(grey.alpha);
    EXPECT_EQ(bytesAt(grey, 1, 0), (std::vector<int>{9, 9, 9}));
    ImageLoader::Pixels const greyAlpha = decodeOk(ImageLoader::decodeTga,
        PictureWriter::tgaHeader(11, 3, 1, 16) + std::string("\x82\x07\x80", 3));
    EXPECT_TRUE(greyAlpha.alpha);
    EXPECT_EQ(bytesAt(greyAlpha, 2, 0), (std::vector<int>{7, 7, 7, 0x80}));
}

TEST(ImageLoader, TgaMalformedFilesAreRefused)
{
    EXPECT_EQ(decodeError(ImageLoader::decodeTga, PictureWriter::tgaHeader(5, 1, 1, 24) + "abc"),
              "error: unknown TGA image type 5!");
    EXPECT_EQ(decodeError(ImageLoader::decodeTga, PictureWriter::tgaHeader(12, 1, 1, 24) + "abc"),
              "error: unknown TGA image type 12!");
    decodeError(ImageLoader::decodeTga, PictureWriter::tgaHeader(0, 1, 1, 24));
    decodeError(ImageLoader::decodeTga, "short");
    decodeError(ImageLoader::decodeTga, PictureWriter::tgaHeader(2, 0, 5, 24));
    decodeError(ImageLoader::decodeTga, PictureWriter::tgaHeader(2, 2, 2, 24) + "few");
    decodeError(ImageLoader::decodeTga, PictureWriter::tgaHeader(2, 65535, 65535, 32) + "tiny");
    decodeError(ImageLoader::decodeTga, PictureWriter::tgaHeader(10, 65535, 65535, 32) + "tiny");
    // A repeated run of 4 pixels into an image of 3 overruns the pixel array.
    EXPECT_EQ(decodeError(ImageLoader::decodeTga, PictureWriter::tgaHeader(10, 3, 1, 24) + std::string("\x83\x01\x02\x03", 4)),
              "a run-length packet overruns the image");
    decodeError(ImageLoader::decodeTga, PictureWriter::tgaHeader(10, 3, 1, 24) + std::string("\x02\x01\x02\x03", 4));
    // An index past the end of the colour map.
    decodeError(ImageLoader::decodeTga,
                PictureWriter::tgaHeader(1, 1, 1, 8, 1, 24) + std::string("\x01\x02\x03\x05", 4));
    decodeError(ImageLoader::decodeTga, PictureWriter::tgaHeader(2, 1, 1, 8) + "x");
}

TEST(ImageLoader, LoadStretchesAndTracesWhenVerbose)
{
    std::string const folder = TestSupport::makeTemporaryFolder();
    std::string const path = folder + "/wide.png";
    TestSupport::writeFile(path, PictureWriter::encodePng(100, 60, false, std::vector<unsigned char>(100 * 60 * 3, 77)));
    TestSupport::ChildResult const result = TestSupport::runInChild([path] {
        int width = 0;
        int height = 0;
        bool alpha = true;
        unsigned char* const pixels = ImageLoader::loadImage(path.c_str(), width, height, alpha, true);
        printf("\n%d %d %d %d %d\n", width, height, alpha ? 1 : 0, pixels[0], pixels[(128 * 64 - 1) * 3]);
        delete[] pixels;
    });
    EXPECT_EQ(result.exitStatus, 0) << result.errors;
    EXPECT_EQ(result.output, "Loading image '" + path + "' ...(png) (image was streched) ... done (width=128 "
                             "height=64 isAlpha=0)\n\n128 64 0 77 77\n");
}

TEST(ImageLoader, LoadFailuresEndWithTheFatalReport)
{
    std::string const folder = TestSupport::makeTemporaryFolder();
    TestSupport::ChildResult const missing = TestSupport::runInChild([folder] {
        int w = 0, h = 0;
        bool a = false;
        ImageLoader::loadImage((folder + "/none.png").c_str(), w, h, a, false);
    });
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_NE(missing.errors.find("Message: loadImage: can't open '" + folder + "/none.png'"), std::string::npos);
    EXPECT_NE(missing.errors.find("__FILE__ quillet_src/ImageLoader"), std::string::npos);

    // The file is opened before its name is judged: a missing one is reported missing.
    std::string const photo = folder + "/photo.Jpg";
    TestSupport::ChildResult const missingBadName = TestSupport::runInChild([photo] {
        int w = 0, h = 0;
        bool a = false;
        ImageLoader::loadImage(photo.c_str(), w, h, a, false);
    });
    EXPECT_NE(missingBadName.errors.find("Message: loadImage: can't open '" + photo + "'"), std::string::npos);
    TestSupport::writeFile(photo, PictureWriter::encodeJpeg(8, 8, 1, std::vector<unsigned char>(64, 100)));
    TestSupport::ChildResult const badName = TestSupport::runInChild([photo] {
        int w = 0, h = 0;
        bool a = false;
        ImageLoader::loadImage(photo.c_str(), w, h, a, false);
    });
    EXPECT_EQ(badName.exitStatus, 1);
    EXPECT_NE(badName.errors.find("Message: loadImage : File format not recognised" + photo), std::string::npos);

    // A folder opens for reading on Linux; it is no picture.
    std::string const folderPicture = folder + "/textures.png";
    ASSERT_EQ(mkdir(folderPicture.c_str(), 0755), 0);
    TestSupport::ChildResult const notAFile = TestSupport::runInChild([folderPicture] {
        int w = 0, h = 0;
        bool a = false;
        ImageLoader::loadImage(folderPicture.c_str(), w, h, a, false);
    });
    EXPECT_EQ(notAFile.exitStatus, 1);
    EXPECT_NE(notAFile.errors.find("Message: loadImage: can't read '" + folderPicture + "'"), std::string::npos);

    std::string const jpeg = folder + "/bad.jpg";
    TestSupport::writeFile(jpeg, "\xFF\xD8\xFF garbage");
    TestSupport::ChildResult const corrupt = TestSupport::runInChild([jpeg] {
        int w = 0, h = 0;
        bool a = false;
        ImageLoader::loadImage(jpeg.c_str(), w, h, a, false);
    });
    EXPECT_EQ(corrupt.exitStatus, 1);
    EXPECT_NE(corrupt.errors.find("Message: loadJpeg : cannot load jpeg file "), std::string::npos);

    std::string const png = folder + "/bad.png";
    TestSupport::writeFile(png, "not a png");
    TestSupport::ChildResult const notPng = TestSupport::runInChild([png] {
        int w = 0, h = 0;
        bool a = false;
        ImageLoader::loadImage(png.c_str(), w, h, a, false);
    });
    EXPECT_EQ(notPng.exitStatus, 1);
    EXPECT_EQ(notPng.errors.rfind("[read_png_file] File is not recognized as a PNG file\n", 0), 0u);
}

TEST(ImageLoader, LoadTakesPicturesFromTheDefaultDataPack)
{
    std::string const folder = TestSupport::makeTemporaryFolder();
    ASSERT_EQ(chdir(folder.c_str()), 0);
    TestSupport::writeFile("red.tga", PictureWriter::tgaHeader(2, 2, 2, 24) + std::string(12, '\x01'));
    DataPack::saveFilesInDataPack({"red.tga"}, "pack.dat", false);
    unlink("red.tga");
    DataPack pack("pack.dat", false);
    DataPack::defaultDataPack = &pack;
    int width = 0;
    int height = 0;
    bool alpha = true;
    unsigned char* const pixels = ImageLoader::loadImage("red.tga", width, height, alpha, false);
    EXPECT_EQ(width, 2);
    EXPECT_FALSE(alpha);
    EXPECT_EQ(pixels[0], 1);
    delete[] pixels;

    TestSupport::ChildResult const absent = TestSupport::runInChild([] {
        int w = 0, h = 0;
        bool a = false;
        ImageLoader::loadImage("blue.tga", w, h, a, true);
    });
    EXPECT_EQ(absent.exitStatus, 1);
    EXPECT_EQ(absent.output, "Loading image 'blue.tga' from data pack ...");
    EXPECT_NE(absent.errors.find("Message: loadImage: can't find blue.tga in data pack"), std::string::npos);
}
