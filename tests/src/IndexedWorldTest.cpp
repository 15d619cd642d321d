#include "CubeType.h"
#include "CubeZone.h"
#include "DeviceManager.h"
#include "IndexedWorld.h"
#include "LuaFuncs.h"
#include "Scene2D.h"
#include "Scene3D.h"
#include "Water.h"
#include "TestSupport.h"
#include "WorldIndexator.h"
#include "WorldRegion.h"
#include "WorldTestSupport.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <functional>
#include <signal.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
// Builds world files field by field, independently of the program's writer,
// so the tests state the file layout themselves.
class WorldBytes
{
public:
    WorldBytes& raw(std::string const& text)
    {
        bytes += text;
        return *this;
    }
    WorldBytes& int32(int32_t value)
    {
        uint32_t const bits = static_cast<uint32_t>(value);
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>((bits >> (8 * i)) & 0xFF);
        return *this;
    }
    WorldBytes& float32(float value)
    {
        int32_t bits = 0;
        std::memcpy(&bits, &value, 4);
        return int32(bits);
    }
    WorldBytes& float3(float x, float y, float z) { return float32(x).float32(y).float32(z); }
    WorldBytes& header(int cubeTypeCount) { return raw("WORLD").int32(1).int32(cubeTypeCount); }
    WorldBytes& cubeType(std::string const names[6], bool rx, bool ry, bool rz, bool collidable)
    {
        for (int face = 0; face < 6; ++face)
            int32(static_cast<int32_t>(names[face].size())).raw(names[face]);
        bytes += static_cast<char>(rx);
        bytes += static_cast<char>(ry);
        bytes += static_cast<char>(rz);
        bytes += static_cast<char>(collidable);
        return *this;
    }
    WorldBytes& table(int ox, int oy, int oz, int sx, int sy, int sz) { return int32(ox).int32(oy).int32(oz).int32(sx).int32(sy).int32(sz); }
    WorldBytes& emptyBlock() { return int32(0).int32(0); }
    WorldBytes& emptyCell() { return emptyBlock().emptyBlock(); }
    WorldBytes& emptyCells(int count)
    {
        for (int i = 0; i < count; ++i)
            emptyCell();
        return *this;
    }
    // A zone with the given shadow list counts, in shadow face order; a count
    // of -1 is a wholly shadowed face, a positive one is followed by vertices.
    WorldBytes& zone(float x, float y, float z, float size, int id, int const shadowCounts[6])
    {
        float3(x, y, z).float3(size, size, size).int32(id).int32(0);
        for (int face = 0; face < 6; ++face)
        {
            int32(shadowCounts[face]);
            for (int v = 0; v < shadowCounts[face]; ++v)
                float3(0.5f * v - 5.0f, 5.0f, 0.25f * v);
        }
        return *this;
    }
    WorldBytes& object(float x, float y, float z, int id) { return float3(x, y, z).int32(id); }

    std::string bytes;
};

// Textures of the game's data, which the drawing tests load.
std::string const NAMES_A[6] = {"grass_top.png", "dirt.png", "grass_side.png", "brick.png", "stone.png", "sand.png"};
std::string const NAMES_B[6] = {"snow.png", "glass.png", "leaves.png", "cobblestone.png", "stone.png", "brick.png"};
int const NO_SHADOW[6] = {0, 0, 0, 0, 0, 0};
// Two triangles on +y, the -x face wholly in shadow.
int const SHADOWED[6] = {-1, 0, 0, 6, 0, 0};

// Every kind of record once: a cube type, a zone with a partial and a whole
// face shadow, a block with extra data, a script object.
std::string compactWorld()
{
    WorldBytes world;
    world.header(1).cubeType(NAMES_A, true, false, true, true).table(-1, -1, -1, 2, 2, 2);
    world.emptyCells(7);
    world.int32(1).int32(4).zone(5, 5, 5, 10.0f, 0, SHADOWED).int32(7);
    world.int32(1).int32(0).object(1, 2, 3, 2);
    return world.bytes;
}

