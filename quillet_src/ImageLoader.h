#ifndef IMAGELOADER_H
#define IMAGELOADER_H

// Turns PNG, JPEG and TGA files, read from the working directory or from the
// default data pack, into tightly packed 8-bit RGB or RGBA pixels whose sides
// are powers of two. The decoders work on bytes in memory and never stop the
// program, so they can be checked (and fuzzed) without a window; loadImage
// reads the source, picks the decoder by file name, stretches the result and
// turns any failure into the fatal report.

#include <cstddef>
#include <memory>
#include <string>

class ImageLoader
{
public:
    // Decoded pixels: width x height x (4 if alpha else 3) bytes, row after row.
    struct Pixels
    {
        std::unique_ptr<unsigned char[]> data;
        int width = 0;
        int height = 0;
        bool alpha = false;

        int getBytesPerPixel() const { return alpha ? 4 : 3; }
    };

    // Pictures are refused beyond these, before anything of their size is allocated,
    // so a forged header cannot ask for gigabytes.
    static constexpr int MAX_SIDE = 16384;
    static constexpr long long MAX_PIXELS = 8192LL * 8192LL;

    // Returns a new[] array that the caller owns, sides powers of two (at least 2).
    static unsigned char* loadImage(char const* fileName, int& width, int& height, bool& alpha, bool verbose);

    static bool getIsPngFile(char const* fileName);
    static bool getIsJpegFile(char const* fileName);
    static bool getIsTgaFile(char const* fileName);

    // Each decoder fills out and returns true, or returns false with the reason in error.
    static bool decodePng(unsigned char const* bytes, size_t size, Pixels& out, std::string& error);
    static bool decodeJpeg(unsigned char const* bytes, size_t size, Pixels& out, std::string& error);
    static bool decodeTga(unsigned char const* bytes, size_t size, Pixels& out, std::string& error);

    // The smallest power of two, at least 2, not below side (1 -> 2, 3 -> 4, 65 -> 128).
    static int getPowerOfTwoSide(int side);
    // Scales the pixels up to power-of-two sides when they are not already; true when it scaled.
    static bool stretchToPowerOfTwo(Pixels& pixels);
    // The box filter of gluScaleImage done on the CPU, used where no OpenGL context is current.
    static std::unique_ptr<unsigned char[]> scalePixels(Pixels const& source, int newWidth, int newHeight);

private:
    static bool getHasSuffix_(char const* fileName, char const* suffix);
    // Whole content of the named file or data-pack entry; stops the program when missing.
    static std::unique_ptr<unsigned char[]> readSource_(char const* fileName, size_t& size);
    static bool decode_(char const* fileName, unsigned char const* bytes, size_t size, Pixels& out,
                        std::string& error, bool verbose);
};

#endif
