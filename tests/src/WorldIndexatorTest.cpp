#include "CubeTypeManager.h"
#include "CustomObject.h"
#include "Camera.h"
#include "DeviceManager.h"
#include "GLManager.h"
#include "RecordReader.h"
#include "RecordWriter.h"
#include "Scene3D.h"
#include "TestSupport.h"
#include "WorldIndexator.h"
#include "WorldRegion.h"
#include "WorldTestSupport.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <gtest/gtest.h>

namespace
{
float const REGION = 320.f;
Float3 const CUBE(10.f, 10.f, 10.f);

// Every element of every region lies in the region of its absolute coordinates.
void expectEveryElementInItsRegion(WorldIndexator const& index)
{
    Int3 const size = index.getTableRegionSize();
    for (int x = 0; x < size.x(); ++x)
        for (int y = 0; y < size.y(); ++y)
            for (int z = 0; z < size.z(); ++z)
            {
                WorldRegion const* region = index.getWorldRegionFromTableRegionIndex(Int3(x, y, z));
                for (CubeZone const& zone : region->getCubeZones())
                    EXPECT_EQ(Int3(x, y, z), index.getTableRegionIndexFromRealPosition(zone.getPosition()));
                for (CustomObject const& object : region->getCustomObjects())
                    EXPECT_EQ(Int3(x, y, z), index.getTableRegionIndexFromRealPosition(object.getPosition()));
            }
}

int countElements(WorldIndexator const& index)
{
    int count = 0;
    Int3 const size = index.getTableRegionSize();
    for (int x = 0; x < size.x(); ++x)
        for (int y = 0; y < size.y(); ++y)
            for (int z = 0; z < size.z(); ++z)
            {
                WorldRegion const* region = index.getWorldRegionFromTableRegionIndex(Int3(x, y, z));
                count += int(region->getCubeZones().size() + region->getCustomObjects().size());
            }
    return count;
}

std::string saveTable(WorldIndexator const& index)
{
    FILE* file = std::tmpfile();
    RecordWriter writer(file);
    index.saveWorldToFile(writer);
    std::string bytes(size_t(std::ftell(file)), '\0');
    std::rewind(file);
    EXPECT_EQ(bytes.size(), std::fread(&bytes[0], 1, bytes.size(), file));
    std::fclose(file);
    return bytes;
}

void loadTable(WorldIndexator& index, std::string const& bytes)
{
    FILE* file = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
    RecordReader reader(file, "world.dat");
    index.clearAll();
    index.loadWorldFromFile(reader);
    std::fclose(file);
}

std::string int32Bytes(int32_t value)
{
    return std::string(reinterpret_cast<char const*>(&value), 4);
}

class WorldIndexatorTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!TestSupport::hasDisplay())
            GTEST_FAIL() << "no X display";
        WorldTestSupport::enterWorldFolderWithWindow({});
        CustomObject_injectLuaFuncs(&lua);
        index = new WorldIndexator(REGION);
    }
    void TearDown() override
    {
        delete index;
        CustomObject_injectLuaFuncs(NULL);
        if (deviceManager != NULL)
            DeviceManager::deleteInstance();
    }

    RecordingLuaFuncs lua;
    WorldIndexator* index = nullptr;
};
}

TEST_F(WorldIndexatorTest, ZonesTouchingABorderFitThanksToTheToleranceAndStraddlingOnesAreRefused)
{
    EXPECT_TRUE(index->addElement(CubeZone(Float3(315.f, 5.f, 5.f), CUBE, 0)));
    WorldRegion const* region = index->getWorldRegionFromTableRegionIndex(Int3(1, 1, 1));
    ASSERT_EQ(1u, region->getCubeZones().size());
    EXPECT_EQ(Int3(2, 2, 2), index->getTableRegionSize());
    // The min corner's tolerance: a zone from 320 - 0.005 up.
    EXPECT_TRUE(index->addElement(CubeZone(Float3(324.995f, 5.f, 5.f), CUBE, 0)));
    EXPECT_EQ(Int3(-1, -1, -1), index->getTableRegionOrigin());
    EXPECT_EQ(Int3(3, 2, 2), index->getTableRegionSize());
    EXPECT_EQ(1u, index->getWorldRegionFromTableRegionIndex(Int3(2, 1, 1))->getCubeZones().size());

    EXPECT_FALSE(index->addElement(CubeZone(Float3(320.f, 5.f, 5.f), Float3(40.f, 10.f, 10.f), 0)));
    EXPECT_FALSE(index->addElement(CubeZone(Float3(5.f, 5.f, 5.f), Float3(NAN, 10.f, 10.f), 0)));
    EXPECT_FALSE(index->addElement(CustomObject(Float3(1e30f, 0.f, 0.f), 0)));
    EXPECT_EQ(2, countElements(*index));
    EXPECT_EQ(Int3(3, 2, 2), index->getTableRegionSize());
}