std::string emptyWorld()
{
    return WorldBytes().header(0).table(-1, -1, -1, 2, 2, 2).emptyCells(8).bytes;
}

// Two cube types, shadowed and plain zones in regions on both sides of the
// origin, script objects, in a table grown to (-2, -1, -1) .. (0, 0, 1).
std::string richWorld()
{
    WorldBytes world;
    world.header(2).cubeType(NAMES_A, true, false, true, true).cubeType(NAMES_B, false, true, false, false);
    world.table(-2, -1, -1, 3, 2, 3);
    for (int x = 0; x < 3; ++x)
        for (int y = 0; y < 2; ++y)
            for (int z = 0; z < 3; ++z)
            {
                float const cx = (x - 2 + 0.5f) * 320.0f;
                float const cy = (y - 1 + 0.5f) * 320.0f;
                float const cz = (z - 1 + 0.5f) * 320.0f;
                if (x == 0 && y == 1 && z == 2)
                    world.int32(2).int32(0).zone(cx, cy, cz, 10.0f, 0, SHADOWED).zone(cx + 20, cy, cz, 20.0f, 1, NO_SHADOW);
                else if (x == 2 && y == 0 && z == 0)
                    world.int32(1).int32(0).zone(cx, cy, cz, 30.0f, 1, SHADOWED);
                else
                    world.emptyBlock();
                if (x == 1 && y == 1 && z == 1)
                    world.int32(2).int32(0).object(cx, cy, cz, 3).object(cx + 1, cy + 2, cz + 3, 0);
                else
                    world.emptyBlock();
            }
    return world.bytes;
}

class IndexedWorldTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DISPLAY();
        folder = TestSupport::makeTemporaryFolder();
        // The pictures the world needs (shadow and water textures) come from the game's data.
        ASSERT_EQ(chdir(GAME_DATA_DIR), 0);
        DeviceManager::newInstance("game_tests", "indexed world test", 800, 600, false);
    }

    void TearDown() override
    {
        delete world;
        world = NULL;
        if (deviceManager != NULL)
            DeviceManager::deleteInstance();
    }

    std::string write(std::string const& name, std::string const& bytes) const
    {
        std::string const path = folder + "/" + name;
        TestSupport::writeFile(path, bytes);
        return path;
    }

    IndexedWorld* load(std::string const& bytes)
    {
        std::string const path = write("world.dat", bytes);
        if (world == NULL)
            world = new IndexedWorld(NULL, path, NULL);
        else
            world->clearAndLoadWorldFromFile(path);
        return world;
    }

    std::string saved() const
    {
        std::string const path = folder + "/saved.dat";
        world->saveWorldToFile(path);
        return TestSupport::readFile(path);
    }

    WorldRegion* regionAt(int x, int y, int z) const
    {
        WorldIndexator const* const index = world->getWorldIndexator();
        return index->getWorldRegionFromTableRegionIndex(Int3(x, y, z) - index->getTableRegionOrigin());
    }

    // The names in a folder, hidden ones left out, sorted.
    static std::vector<std::string> namesIn(std::string const& path)
    {
        std::vector<std::string> names;
        DIR* const dir = opendir(path.c_str());
        for (dirent* entry = dir != NULL ? readdir(dir) : NULL; entry != NULL; entry = readdir(dir))
            if (entry->d_name[0] != '.')
                names.push_back(entry->d_name);
        if (dir != NULL)
            closedir(dir);
        std::sort(names.begin(), names.end());
        return names;
    }

    // Every zone and script object with the absolute region holding it, in table order.
    std::vector<std::string> contents() const
    {
        WorldIndexator const* const index = world->getWorldIndexator();
        Int3 const origin = index->getTableRegionOrigin();
        Int3 const size = index->getTableRegionSize();
        std::vector<std::string> found;
        auto const describe = [](Float3 const& v) {
            return std::to_string(v.x()) + "," + std::to_string(v.y()) + "," + std::to_string(v.z());
        };
        for (int x = 0; x < size.x(); ++x)
            for (int y = 0; y < size.y(); ++y)
                for (int z = 0; z < size.z(); ++z)
                {
                    WorldRegion const* const region = index->getWorldRegionFromTableRegionIndex(Int3(x, y, z));
                    std::string const cell = "region " + std::to_string(origin.x() + x) + "," +
                                             std::to_string(origin.y() + y) + "," + std::to_string(origin.z() + z);
                    for (CubeZone const& zone : region->getCubeZones())
                        found.push_back(cell + " zone " + describe(zone.getPosition()) + " size " +
                                        describe(zone.getSize()) + " id " + std::to_string(zone.getId()));
                    for (CustomObject const& object : region->getCustomObjects())
                        found.push_back(cell + " object " + describe(object.getPosition()) + " id " +
                                        std::to_string(object.getId()));
                }
        return found;
    }

    // Runs body in a child process that shares this window. The child leaves
    // without the exit handlers, which would tear down the window they share.
    static TestSupport::ChildResult inChild(std::function<void()> const& body)
    {
        return TestSupport::runInChild([&] {
            on_exit([](int status, void*) {
                fflush(stdout);
                fflush(stderr);
                _exit(status);
            }, NULL);
            body();
        });
    }

    // Loads the bytes in a child process; the child reports how loading ended.
    TestSupport::ChildResult loadInChild(std::string const& bytes)
    {
        std::string const path = write("bad.dat", bytes);
        return inChild([&] {
            // Believing a corrupt count would take far more than this.
            rlimit const limit = {memoryInUse() + (512u << 20), RLIM_INFINITY};
            setrlimit(RLIMIT_AS, &limit);
            world->clearAndLoadWorldFromFile(path);
        });
    }

    static rlim_t memoryInUse()
    {
        unsigned long pages = 0;
        FILE* const statm = fopen("/proc/self/statm", "r");
        if (statm != NULL)
        {
            if (fscanf(statm, "%lu", &pages) != 1)
                pages = 0;
            fclose(statm);
        }
        return static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
    }

    std::string folder;
    IndexedWorld* world = NULL;
};
}

