#include "TestPictures.h"

#include <functional>

namespace
{
// 32-bit pixels; every row is the same, so the row order does not matter.
std::string tgaOfColumns(int width, int height, std::function<Color4(int)> const& column)
{
    std::string tga(18, '\0');
    tga[2] = 2; // uncompressed true colour
    tga[12] = static_cast<char>(width & 255);
    tga[13] = static_cast<char>(width >> 8);
    tga[14] = static_cast<char>(height & 255);
    tga[15] = static_cast<char>(height >> 8);
    tga[16] = 32;
    tga[17] = 8; // alpha bits
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            Color4 const c = column(x);
            tga += std::string({static_cast<char>(c.z()), static_cast<char>(c.y()), static_cast<char>(c.x()),
                                static_cast<char>(c.w())});
        }
    return tga;
}
}

namespace TestPictures
{
std::string plainTga(Color4 const& colour)
{
    return tgaOfColumns(4, 4, [&colour](int) { return colour; });
}

std::string fontStripTga()
{
    int const lastInked = 2 + 94 * 3;
    return tgaOfColumns(512, FONT_HEIGHT, [lastInked](int x) {
        bool const inked = x >= 2 && x < lastInked && (x - 2) % 3 != 2;
        return inked ? Color4(255, 255, 255, 255) : Color4(0, 0, 0, 0);
    });
}
}