TEST_F(WorldIndexatorTest, GrowingInBothDirectionsKeepsEveryElementInItsAbsoluteRegion)
{
    ASSERT_TRUE(index->addElement(CubeZone(Float3(5.f, 5.f, 5.f), CUBE, 0)));
    ASSERT_TRUE(index->addElement(CustomObject(Float3(-5.f, -5.f, -5.f), 2)));
    ASSERT_TRUE(index->addElement(CubeZone(Float3(1000.f, 5.f, 5.f), CUBE, 0)));
    EXPECT_EQ(Int3(-1, -1, -1), index->getTableRegionOrigin());
    EXPECT_EQ(Int3(5, 2, 2), index->getTableRegionSize());
    ASSERT_TRUE(index->addElement(CubeZone(Float3(-1000.f, 5.f, 5.f), CUBE, 0)));
    EXPECT_EQ(Int3(-4, -1, -1), index->getTableRegionOrigin());
    EXPECT_EQ(Int3(8, 2, 2), index->getTableRegionSize());
    ASSERT_TRUE(index->addElement(CustomObject(Float3(-700.f, 2000.f, -3000.f), 2)));
    EXPECT_EQ(Int3(-4, -1, -10), index->getTableRegionOrigin());
    EXPECT_EQ(Int3(8, 8, 11), index->getTableRegionSize());
    expectEveryElementInItsRegion(*index);
    EXPECT_EQ(5, countElements(*index));

    // Shrinking keeps what holds anything and the eight regions around the origin.
    EXPECT_TRUE(index->removeNearestElement(Float3(-700.f, 2000.f, -3000.f)));
    EXPECT_TRUE(index->removeElement(Float3(1000.f, 5.f, 5.f)));
    index->removeUnusedRegions();
    EXPECT_EQ(Int3(-4, -1, -1), index->getTableRegionOrigin());
    EXPECT_EQ(Int3(5, 2, 2), index->getTableRegionSize());
    expectEveryElementInItsRegion(*index);
    EXPECT_EQ(3, countElements(*index));
    index->clearAll();
    index->removeUnusedRegions();
    EXPECT_EQ(Int3(-1, -1, -1), index->getTableRegionOrigin());
    EXPECT_EQ(Int3(2, 2, 2), index->getTableRegionSize());

    // Outside the table nothing happens.
    EXPECT_FALSE(index->clearRegion(Float3(5000.f, 0.f, 0.f)));
    EXPECT_FALSE(index->removeNearestElement(Float3(5000.f, 0.f, 0.f)));
    EXPECT_EQ(Int3(2, 2, 2), index->getTableRegionSize());
}

TEST_F(WorldIndexatorTest, ManageVisitsTheCubeOfCellsAroundTheCameraOnly)
{
    // One script object per cell of a 7 x 7 x 7 table centred on region 0.
    for (int x = -3; x <= 3; ++x)
        for (int y = -3; y <= 3; ++y)
            for (int z = -3; z <= 3; ++z)
                ASSERT_TRUE(index->addElement(CustomObject(Float3(x * REGION + 1.f, y * REGION + 1.f, z * REGION + 1.f), 4)));
    index->setViewDistance(700.f);
    EXPECT_EQ(2, index->getWorkRadius());
    index->manageAround(Float3(10.f, 10.f, 10.f));
    EXPECT_EQ(125, lua.countCalls("lua_manage_4"));
    EXPECT_EQ(1, lua.countCalls("lua_load_4"));
    // Near a corner of the table, only the cells inside it: 3 x 3 x 3.
    lua.calls.clear();
    index->manageAround(Float3(3 * REGION + 1.f, 3 * REGION + 1.f, 3 * REGION + 1.f));
    EXPECT_EQ(27, lua.countCalls("lua_manage_4"));
    // Far away, nothing is managed and the type is unloaded by the next release.
    lua.calls.clear();
    CustomObject::initUnusedTypes();
    index->manageAround(Float3(1e6f, 0.f, 0.f));
    CustomObject::freeUnusedTypes();
    EXPECT_EQ(0, lua.countCalls("lua_manage_4"));
    EXPECT_EQ(1, lua.countCalls("lua_unload_4"));
}