TEST_F(IndexedWorldTest, EmptyWorldIs165BytesByteForByte)
{
    std::string const expected = emptyWorld();
    ASSERT_EQ(expected.size(), 165u);
    load(expected);
    EXPECT_EQ(saved(), expected);
    // A world emptied by the editor is saved the same way.
    load(richWorld());
    while (world->getNbCubeType() > 0)
        world->removeLastCubeType();
    world->clearAll();
    EXPECT_EQ(saved(), expected);
}

TEST_F(IndexedWorldTest, SavingALoadedWorldWritesBackTheSameBytes)
{
    std::string const original = richWorld();
    load(original);
    EXPECT_EQ(saved(), original);

    // What was loaded: cube types in file order, zones with their shadow data, script objects.
    ASSERT_EQ(world->getNbCubeType(), 2);
    EXPECT_EQ(world->getCubeType(0)->getTextureFilename(0), NAMES_A[0]);
    EXPECT_EQ(world->getCubeType(1)->getTextureFilename(5), NAMES_B[5]);
    EXPECT_FALSE(world->getCubeType(1)->getIsCollidable());
    EXPECT_EQ(world->getWorldIndexator()->getTableRegionOrigin(), Int3(-2, -1, -1));
    EXPECT_EQ(world->getWorldIndexator()->getTableRegionSize(), Int3(3, 2, 3));
    std::vector<CubeZone> const& zones = regionAt(-2, 0, 1)->getCubeZones();
    ASSERT_EQ(zones.size(), 2u);
    EXPECT_TRUE(zones[0].getIsFaceInShadow(0));
    EXPECT_TRUE(zones[0].getShadowTriangles(0).empty());
    EXPECT_EQ(zones[0].getShadowTriangles(3).size(), 6u);
    EXPECT_FALSE(zones[1].getIsFaceInShadow(0));
    EXPECT_EQ(zones[1].getId(), 1);
    EXPECT_EQ(regionAt(0, -1, -1)->getCubeZones().size(), 1u);
    ASSERT_EQ(regionAt(-1, 0, 0)->getCustomObjects().size(), 2u);
    EXPECT_EQ(regionAt(-1, 0, 0)->getCustomObjects()[0].getId(), 3);
}

