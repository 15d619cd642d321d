#include "CubeZone.h"
#include "CustomObject.h"
#include "DemoWorld.h"
#include "GeneratedData.h"
#include "IndexedWorld.h"
#include "TestSupport.h"
#include "WorldIndexator.h"
#include "WorldRegion.h"

#include <gtest/gtest.h>
#include <map>

namespace
{
std::string const BUILT_WORLD = GeneratedData::path("world.dat");

struct Content
{
    std::vector<CubeZone> zones;
    std::vector<CustomObject> objects;
};

Content readWorld(IndexedWorld const& world)
{
    Content content;
    WorldIndexator const* const index = world.getWorldIndexator();
    Int3 const& size = index->getTableRegionSize();
    for (int x = 0; x < size.x(); ++x)
        for (int y = 0; y < size.y(); ++y)
            for (int z = 0; z < size.z(); ++z)
            {
                WorldRegion const* const region = index->getWorldRegionFromTableRegionIndex(Int3(x, y, z));
                content.zones.insert(content.zones.end(), region->getCubeZones().begin(), region->getCubeZones().end());
                content.objects.insert(content.objects.end(), region->getCustomObjects().begin(),
                                       region->getCustomObjects().end());
            }
    return content;
}

bool covers(CubeZone const& zone, float x, float z)
{
    Float3 const low = zone.getPosition() - zone.getSize() / 2.f;
    Float3 const high = zone.getPosition() + zone.getSize() / 2.f;
    return low.x() <= x && x <= high.x() && low.z() <= z && z <= high.z();
}
} // namespace

// The build's world file was made by another process: a fresh build here must
// give the same bytes.
TEST(DemoWorld, IsTheSameByteForByteOnEveryBuild)
{
    std::string const path = TestSupport::makeTemporaryFolder() + "/world.dat";
    DemoWorld::writeWorldFile(GAME_DATA_DIR, path);
    std::string const built = TestSupport::readFile(BUILT_WORLD);
    EXPECT_TRUE(TestSupport::readFile(path) == built);
    // Small enough to ship with the game.
    EXPECT_LT(built.size(), 4u * 1024 * 1024);
}

// What the demo game's script relies on: the plaza the player lands on, the
// first four coins, and only the two script object types it defines.
TEST(DemoWorld, HoldsTheClearPlazaAndTheObjectsTheGameScriptExpects)
{
    IndexedWorld const world(NULL, BUILT_WORLD, NULL);
    Content const content = readWorld(world);
    for (float x = -100.f; x <= 100.f; x += 10.f)
        for (float z = -100.f; z <= 100.f; z += 10.f)
        {
            bool floor = false;
            for (CubeZone const& zone : content.zones)
            {
                if (!covers(zone, x, z))
                    continue;
                float const top = zone.getPosition().y() + zone.getSize().y() / 2.f;
                float const bottom = zone.getPosition().y() - zone.getSize().y() / 2.f;
                floor = floor || top == 0.f;
                EXPECT_FALSE(bottom < 60.f && top > 0.f) << "a zone stands over the plaza at " << x << ", " << z;
            }
            EXPECT_TRUE(floor) << "no floor at " << x << ", " << z;
        }
    std::map<int, int> countByType;
    for (CustomObject const& object : content.objects)
        ++countByType[object.getId()];
    EXPECT_EQ(countByType.size(), 2u);
    EXPECT_GT(countByType[DemoWorld::COIN], 8);
    EXPECT_GT(countByType[DemoWorld::GEM], 2);
    for (Float3 const& coin :
         {Float3(0.f, 5.f, -40.f), Float3(40.f, 5.f, 0.f), Float3(-40.f, 5.f, 0.f), Float3(0.f, 5.f, 40.f)})
    {
        bool found = false;
        for (CustomObject const& object : content.objects)
            found = found || (object.getId() == DemoWorld::COIN && object.getPosition() == coin);
        EXPECT_TRUE(found) << "no coin at " << coin.x() << ", " << coin.z();
    }
}
