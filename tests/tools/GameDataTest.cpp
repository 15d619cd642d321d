#include "GameData.h"
#include "GeneratedData.h"
#include "TestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace
{
long fileSize(std::string const& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? static_cast<long>(info.st_size) : -1;
}
}

TEST(GameData, TwoRunsWriteByteIdenticalFiles)
{
    std::string const first = TestSupport::makeTemporaryFolder();
    std::string const second = TestSupport::makeTemporaryFolder();
    std::vector<std::string> firstFiles, secondFiles;
    ASSERT_TRUE(GameData::generate(first, firstFiles));
    ASSERT_TRUE(GameData::generate(second, secondFiles));
    ASSERT_EQ(firstFiles, secondFiles);
    for (std::string const& file : firstFiles)
    {
        std::string const bytes = TestSupport::readFile(first + "/" + file);
        EXPECT_FALSE(bytes.empty()) << file;
        EXPECT_TRUE(bytes == TestSupport::readFile(second + "/" + file)) << file << " differs between runs";
        // The build's copy is made by the same generator.
        EXPECT_TRUE(bytes == TestSupport::readFile(GeneratedData::path(file))) << file << " differs from the build's";
    }
}

TEST(GameData, WritesEveryFileTheGameLoadsAndStaysSmall)
{
    std::string const folder = TestSupport::makeTemporaryFolder();
    std::vector<std::string> files;
    ASSERT_TRUE(GameData::generate(folder, files));
    std::vector<std::string> required = {
        "default_font.png", "loading.png", "menus/main_menu.png", "menus/options_menu.png", "menus/menu_mouse.png",
        "menus/editor_box.png", "whiteTexture.png", "black_semi_transparent.png", "water.png", "skybox/top.png",
        "skybox/bottom.png", "skybox/left.png", "skybox/right.png", "skybox/front.png", "skybox/back.png",
        "obj_player/player_frame1.obj", "obj_player/player_frame2.obj", "obj_player/player_frame3.obj",
        "obj_player/player_frame4.obj", "obj_player/player_frame5.obj", "sound/walk.wav", "sound/jump.wav",
        "sound/pickup.wav", "world_heightmap.png", "title.png"};
    for (char const* texture : GeneratedData::CUBE_TEXTURES)
    {
        required.push_back(std::string("cube_textures/") + texture);
        required.push_back(std::string("cube_shadowed_textures/") + texture);
    }
    for (std::string const& file : required)
        EXPECT_NE(std::find(files.begin(), files.end(), file), files.end()) << file << " is not generated";

    long total = 0;
    for (std::string const& file : files)
    {
        long const size = fileSize(folder + "/" + file);
        EXPECT_GT(size, 0) << file;
        total += size;
    }
    EXPECT_LT(total, 4L * 1024 * 1024);
}

TEST(GameData, ReportsFailureWhenTheFolderCannotBeWritten)
{
    std::string const folder = TestSupport::makeTemporaryFolder();
    // A plain file where the menus folder belongs makes every menu picture fail.
    TestSupport::writeFile(folder + "/menus", "not a folder");
    std::vector<std::string> files;
    EXPECT_FALSE(GameData::generate(folder, files));
    EXPECT_EQ(std::find(files.begin(), files.end(), "menus/main_menu.png"), files.end());
    EXPECT_NE(std::find(files.begin(), files.end(), "water.png"), files.end());
}