TEST_F(IndexedWorldTest, EditedWorldSurvivesASaveAndALoad)
{
    load(emptyWorld());
    bool const repeat[3] = {true, false, true};
    EXPECT_EQ(world->addCubeType(NAMES_A, repeat, true), 0);
    EXPECT_EQ(world->addCubeType(NAMES_B, repeat, false), 1);
    EXPECT_TRUE(world->addCubeZone(Float3(1005, 5, -995), Float3(10, 10, 10), 1));
    EXPECT_TRUE(world->addCubeZone(Float3(-5, 15, 5), Float3(10, 30, 10), 0));
    world->addCustomObject(Float3(-700, 1, 2), 4);
    std::string const first = saved();
    // Loading replaces the types and regions: ids restart at 0 in file order.
    world->clearAndLoadWorldFromFile(folder + "/saved.dat");
    EXPECT_EQ(world->getNbCubeType(), 2);
    EXPECT_EQ(world->getCubeType(0)->getTextureFilename(2), NAMES_A[0]);
    EXPECT_EQ(regionAt(3, 0, -4)->getCubeZones().size(), 1u);
    EXPECT_EQ(regionAt(-3, 0, 0)->getCustomObjects().size(), 1u);
    EXPECT_TRUE(world->isThere3DIntersectionPoint(Float3(-5, 25, 5)));
    EXPECT_EQ(saved(), first);
}

TEST_F(IndexedWorldTest, FileTableOriginAndSizeAreKeptExactly)
{
    load(WorldBytes().header(0).table(-3, -1, -2, 5, 2, 4).emptyCells(5 * 2 * 4).bytes);
    EXPECT_EQ(world->getWorldIndexator()->getTableRegionOrigin(), Int3(-3, -1, -2));
    EXPECT_EQ(world->getWorldIndexator()->getTableRegionSize(), Int3(5, 2, 4));
}

TEST_F(IndexedWorldTest, TablesAwayFromTheOriginLoadIntoATableGrownToHoldThemAndSaveBack)
{
    struct Layout
    {
        Int3 fileOrigin;
        Int3 fileSize;
        Int3 loadedOrigin;
        Int3 loadedSize;
    };
    Layout const layouts[] = {
        // Grown to the file's origin only.
        {Int3(-3, -1, -1), Int3(2, 2, 2), Int3(-3, -1, -1), Int3(4, 2, 2)},
        // Inside the initial table.
        {Int3(0, -1, -1), Int3(1, 2, 2), Int3(-1, -1, -1), Int3(2, 2, 2)},
        // Larger than the table on x: grown to the file's last cell.
        {Int3(5, -1, -1), Int3(3, 2, 2), Int3(-1, -1, -1), Int3(9, 2, 2)},
        // Grown to the origin (below on x, above on y), then to the last cell (larger on z).
        {Int3(-2, 3, -1), Int3(1, 1, 3), Int3(-2, -1, -1), Int3(3, 5, 3)},
        // No cells: nothing to hold.
        {Int3(40, 0, 0), Int3(0, 2, 2), Int3(-1, -1, -1), Int3(2, 2, 2)},
    };
    for (Layout const& layout : layouts)
    {
        SCOPED_TRACE(testing::Message() << "file origin " << layout.fileOrigin << " size " << layout.fileSize);
        // A zone and a script object at the centre of every cell of the file.
        WorldBytes file;
        file.header(1).cubeType(NAMES_A, false, false, false, true);
        file.table(layout.fileOrigin.x(), layout.fileOrigin.y(), layout.fileOrigin.z(), layout.fileSize.x(),
                   layout.fileSize.y(), layout.fileSize.z());
        std::vector<Int3> fileRegions;
        for (int x = 0; x < layout.fileSize.x(); ++x)
            for (int y = 0; y < layout.fileSize.y(); ++y)
                for (int z = 0; z < layout.fileSize.z(); ++z)
                {
                    Int3 const region = layout.fileOrigin + Int3(x, y, z);
                    float const cx = (region.x() + 0.5f) * 320.0f;
                    float const cy = (region.y() + 0.5f) * 320.0f;
                    float const cz = (region.z() + 0.5f) * 320.0f;
                    file.int32(1).int32(0).zone(cx, cy, cz, 10.0f, 0, NO_SHADOW);
                    file.int32(1).int32(0).object(cx, cy, cz, static_cast<int>(fileRegions.size()));
                    fileRegions.push_back(region);
                }
        load(file.bytes);
        EXPECT_EQ(world->getWorldIndexator()->getTableRegionOrigin(), layout.loadedOrigin);
        EXPECT_EQ(world->getWorldIndexator()->getTableRegionSize(), layout.loadedSize);
        std::vector<std::string> const loaded = contents();
        EXPECT_EQ(loaded.size(), 2 * fileRegions.size());
        // Each cell's blocks landed in the region of the same absolute coordinates.
        for (size_t i = 0; i < fileRegions.size(); ++i)
        {
            Int3 const& region = fileRegions[i];
            WorldRegion const* const cell = regionAt(region.x(), region.y(), region.z());
            ASSERT_EQ(cell->getCubeZones().size(), 1u);
            ASSERT_EQ(cell->getCustomObjects().size(), 1u);
            EXPECT_EQ(cell->getCustomObjects()[0].getId(), static_cast<int>(i));
        }

        std::string const saveFile = saved();
        load(saveFile);
        EXPECT_EQ(contents(), loaded);
        EXPECT_EQ(world->getWorldIndexator()->getTableRegionOrigin(), layout.loadedOrigin);
        EXPECT_EQ(world->getWorldIndexator()->getTableRegionSize(), layout.loadedSize);
        EXPECT_EQ(saved(), saveFile);
    }
}

