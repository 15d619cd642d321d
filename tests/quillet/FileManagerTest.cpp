#include "FileManager.h"
#include "TestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

TEST(FileManager, DirectoryPartEndsAtTheLastSeparator)
{
    EXPECT_EQ(FileManager::getDirectoryFromFilePath("menus/x.png"), "menus/");
    EXPECT_EQ(FileManager::getDirectoryFromFilePath("x.png"), "");
    EXPECT_EQ(FileManager::getDirectoryFromFilePath("data\\menus\\"), "data\\menus\\");
    EXPECT_EQ(FileManager::getDirectoryFromFilePath("a/b\\c.png"), "a/b\\");
    EXPECT_EQ(FileManager::getDirectoryFromFilePath("/x"), "/");
    EXPECT_EQ(FileManager::getDirectoryFromFilePath(""), "");
}

TEST(FileManager, ListsEntriesWithoutDotAndDotDot)
{
    std::string const folder = TestSupport::makeTemporaryFolder();
    TestSupport::writeFile(folder + "/a.png", "1");
    TestSupport::writeFile(folder + "/b.lua", "22");
    ASSERT_EQ(mkdir((folder + "/sub").c_str(), 0755), 0);
    std::unique_ptr<std::vector<std::string>> names(FileManager::getDirectoryFiles(folder));
    ASSERT_NE(names, nullptr);
    std::sort(names->begin(), names->end());
    EXPECT_EQ(*names, (std::vector<std::string>{"a.png", "b.lua", "sub"}));

    std::string const withTail = folder + "/sub-and-more";
    std::unique_ptr<std::vector<std::string>> sub(
        FileManager::getDirectoryFiles(withTail.c_str(), int(folder.size() + 4)));
    ASSERT_NE(sub, nullptr);
    EXPECT_TRUE(sub->empty());

    EXPECT_EQ(FileManager::getDirectoryFiles(folder + "/none"), nullptr);
}

TEST(FileManager, SizesAndExistence)
{
    std::string const folder = TestSupport::makeTemporaryFolder();
    TestSupport::writeFile(folder + "/five", "12345");
    TestSupport::writeFile(folder + "/empty", "");
    EXPECT_EQ(FileManager::getFileSize(folder + "/five"), 5u);
    EXPECT_EQ(FileManager::getFileSize(folder + "/empty"), 0u);
    EXPECT_EQ(FileManager::getFileSize(folder + "/none"), 0xFFFFFFFFu);
    EXPECT_EQ(FileManager::getFileSize(folder), 0xFFFFFFFFu); // a folder has no length of bytes
    EXPECT_TRUE(FileManager::fileExists(folder + "/empty"));
    EXPECT_FALSE(FileManager::fileExists(folder + "/none"));
}
