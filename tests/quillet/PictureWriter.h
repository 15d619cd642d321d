#ifndef PICTUREWRITER_H
#define PICTUREWRITER_H

// Test pictures made by the tests themselves: PNG and JPEG files encoded with
// libpng and libjpeg, TGA bytes put together by hand.

#include <string>
#include <vector>

namespace PictureWriter
{
// PNG of the given libpng colour type and bit depth; samples holds one value per
// channel (16-bit samples as values up to 65535), rows top first.
std::string encodePng(int width, int height, int colorType, int bitDepth, std::vector<int> const& samples,
                      std::vector<int> const& palette = std::vector<int>(), bool interlaced = false);
// 8-bit RGB or RGBA PNG from bytes.
std::string encodePng(int width, int height, bool alpha, std::vector<unsigned char> const& pixels);
// JPEG of RGB (components 3) or grey (components 1) pixels, rows top first.
std::string encodeJpeg(int width, int height, int components, std::vector<unsigned char> const& pixels,
                       int quality = 95);
// The 18-byte TGA header.
std::string tgaHeader(int imageType, int width, int height, int bitsPerPixel, int colorMapLength = 0,
                      int colorMapEntryBits = 0);
std::vector<unsigned char> bytesOf(std::string const& text);
}

#endif
