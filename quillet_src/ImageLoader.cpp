#include "ImageLoader.h"

#include "DataPack.h"
#include "Errors.h"
#include "FileManager.h"
#include "GLPlatform.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <jpeglib.h>
#include <jerror.h>
#include <png.h>
#include <vector>

namespace
{
// deflate never packs more than 1032 bytes into one, so a PNG whose stored rows
// (before any expansion to 8-bit RGB) would need more than this many times its
// file size is forged; JPEG gets a looser bound.
constexpr long long PNG_MAX_EXPANSION = 1100;
constexpr long long JPEG_MAX_EXPANSION = 4096;
// A progressive JPEG may hold any number of scans; real ones have a handful.
constexpr int JPEG_MAX_SCANS = 1000;

bool getIsSizeAcceptable(long long width, long long height, std::string& error)
{
    if (width <= 0 || height <= 0)
    {
        error = "the image has no pixels (" + std::to_string(width) + " x " + std::to_string(height) + ")";
        return false;
    }
    if (width > ImageLoader::MAX_SIDE || height > ImageLoader::MAX_SIDE || width * height > ImageLoader::MAX_PIXELS)
    {
        error = "the image is too large (" + std::to_string(width) + " x " + std::to_string(height) + ")";
        return false;
    }
    return true;
}

// ---- PNG --------------------------------------------------------------------

struct PngReader
{
    unsigned char const* bytes = NULL;
    size_t size = 0;
    size_t position = 0;
    std::string libraryMessage;
    std::vector<png_bytep> rows;
};

void readPngBytes(png_structp png, png_bytep target, png_size_t length)
{
    PngReader* const reader = static_cast<PngReader*>(png_get_io_ptr(png));
    if (length > reader->size - reader->position)
        png_error(png, "the file ends too early");
    memcpy(target, reader->bytes + reader->position, length);
    reader->position += length;
}

void onPngError(png_structp png, png_const_charp message)
{
    PngReader* const reader = static_cast<PngReader*>(png_get_error_ptr(png));
    reader->libraryMessage = message;
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp)
{
    // Warnings (such as a colour profile libpng dislikes) do not spoil the pixels.
}

// Expands every kind of PNG to 8-bit RGB or RGBA; 8-bit RGB(A) passes unchanged.
void requestEightBitRgb(png_structp png, png_infop info)
{
    int const colorType = png_get_color_type(png, info);
    int const bitDepth = png_get_bit_depth(png, info);
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if ((colorType == PNG_COLOR_TYPE_PALETTE || colorType == PNG_COLOR_TYPE_GRAY) &&
        png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    if (bitDepth == 16)
        png_set_strip_16(png); // keeps the most significant byte of each sample
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
}

// Reads the header and sets up the transforms; false (through libpng's jump) on bad data.
bool readPngHeader(png_structp png, png_infop info, PngReader& reader, ImageLoader::Pixels& out, std::string& error)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_read_fn(png, &reader, readPngBytes);
    png_set_sig_bytes(png, 8);
    png_read_info(png, info);
    long long const width = png_get_image_width(png, info);
    long long const height = png_get_image_height(png, info);
    if (!getIsSizeAcceptable(width, height, error))
        return false;
    long long const storedRowBytes = (long long)(png_get_rowbytes(png, info));
    if (height * (storedRowBytes + 1) > PNG_MAX_EXPANSION * (long long)(reader.size))
    {
        error = "the pixel data cannot fit in so small a file";
        return false;
    }
    requestEightBitRgb(png, info);
    size_t const rowBytes = png_get_rowbytes(png, info);
    if (rowBytes != size_t(width) * 3 && rowBytes != size_t(width) * 4)
    {
        error = "unexpected pixel layout";
        return false;
    }
    out.width = int(width);
    out.height = int(height);
    out.alpha = rowBytes == size_t(width) * 4;
    return true;
}

bool readPngRows(png_structp png, PngReader& reader, ImageLoader::Pixels& out)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    size_t const rowBytes = size_t(out.width) * out.getBytesPerPixel();
    out.data.reset(new unsigned char[rowBytes * out.height]);
    reader.rows.resize(out.height);
    for (int y = 0; y < out.height; ++y)
        reader.rows[y] = out.data.get() + rowBytes * y;
    png_read_image(png, reader.rows.data());
    png_read_end(png, NULL);
    return true;
}

