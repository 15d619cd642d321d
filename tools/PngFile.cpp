#include "PngFile.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace
{
// Closes the stream however the function that opened it leaves.
struct FileCloser
{
    FILE* file;
    ~FileCloser()
    {
        if (file != NULL)
            fclose(file);
    }
};

void reportError(char const* action, std::string const& path)
{
    fprintf(stderr, "ERROR : cannot %s PNG file '%s'\n", action, path.c_str());
}
}

namespace PngFile
{
bool write(std::string const& path, Canvas const& canvas, bool withAlpha)
{
    FileCloser closer{fopen(path.c_str(), "wb")};
    if (closer.file == NULL)
    {
        reportError("create", path);
        return false;
    }
    // Declared before setjmp: a decoding error jumps back over later constructions.
    int const channels = withAlpha ? 4 : 3;
    std::vector<uint8_t> row(static_cast<size_t>(canvas.getWidth()) * channels);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL);
    png_infop info = png != NULL ? png_create_info_struct(png) : NULL;
    if (info == NULL || setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, info != NULL ? &info : NULL);
        reportError("write", path);
        return false;
    }
    png_init_io(png, closer.file);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, canvas.getWidth(), canvas.getHeight(), 8,
                 withAlpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> const& pixels = canvas.getPixels();
    for (int y = 0; y < canvas.getHeight(); ++y)
    {
        for (int x = 0; x < canvas.getWidth(); ++x)
            for (int c = 0; c < channels; ++c)
                row[static_cast<size_t>(x) * channels + c] = pixels[(static_cast<size_t>(y) * canvas.getWidth() + x) * 4 + c];
        png_write_row(png, row.data());
    }
    png_write_end(png, NULL);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool read(std::string const& path, Canvas& picture, bool& hasAlpha)
{
    FileCloser closer{fopen(path.c_str(), "rb")};
    if (closer.file == NULL)
    {
        reportError("open", path);
        return false;
    }
    // Declared before setjmp: a decoding error jumps back over later constructions.
    std::vector<uint8_t> bytes;
    std::vector<png_bytep> rows;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL);
    png_infop info = png != NULL ? png_create_info_struct(png) : NULL;
    if (info == NULL || setjmp(png_jmpbuf(png)))
    {
        png_destroy_read_struct(&png, info != NULL ? &info : NULL, NULL);
        reportError("decode", path);
        return false;
    }
    png_init_io(png, closer.file);
    png_read_info(png, info);
    int const colorType = png_get_color_type(png, info);
    if (png_get_bit_depth(png, info) != 8 || (colorType != PNG_COLOR_TYPE_RGB && colorType != PNG_COLOR_TYPE_RGBA))
    {
        png_destroy_read_struct(&png, &info, NULL);
        reportError("use (not 8-bit RGB or RGBA)", path);
        return false;
    }
    hasAlpha = colorType == PNG_COLOR_TYPE_RGBA;
    if (!hasAlpha)
        png_set_filler(png, 255, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    int const width = png_get_image_width(png, info);
    int const height = png_get_image_height(png, info);
    bytes.resize(static_cast<size_t>(width) * height * 4);
    rows.resize(height);
    for (int y = 0; y < height; ++y)
        rows[y] = &bytes[static_cast<size_t>(y) * width * 4];
    png_read_image(png, rows.data());
    png_read_end(png, NULL);
    png_destroy_read_struct(&png, &info, NULL);
    picture = Canvas(width, height, Color4(0, 0, 0, 0));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            uint8_t const* p = &bytes[(static_cast<size_t>(y) * width + x) * 4];
            picture.setPixel(x, y, Color4(p[0], p[1], p[2], p[3]));
        }
    return true;
}
}
