#include "GeneratedData.h"
#include "ImageLoader.h"

#include <dirent.h>
#include <gtest/gtest.h>

namespace
{
// Relative paths of the files under folder whose names end in suffix.
void listFiles(std::string const& root, std::string const& folder, std::string const& suffix,
               std::vector<std::string>& found)
{
    DIR* directory = opendir((root + "/" + folder).c_str());
    ASSERT_NE(directory, nullptr) << folder;
    while (dirent* entry = readdir(directory))
    {
        std::string const name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        std::string const relative = folder.empty() ? name : folder + "/" + name;
        if (entry->d_type == DT_DIR)
            listFiles(root, relative, suffix, found);
        else if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            found.push_back(relative);
    }
    closedir(directory);
}
}

TEST(EngineLoading, EveryPictureDecodesWithTheEnginesLoaderAsWritten)
{
    std::vector<std::string> pictures;
    listFiles(GAME_DATA_DIR, "", ".png", pictures);
    EXPECT_GE(pictures.size(), 40u);
    for (std::string const& file : pictures)
    {
        bool writtenAlpha = false;
        Canvas const written = GeneratedData::picture(file, &writtenAlpha);
        int width = 0, height = 0;
        bool alpha = false;
        std::unique_ptr<unsigned char[]> const pixels(
            ImageLoader::loadImage(GeneratedData::path(file).c_str(), width, height, alpha, false));
        ASSERT_NE(pixels, nullptr) << file;
        // Already power-of-two sized: the loader keeps every pixel where it is.
        EXPECT_EQ(width, written.getWidth()) << file;
        EXPECT_EQ(height, written.getHeight()) << file;
        EXPECT_EQ(alpha, writtenAlpha) << file;
        if (width != written.getWidth() || height != written.getHeight())
            continue;
        int const channels = alpha ? 4 : 3;
        int mismatches = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < channels; ++c)
                    mismatches += pixels[(static_cast<size_t>(y) * width + x) * channels + c] != written.getPixel(x, y)[c];
        EXPECT_EQ(mismatches, 0) << file;
    }
}