TEST_F(WorldIndexatorTest, BuffersOutsideTheWorkCubeAreReleasedWithATrace)
{
    std::vector<std::string> const names(6, "w.png");
    WorldTestSupport::writeSolidPng("cube_textures/w.png", 10, 20, 30, 255);
    WorldTestSupport::writeSolidPng("cube_shadowed_textures/w.png", 5, 10, 15, 255);
    bool const noRepeat[3] = {false, false, false};
    CubeTypeManager* types = new CubeTypeManager();
    types->addCubeType(names.data(), noRepeat, true);
    ASSERT_TRUE(index->addElement(CubeZone(Float3(5.f, 5.f, 5.f), CUBE, 0)));
    ASSERT_TRUE(index->addElement(CubeZone(Float3(2000.f, 5.f, 5.f), CUBE, 0)));
    index->setViewDistance(0.f);

    testing::internal::CaptureStdout();
    index->drawAround(Float3(1.f, 1.f, 1.f), false);
    index->drawAround(Float3(1.f, 1.f, 1.f), false);
    std::string trace = testing::internal::GetCapturedStdout();
    EXPECT_EQ("Added 1 regions (1 VBO, 24 vertices)\n", trace.substr(trace.find("Added ")));
    EXPECT_TRUE(index->getWorldRegionFromTableRegionIndex(Int3(1, 1, 1))->hasBuffer());

    testing::internal::CaptureStdout();
    index->manageAround(Float3(1.f, 1.f, 1.f));
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
    EXPECT_TRUE(index->getWorldRegionFromTableRegionIndex(Int3(1, 1, 1))->hasBuffer());

    testing::internal::CaptureStdout();
    index->manageAround(Float3(2000.f, 1.f, 1.f));
    trace = testing::internal::GetCapturedStdout();
    EXPECT_EQ("Removed 1 regions\n", trace);
    EXPECT_FALSE(index->getWorldRegionFromTableRegionIndex(Int3(1, 1, 1))->hasBuffer());

    // Collisions: a point asks its own region; a segment asks the regions around the camera.
    EXPECT_TRUE(index->isThere3DIntersectionPoint(Float3(2001.f, 1.f, 1.f)));
    EXPECT_FALSE(index->isThere3DIntersectionPoint(Float3(2011.f, 1.f, 1.f)));
    Float3 hit;
    EXPECT_TRUE(index->isThere3DIntersectionAround(Float3(2000.f, 1.f, 1.f), Float3(2050.f, 5.f, 5.f),
                                                   Float3(1950.f, 5.f, 5.f), hit));
    EXPECT_FALSE(index->isThere3DIntersectionAround(Float3(1.f, 1.f, 1.f), Float3(2050.f, 5.f, 5.f),
                                                    Float3(1950.f, 5.f, 5.f), hit));
    delete index;
    index = nullptr;
    delete types;
}

TEST_F(WorldIndexatorTest, ObjectsMovedByTheirScriptChangeRegionWithoutBeingManagedTwice)
{
    ASSERT_TRUE(index->addElement(CustomObject(Float3(300.f, 5.f, 5.f), 1)));
    // Each manage call pushes the object 30 units along +x, across the border at 320.
    lua.onCall = [](RecordingLuaFuncs& self, std::string const& name) {
        if (name != "lua_manage_1")
            return;
        CustomObject* object = self.getCurrentObject();
        object->setPosition(object->getPosition() + Float3(30.f, 0.f, 0.f));
        object->setLocalVariable1(object->getLocalVariable1() + 1.f);
    };
    index->setViewDistance(REGION);
    index->manageAround(Float3(0.f, 0.f, 0.f));
    EXPECT_EQ(1, lua.countCalls("lua_manage_1"));
    WorldRegion const* moved = index->getWorldRegionFromTableRegionIndex(index->getTableRegionIndexFromRealPosition(Float3(330.f, 5.f, 5.f)));
    ASSERT_EQ(1u, moved->getCustomObjects().size());
    EXPECT_EQ(330.f, moved->getCustomObjects()[0].getPosition().x());
    EXPECT_EQ(1.f, moved->getCustomObjects()[0].getLocalVariable1());
    EXPECT_TRUE(index->getWorldRegionFromTableRegionIndex(Int3(1, 1, 1))->getCustomObjects().empty());
    index->manageAround(Float3(0.f, 0.f, 0.f));
    EXPECT_EQ(2, lua.countCalls("lua_manage_1"));
    EXPECT_EQ(1, countElements(*index));
    expectEveryElementInItsRegion(*index);
}

