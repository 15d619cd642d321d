#include "DataPack.h"
#include "PackFolder.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace
{
std::string makeFolder()
{
    std::string const folder = TestSupport::makeTemporaryFolder();
    mkdir((folder + "/menus").c_str(), 0755);
    mkdir((folder + "/menus/deep").c_str(), 0755);
    TestSupport::writeFile(folder + "/world.lua", "function lua_loop() end\n");
    TestSupport::writeFile(folder + "/empty.txt", "");
    TestSupport::writeFile(folder + "/menus/deep/binary.png", std::string("\x89PNG\0\r\n\xff", 8));
    return folder;
}
} // namespace

TEST(PackFolder, CreateListAndExtractGiveBackTheFolderByteForByte)
{
    std::string const folder = makeFolder();
    std::string const pack = TestSupport::makeTemporaryFolder() + "/game.pack";
    PackFolder::createPack(folder, pack);
    std::vector<std::string> const files = {"empty.txt", "menus/deep/binary.png", "world.lua"};
    EXPECT_EQ(PackFolder::listFolderFiles(folder), files);
    std::ostringstream listing;
    PackFolder::printPack(pack, listing);
    EXPECT_EQ(listing.str(), "empty.txt 0\nmenus/deep/binary.png 8\nworld.lua 24\n");
    std::string const copy = TestSupport::makeTemporaryFolder() + "/copy";
    EXPECT_TRUE(PackFolder::extractPack(pack, copy).empty());
    EXPECT_EQ(PackFolder::listFolderFiles(copy), files);
    for (std::string const& file : files)
        EXPECT_TRUE(TestSupport::readFile(folder + "/" + file) == TestSupport::readFile(copy + "/" + file)) << file;
}

TEST(PackFolder, APackInsideTheFolderIsNotPackedIntoItself)
{
    std::string const folder = makeFolder();
    TestSupport::writeFile(folder + "/game.pack", "an older pack");
    PackFolder::createPack(folder, folder + "/game.pack");
    DataPack const pack((folder + "/game.pack").c_str(), false);
    EXPECT_EQ(pack.getFileCount(), 3u);
}

// A pack from elsewhere must not write outside the folder it is extracted to.
TEST(PackFolder, ExtractionRefusesNamesThatLeaveTheFolder)
{
    std::string const root = TestSupport::makeTemporaryFolder();
    mkdir((root + "/source").c_str(), 0755);
    TestSupport::writeFile(root + "/outside.txt", "outside");
    TestSupport::writeFile(root + "/source/inside.txt", "inside");
    std::string const pack = root + "/evil.pack";
    DataPack::saveFilesInDataPack({"../outside.txt", "inside.txt"}, pack.c_str(), false, root + "/source/");
    mkdir((root + "/target").c_str(), 0755);
    std::vector<std::string> const problems = PackFolder::extractPack(pack, root + "/target/sub");
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("'../outside.txt'"), std::string::npos) << problems[0];
    EXPECT_EQ(TestSupport::readFile(root + "/target/sub/inside.txt"), "inside");
    EXPECT_EQ(TestSupport::readFile(root + "/target/outside.txt"), "");

    for (char const* name : {"", "/etc/passwd", "a/../../b", "./a", "a//b", "a/"})
        EXPECT_FALSE(PackFolder::isSafeEntryName(name)) << name;
    for (char const* name : {"a", "menus/main_menu.png", "a..b/c"})
        EXPECT_TRUE(PackFolder::isSafeEntryName(name)) << name;
}