TEST_F(IndexedWorldTest, TableTheGrowthCannotHoldIsRefusedWithTheReason)
{
    load(emptyWorld());
    // Neither below the table nor larger than it, yet reaching past it on x.
    TestSupport::ChildResult const result =
        loadInChild(WorldBytes().header(0).table(0, -1, -1, 2, 2, 2).emptyCells(8).bytes);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.errors.find("Message: File '" + folder + "/bad.dat' is corrupt: the region table (origin 0, "
                                 "size 2 on one axis) does not hold the regions around the origin"),
              std::string::npos)
        << result.errors;
}

TEST_F(IndexedWorldTest, SavingThroughASymbolicLinkReplacesTheFileItNames)
{
    load(richWorld());
    ASSERT_TRUE(world->addCubeZone(Float3(5, 5, 5), Float3(10, 10, 10), 0));
    // game.dat -> data/alias.dat -> real.dat, each link relative to its own folder.
    ASSERT_EQ(mkdir((folder + "/data").c_str(), 0777), 0);
    std::string const real = write("data/real.dat", emptyWorld());
    ASSERT_EQ(symlink("real.dat", (folder + "/data/alias.dat").c_str()), 0);
    std::string const link = folder + "/game.dat";
    ASSERT_EQ(symlink("data/alias.dat", link.c_str()), 0);

    world->saveWorldToFile(link);
    std::string const expected = saved();
    EXPECT_EQ(TestSupport::readFile(real), expected);
    struct stat status = {};
    ASSERT_EQ(lstat(link.c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode)) << "the link became a plain file";
    ASSERT_EQ(lstat((folder + "/data/alias.dat").c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode)) << "the second link became a plain file";

    // A save that fails half-way leaves the linked file as it was, and no temporary file.
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(world->addCubeZone(Float3(5.0f + 10 * (i % 30), 15, 5.0f + 10 * (i / 30)), Float3(10, 10, 10), 0));
    TestSupport::ChildResult const failed = inChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        rlimit const limit = {4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        world->saveWorldToFile(link);
    });
    EXPECT_EQ(failed.exitStatus, 1) << failed.errors;
    EXPECT_NE(failed.errors.find("Cannot write the world file '" + link + "'"), std::string::npos) << failed.errors;
    EXPECT_EQ(TestSupport::readFile(real), expected);
    EXPECT_EQ(namesIn(folder + "/data"), (std::vector<std::string>{"alias.dat", "real.dat"}));

    // A loop of links is refused like any file that cannot be written.
    std::string const loop = folder + "/loop.dat";
    ASSERT_EQ(symlink("loop.dat", loop.c_str()), 0);
    TestSupport::ChildResult const looped = inChild([&] { world->saveWorldToFile(loop); });
    EXPECT_EQ(looped.exitStatus, 1);
    EXPECT_NE(looped.errors.find("Condition: fd != NULL"), std::string::npos) << looped.errors;
    EXPECT_NE(looped.errors.find("Too many levels of symbolic links"), std::string::npos) << looped.errors;
}