// ---- JPEG -------------------------------------------------------------------

struct JpegErrorManager
{
    jpeg_error_mgr standard;
    jmp_buf jumpBuffer;
    char message[JMSG_LENGTH_MAX];
};

void onJpegError(j_common_ptr cinfo)
{
    JpegErrorManager* const manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, manager->message);
    longjmp(manager->jumpBuffer, 1);
}

// Warnings that leave every pixel decoded: bytes of padding before a marker,
// odd but readable headers. Ordinary pictures from many cameras carry them.
bool getIsHarmlessJpegWarning(int code)
{
    return code == JWRN_EXTRANEOUS_DATA || code == JWRN_NOT_SEQUENTIAL || code == JWRN_ADOBE_XFORM ||
           code == JWRN_JFIF_MAJOR;
}

// Corrupt or truncated data only raises warnings in libjpeg, which would then
// hand back grey or garbled pixels: such a file is refused instead.
void onJpegMessage(j_common_ptr cinfo, int level)
{
    if (level < 0 && !getIsHarmlessJpegWarning(cinfo->err->msg_code))
        onJpegError(cinfo);
}

void onJpegProgress(j_common_ptr cinfo)
{
    j_decompress_ptr const decompressor = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (decompressor->input_scan_number > JPEG_MAX_SCANS)
    {
        JpegErrorManager* const manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
        snprintf(manager->message, sizeof(manager->message), "too many scans");
        longjmp(manager->jumpBuffer, 1);
    }
}

struct JpegDecoder
{
    jpeg_decompress_struct cinfo;
    JpegErrorManager errors;
    jpeg_progress_mgr progress;
    std::string sizeError;
};

