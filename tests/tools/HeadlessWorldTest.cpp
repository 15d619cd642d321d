#include "CubeType.h"
#include "CubeZone.h"
#include "DeviceManager.h"
#include "Editor3D.h"
#include "Editor3DWorldGeneration.h"
#include "Font.h"
#include "GeneratedData.h"
#include "Image.h"
#include "IndexedWorld.h"
#include "TestSupport.h"
#include "WorldIndexator.h"
#include "WorldRegion.h"

#include <gtest/gtest.h>
#include <memory>

namespace
{
std::string const SIDES[6] = {"dirt.png", "dirt.png", "grass_top.png", "dirt.png", "dirt.png", "dirt.png"};

size_t countZones(IndexedWorld const& world, long& shadowVertices)
{
    WorldIndexator const* const index = world.getWorldIndexator();
    Int3 const& size = index->getTableRegionSize();
    size_t zones = 0;
    shadowVertices = 0;
    for (int x = 0; x < size.x(); ++x)
        for (int y = 0; y < size.y(); ++y)
            for (int z = 0; z < size.z(); ++z)
                for (CubeZone const& zone : index->getWorldRegionFromTableRegionIndex(Int3(x, y, z))->getCubeZones())
                {
                    ++zones;
                    for (int face = 0; face < 6; ++face)
                        shadowVertices += long(zone.getShadowTriangles(face).size());
                }
    return zones;
}
} // namespace

// The command-line tools share the game's world code: no window, no device
// manager, yet loading, editing, generating, shadows and saving all work, and
// no texture is made on the way.
TEST(HeadlessWorld, IsBuiltEditedShadowedSavedAndLoadedWithoutAWindow)
{
    ASSERT_EQ(deviceManager, nullptr);
    std::string const path = TestSupport::makeTemporaryFolder() + "/world.dat";
    Font const font(NULL, GeneratedData::path("default_font.png").c_str(), 16, false);
    EXPECT_GT(font.getWidth("Quillet", -1, 1.f), 0);
    size_t zonesBuilt = 0;
    {
        IndexedWorld world(&font, NULL);
        Editor3D editor(font, &world);
        bool const repeat[3] = {true, true, true};
        world.addCubeType(SIDES, repeat, true);
        world.addCubeType(SIDES, repeat, true);
        // Across a region border: split into two zones.
        EXPECT_TRUE(editor.addCubeZoneWithRegionLimitCaretaking(Int3(30, 4, 0), Int3(34, 6, 2), 0));
        EXPECT_TRUE(Editor3DWorldGeneration::generateRandom(Int3(0, 0, 0), 0, 32, &editor, 0, 1));
        world.addCustomObject(Float3(5.f, 50.f, 5.f), 1);
        world.calculateStaticShadowsAll();
        EXPECT_FALSE(world.getCubeType(0)->getIsLoaded());
        long shadowVertices = 0;
        zonesBuilt = countZones(world, shadowVertices);
        EXPECT_GT(zonesBuilt, 2u);
        EXPECT_GT(shadowVertices, 0);
        world.saveWorldToFile(path);
    }
    std::string const saved = TestSupport::readFile(path);
    IndexedWorld reloaded(&font, path, NULL);
    EXPECT_EQ(reloaded.getNbCubeType(), 2);
    long shadowVertices = 0;
    EXPECT_EQ(countZones(reloaded, shadowVertices), zonesBuilt);
    EXPECT_GT(shadowVertices, 0);
    reloaded.saveWorldToFile(path);
    EXPECT_TRUE(TestSupport::readFile(path) == saved) << "saving what was loaded changes nothing";
}

TEST(HeadlessWorld, PicturesLoadedWithoutTheDeviceManagerKeepTheirPixelsAndHaveNoTexture)
{
    ASSERT_EQ(deviceManager, nullptr);
    Image const heightmap(NULL, GeneratedData::path("world_heightmap.png").c_str(), false);
    EXPECT_EQ(heightmap.getTextureId(), 0);
    ASSERT_NE(heightmap.getData(), nullptr);
    Canvas const reference = GeneratedData::picture("world_heightmap.png");
    EXPECT_EQ(heightmap.getPixel(Int2(10, 20))[0], reference.getPixel(10, 20)[0]);
}