TEST_F(IndexedWorldTest, StraddlingZoneIsRefusedAndChangesNothing)
{
    load(richWorld());
    std::string const before = saved();
    EXPECT_FALSE(world->addCubeZone(Float3(320, 5, 5), Float3(40, 10, 10), 0));
    EXPECT_EQ(saved(), before);
}

TEST_F(IndexedWorldTest, EveryTruncationIsReportedNamingTheFile)
{
    std::string const whole = compactWorld();
    load(whole); // the loaded file must be valid, or the test proves nothing
    load(emptyWorld());
    for (size_t length = 0; length < whole.size(); ++length)
    {
        TestSupport::ChildResult const result = loadInChild(whole.substr(0, length));
        ASSERT_EQ(result.exitStatus, 1) << "cut at " << length << ":\n" << result.errors;
        EXPECT_NE(result.errors.find("bad.dat"), std::string::npos) << "cut at " << length << ":\n" << result.errors;
        bool const named = result.errors.find("is truncated") != std::string::npos ||
                           result.errors.find("is corrupt") != std::string::npos ||
                           result.errors.find("is not a world file") != std::string::npos;
        EXPECT_TRUE(named) << "cut at " << length << ":\n" << result.errors;
    }
}

TEST_F(IndexedWorldTest, WrongMagicOrVersionStopsWithTheirChecks)
{
    load(emptyWorld());
    for (int i = 0; i < 5; ++i)
    {
        std::string bad = emptyWorld();
        bad[i] = 'w';
        TestSupport::ChildResult const result = loadInChild(bad);
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_NE(result.errors.find("Condition: std::string(buf) == std::string(\"WORLD\")"), std::string::npos)
            << result.errors;
    }
    std::string version2 = emptyWorld();
    version2[5] = 2;
    TestSupport::ChildResult const result = loadInChild(version2);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.errors.find("Condition: versionFile == 1"), std::string::npos) << result.errors;
    EXPECT_NE(result.errors.find("__FILE__ src/IndexedWorld"), std::string::npos) << result.errors;
}

TEST_F(IndexedWorldTest, CorruptCountsStopBeforeAnyAllocation)
{
    load(emptyWorld());
    std::vector<std::string> const corrupt = {
        WorldBytes().header(0x7FFFFFFF).bytes + std::string(64, '\0'),
        WorldBytes().header(-5).bytes + std::string(64, '\0'),
        WorldBytes().header(0).table(-1, -1, -1, 2, 2, 2).int32(0x10000000).int32(0).bytes + std::string(64, '\0'),
        WorldBytes().header(0).table(-1, -1, -1, 2, 2, 2).int32(0).int32(0x7FFFFFF0).bytes + std::string(64, '\0'),
        WorldBytes().header(0).table(-1, -1, -1, 2, 2, 2).int32(1).int32(0).float3(5, 5, 5).float3(10, 10, 10)
                .int32(0).int32(0).int32(0x40000000).bytes + std::string(64, '\0'),
        WorldBytes().header(0).table(-1000000, -1, -1, 2000000, 2000000, 2000000).bytes,
        WorldBytes().header(1).int32(0x7FFFFFFF).bytes + std::string(64, '\0'),
    };
    for (size_t i = 0; i < corrupt.size(); ++i)
    {
        TestSupport::ChildResult const result = loadInChild(corrupt[i]);
        EXPECT_EQ(result.exitStatus, 1) << "case " << i << ":\n" << result.errors;
        EXPECT_NE(result.errors.find("bad.dat"), std::string::npos) << "case " << i << ":\n" << result.errors;
    }
}