TEST_F(WorldIndexatorTest, TypeStatesLoadOnceManageEachObjectAndCostNothingForHugeIds)
{
    ASSERT_TRUE(index->addElement(CustomObject(Float3(5.f, 5.f, 5.f), 4)));
    ASSERT_TRUE(index->addElement(CustomObject(Float3(15.f, 5.f, 5.f), 4)));
    ASSERT_TRUE(index->addElement(CustomObject(Float3(25.f, 5.f, 5.f), 2147483647)));
    index->setViewDistance(0.f);
    for (int step = 0; step < 2; ++step)
    {
        CustomObject::initUnusedTypes();
        index->manageAround(Float3(0.f, 0.f, 0.f));
        CustomObject::freeUnusedTypes();
    }
    EXPECT_EQ(1, lua.countCalls("lua_load_4"));
    EXPECT_EQ(4, lua.countCalls("lua_manage_4"));
    EXPECT_EQ(2, lua.countCalls("lua_manage_2147483647"));
    EXPECT_EQ(CustomObject::TYPE_USED, CustomObject::getTypeState(4));
    EXPECT_EQ(CustomObject::TYPE_NOT_LOADED, CustomObject::getTypeState(7));

    // Away and back: unloaded once, loaded again.
    CustomObject::initUnusedTypes();
    index->manageAround(Float3(5000.f, 0.f, 0.f));
    CustomObject::freeUnusedTypes();
    EXPECT_EQ(1, lua.countCalls("lua_unload_4"));
    EXPECT_EQ(CustomObject::TYPE_NOT_LOADED, CustomObject::getTypeState(4));
    CustomObject::initUnusedTypes();
    index->manageAround(Float3(0.f, 0.f, 0.f));
    CustomObject::freeUnusedTypes();
    EXPECT_EQ(2, lua.countCalls("lua_load_4"));
    // Unloads come in increasing id order.
    CustomObject::initUnusedTypes();
    CustomObject::initUnusedTypes();
    lua.calls.clear();
    CustomObject::freeUnusedTypes();
    EXPECT_EQ((std::vector<std::string>{"lua_unload_4", "lua_unload_2147483647"}), lua.calls);
}

TEST_F(WorldIndexatorTest, RegionTableRoundTripsAndTakesTheFilesExtent)
{
    // Origin (-3, -1, -2), size (5, 2, 4): 40 cells of two empty blocks, one zone in the last.
    std::string bytes = int32Bytes(-3) + int32Bytes(-1) + int32Bytes(-2) + int32Bytes(5) + int32Bytes(2) + int32Bytes(4);
    for (int cell = 0; cell < 39; ++cell)
        bytes += int32Bytes(0) + int32Bytes(0) + int32Bytes(0) + int32Bytes(0);
    std::string zone = int32Bytes(1) + int32Bytes(0);
    float const values[6] = {325.f, 5.f, 325.f, 10.f, 10.f, 10.f};
    zone.append(reinterpret_cast<char const*>(values), sizeof(values));
    zone += int32Bytes(0) + int32Bytes(0);
    for (int k = 0; k < 6; ++k)
        zone += int32Bytes(k == 1 ? -1 : 0);
    bytes += zone + int32Bytes(0) + int32Bytes(0);
    loadTable(*index, bytes);
    EXPECT_EQ(Int3(-3, -1, -2), index->getTableRegionOrigin());
    EXPECT_EQ(Int3(5, 2, 4), index->getTableRegionSize());
    WorldRegion const* last = index->getWorldRegionFromTableRegionIndex(Int3(4, 1, 3));
    ASSERT_EQ(1u, last->getCubeZones().size());
    EXPECT_TRUE(last->getCubeZones()[0].getIsFaceInShadow(1));
    EXPECT_EQ(bytes, saveTable(*index));

    // The empty table: origin, size and eight cells of two empty blocks.
    index->clearAll();
    EXPECT_EQ(24u + 8 * 16u, saveTable(*index).size());
}

