#ifndef GENERATEDDATA_H
#define GENERATEDDATA_H

// Access to the game data folder made by the build, for the generator's tests.

#include "PngFile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <string>

namespace GeneratedData
{
inline std::string path(std::string const& relativePath)
{
    return std::string(GAME_DATA_DIR) + "/" + relativePath;
}

// The picture as stored; fails the test when it cannot be read.
inline Canvas picture(std::string const& relativePath, bool* hasAlpha = nullptr)
{
    Canvas result(1, 1, Color4(0, 0, 0, 0));
    bool alpha = false;
    EXPECT_TRUE(PngFile::read(path(relativePath), result, alpha)) << relativePath;
    if (hasAlpha != nullptr)
        *hasAlpha = alpha;
    return result;
}

inline float luminance(Color4 const& c)
{
    return 0.299f * c.x() + 0.587f * c.y() + 0.114f * c.z();
}

char const* const CUBE_TEXTURES[] = {"grass_top.png", "grass_side.png", "dirt.png",  "stone.png",
                                     "cobblestone.png", "sand.png",     "wood_planks.png", "leaves.png",
                                     "brick.png",     "snow.png",       "glass.png"};
}

#endif