bool runJpegDecoder(JpegDecoder& decoder, unsigned char const* bytes, size_t size, ImageLoader::Pixels& out)
{
    jpeg_decompress_struct& cinfo = decoder.cinfo;
    if (setjmp(decoder.errors.jumpBuffer))
        return false;
    jpeg_mem_src(&cinfo, bytes, (unsigned long)(size));
    jpeg_read_header(&cinfo, TRUE);
    if (!getIsSizeAcceptable(cinfo.image_width, cinfo.image_height, decoder.sizeError))
        return false;
    if ((long long)(cinfo.image_width) * cinfo.image_height * 3 > JPEG_MAX_EXPANSION * (long long)(size))
    {
        decoder.sizeError = "the pixel data cannot fit in so small a file";
        return false;
    }
    cinfo.out_color_space = JCS_RGB; // grey pictures come out as RGB too
    jpeg_start_decompress(&cinfo);
    out.width = int(cinfo.output_width);
    out.height = int(cinfo.output_height);
    out.alpha = false;
    size_t const rowBytes = size_t(out.width) * 3;
    out.data.reset(new unsigned char[rowBytes * out.height]);
    // Rows are kept bottom row first, as the textures made from them expect.
    while (cinfo.output_scanline < cinfo.output_height)
    {
        JSAMPROW row = out.data.get() + rowBytes * (out.height - 1 - int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

// ---- TGA --------------------------------------------------------------------

struct TgaHeader
{
    int identificationLength = 0;
    int colorMapType = 0;
    int imageType = 0;
    int colorMapFirstEntry = 0;
    int colorMapLength = 0;
    int colorMapEntryBits = 0;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
};

constexpr size_t TGA_HEADER_SIZE = 18;

int readLittleEndian16(unsigned char const* bytes)
{
    return bytes[0] | (bytes[1] << 8);
}

TgaHeader parseTgaHeader(unsigned char const* bytes)
{
    TgaHeader header;
    header.identificationLength = bytes[0];
    header.colorMapType = bytes[1];
    header.imageType = bytes[2];
    header.colorMapFirstEntry = readLittleEndian16(bytes + 3);
    header.colorMapLength = readLittleEndian16(bytes + 5);
    header.colorMapEntryBits = bytes[7];
    header.width = readLittleEndian16(bytes + 12);
    header.height = readLittleEndian16(bytes + 14);
    header.bitsPerPixel = bytes[16];
    return header;
}

// Reads bytes of the file in order, refusing to go past its end.
struct ByteCursor
{
    unsigned char const* bytes = NULL;
    size_t size = 0;
    size_t position = 0;

    size_t getRemaining() const { return size - position; }
    unsigned char const* take(size_t count)
    {
        if (count > getRemaining())
            return NULL;
        unsigned char const* const start = bytes + position;
        position += count;
        return start;
    }
};

// Turns one stored pixel value into the decoded layout (RGB, RGBA, grey or grey-alpha).
struct TgaPixelFormat
{
    int storedBytes = 0;  // bytes of one pixel value in the file
    int components = 0;   // 1 grey, 2 grey-alpha, 3 RGB, 4 RGBA
    bool mapped = false;  // the value is an index into the colour map
    std::vector<unsigned char> colorMap; // entries already turned to RGB(A)

    bool convert(unsigned char const* stored, unsigned char* target) const;
};

void convertTrueColor(unsigned char const* stored, int storedBytes, unsigned char* target)
{
    if (storedBytes == 2)
    {
        int const value = readLittleEndian16(stored);
        target[0] = (unsigned char)((value >> 7) & 0xF8);
        target[1] = (unsigned char)((value >> 2) & 0xF8);
        target[2] = (unsigned char)((value << 3) & 0xFF);
        return;
    }
    target[0] = stored[2];
    target[1] = stored[1];
    target[2] = stored[0];
    if (storedBytes == 4)
        target[3] = stored[3];
}

bool TgaPixelFormat::convert(unsigned char const* stored, unsigned char* target) const
{
    if (mapped)
    {
        size_t const offset = size_t(stored[0]) * components;
        if (offset + components > colorMap.size())
            return false;
        memcpy(target, colorMap.data() + offset, components);
        return true;
    }
    if (components <= 2)
        memcpy(target, stored, components);
    else
        convertTrueColor(stored, storedBytes, target);
    return true;
}

bool readTgaColorMap(TgaHeader const& header, ByteCursor& cursor, TgaPixelFormat& format, std::string& error)
{
    if (header.colorMapType == 0)
        return true;
    int const entryBytes = (header.colorMapEntryBits + 7) / 8;
    unsigned char const* const map = cursor.take(size_t(header.colorMapLength) * entryBytes);
    if (map == NULL)
    {
        error = "the colour map runs past the end of the file";
        return false;
    }
    if (!format.mapped)
        return true; // a map in a true-colour file is read and unused
    if (entryBytes < 2 || entryBytes > 4)
    {
        error = "unsupported colour map entry size " + std::to_string(header.colorMapEntryBits);
        return false;
    }
    format.components = entryBytes == 4 ? 4 : 3;
    format.colorMap.resize(size_t(header.colorMapLength) * format.components);
    for (int i = 0; i < header.colorMapLength; ++i)
        convertTrueColor(map + size_t(i) * entryBytes, entryBytes, format.colorMap.data() + size_t(i) * format.components);
    return true;
}

bool chooseTgaFormat(TgaHeader const& header, TgaPixelFormat& format, std::string& error)
{
    int const baseType = header.imageType & 7;
    format.storedBytes = (header.bitsPerPixel + 7) / 8;
    if (baseType == 1)
    {
        if (header.colorMapType == 0 || header.bitsPerPixel != 8)
        {
            error = "colour-mapped image without an 8-bit map index";
            return false;
        }
        format.mapped = true;
        format.components = 3;
        return true;
    }
    if (baseType == 2)
    {
        if (header.bitsPerPixel != 15 && header.bitsPerPixel != 16 && header.bitsPerPixel != 24 &&
            header.bitsPerPixel != 32)
        {
            error = "unsupported true-colour depth " + std::to_string(header.bitsPerPixel);
            return false;
        }
        format.components = header.bitsPerPixel <= 24 ? 3 : 4;
        return true;
    }
    if (header.bitsPerPixel != 8 && header.bitsPerPixel != 16)
    {
        error = "unsupported grey depth " + std::to_string(header.bitsPerPixel);
        return false;
    }
    format.components = header.bitsPerPixel == 8 ? 1 : 2;
    return true;
}

bool decodeTgaRaw(ByteCursor& cursor, TgaPixelFormat const& format, size_t pixelCount, unsigned char* decoded,
                  std::string& error)
{
    unsigned char const* const stored = cursor.take(pixelCount * format.storedBytes);
    if (stored == NULL)
    {
        error = "the pixel data runs past the end of the file";
        return false;
    }
    for (size_t i = 0; i < pixelCount; ++i)
        if (!format.convert(stored + i * format.storedBytes, decoded + i * format.components))
        {
            error = "a colour index lies outside the colour map";
            return false;
        }
    return true;
}

bool decodeTgaRunLength(ByteCursor& cursor, TgaPixelFormat const& format, size_t pixelCount,
                        unsigned char* decoded, std::string& error)
{
    size_t done = 0;
    while (done < pixelCount)
    {
        unsigned char const* const header = cursor.take(1);
        if (header == NULL)
        {
            error = "the run-length data runs past the end of the file";
            return false;
        }
        size_t const count = size_t(header[0] & 127) + 1;
        bool const repeated = header[0] >= 128;
        if (count > pixelCount - done)
        {
            error = "a run-length packet overruns the image";
            return false;
        }
        unsigned char const* const stored = cursor.take((repeated ? 1 : count) * format.storedBytes);
        if (stored == NULL)
        {
            error = "the run-length data runs past the end of the file";
            return false;
        }
        for (size_t i = 0; i < count; ++i)
            if (!format.convert(stored + (repeated ? 0 : i * format.storedBytes), decoded + (done + i) * format.components))
            {
                error = "a colour index lies outside the colour map";
                return false;
            }
        done += count;
    }
    return true;
}

// Grey and grey-alpha become RGB and RGBA; the rows are put top row first by
// taking the decoded rows from the last one.
void storeTgaRows(unsigned char const* decoded, TgaPixelFormat const& format, ImageLoader::Pixels& out)
{
    out.alpha = format.components == 2 || format.components == 4;
    int const outBytes = out.getBytesPerPixel();
    size_t const pixelsPerRow = size_t(out.width);
    out.data.reset(new unsigned char[pixelsPerRow * out.height * outBytes]);
    for (int y = 0; y < out.height; ++y)
    {
        unsigned char const* source = decoded + (size_t(out.height - 1 - y) * pixelsPerRow) * format.components;
        unsigned char* target = out.data.get() + size_t(y) * pixelsPerRow * outBytes;
        if (format.components >= 3)
        {
            memcpy(target, source, pixelsPerRow * outBytes);
            continue;
        }
        for (size_t x = 0; x < pixelsPerRow; ++x, source += format.components, target += outBytes)
        {
            target[0] = target[1] = target[2] = source[0];
            if (format.components == 2)
                target[3] = source[1];
        }
    }
}

// ---- Stretch ----------------------------------------------------------------

// Which source pixels an output pixel's box covers along one axis, and how much of each.
// Like gluScaleImage, an enlarged pixel's box is one source pixel wide around its
// centre, and a box that leaves the picture wraps to the other side.
struct Contribution
{
    int source = 0;
    double weight = 0.0;
};

std::vector<std::vector<Contribution>> getContributions(int sourceSide, int targetSide)
{
    std::vector<std::vector<Contribution>> contributions(targetSide);
    double const step = double(sourceSide) / targetSide;
    double const halfBox = sourceSide > targetSide ? step / 2 : 0.5;
    for (int i = 0; i < targetSide; ++i)
    {
        double const centre = step * (i + 0.5);
        double const high = centre + halfBox;
        double position = centre - halfBox;
        for (double cell = std::floor(position); position < high; position = ++cell)
        {
            int const source = (int(cell) % sourceSide + sourceSide) % sourceSide;
            contributions[i].push_back(Contribution{source, std::min(high, cell + 1) - position});
        }
    }
    return contributions;
}

bool scaleWithOpenGL(ImageLoader::Pixels const& source, int newWidth, int newHeight, unsigned char* target)
{
    // gluScaleImage honours the pixel-store alignment; rows here are tightly packed.
    GLint packAlignment = 4;
    GLint unpackAlignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpackAlignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    GLenum const format = source.alpha ? GL_RGBA : GL_RGB;
    GLint const result = gluScaleImage(format, source.width, source.height, GL_UNSIGNED_BYTE, source.data.get(),
                                       newWidth, newHeight, GL_UNSIGNED_BYTE, target);
    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment);
    return result == 0;
}
}

// ---- ImageLoader ------------------------------------------------------------

bool ImageLoader::getHasSuffix_(char const* fileName, char const* suffix)
{
    size_t const length = strlen(fileName);
    size_t const suffixLength = strlen(suffix);
    return length >= suffixLength && strcmp(fileName + length - suffixLength, suffix) == 0;
}

bool ImageLoader::getIsJpegFile(char const* fileName)
{
    size_t const length = strlen(fileName);
    return (length > 4 && (getHasSuffix_(fileName, ".jpg") || getHasSuffix_(fileName, ".JPG"))) ||
           (length > 5 && (getHasSuffix_(fileName, ".jpeg") || getHasSuffix_(fileName, ".JPEG")));
}

bool ImageLoader::getIsPngFile(char const* fileName)
{
    return strlen(fileName) >= 5 && (getHasSuffix_(fileName, ".png") || getHasSuffix_(fileName, ".PNG"));
}

bool ImageLoader::getIsTgaFile(char const* fileName)
{
    size_t const length = strlen(fileName);
    if (length < 4)
        return false;
    char const* const end = fileName + length - 4;
    return end[0] == '.' && toupper((unsigned char)end[1]) == 'T' && toupper((unsigned char)end[2]) == 'G' &&
           toupper((unsigned char)end[3]) == 'A';
}

bool ImageLoader::decodePng(unsigned char const* bytes, size_t size, Pixels& out, std::string& error)
{
    if (size < 8 || png_sig_cmp(bytes, 0, 8) != 0)
    {
        error = "[read_png_file] File is not recognized as a PNG file";
        return false;
    }
    PngReader reader;
    reader.bytes = bytes;
    reader.size = size;
    reader.position = 8;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &reader, onPngError, onPngWarning);
    if (png == NULL)
    {
        error = "[read_png_file] png_create_read_struct failed";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == NULL)
    {
        png_destroy_read_struct(&png, NULL, NULL);
        error = "[read_png_file] png_create_info_struct failed";
        return false;
    }
    std::string sizeError;
    bool ok = readPngHeader(png, info, reader, out, sizeError);
    if (!ok)
        error = "[read_png_file] Error during init_io";
    else if (!(ok = readPngRows(png, reader, out)))
        error = "[read_png_file] Error during read_image";
    png_destroy_read_struct(&png, &info, NULL);
    if (ok)
        return true;
    out.data.reset();
    std::string const reason = sizeError.empty() ? reader.libraryMessage : sizeError;
    if (!reason.empty())
        error += "\n(" + reason + ")";
    return false;
}

