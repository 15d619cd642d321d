#include "FileManager.h"
#include "TestSupport.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
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

namespace
{
std::vector<std::string> folderEntries(std::string const& folder)
{
    std::unique_ptr<std::vector<std::string>> names(FileManager::getDirectoryFiles(folder));
    std::sort(names->begin(), names->end());
    return *names;
}

bool writeReplacement(std::string const& path, std::string const& bytes)
{
    FileManager::Replacement replacement;
    if (!FileManager::openReplacement(path, replacement))
        return false;
    fwrite(bytes.data(), 1, bytes.size(), replacement.file);
    return FileManager::commitReplacement(replacement);
}
}

TEST(FileManager, ReplacementTakesThePlaceOfTheFileAndKeepsItsPermissions)
{
    std::string const folder = TestSupport::makeTemporaryFolder();
    std::string const path = folder + "/world.dat";
    TestSupport::writeFile(path, "old contents, longer than the new");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(writeReplacement(path, std::string("new\0bytes", 9)));
    EXPECT_EQ(TestSupport::readFile(path), std::string("new\0bytes", 9));
    struct stat status = {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(folderEntries(folder), std::vector<std::string>{"world.dat"});

    ASSERT_TRUE(writeReplacement(folder + "/fresh.dat", "x"));
    EXPECT_EQ(TestSupport::readFile(folder + "/fresh.dat"), "x");
}

TEST(FileManager, FailedReplacementLeavesThePreviousFileAndNoTemporaryFile)
{
    std::string const folder = TestSupport::makeTemporaryFolder();
    // A folder cannot be replaced by a file: the last step fails.
    std::string const path = folder + "/taken";
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
    TestSupport::writeFile(path + "/inside", "kept");
    errno = 0;
    EXPECT_FALSE(writeReplacement(path, "replacement"));
    EXPECT_NE(errno, 0);
    EXPECT_EQ(TestSupport::readFile(path + "/inside"), "kept");
    EXPECT_EQ(folderEntries(folder), std::vector<std::string>{"taken"});

    FileManager::Replacement replacement;
    EXPECT_FALSE(FileManager::openReplacement(folder + "/no/such/folder/world.dat", replacement));
    EXPECT_EQ(replacement.file, nullptr);
}
