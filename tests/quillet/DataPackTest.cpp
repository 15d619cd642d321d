#include "DataPack.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace
{
std::string readEntry(DataPack& pack, char const* name)
{
    unsigned int size = 12345;
    FILE* const stream = pack.getFileDescriptor(name, size, false);
    if (stream == NULL)
        return "<missing>";
    std::string content(size, '\0');
    EXPECT_EQ(fread(&content[0], 1, size, stream), size);
    return content;
}

std::string fatalReportOfOpening(std::string const& path)
{
    TestSupport::ChildResult const result = TestSupport::runInChild([path] { DataPack pack(path.c_str(), false); });
    EXPECT_EQ(result.exitStatus, 1);
    return result.errors;
}
}

TEST(DataPack, WrittenPackHoldsNamesSizesAndBytesInOrder)
{
    std::string const folder = TestSupport::makeTemporaryFolder();
    ASSERT_EQ(chdir(folder.c_str()), 0);
    std::string const png = std::string("\x89PNG\0\x01\xFF", 7);
    TestSupport::writeFile("a.png", png);
    TestSupport::writeFile("b.wav", "RIFF");
    DataPack::saveFilesInDataPack({"a.png", "b.wav"}, "pack.dat", false);

    std::string const expected = std::string("a.png\0", 6) + std::string("\x07\0\0\0", 4) + png +
                                 std::string("b.wav\0", 6) + std::string("\x04\0\0\0", 4) + "RIFF";
    EXPECT_EQ(TestSupport::readFile("pack.dat"), expected);

    DataPack pack("pack.dat", false);
    EXPECT_EQ(pack.getFileCount(), 2u);
    EXPECT_EQ(readEntry(pack, "b.wav"), "RIFF");
    EXPECT_EQ(readEntry(pack, "a.png"), png);
    unsigned int size = 99;
    EXPECT_EQ(pack.getFileDescriptor("c.png", size, false), nullptr);
    EXPECT_EQ(size, 99u);
}

TEST(DataPack, EmptyPacksAndRepeatedNames)
{
    std::string const folder = TestSupport::makeTemporaryFolder();
    ASSERT_EQ(chdir(folder.c_str()), 0);
    DataPack::saveFilesInDataPack({}, "empty.dat", false);
    EXPECT_EQ(TestSupport::readFile("empty.dat"), "");
    DataPack empty("empty.dat", false);
    EXPECT_EQ(empty.getFileCount(), 0u);

    // The later of two entries with one name wins; an entry may be empty.
    TestSupport::writeFile("twice.dat", std::string("x\0\x01\0\0\0A" "x\0\x02\0\0\0BC" "e\0\0\0\0\0", 21));
    DataPack twice("twice.dat", false);
    EXPECT_EQ(twice.getFileCount(), 2u);
    EXPECT_EQ(readEntry(twice, "x"), "BC");
    EXPECT_EQ(readEntry(twice, "e"), "");
}

TEST(DataPack, VerboseTraceNamesEachEntryAndLookup)
{
    std::string const folder = TestSupport::makeTemporaryFolder();
    std::string const path = folder + "/p.dat";
    TestSupport::writeFile(path, std::string("ab\0\x02\0\0\0zz", 9));
    TestSupport::ChildResult const result = TestSupport::runInChild([path] {
        DataPack pack(path.c_str(), true);
        unsigned int size = 0;
        pack.getFileDescriptor("ab", size, true);
        pack.getFileDescriptor("cd", size, true);
    });
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.output, "Parsing dataPack " + path + " ... \n  Found file ab (2; offset 3).\n"
                             "... end parsing dataPack.\nDataPack::getFileDescriptor: Found file ab with size 2 at "
                             "offset 3\nDataPack::getFileDescriptor: Didn't found file cd, returning null.\n");
}

TEST(DataPack, MalformedOrMissingPacksAreFatal)
{
    std::string const folder = TestSupport::makeTemporaryFolder();
    std::string const truncated = folder + "/truncated.dat";
    TestSupport::writeFile(truncated, std::string("a\0\x09\0\0\0abc", 9));
    EXPECT_NE(fatalReportOfOpening(truncated).find("Condition: ftell(fd) == sizeDataPack"), std::string::npos);

    std::string const noZero = folder + "/nozero.dat";
    TestSupport::writeFile(noZero, std::string("a\0\x01\0\0\0xname-without-end", 23));
    EXPECT_NE(fatalReportOfOpening(noZero).find("Condition: ftell(fd) == sizeDataPack"), std::string::npos);

    std::string const shortSize = folder + "/shortsize.dat";
    TestSupport::writeFile(shortSize, std::string("a\0\x01\0", 4));
    EXPECT_NE(fatalReportOfOpening(shortSize).find("Condition: ftell(fd) == sizeDataPack"), std::string::npos);

    std::string const huge = folder + "/huge.dat";
    TestSupport::writeFile(huge, std::string("a\0\xFF\xFF\xFF\xFF", 6));
    EXPECT_NE(fatalReportOfOpening(huge).find("Condition: ftell(fd) == sizeDataPack"), std::string::npos);

    // A folder opens for reading on Linux, and seeks to an absurd end.
    EXPECT_NE(fatalReportOfOpening(folder).find("Condition: sizeDataPack >= 0"), std::string::npos);

    EXPECT_NE(fatalReportOfOpening(folder + "/absent.dat").find("Message: Datapack file missing: " + folder + "/absent.dat"),
              std::string::npos);

    TestSupport::ChildResult const unreadable = TestSupport::runInChild([folder] {
        DataPack::saveFilesInDataPack({folder + "/absent.png"}, (folder + "/out.dat").c_str(), false);
    });
    EXPECT_EQ(unreadable.exitStatus, 1);
    EXPECT_NE(unreadable.errors.find("Condition: tmpFd != NULL\nMessage: saveFilesInDataPack problem"),
              std::string::npos);
    TestSupport::ChildResult const packedFolder = TestSupport::runInChild([folder] {
        DataPack::saveFilesInDataPack({folder}, (folder + "/out.dat").c_str(), false);
    });
    EXPECT_EQ(packedFolder.exitStatus, 1);
    EXPECT_NE(packedFolder.errors.find("Message: saveFilesInDataPack problem"), std::string::npos);
}