bool ImageLoader::decodeJpeg(unsigned char const* bytes, size_t size, Pixels& out, std::string& error)
{
    if (size == 0)
    {
        error = "empty file";
        return false;
    }
    JpegDecoder decoder;
    decoder.cinfo.err = jpeg_std_error(&decoder.errors.standard);
    decoder.errors.standard.error_exit = onJpegError;
    decoder.errors.standard.emit_message = onJpegMessage;
    decoder.errors.message[0] = '\0';
    jpeg_create_decompress(&decoder.cinfo);
    decoder.progress.progress_monitor = onJpegProgress;
    decoder.cinfo.progress = &decoder.progress;
    bool const ok = runJpegDecoder(decoder, bytes, size, out);
    jpeg_destroy_decompress(&decoder.cinfo);
    if (ok)
        return true;
    out.data.reset();
    error = decoder.sizeError.empty() ? std::string(decoder.errors.message) : decoder.sizeError;
    return false;
}

bool ImageLoader::decodeTga(unsigned char const* bytes, size_t size, Pixels& out, std::string& error)
{
    if (size < TGA_HEADER_SIZE)
    {
        error = "the file is shorter than a TGA header";
        return false;
    }
    TgaHeader const header = parseTgaHeader(bytes);
    int const type = header.imageType;
    if (type == 0)
    {
        error = "the TGA file holds no image data";
        return false;
    }
    if ((type >= 4 && type <= 8) || type > 11)
    {
        char line[64];
        snprintf(line, sizeof(line), "error: unknown TGA image type %i!", type);
        error = line;
        return false;
    }
    if (!getIsSizeAcceptable(header.width, header.height, error))
        return false;
    TgaPixelFormat format;
    if (!chooseTgaFormat(header, format, error))
        return false;
    ByteCursor cursor;
    cursor.bytes = bytes;
    cursor.size = size;
    cursor.position = TGA_HEADER_SIZE;
    if (cursor.take(header.identificationLength) == NULL)
    {
        error = "the identification field runs past the end of the file";
        return false;
    }
    if (!readTgaColorMap(header, cursor, format, error))
        return false;
    size_t const pixelCount = size_t(header.width) * header.height;
    bool const runLength = type >= 9;
    // Every run-length packet covers at most 128 pixels: a file too short for that is refused before allocating.
    size_t const minimumBytes = runLength ? (pixelCount + 127) / 128 * (1 + format.storedBytes)
                                          : pixelCount * format.storedBytes;
    if (minimumBytes > cursor.getRemaining())
    {
        error = "the pixel data runs past the end of the file";
        return false;
    }
    std::vector<unsigned char> decoded(pixelCount * format.components);
    bool const ok = runLength ? decodeTgaRunLength(cursor, format, pixelCount, decoded.data(), error)
                              : decodeTgaRaw(cursor, format, pixelCount, decoded.data(), error);
    if (!ok)
        return false;
    out.width = header.width;
    out.height = header.height;
    storeTgaRows(decoded.data(), format, out);
    return true;
}

