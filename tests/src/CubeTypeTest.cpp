#include "CubeTypeManager.h"
#include "DeviceManager.h"
#include "RecordReader.h"
#include "RecordWriter.h"
#include "TestSupport.h"
#include "WorldTestSupport.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace
{
bool const NO_REPEAT[3] = {false, false, false};

// Face names of a type as saved in its world file record.
std::vector<std::string> savedFaceNames(CubeType const& type)
{
    FILE* file = std::tmpfile();
    RecordWriter writer(file);
    type.saveToFile(writer);
    std::rewind(file);
    RecordReader reader(file, "record");
    std::vector<std::string> names;
    for (int i = 0; i < CubeType::NB_FACES; ++i)
        names.push_back(reader.readString("name"));
    std::fclose(file);
    return names;
}
}

TEST(CubeType, AddCubeTypeSwapsFrontBackWithTopBottomWhileModifyKeepsFaceOrder)
{
    REQUIRE_DISPLAY();
    std::vector<std::string> const names = WorldTestSupport::sixNames("n");
    WorldTestSupport::enterWorldFolderWithWindow(names);
    {
        CubeTypeManager manager;
        unsigned const id = manager.addCubeType(names.data(), NO_REPEAT, true);
        EXPECT_EQ(0u, id);
        EXPECT_EQ((std::vector<std::string>{"n3.png", "n4.png", "n1.png", "n2.png", "n5.png", "n6.png"}),
                  savedFaceNames(*manager.getCubeType(id)));
        manager.getCubeType(id)->modifyCubeType(names.data(), NO_REPEAT, true);
        EXPECT_EQ(names, savedFaceNames(*manager.getCubeType(id)));
    }
    DeviceManager::deleteInstance();
}

TEST(CubeType, RecordReadsNonZeroBytesAsTrueAndCutsNamesAtZero)
{
    REQUIRE_DISPLAY();
    WorldTestSupport::enterWorldFolderWithWindow({});
    {
        std::string bytes;
        auto addInt = [&bytes](int32_t v) { bytes.append(reinterpret_cast<char const*>(&v), 4); };
        for (int i = 0; i < 6; ++i)
        {
            addInt(5);
            bytes += std::string("ab\0cd", 5);
        }
        bytes += std::string("\x02\x00\x01\x07", 4);
        FILE* file = std::tmpfile();
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::rewind(file);
        RecordReader reader(file, "types.dat");
        CubeType type(reader);
        std::fclose(file);
        EXPECT_EQ("ab", type.getTextureFilename(0));
        EXPECT_TRUE(type.getRepeatTexture(0));
        EXPECT_FALSE(type.getRepeatTexture(1));
        EXPECT_TRUE(type.getRepeatTexture(2));
        EXPECT_TRUE(type.getIsCollidable());
        EXPECT_EQ(0, reader.getBytesLeft());
    }
    DeviceManager::deleteInstance();
}

TEST(CubeType, TexturesLoadOnUseAndAreReleasedByAStepThatDidNotUseThem)
{
    REQUIRE_DISPLAY();
    std::vector<std::string> const names = WorldTestSupport::sixNames("t");
    WorldTestSupport::enterWorldFolderWithWindow(names);
    {
        CubeTypeManager manager;
        unsigned const shown = manager.addCubeType(names.data(), NO_REPEAT, true);
        unsigned const drawn = manager.addCubeType(names.data(), NO_REPEAT, true);
        CubeType* const shownType = manager.getCubeType(shown);
        CubeType* const drawnType = manager.getCubeType(drawn);
        EXPECT_FALSE(drawnType->getIsLoaded());
        EXPECT_NE(nullptr, drawnType->getTextureFace(2));
        EXPECT_TRUE(drawnType->getIsLoaded());
        shownType->getTextureFaceForEditor(0);

        // A step that used the drawn type keeps it; the editor keeps its type.
        manager.initUnused();
        manager.getCubeType(drawn);
        manager.freeUnused();
        EXPECT_TRUE(drawnType->getIsLoaded());
        EXPECT_TRUE(shownType->getIsLoaded());

        // A step that used nothing releases the drawn type, with the trace.
        testing::internal::CaptureStdout();
        manager.initUnused();
        manager.freeUnused();
        std::string const trace = testing::internal::GetCapturedStdout();
        EXPECT_FALSE(drawnType->getIsLoaded());
        EXPECT_TRUE(shownType->getIsLoaded());
        EXPECT_NE(std::string::npos, trace.find("Free unused texture for CubeType ...\n ... free unused texture done\n"));

        // The next use loads all twelve sprites again.
        EXPECT_NE(nullptr, drawnType->getTextureFaceShadowed(5));
        EXPECT_TRUE(drawnType->getIsLoaded());

        // Releasing an unloaded type says nothing.
        drawnType->removeSprites();
        testing::internal::CaptureStdout();
        drawnType->removeSprites();
        EXPECT_EQ("", testing::internal::GetCapturedStdout());
    }
    DeviceManager::deleteInstance();
}

TEST(CubeType, ModifyingAReleasesTexturesAndTheNextUseLoadsTheNewNames)
{
    REQUIRE_DISPLAY();
    std::vector<std::string> const oldNames = WorldTestSupport::sixNames("old");
    std::vector<std::string> newNames = WorldTestSupport::sixNames("new");
    std::vector<std::string> all = oldNames;
    all.insert(all.end(), newNames.begin(), newNames.end());
    WorldTestSupport::enterWorldFolderWithWindow(all);
    {
        CubeTypeManager manager;
        unsigned const id = manager.addCubeType(oldNames.data(), NO_REPEAT, true);
        CubeType* const type = manager.getCubeType(id);
        type->loadIfNeeded();
        bool const repeat[3] = {true, false, true};
        type->modifyCubeType(newNames.data(), repeat, false);
        EXPECT_FALSE(type->getIsLoaded());
        EXPECT_FALSE(type->getIsCollidable());
        EXPECT_TRUE(type->getRepeatTexture(2));
        EXPECT_EQ(id, manager.getNbCubeType() - 1);
        testing::internal::CaptureStdout();
        EXPECT_NE(nullptr, type->getTextureFace(0));
        std::string const trace = testing::internal::GetCapturedStdout();
        EXPECT_NE(std::string::npos, trace.find("cube_textures/new1.png")) << trace;
    }
    DeviceManager::deleteInstance();
}