TEST_F(IndexedWorldTest, FailedSaveLeavesThePreviousFileIntact)
{
    load(richWorld());
    std::string const path = folder + "/world.dat";
    std::string const before = TestSupport::readFile(path);
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(world->addCubeZone(Float3(5.0f + 10 * (i % 30), 5, 5.0f + 10 * (i / 30)), Float3(10, 10, 10), 0));
    // The disk "fills up" after 4096 bytes (room for the report, not for the
    // world): the save fails half-way.
    TestSupport::ChildResult const result = inChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        rlimit const limit = {4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        world->saveWorldToFile(path);
    });
    EXPECT_EQ(result.exitStatus, 1) << result.errors;
    EXPECT_NE(result.errors.find("Cannot write the world file '" + path + "'"), std::string::npos) << result.errors;
    EXPECT_EQ(TestSupport::readFile(path), before);

    // A save into a folder that does not exist stops on the open check.
    TestSupport::ChildResult const missing =
        inChild([&] { world->saveWorldToFile(folder + "/no/such/folder/world.dat"); });
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_NE(missing.errors.find("Condition: fd != NULL"), std::string::npos) << missing.errors;

    // Neither failure nor a good save leaves a temporary file behind.
    world->saveWorldToFile(path);
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"world.dat"});
}

TEST_F(IndexedWorldTest, DisablingShadowsRebuildsEveryRegionWithoutShadowTriangles)
{
    load(richWorld());
    Int3 const cell = Int3(-2, 0, 1) - world->getWorldIndexator()->getTableRegionOrigin();
    WorldRegion* const region = world->getWorldIndexator()->getWorldRegionFromTableRegionIndex(cell);
    Int2 const withShadows = region->draw();
    world->setEnableShadows(false);
    EXPECT_FALSE(world->getEnableShadows());
    EXPECT_FALSE(region->hasBuffer());
    Int2 const withoutShadows = region->draw();
    // The shadowed zone's two triangles (six vertices) are gone.
    EXPECT_EQ(withShadows.y() - withoutShadows.y(), 6);
    world->setEnableShadows(true);
    EXPECT_FALSE(region->hasBuffer());
}

TEST_F(IndexedWorldTest, ManageStepKeepsTexturesOnlyOfTypesUsedNearTheCamera)
{
    load(richWorld());
    LuaFuncs lua;
    Camera& camera = deviceManager->getScene3D()->getCamera();
    camera.setPosition(0.0f, 0.0f, 0.0f);
    world->manage(&lua);
    world->draw(1000.0f, false, false);
    EXPECT_TRUE(world->getCubeType(0)->getIsLoaded());
    EXPECT_TRUE(world->getCubeType(1)->getIsLoaded());
    // Every region is near: both types are used by managed zones and stay loaded.
    world->manage(&lua);
    EXPECT_TRUE(world->getCubeType(0)->getIsLoaded());
    EXPECT_TRUE(world->getCubeType(1)->getIsLoaded());
    // Far from every zone, no managed zone uses them: both are released.
    camera.setPosition(100000.0f, 0.0f, 0.0f);
    world->manage(&lua);
    EXPECT_FALSE(world->getCubeType(0)->getIsLoaded());
    EXPECT_FALSE(world->getCubeType(1)->getIsLoaded());
}