int ImageLoader::getPowerOfTwoSide(int side)
{
    int powerOfTwo = 2;
    while (powerOfTwo < side)
        powerOfTwo *= 2;
    return powerOfTwo;
}

std::unique_ptr<unsigned char[]> ImageLoader::scalePixels(Pixels const& source, int newWidth, int newHeight)
{
    int const bytesPerPixel = source.getBytesPerPixel();
    std::unique_ptr<unsigned char[]> target(new unsigned char[size_t(newWidth) * newHeight * bytesPerPixel]);
    std::vector<std::vector<Contribution>> const columns = getContributions(source.width, newWidth);
    std::vector<std::vector<Contribution>> const rows = getContributions(source.height, newHeight);
    unsigned char* pixel = target.get();
    for (int y = 0; y < newHeight; ++y)
        for (int x = 0; x < newWidth; ++x, pixel += bytesPerPixel)
            for (int c = 0; c < bytesPerPixel; ++c)
            {
                double sum = 0.0;
                double area = 0.0;
                for (Contribution const& row : rows[y])
                    for (Contribution const& column : columns[x])
                    {
                        double const weight = row.weight * column.weight;
                        sum += weight * source.data[(size_t(row.source) * source.width + column.source) * bytesPerPixel + c];
                        area += weight;
                    }
                pixel[c] = (unsigned char)(std::min(255.0, (sum + 0.5) / area));
            }
    return target;
}

