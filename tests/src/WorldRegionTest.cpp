#include "Camera.h"
#include "CubeTypeManager.h"
#include "CustomObject.h"
#include "DeviceManager.h"
#include "GLManager.h"
#include "RecordReader.h"
#include "RecordWriter.h"
#include "Scene3D.h"
#include "TestSupport.h"
#include "WorldRegion.h"
#include "WorldTestSupport.h"

#include <GL/gl.h>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>

namespace
{
bool const NO_REPEAT[3] = {false, false, false};

std::string saveBlock(WorldRegion const& region, bool objects)
{
    FILE* file = std::tmpfile();
    RecordWriter writer(file);
    region.saveToFile(writer, objects);
    std::string bytes(size_t(std::ftell(file)), '\0');
    std::rewind(file);
    EXPECT_EQ(bytes.size(), std::fread(&bytes[0], 1, bytes.size(), file));
    std::fclose(file);
    return bytes;
}

// Reads the blocks into the region; returns the bytes left unread.
int64_t loadBlocks(WorldRegion& region, std::string const& bytes, std::vector<bool> const& objectBlocks)
{
    FILE* file = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
    RecordReader reader(file, "blocks.dat");
    for (bool objects : objectBlocks)
        region.loadFromFile(reader, objects);
    int64_t const left = reader.getBytesLeft();
    std::fclose(file);
    return left;
}

std::string int32Bytes(int32_t value)
{
    return std::string(reinterpret_cast<char const*>(&value), 4);
}
}

TEST(WorldRegion, BlocksAreCountExtraLengthAndRecordsAndExtraDataIsSkipped)
{
    WorldRegion empty;
    EXPECT_EQ(int32Bytes(0) + int32Bytes(0), saveBlock(empty, false));
    EXPECT_EQ(int32Bytes(0) + int32Bytes(0), saveBlock(empty, true));

    WorldRegion source;
    source.addCubeZone(CubeZone(Float3(5.f, 5.f, 5.f), Float3(10.f, 20.f, 30.f), 3));
    source.addCustomObject(CustomObject(Float3(1.f, 2.f, 3.f), 9));
    source.addCustomObject(CustomObject(Float3(4.f, 5.f, 6.f), 12));
    std::string const zoneBlock = saveBlock(source, false);
    std::string const objectBlock = saveBlock(source, true);
    EXPECT_EQ(8u + 56u, zoneBlock.size());
    EXPECT_EQ(8u + 2 * 16u, objectBlock.size());

    // An object block whose extra length is 12: the 12 bytes after the records are skipped.
    std::string withExtra = objectBlock;
    std::memcpy(&withExtra[4], int32Bytes(12).data(), 4);
    withExtra.insert(withExtra.size(), std::string(12, '\x7f'));
    WorldRegion loaded;
    loaded.addCustomObject(CustomObject(Float3(0.f, 0.f, 0.f), 1));
    EXPECT_EQ(0, loadBlocks(loaded, zoneBlock + withExtra + zoneBlock, {false, true, false}));
    // Blocks are appended to what the region holds.
    ASSERT_EQ(3u, loaded.getCustomObjects().size());
    EXPECT_EQ(12, loaded.getCustomObjects()[2].getId());
    EXPECT_EQ(Float3(1.f, 2.f, 3.f), loaded.getCustomObjects()[1].getPosition());
    ASSERT_EQ(2u, loaded.getCubeZones().size());
    EXPECT_EQ(Float3(10.f, 20.f, 30.f), loaded.getCubeZones()[1].getSize());
    EXPECT_EQ(3, loaded.getCubeZones()[0].getId());
}

TEST(WorldRegion, DamagedBlocksEndWithAReportBeforeAnyAllocation)
{
    auto expectFatal = [](std::string const& bytes, bool objects, std::string const& report) {
        TestSupport::ChildResult const result = TestSupport::runInChild([&] {
            WorldRegion region;
            loadBlocks(region, bytes, {objects});
        });
        EXPECT_EQ(1, result.exitStatus);
        EXPECT_NE(std::string::npos, result.errors.find(report)) << result.errors;
    };
    expectFatal(int32Bytes(2000000000) + int32Bytes(0), false, "'blocks.dat' is truncated or corrupt");
    expectFatal(int32Bytes(-1) + int32Bytes(0), true, "is negative");
    expectFatal(int32Bytes(0) + int32Bytes(40), true, "'blocks.dat' is truncated");
    expectFatal(int32Bytes(1) + int32Bytes(0) + std::string(12, '\0') + int32Bytes(-5), true, "negative type id -5");
    // A negative extra length is not data: nothing is skipped.
    WorldRegion region;
    EXPECT_EQ(0, loadBlocks(region, int32Bytes(0) + int32Bytes(-1), {true}));
}

