#ifndef IMAGE_H
#define IMAGE_H

// An RGB or RGBA picture in memory together with the OpenGL texture made from
// it. The image owns both: its pixel array (which may be dropped early with
// freeUselessMemory once only the texture is needed) and its texture, released
// by the destructor. Pictures loaded from files have power-of-two sides.

#include "BasicVector.h"

#include <cstddef>
#include <ostream>
#include <string>

class DeviceManager;

class Image
{
public:
    // Loads the file (loose or from the default data pack) and makes its
    // texture; without a device manager (tools, no window) only the pixels.
    Image(DeviceManager* dm, char const* fileName, bool verbose);
    // A blank, zero-filled (transparent black) picture and its texture.
    Image(int width, int height, bool alpha);
    ~Image();
    Image(Image const&) = delete;
    Image& operator=(Image const&) = delete;

    // Drops the pixels; the texture stays valid.
    void freeUselessMemory();
    void generateTexture();
    void freeTexture();

    // The pixel at column p.x, row p.y; alpha 255 for RGB pictures. Needs the pixels.
    Color4 getPixel(Int2 const& p) const;
    // Makes every pixel within tolerance of (r, g, b) on each channel transparent and all
    // others opaque, turning an RGB picture into RGBA, then remakes the texture.
    void setTransparentColor(unsigned char r, unsigned char g, unsigned char b, int tolerance, bool verbose);

    int getWidth() const;
    int getHeight() const;
    bool getIsAlpha() const;
    // Whether some pixel lets what lies behind show through (alpha below 255),
    // as the pixels were when the texture was last made. Opaque pictures can
    // be drawn without blending, nearest first.
    bool getIsTranslucent() const;
    int getTextureId() const;
    unsigned char const* getData() const;
    unsigned char* getData();
    std::string const& getFileName() const;

    // The work of getPixel, getIsTranslucent and setTransparentColor on bare pixel arrays.
    static Color4 readPixel(unsigned char const* data, int width, bool alpha, Int2 const& p);
    static bool hasTranslucentPixel(unsigned char const* data, bool alpha, size_t pixelCount);
    // Writes pixelCount RGBA pixels into target (which may be source when it is RGBA).
    static void keyOutColor(unsigned char const* source, bool sourceAlpha, size_t pixelCount, Color4 const& key,
                            int tolerance, unsigned char* target);

private:
    int getBytesPerPixel_() const;
    void updateTranslucency_();

    // Null once freeUselessMemory has run.
    unsigned char* data = NULL;
    int width = 0;
    int height = 0;
    bool alpha = false;
    // Kept because the pixels may be dropped while the texture is still drawn.
    bool translucent = false;
    // 0 while no texture exists.
    int textureId = 0;
    DeviceManager* deviceManager = NULL;
    // Empty for blank pictures.
    std::string fileName;
};

std::ostream& operator<<(std::ostream& out, Image const& image);

#endif