bool ImageLoader::stretchToPowerOfTwo(Pixels& pixels)
{
    int const newWidth = getPowerOfTwoSide(pixels.width);
    int const newHeight = getPowerOfTwoSide(pixels.height);
    if (newWidth == pixels.width && newHeight == pixels.height)
        return false;
    // gluScaleImage reads the pixel-store state, so it needs a current context;
    // without one (tools, tests on bytes) the same area-weighted scaling runs here.
    std::unique_ptr<unsigned char[]> scaled;
    if (GLPlatform::hasCurrentContext())
    {
        scaled.reset(new unsigned char[size_t(newWidth) * newHeight * pixels.getBytesPerPixel()]);
        if (!scaleWithOpenGL(pixels, newWidth, newHeight, scaled.get()))
            scaled.reset();
    }
    if (!scaled)
        scaled = scalePixels(pixels, newWidth, newHeight);
    pixels.data = std::move(scaled);
    pixels.width = newWidth;
    pixels.height = newHeight;
    return true;
}

std::unique_ptr<unsigned char[]> ImageLoader::readSource_(char const* fileName, size_t& size)
{
    std::string const name(fileName);
    if (DataPack::defaultDataPack != NULL)
    {
        unsigned int entrySize = 0;
        FILE* const stream = DataPack::defaultDataPack->getFileDescriptor(fileName, entrySize, false);
        if (stream == NULL)
            FATAL_ERROR(("loadImage: can't find " + name + " in data pack").c_str());
        std::unique_ptr<unsigned char[]> bytes(new unsigned char[entrySize > 0 ? entrySize : 1]);
        if (fread(bytes.get(), 1, entrySize, stream) != entrySize)
            FATAL_ERROR(("loadImage: can't read " + name + " from data pack").c_str());
        size = entrySize;
        return bytes;
    }
    FILE* const file = fopen(fileName, "rb");
    if (file == NULL)
        FATAL_ERROR(("loadImage: can't open '" + name + "'").c_str());
    long const length = FileManager::getOpenFileLength(file);
    std::unique_ptr<unsigned char[]> bytes(new unsigned char[length > 0 ? size_t(length) : 1]);
    bool const read = length >= 0 && fread(bytes.get(), 1, size_t(length), file) == size_t(length);
    fclose(file);
    if (!read)
        FATAL_ERROR(("loadImage: can't read '" + name + "'").c_str());
    size = size_t(length);
    return bytes;
}