TEST(WorldIndexator, ImpossibleRegionTablesAreRefusedBeforeAllocating)
{
    REQUIRE_DISPLAY();
    auto expectCorrupt = [](Int3 const& origin, Int3 const& size, std::string const& reason) {
        std::string bytes;
        for (int axis = 0; axis < 3; ++axis)
            bytes += int32Bytes(origin[axis]);
        for (int axis = 0; axis < 3; ++axis)
            bytes += int32Bytes(size[axis]);
        bytes += std::string(8 * 16, '\0');
        // The window belongs to the child, which ends through the fatal report.
        TestSupport::ChildResult const result = TestSupport::runInChild([&] {
            WorldTestSupport::enterWorldFolderWithWindow({});
            WorldIndexator index(REGION);
            loadTable(index, bytes);
        });
        EXPECT_EQ(1, result.exitStatus);
        EXPECT_NE(std::string::npos, result.errors.find("'world.dat' is corrupt: ")) << result.errors;
        EXPECT_NE(std::string::npos, result.errors.find(reason)) << result.errors;
    };
    expectCorrupt(Int3(-1, -1, -1), Int3(2000, 2000, 2000), "the region table has more cells than the bytes left");
    expectCorrupt(Int3(-1, -1, -1), Int3(2, -1, 2), "the region table's size is negative (-1)");
    // The growth to its first and last cells does not reach its last cell on x.
    expectCorrupt(Int3(5, -1, -1), Int3(2, 2, 2), "the region table (origin 5, size 2 on one axis) does not hold");
    // Joining them to the regions around the origin would take billions of empty regions.
    expectCorrupt(Int3(-2147483647, -1, -1), Int3(2, 2, 2), "the region table (origin (-2147483647, -1, -1), size "
                                                              "(2, 2, 2)) lies too far from the regions around the origin");
    expectCorrupt(Int3(-2, 2147483647, -1), Int3(1, 1, 1), "lies too far");
    expectCorrupt(Int3(-300, 300, 300), Int3(1, 1, 1), "lies too far");
}

TEST_F(WorldIndexatorTest, ShadowsOfARegionAreCastByItsColumnAndTheColumnsTowardMinusXAndMinusZ)
{
    // Cells (table indices) of the initial table, and one more grown toward +x.
    Float3 const below(165.f, -155.f, 165.f);     // cell (1, 0, 1): the same column
    Float3 const own(165.f, 165.f, 165.f);        // cell (1, 1, 1)
    Float3 const minusX(-155.f, 165.f, 165.f);    // cell (0, 1, 1)
    Float3 const minusZ(165.f, 165.f, -155.f);    // cell (1, 1, 0)
    Float3 const diagonal(-155.f, 165.f, -155.f); // cell (0, 1, 0): not a neighbour column
    Float3 const plusX(485.f, 165.f, 165.f);      // cell (2, 1, 1): lies toward +x
    for (Float3 const& position : {plusX, diagonal, minusZ, minusX, own, below})
        ASSERT_TRUE(index->addElement(CubeZone(position, CUBE, 0)));
    index->addElement(CustomObject(own, 3));

    // Column by column from the bottom; the y of the cell asked is not used.
    for (int y : {0, 1})
    {
        std::vector<CubeZone const*> const occluders = index->getAllOcclusiveObjectsForOneRegion(Int3(1, y, 1));
        std::vector<Float3> positions;
        for (CubeZone const* zone : occluders)
            positions.push_back(zone->getPosition());
        EXPECT_EQ((std::vector<Float3>{below, own, minusX, minusZ}), positions);
    }
    // At the table's lower edge there are no neighbour columns.
    EXPECT_EQ(1u, index->getAllOcclusiveObjectsForOneRegion(Int3(0, 1, 0)).size());

    EXPECT_EQ(Float3(160.f - 3000.f, 160.f + 10000.f, 160.f - 3000.f), index->getShadowLightOfRegion(Int3(1, 1, 1)));
    EXPECT_EQ(Float3(-160.f - 3000.f, -160.f + 10000.f, -160.f - 3000.f), index->getShadowLightOfRegion(Int3(0, 0, 0)));

    // One region: a progress mark per zone between the traces; its buffer is rebuilt.
    WorldRegion* const region = index->getWorldRegionFromTableRegionIndex(Int3(1, 1, 1));
    index->drawAround(own, false);
    ASSERT_TRUE(region->hasBuffer());
    testing::internal::CaptureStdout();
    index->calculateStaticShadowsOneRegion(own);
    EXPECT_EQ("Calculating shadows for region 1x1x1:\n=\nCalculating shadows done.\n",
              testing::internal::GetCapturedStdout());
    EXPECT_FALSE(region->hasBuffer());

    // Every region, x then z then y, each on its own line.
    testing::internal::CaptureStdout();
    index->calculateStaticShadowsAll();
    std::string const trace = testing::internal::GetCapturedStdout();
    EXPECT_EQ(0u, trace.find("Calculating shadows ... please wait ...\nRegion 0x0x0 \nRegion 0x1x0 =\nRegion 0x0x1 \n"))
        << trace;
    EXPECT_NE(std::string::npos, trace.find("Region 2x1x1 =\n")) << trace;
    EXPECT_EQ(3u * 2u * 2u, size_t(std::count(trace.begin(), trace.end(), 'R')));
    EXPECT_EQ(6, std::count(trace.begin(), trace.end(), '='));
    EXPECT_EQ(trace.size() - std::strlen("... calculating shadows done.\n"), trace.rfind("... calculating shadows done.\n"));

    // A position outside the table calculates nothing and does not stop the editor.
    testing::internal::CaptureStderr();
    index->calculateStaticShadowsOneRegion(Float3(5000.f, 0.f, 0.f));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find("ERROR : "));
}