TEST(WorldRegion, NearestRemovalPrefersZonesAndExactRemovalNeedsTheExactCentre)
{
    WorldRegion region;
    region.addCubeZone(CubeZone(Float3(300.f, 5.f, 5.f), Float3(10.f, 10.f, 10.f), 0));
    region.addCustomObject(CustomObject(Float3(1.f, 1.f, 1.f), 0));
    EXPECT_TRUE(region.removeNearestElement(Float3(0.f, 0.f, 0.f)));
    EXPECT_TRUE(region.getCubeZones().empty());
    EXPECT_EQ(1u, region.getCustomObjects().size());
    EXPECT_TRUE(region.removeNearestElement(Float3(0.f, 0.f, 0.f)));
    EXPECT_FALSE(region.removeNearestElement(Float3(0.f, 0.f, 0.f)));

    // Equal distances: the later zone goes.
    region.addCubeZone(CubeZone(Float3(-10.f, 0.f, 0.f), Float3(10.f, 10.f, 10.f), 0));
    region.addCubeZone(CubeZone(Float3(10.f, 0.f, 0.f), Float3(10.f, 10.f, 10.f), 0));
    EXPECT_TRUE(region.removeNearestElement(Float3(0.f, 0.f, 0.f)));
    ASSERT_EQ(1u, region.getCubeZones().size());
    EXPECT_EQ(-10.f, region.getCubeZones()[0].getPosition().x());

    EXPECT_FALSE(region.removeElement(Float3(-10.001f, 0.f, 0.f)));
    EXPECT_TRUE(region.removeElement(Float3(-10.f, 0.f, 0.f)));
    region.addCustomObject(CustomObject(Float3(7.f, 8.f, 9.f), 0));
    EXPECT_FALSE(region.removeElement(Float3(7.f, 8.f, 9.001f)));
    EXPECT_TRUE(region.removeElement(Float3(7.f, 8.f, 9.f)));
    EXPECT_TRUE(region.isEmpty());
}

TEST(WorldRegion, BufferIsBuiltByTheFirstDrawAndKeptWhileNothingMoves)
{
    REQUIRE_DISPLAY();
    std::vector<std::string> const names(6, "r.png");
    WorldTestSupport::enterWorldFolderWithWindow({"r.png"});
    {
        CubeTypeManager manager;
        manager.addCubeType(names.data(), NO_REPEAT, true);
        RecordingLuaFuncs lua;
        CustomObject_injectLuaFuncs(&lua);
        WorldRegion region;
        region.addCubeZone(CubeZone(Float3(5.f, 5.f, 5.f), Float3(10.f, 10.f, 10.f), 0));
        region.addCubeZone(CubeZone(Float3(25.f, 5.f, 5.f), Float3(10.f, 10.f, 10.f), 0));
        region.addCustomObject(CustomObject(Float3(1.f, 1.f, 1.f), 4));
        EXPECT_EQ(Int2(1, 48), region.draw());
        EXPECT_EQ(Int2(0, 0), region.draw());
        EXPECT_EQ(2, lua.countCalls("lua_draw_4"));

        // Managing the region keeps its zones' type loaded through the release.
        CubeType const* const type = manager.getCubeType(0);
        EXPECT_TRUE(type->getIsLoaded());
        std::vector<CustomObject> objectsToMove;
        manager.initUnused();
        region.manage(objectsToMove);
        manager.freeUnused();
        EXPECT_TRUE(type->getIsLoaded());
        EXPECT_TRUE(region.getWasManaged());
        EXPECT_TRUE(objectsToMove.empty());
        EXPECT_EQ(2u, region.getCubeZones().size());
        EXPECT_TRUE(region.hasBuffer());
        EXPECT_TRUE(region.takeWasManaged());
        EXPECT_FALSE(region.getWasManaged());

        // Any change to the zones drops the buffer; releasing it reports the geometry.
        EXPECT_TRUE(region.clearStatic());
        EXPECT_FALSE(region.clearStatic());
        CustomObject_injectLuaFuncs(NULL);
    }
    DeviceManager::deleteInstance();
}

