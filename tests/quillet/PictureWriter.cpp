#include "PictureWriter.h"

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <png.h>
#include <stdexcept>

namespace PictureWriter
{
namespace
{
void appendBytes(png_structp png, png_bytep data, png_size_t length)
{
    std::string* const out = static_cast<std::string*>(png_get_io_ptr(png));
    out->append(reinterpret_cast<char const*>(data), length);
}

void flushNothing(png_structp)
{
}

int channelsOf(int colorType)
{
    switch (colorType)
    {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
        return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    default:
        return 4;
    }
}

// Packs one row of samples at the bit depth, most significant bits first.
std::vector<unsigned char> packRow(std::vector<int> const& samples, size_t first, size_t count, int bitDepth)
{
    std::vector<unsigned char> row((count * bitDepth + 7) / 8, 0);
    for (size_t i = 0; i < count; ++i)
    {
        int const value = samples[first + i];
        if (bitDepth == 16)
        {
            row[2 * i] = (unsigned char)(value >> 8);
            row[2 * i + 1] = (unsigned char)(value & 0xFF);
        }
        else if (bitDepth == 8)
            row[i] = (unsigned char)(value);
        else
        {
            size_t const bit = i * bitDepth;
            row[bit / 8] |= (unsigned char)(value << (8 - bitDepth - bit % 8));
        }
    }
    return row;
}
}

std::string encodePng(int width, int height, int colorType, int bitDepth, std::vector<int> const& samples,
                      std::vector<int> const& palette, bool interlaced)
{
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)))
        throw std::runtime_error("cannot encode the test PNG");
    png_set_write_fn(png, &out, appendBytes, flushNothing);
    png_set_IHDR(png, info, width, height, bitDepth, colorType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> colors;
    for (size_t i = 0; i + 2 < palette.size(); i += 3)
        colors.push_back(png_color{(png_byte)palette[i], (png_byte)palette[i + 1], (png_byte)palette[i + 2]});
    if (!colors.empty())
        png_set_PLTE(png, info, colors.data(), int(colors.size()));
    png_write_info(png, info);
    int const passes = interlaced ? png_set_interlace_handling(png) : 1;
    size_t const perRow = size_t(width) * channelsOf(colorType);
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < height; ++y)
        {
            std::vector<unsigned char> row = packRow(samples, perRow * y, perRow, bitDepth);
            png_write_row(png, row.data());
        }
    png_write_end(png, NULL);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::string encodePng(int width, int height, bool alpha, std::vector<unsigned char> const& pixels)
{
    return encodePng(width, height, alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, 8,
                     std::vector<int>(pixels.begin(), pixels.end()));
}

std::string encodeJpeg(int width, int height, int components, std::vector<unsigned char> const& pixels, int quality)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = NULL;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = components;
    cinfo.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height)
    {
        JSAMPROW row = const_cast<unsigned char*>(pixels.data()) + size_t(cinfo.next_scanline) * width * components;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string const out(reinterpret_cast<char const*>(buffer), size);
    free(buffer);
    return out;
}

std::string tgaHeader(int imageType, int width, int height, int bitsPerPixel, int colorMapLength,
                      int colorMapEntryBits)
{
    std::string header(18, '\0');
    header[1] = char(colorMapLength > 0 ? 1 : 0);
    header[2] = char(imageType);
    header[5] = char(colorMapLength & 0xFF);
    header[6] = char(colorMapLength >> 8);
    header[7] = char(colorMapEntryBits);
    header[12] = char(width & 0xFF);
    header[13] = char(width >> 8);
    header[14] = char(height & 0xFF);
    header[15] = char(height >> 8);
    header[16] = char(bitsPerPixel);
    return header;
}

std::vector<unsigned char> bytesOf(std::string const& text)
{
    return std::vector<unsigned char>(text.begin(), text.end());
}
}