TEST_F(WorldIndexatorTest, RegionBoxesAreWhiteOutlinesThatLeaveColourAndFillModeAsTheyWere)
{
    ASSERT_TRUE(index->addElement(CustomObject(Float3(5.f, 5.f, 5.f), 1)));
    index->setViewDistance(REGION);
    // Lit pixels of the picture drawn around the camera, over black.
    auto litPixels = [this](bool drawRegionBoxes) {
        glClearColor(0.f, 0.f, 0.f, 1.f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        scene3D->updateCamera();
        index->drawAround(scene3D->getCamera().getPosition(), drawRegionBoxes);
        std::vector<unsigned char> const pixels = TestSupport::readWindowPixels();
        int lit = 0;
        for (size_t i = 0; i < pixels.size(); i += 4)
            lit += pixels[i] > 128 && pixels[i + 1] > 128 && pixels[i + 2] > 128 ? 1 : 0;
        return lit;
    };
    deviceManager->setColor(colorRed);
    EXPECT_EQ(0, litPixels(false));
    EXPECT_GT(litPixels(true), 100);
    EXPECT_EQ(colorRed, deviceManager->getColor());
    GLint polygonModes[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, polygonModes);
    EXPECT_EQ(GL_FILL, polygonModes[0]) << "wireframe was left on";
    EXPECT_EQ(2, lua.countCalls("lua_draw_1"));
}

// Glass in a region the table lists before the region of the wall behind it:
// the wall is drawn first all the same, so the glass blends over the wall
// instead of hiding it from the depth test.
TEST_F(WorldIndexatorTest, GlassBlendsOverTheWallBehindItWhateverTheRegionOrder)
{
    WorldTestSupport::writeSolidPng("cube_textures/wall.png", 255, 0, 0, 255);
    WorldTestSupport::writeSolidPng("cube_shadowed_textures/wall.png", 255, 0, 0, 255);
    WorldTestSupport::writeSolidPng("cube_textures/glass.png", 0, 0, 255, 128);
    WorldTestSupport::writeSolidPng("cube_shadowed_textures/glass.png", 0, 0, 255, 128);
    std::vector<std::string> const wallNames(6, "wall.png");
    std::vector<std::string> const glassNames(6, "glass.png");
    bool const noRepeat[3] = {false, false, false};
    CubeTypeManager types;
    types.addCubeType(wallNames.data(), noRepeat, true);
    types.addCubeType(glassNames.data(), noRepeat, true);
    // Wall in cell (1, 1, 0), glass in cell (0, 1, 0), which comes first in
    // the table and is nearer the camera; the glass lies on the sight lines
    // from the camera to the wall.
    ASSERT_TRUE(index->addElement(CubeZone(Float3(30.f, 165.f, -100.f), Float3(60.f, 60.f, 10.f), 0)));
    ASSERT_TRUE(index->addElement(CubeZone(Float3(-10.f, 165.f, -30.f), Float3(20.f, 60.f, 20.f), 1)));
    Float3 const camera(-200.f, 165.f, 300.f);
    scene3D->getCamera().setPosition(camera);
    index->setViewDistance(REGION);

    // Pixels showing the glass over the wall (red and blue) and over the background (blue only).
    glClearColor(0.f, 0.f, 0.f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    deviceManager->setColor(colorWhite);
    scene3D->updateCamera();
    index->drawAround(camera, false);
    std::vector<unsigned char> const pixels = TestSupport::readWindowPixels();
    int overWall = 0;
    int wall = 0;
    for (size_t i = 0; i < pixels.size(); i += 4)
    {
        overWall += pixels[i] > 100 && pixels[i] < 200 && pixels[i + 2] > 100 ? 1 : 0;
        wall += pixels[i] > 250 && pixels[i + 2] < 5 ? 1 : 0;
    }
    EXPECT_GT(overWall, 100);
    EXPECT_GT(wall, 100);
    // The opaque layer turns blending off; the fixed state has it back on.
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
}

// A partly shadowed glass face: the shadow lies over the glass, which still
// tints what it covers, whether the region is drawn alone or with the others
// and whatever the distance.
TEST_F(WorldIndexatorTest, ShadowsLieOverGlassFaces)
{
    WorldTestSupport::writeSolidPng("cube_textures/glass.png", 0, 255, 0, 200);
    WorldTestSupport::writeSolidPng("cube_shadowed_textures/glass.png", 0, 255, 0, 200);
    std::vector<std::string> const glassNames(6, "glass.png");
    bool const noRepeat[3] = {false, false, false};
    CubeTypeManager types;
    types.addCubeType(glassNames.data(), noRepeat, true);
    CubeZone zone(Float3(-200.f, 165.f, -50.f), Float3(200.f, 200.f, 10.f), 0);
    // The left half of the +z face, in the zone's own coordinates.
    std::vector<Float3> triangles[CubeZone::NB_SHADOW_FACES];
    triangles[5] = {Float3(-100.f, -100.f, 5.f), Float3(0.f, -100.f, 5.f), Float3(0.f, 100.f, 5.f),
                    Float3(-100.f, -100.f, 5.f), Float3(0.f, 100.f, 5.f), Float3(-100.f, 100.f, 5.f)};
    bool const inShadow[CubeZone::NB_SHADOW_FACES] = {false, false, false, false, false, false};
    zone.setShadows(triangles, inShadow);
    ASSERT_TRUE(index->addElement(zone));
    WorldRegion const* const region =
        index->getWorldRegionFromTableRegionIndex(index->getTableRegionIndexFromRealPosition(zone.getPosition()));
    index->setViewDistance(REGION);
    // Glass (alpha 200) over white, then the half-black shadow over that.
    Color4 const glass(56, 255, 56, 255);
    Color4 const shadowedGlass(27, 127, 27, 255);
    auto near = [](Color4 const& a, Color4 const& b) {
        return std::abs(a[0] - b[0]) <= 3 && std::abs(a[1] - b[1]) <= 3 && std::abs(a[2] - b[2]) <= 3;
    };
    for (float const cameraZ : {300.f, 100.f})
        for (bool const alone : {false, true})
        {
            Float3 const camera(-200.f, 165.f, cameraZ);
            scene3D->getCamera().setPosition(camera);
            glClearColor(1.f, 1.f, 1.f, 1.f);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            deviceManager->setColor(colorWhite);
            scene3D->updateCamera();
            if (alone)
                region->draw();
            else
                index->drawAround(camera, false);
            // Just left and right of the face's middle, which is the view's.
            Color4 const left = TestSupport::readPixelRgb(380, 300);
            Color4 const right = TestSupport::readPixelRgb(420, 300);
            EXPECT_TRUE(near(left, shadowedGlass)) << "camera z " << cameraZ << (alone ? " alone: " : ": ") << left;
            EXPECT_TRUE(near(right, glass)) << "camera z " << cameraZ << (alone ? " alone: " : ": ") << right;
        }
}
