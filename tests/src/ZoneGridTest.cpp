#include "ZoneGrid.h"

#include <gtest/gtest.h>

namespace
{
// The zones the grid offers for a point.
std::vector<int32_t> candidatesAt(ZoneGrid const& grid, Float3 const& point)
{
    int32_t const* first = NULL;
    int32_t const* last = NULL;
    grid.getCandidates(point, first, last);
    return std::vector<int32_t>(first, last);
}
}

TEST(ZoneGrid, AFloorOfCubesGetsAFlatGridWhereAPointSeesOnlyItsNeighbours)
{
    // A floor of 40 x 40 one-cube zones.
    std::vector<CubeZone> zones;
    for (int i = 0; i < 1600; ++i)
        zones.push_back(CubeZone(Float3(5.f + 10.f * float(i % 40), 5.f, 5.f + 10.f * float(i / 40)),
                                 Float3(10.f, 10.f, 10.f), 0));
    ZoneGrid const grid(zones);
    // Each cube lies in at most two cells per axis, and in one layer.
    EXPECT_LE(grid.getEntryCount(), 4u * zones.size());
    std::vector<int32_t> const near = candidatesAt(grid, Float3(205.f, 5.f, 205.f));
    EXPECT_LE(near.size(), 9u);
    // The zone holding the point is among them, and the list keeps the zones' order.
    EXPECT_NE(std::find(near.begin(), near.end(), 20 * 40 + 20), near.end());
    EXPECT_TRUE(std::is_sorted(near.begin(), near.end()));
    EXPECT_TRUE(candidatesAt(grid, Float3(205.f, 10.5f, 205.f)).empty());
}

TEST(ZoneGrid, ZonesPlacedOverEachOtherKeepTheListsNearTheZoneCount)
{
    // The same region-sized box placed 20,000 times, and one small cube in a corner:
    // a fine grid would list every big box in each of its thousands of cells.
    std::vector<CubeZone> zones(20000, CubeZone(Float3(160.f, 160.f, 160.f), Float3(320.f, 320.f, 320.f), 0));
    zones.push_back(CubeZone(Float3(5.f, 5.f, 5.f), Float3(10.f, 10.f, 10.f), 0));
    ZoneGrid const grid(zones);
    EXPECT_LE(grid.getEntryCount(), 16u * zones.size());
    std::vector<int32_t> const corner = candidatesAt(grid, Float3(1.f, 1.f, 1.f));
    ASSERT_FALSE(corner.empty());
    EXPECT_EQ(int32_t(zones.size() - 1), corner.back());
    EXPECT_EQ(zones.size(), candidatesAt(grid, Float3(0.f, 0.f, 0.f)).size());
}
