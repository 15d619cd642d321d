#include "Image.h"

#include "DeviceManager.h"
#include "Errors.h"
#include "ImageLoader.h"

#include <cstring>
#include <iostream>

Image::Image(DeviceManager* dm, char const* fileName_, bool verbose) : deviceManager(dm), fileName(fileName_ ? fileName_ : "")
{
    ASSERT(fileName_ != NULL, NULL);
    std::cout << "Loading image '" << fileName << "'" << std::endl;
    data = ImageLoader::loadImage(fileName_, width, height, alpha, verbose);
    if (dm != NULL)
        generateTexture();
    else
        updateTranslucency_();
}

Image::Image(int width_, int height_, bool alpha_) : width(width_), height(height_), alpha(alpha_), deviceManager(::deviceManager)
{
    ASSERT(width_ > 0 && height_ > 0, "Image: a blank picture needs a positive size");
    ASSERT(deviceManager != NULL, NULL);
    size_t const size = size_t(width) * height * getBytesPerPixel_();
    data = new unsigned char[size];
    memset(data, 0, size);
    generateTexture();
}

Image::~Image()
{
    std::cout << "Freeing image '" << fileName << "'" << std::endl;
    delete[] data;
    freeTexture();
}

void Image::freeUselessMemory()
{
    delete[] data;
    data = NULL;
}

void Image::generateTexture()
{
    ASSERT(deviceManager != NULL, "a picture loaded without the device manager has no texture");
    // The pixels may have been changed in place since they were loaded.
    updateTranslucency_();
    textureId = deviceManager->loadTexture(width, height, data, alpha);
}

void Image::freeTexture()
{
    if (textureId != 0)
        deviceManager->unloadTexture(textureId);
    textureId = 0;
}

Color4 Image::readPixel(unsigned char const* data, int width, bool alpha, Int2 const& p)
{
    int const bytesPerPixel = alpha ? 4 : 3;
    unsigned char const* const pixel = data + (size_t(width) * p.y() + p.x()) * bytesPerPixel;
    return Color4(pixel[0], pixel[1], pixel[2], alpha ? pixel[3] : 255);
}

Color4 Image::getPixel(Int2 const& p) const
{
    ASSERT(data != NULL, "Image::getPixel: the pixels were freed");
    ASSERT(p.x() >= 0 && p.x() < width && p.y() >= 0 && p.y() < height, "Image::getPixel: outside the picture");
    return readPixel(data, width, alpha, p);
}

void Image::keyOutColor(unsigned char const* source, bool sourceAlpha, size_t pixelCount, Color4 const& key,
                        int tolerance, unsigned char* target)
{
    int const sourceBytes = sourceAlpha ? 4 : 3;
    for (size_t i = 0; i < pixelCount; ++i, source += sourceBytes, target += 4)
    {
        bool matches = true;
        for (int c = 0; c < 3; ++c)
        {
            int const value = source[c];
            matches = matches && key[c] - tolerance <= value && value <= key[c] + tolerance;
            target[c] = source[c];
        }
        target[3] = matches ? 0 : 255;
    }
}

void Image::setTransparentColor(unsigned char r, unsigned char g, unsigned char b, int tolerance, bool verbose)
{
    ASSERT(data != NULL,
           "Image::setTransparentColor: data == NULL\n(Do you have called freeUselessMemory before calling this function?)");
    if (verbose)
        std::cout << "Setting transparent color (" << int(r) << " " << int(g) << " " << int(b) << ") with tolerance "
                  << tolerance << (alpha ? "" : " (converting to RGBA) ") << std::flush;
    size_t const pixelCount = size_t(width) * height;
    if (alpha)
        keyOutColor(data, true, pixelCount, Color4(r, g, b, 255), tolerance, data);
    else
    {
        unsigned char* const rgba = new unsigned char[pixelCount * 4];
        keyOutColor(data, false, pixelCount, Color4(r, g, b, 255), tolerance, rgba);
        delete[] data;
        data = rgba;
        alpha = true;
    }
    freeTexture();
    if (deviceManager != NULL)
        generateTexture();
    else
        updateTranslucency_();
    if (verbose)
        std::cout << " ... done." << std::endl;
}

bool Image::hasTranslucentPixel(unsigned char const* data, bool alpha, size_t pixelCount)
{
    if (!alpha)
        return false;
    for (size_t i = 0; i < pixelCount; ++i)
        if (data[4 * i + 3] != 255)
            return true;
    return false;
}

void Image::updateTranslucency_()
{
    // Without the pixels, what was known of them stays.
    if (data != NULL)
        translucent = hasTranslucentPixel(data, alpha, size_t(width) * height);
}

int Image::getBytesPerPixel_() const
{
    return alpha ? 4 : 3;
}

int Image::getWidth() const
{
    return width;
}

int Image::getHeight() const
{
    return height;
}

bool Image::getIsAlpha() const
{
    return alpha;
}

bool Image::getIsTranslucent() const
{
    return translucent;
}

int Image::getTextureId() const
{
    return textureId;
}

unsigned char const* Image::getData() const
{
    return data;
}

unsigned char* Image::getData()
{
    return data;
}

std::string const& Image::getFileName() const
{
    return fileName;
}

std::ostream& operator<<(std::ostream& out, Image const& image)
{
    return out << "Image (width=" << image.getWidth() << ";height=" << image.getHeight() << ")";
}