bool ImageLoader::decode_(char const* fileName, unsigned char const* bytes, size_t size, Pixels& out,
                          std::string& error, bool verbose)
{
    if (getIsJpegFile(fileName))
    {
        if (verbose)
            std::cout << "(jpeg)";
        return decodeJpeg(bytes, size, out, error);
    }
    if (getIsPngFile(fileName))
    {
        if (verbose)
            std::cout << "(png)";
        return decodePng(bytes, size, out, error);
    }
    if (verbose)
        std::cout << "(tga)";
    return decodeTga(bytes, size, out, error);
}

unsigned char* ImageLoader::loadImage(char const* fileName, int& width, int& height, bool& alpha, bool verbose)
{
    ASSERT(fileName != NULL, NULL);
    std::string const name(fileName);
    if (verbose)
        std::cout << "Loading image '" << fileName << (DataPack::defaultDataPack != NULL ? "' from data pack" : "'")
                  << " ..." << std::flush;
    size_t size = 0;
    std::unique_ptr<unsigned char[]> const bytes = readSource_(fileName, size);
    if (!getIsJpegFile(fileName) && !getIsPngFile(fileName) && !getIsTgaFile(fileName))
        FATAL_ERROR(("loadImage : File format not recognised" + name).c_str());
    Pixels pixels;
    std::string error;
    if (!decode_(fileName, bytes.get(), size, pixels, error, verbose))
    {
        std::cout.flush();
        std::cerr << error << std::endl;
        if (getIsJpegFile(fileName))
            FATAL_ERROR(("loadJpeg : cannot load jpeg file " + name).c_str());
        if (getIsPngFile(fileName))
            FATAL_ERROR(("loadPng : cannot load png file " + name).c_str());
        FATAL_ERROR(("loadTga : cannot load tga file " + name).c_str());
    }
    bool const stretched = stretchToPowerOfTwo(pixels);
    width = pixels.width;
    height = pixels.height;
    alpha = pixels.alpha;
    if (verbose)
        std::cout << (stretched ? " (image was streched) " : "") << "... done (width=" << width
                  << " height=" << height << " isAlpha=" << (alpha ? 1 : 0) << ")" << std::endl;
    return pixels.data.release();
}
