#include "IndexedWorld.h"
#include "TestSupport.h"
#include "WorldExamination.h"

#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace
{
// A game folder holding every texture but one: snow.png has no shadowed variant.
std::string makeGameFolder()
{
    std::string const folder = TestSupport::makeTemporaryFolder();
    mkdir((folder + "/cube_textures").c_str(), 0755);
    mkdir((folder + "/cube_shadowed_textures").c_str(), 0755);
    for (char const* name : {"grass_top.png", "dirt.png", "snow.png"})
        TestSupport::writeFile(folder + "/cube_textures/" + name, "picture");
    for (char const* name : {"grass_top.png", "dirt.png"})
        TestSupport::writeFile(folder + "/cube_shadowed_textures/" + name, "picture");
    return folder;
}

void addTypes(IndexedWorld& world)
{
    bool const repeat[3] = {false, false, false};
    std::string const grass[6] = {"dirt.png", "dirt.png", "grass_top.png", "dirt.png", "dirt.png", "dirt.png"};
    std::string const snow[6] = {"snow.png", "snow.png", "snow.png", "snow.png", "snow.png", "snow.png"};
    world.addCubeType(grass, repeat, true);
    world.addCubeType(snow, repeat, false);
}
} // namespace

TEST(WorldExamination, SummarisesTypesRegionsObjectsAndShadows)
{
    IndexedWorld world(NULL, NULL);
    addTypes(world);
    world.addCubeZone(Float3(5.f, 5.f, 5.f), Float3(10.f, 10.f, 10.f), 0);
    world.addCubeZone(Float3(5.f, 25.f, 5.f), Float3(10.f, 10.f, 10.f), 1);
    world.addCustomObject(Float3(-5.f, 5.f, 5.f), 1);
    world.addCustomObject(Float3(400.f, 5.f, 5.f), 0);
    world.addCustomObject(Float3(410.f, 5.f, 5.f), 0);
    world.calculateStaticShadowsOneRegion(Float3(5.f, 5.f, 5.f));
    std::ostringstream out;
    WorldExamination::printSummary(world, out);
    std::string const summary = out.str();
    for (char const* expected :
         {"Cube types: 2\n", "  0: top grass_top.png, bottom dirt.png, front dirt.png", "1: top snow.png",
          "right snow.png; not collidable\n", "Region table: origin (-1, -1, -1), size (3, 2, 2)\n",
          "  region (-1, 0, 0): 0 zones, objects type 1: 1, shadows on 0 zones",
          "  region (0, 0, 0): 2 zones, objects none, shadows on 2 zones (",
          "  region (1, 0, 0): 0 zones, objects type 0: 2,",
          "Total: 3 regions with content, 2 zones, objects type 0: 2, type 1: 1, shadows on 2 zones"})
        EXPECT_NE(summary.find(expected), std::string::npos) << expected << "\nin:\n" << summary;
    // The upper zone shades part of the lower one's top; each zone has three faces away from the light.
    EXPECT_EQ(summary.find("shadows on 2 zones (0 triangle vertices"), std::string::npos) << summary;
    EXPECT_NE(summary.find(" triangle vertices, 6 faces wholly in shadow)\n  region (1, 0, 0)"), std::string::npos) << summary;
    EXPECT_EQ(WorldExamination::getObjectTypes(world), (std::set<int>{0, 1}));
}

TEST(WorldExamination, FindsMissingTexturesAndZonesOfUnknownCubeTypes)
{
    IndexedWorld world(NULL, NULL);
    addTypes(world);
    world.addCubeZone(Float3(5.f, 5.f, 5.f), Float3(10.f, 10.f, 10.f), 1);
    EXPECT_TRUE(WorldExamination::checkZoneCubeTypes(world).empty());
    world.addCubeZone(Float3(5.f, 35.f, 5.f), Float3(10.f, 10.f, 10.f), 2);
    std::vector<std::string> const zones = WorldExamination::checkZoneCubeTypes(world);
    ASSERT_EQ(zones.size(), 1u);
    EXPECT_EQ(zones[0], "the zone at (5, 35, 5) in region (0, 0, 0) uses cube type 2, but the world has 2 cube types");
    std::vector<std::string> const textures = WorldExamination::checkTextures(world, makeGameFolder());
    EXPECT_EQ(textures, (std::vector<std::string>{"missing texture cube_shadowed_textures/snow.png"}));
}