TEST(WorldRegion, PointQueriesAnswerExactlyAsEveryZoneWould)
{
    REQUIRE_DISPLAY();
    std::vector<std::string> const names(6, "q.png");
    WorldTestSupport::enterWorldFolderWithWindow({"q.png"});
    {
        CubeTypeManager manager;
        manager.addCubeType(names.data(), NO_REPEAT, true);
        manager.addCubeType(names.data(), NO_REPEAT, false);
        WorldRegion region;
        std::vector<CubeZone> zones;
        // Overlapping boxes of many sizes, some not collidable, some reaching out of the region.
        unsigned seed = 12345;
        auto next = [&seed](int n) {
            seed = seed * 1103515245u + 12345u;
            return int((seed >> 8) % unsigned(n));
        };
        for (int i = 0; i < 600; ++i)
        {
            Float3 const position(float(next(36) * 10 - 20), float(next(36) * 10 - 20), float(next(36) * 10 - 20));
            Float3 const size(float(1 + next(6)) * 10.f, float(1 + next(3)) * 10.f, float(1 + next(6)) * 5.f);
            zones.push_back(CubeZone(position, size, next(5) == 0 ? 1 : 0));
            region.addCubeZone(zones.back());
        }
        int hits = 0;
        for (int i = 0; i < 20000; ++i)
        {
            // Points on the 5-unit lattice lie on many box faces: bounds are included.
            Float3 const point(float(next(80) * 5 - 40), float(next(80) * 5 - 40), float(next(80) * 5 - 40));
            bool expected = false;
            for (CubeZone const& zone : zones)
                expected = expected || zone.isThere3DIntersectionPoint(point);
            ASSERT_EQ(expected, region.isThere3DIntersectionPoint(point)) << point;
            hits += expected ? 1 : 0;
        }
        EXPECT_GT(hits, 1000);
        // A change is seen by the next query.
        region.removeNearestElement(zones[0].getPosition());
        region.clearAll();
        EXPECT_FALSE(region.isThere3DIntersectionPoint(zones[0].getPosition()));
    }
    DeviceManager::deleteInstance();
}

TEST(WorldRegion, PositionCubesShowTheObjectsOnlyWhenAsked)
{
    REQUIRE_DISPLAY();
    WorldTestSupport::enterWorldFolderWithWindow({});
    {
        RecordingLuaFuncs lua;
        CustomObject_injectLuaFuncs(&lua);
        WorldRegion region;
        // From x 1.5 to 6.5: wholly right of the view's centre.
        region.addCustomObject(CustomObject(Float3(4.f, 0.f, 0.f), 1));
        // The camera looks along -z from 20 units away.
        scene3D->getCamera().setPosition(0.f, 0.f, 20.f);
        // Pixels of the centre row that differ from the blue background.
        auto drawnPixels = [&region](bool showCubes) {
            CustomObject::drawAlsoPositionCube = showCubes;
            glClearColor(0.f, 0.f, 1.f, 1.f);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            scene3D->updateCamera();
            region.draw();
            glFinish();
            std::vector<unsigned char> row(800 * 4);
            glReadPixels(0, 300, 800, 1, GL_RGBA, GL_UNSIGNED_BYTE, row.data());
            std::vector<int> changed;
            for (int x = 0; x < 800; ++x)
                if (row[4 * x] != 0 || row[4 * x + 1] != 0 || row[4 * x + 2] != 255)
                    changed.push_back(x);
            return changed;
        };
        EXPECT_TRUE(drawnPixels(false).empty());
        std::vector<int> const cube = drawnPixels(true);
        ASSERT_FALSE(cube.empty());
        // Drawn at the object's position, not at the origin.
        EXPECT_GT(cube.front(), 410);
        EXPECT_LT(cube.back(), 700);
        EXPECT_EQ(2, lua.countCalls("lua_draw_1"));
        CustomObject::drawAlsoPositionCube = false;
        CustomObject_injectLuaFuncs(NULL);
    }
    DeviceManager::deleteInstance();
}