TEST_F(IndexedWorldTest, WaterSwitchOffDrawsNeitherPlaneNorTint)
{
    load(emptyWorld());
    deviceManager->getScene3D()->getCamera().setPosition(0.0f, -50.0f, 0.0f);
    auto const centreAfter2DPass = [&] {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        deviceManager->getScene2D()->set2DMode();
        world->draw2D();
        return static_cast<int>(TestSupport::readPixel(400, 300).z());
    };
    world->drawWaterOnlyFromTo(0.0f, 500.0f);
    EXPECT_FLOAT_EQ(world->getWater()->getPlaneSize(), 1000.0f);
    EXPECT_GT(centreAfter2DPass(), 100) << "under water, the screen is tinted blue";
    world->setWaterEnable(false);
    world->drawWaterOnlyFromTo(0.0f, 800.0f);
    EXPECT_FLOAT_EQ(world->getWater()->getPlaneSize(), 1000.0f) << "the switched-off water was updated";
    EXPECT_EQ(centreAfter2DPass(), 0);
}

TEST_F(IndexedWorldTest, OnlyOneIndexedWorldExistsAtATime)
{
    std::string const path = write("world.dat", emptyWorld());
    load(emptyWorld());
    TestSupport::ChildResult const second = inChild([&] { new IndexedWorld(NULL, path, NULL); });
    EXPECT_EQ(second.exitStatus, 1);
    EXPECT_NE(second.errors.find("Condition: cotm == NULL && cubeTypeManager == NULL && worldIndexator == NULL"),
              std::string::npos)
        << second.errors;
    // Once the first is gone, another may be made.
    delete world;
    world = new IndexedWorld(NULL, path, NULL);
    EXPECT_EQ(world->getNbCubeType(), 0);
}

TEST_F(IndexedWorldTest, LoadingSavingAndAddingCubeTypesAreTraced)
{
    std::string const path = write("world.dat", emptyWorld());
    testing::internal::CaptureStdout();
    world = new IndexedWorld(NULL, path, NULL);
    bool const repeat[3] = {false, false, false};
    world->addCubeType(NAMES_B, repeat, false);
    world->addCubeType(NAMES_A, repeat, true);
    world->saveWorldToFile(path);
    std::string const trace = testing::internal::GetCapturedStdout();
    std::string const expected[] = {"==== Loading world from file '" + path + "'\n", "==== Loading world done\n",
                                    "Add cube type with snow.png, etc. and collidable = 0\n",
                                    "Add cube type with grass_top.png, etc. and collidable = 1\n",
                                    "==== Saving world to file '" + path + "'\n", "==== World saved to file\n"};
    size_t position = 0;
    for (std::string const& line : expected)
    {
        size_t const found = trace.find(line, position);
        ASSERT_NE(found, std::string::npos) << "missing in order: " << line << "in:\n" << trace;
        position = found + line.size();
    }
}

TEST_F(IndexedWorldTest, ManageStepRunsTheScriptObjectsNearTheCameraAndReleasesTheRest)
{
    load(richWorld());
    RecordingLuaFuncs lua;
    Camera& camera = deviceManager->getScene3D()->getCamera();
    // The two objects (types 3 and 0) lie in the region around (-160, 160, 160).
    camera.setPosition(-160.0f, 160.0f, 160.0f);
    world->manage(&lua);
    world->manage(&lua);
    EXPECT_EQ(lua.calls, (std::vector<std::string>{"lua_load_3", "lua_manage_3", "lua_load_0", "lua_manage_0",
                                                    "lua_manage_3", "lua_manage_0"}));
    // Away from them, both types are unloaded in the same step, in id order.
    lua.calls.clear();
    camera.setPosition(100000.0f, 0.0f, 0.0f);
    world->manage(&lua);
    EXPECT_EQ(lua.calls, (std::vector<std::string>{"lua_unload_0", "lua_unload_3"}));
    // Releasing every script object unloads what is loaded, once.
    camera.setPosition(-160.0f, 160.0f, 160.0f);
    world->manage(&lua);
    lua.calls.clear();
    RecordingLuaFuncs next;
    world->freeCustomObjects(&next);
    EXPECT_EQ(lua.calls, (std::vector<std::string>{"lua_unload_0", "lua_unload_3"}));
    world->freeCustomObjects(&next);
    EXPECT_EQ(lua.calls.size(), 2u);
    EXPECT_TRUE(next.calls.empty());
}
