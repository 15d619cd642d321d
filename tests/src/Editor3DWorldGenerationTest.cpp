#include "Editor3D.h"
#include "Editor3DWorldGeneration.h"
#include "Image.h"
#include "IndexedWorld.h"
#include "TestSupport.h"
#include "WorldTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using Editor3DWorldGeneration::GeneratedBox;
using WorldTestSupport::EditedWorld;
using WorldTestSupport::GridBox;

namespace
{
int const RANGE = 32;
int const FILL = 0;
int const TOP = 1;

std::vector<GridBox> asGridBoxes(std::vector<GeneratedBox> const& boxes)
{
    std::vector<GridBox> grid;
    for (GeneratedBox const& box : boxes)
        grid.push_back(GridBox{box.low, box.high, box.cubeType});
    return grid;
}

long volumeOf(std::vector<GridBox> const& boxes)
{
    long volume = 0;
    for (GridBox const& box : boxes)
    {
        Int3 const extent = box.high - box.low;
        volume += std::labs(long(extent.x()) * extent.y() * extent.z());
    }
    return volume;
}

// A seed whose first draw, the number of random boxes, is 0.
unsigned seedWithoutRandomBoxes()
{
    unsigned seed = 1;
    for (;; ++seed)
    {
        srand(seed);
        if (rand() % 20 == 0)
            return seed;
    }
}

// How many random boxes of each size the reference made: large, medium, small, single.
struct Categories
{
    int counts[4] = {0, 0, 0, 0};
};

// One patch written out step by step from the description of the terrain,
// drawing with rand() % k, for comparing the generator's boxes and their order.
std::vector<GridBox> referencePatch(Int3 const& p, int type, std::vector<int> const& heights, int w, int h,
                                    Categories& made)
{
    int const half = RANGE / 2;
    std::vector<GridBox> out;
    std::vector<Int3> beg;
    std::vector<Int3> end;
    auto addLayered = [&](Int3 const& lo, Int3 const& hi) {
        if (lo.y() + 1 < hi.y())
        {
            out.push_back(GridBox{lo, Int3(hi.x(), hi.y() - 1, hi.z()), FILL});
            out.push_back(GridBox{Int3(lo.x(), hi.y() - 1, lo.z()), hi, TOP});
        }
        else
            out.push_back(GridBox{lo, hi, TOP});
    };
    auto recordTop = [&](Int3 const& lo, Int3 const& hi) {
        beg.push_back(lo);
        end.push_back(hi);
        out.push_back(GridBox{lo, hi, TOP});
    };

    if (type == 0 && w == 0)
        recordTop(Int3(p.x() - half, p.y(), p.z() - half), Int3(p.x() + half, p.y() + 1, p.z() + half));
    else if (type == 0)
    {
        for (int i = 0; i < w; ++i)
            for (int j = 0; j < h; ++j)
            {
                Int3 const lo(p.x() + i * RANGE / w - half, p.y(), p.z() + j * RANGE / h - half);
                Int3 const hi(p.x() + (i + 1) * RANGE / w - half, p.y() + heights[i + j * w],
                              p.z() + (j + 1) * RANGE / h - half);
                beg.push_back(lo);
                end.push_back(hi);
                addLayered(lo, hi);
            }
    }
    else
        for (int k = -half; k < half; ++k)
        {
            if (type == 1)
                recordTop(Int3(p.x() + k, p.y() + k, p.z() - half),
                          Int3(p.x() + k + 1, p.y() + k + 1, p.z() + half + 1));
            if (type == 2)
                recordTop(Int3(p.x() + k, p.y() - k, p.z() - half),
                          Int3(p.x() + k + 1, p.y() - k - 1, p.z() + half + 1));
            if (type == 3)
                recordTop(Int3(p.x() - half, p.y() + k, p.z() + k),
                          Int3(p.x() + half + 1, p.y() + k + 1, p.z() + k + 1));
            if (type == 4)
                recordTop(Int3(p.x() - half, p.y() - k, p.z() + k),
                          Int3(p.x() + half + 1, p.y() - k - 1, p.z() + k + 1));
        }

    int const n = rand() % 20;
    int large = 0;
    int medium = 0;
    int small = 0;
    for (int k = 0; k < n; ++k)
    {
        int const r = rand() % 100;
        if (r < 3)
            ++large;
        else if (r < 15)
            ++medium;
        else if (r < 50)
            ++small;
    }
    for (int k = 0; k < n; ++k)
    {
        int const dx = rand() % RANGE - half;
        int const dz = rand() % RANGE - half;
        Int3 const bases[5] = {Int3(p.x() + dx, p.y(), p.z() + dz), Int3(p.x() + dx, p.y() + dx, p.z() + dz),
                               Int3(p.x() + dx, p.y() - dx, p.z() + dz), Int3(p.x() + dx, p.y() + dz, p.z() + dz),
                               Int3(p.x() + dx, p.y() - dz, p.z() + dz)};
        Int3 const P = bases[type];
        Int3 lo = P;
        Int3 hi = P + Int3(1, 1, 1);
        if (k < large)
        {
            ++made.counts[0];
            for (int axis = 2; axis >= 0; --axis)
            {
                int const a = rand() % 3 + 1;
                lo[axis] = P[axis] - a * (rand() % 3 + 1);
            }
            for (int axis = 2; axis >= 0; --axis)
            {
                int const a = rand() % 3 + 1;
                hi[axis] = P[axis] + a * (rand() % 3 + 1);
            }
        }
        else if (k < large + medium)
        {
            ++made.counts[1];
            for (int axis = 2; axis >= 0; --axis)
                lo[axis] = P[axis] - rand() % 3 - 1;
            for (int axis = 2; axis >= 0; --axis)
                hi[axis] = P[axis] + 1 + rand() % 3;
        }
        else if (k < large + medium + small)
        {
            ++made.counts[2];
            for (int axis = 2; axis >= 0; --axis)
                lo[axis] = P[axis] - rand() % 2;
            for (int axis = 2; axis >= 0; --axis)
                hi[axis] = P[axis] + 1 + rand() % 2;
        }
        else
            ++made.counts[3];
        for (size_t i = 0; i < beg.size();)
        {
            if (hi.x() >= beg[i].x() && hi.y() >= beg[i].y() && hi.z() >= beg[i].z() && lo.x() < end[i].x() &&
                lo.y() < end[i].y() && lo.z() < end[i].z())
            {
                hi.y() = hi.y() - lo.y() + end[i].y();
                lo.y() = end[i].y();
                i = 0;
            }
            else
                ++i;
        }
        beg.push_back(lo);
        end.push_back(hi);
        addLayered(lo, hi);
    }
    return out;
}

class Generation : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DISPLAY();
        edited.reset(new EditedWorld("world generation test", 2));
    }

    Editor3D* editor() { return edited->editor; }
    IndexedWorld& world() { return *edited->world; }

    std::unique_ptr<EditedWorld> edited;
};
}

TEST(Editor3DWorldGeneration, EveryBoxFollowsTheDrawsInOrder)
{
    std::vector<int> const heights = {1, 2, 52, 7, 3, 1, 1, 20, 5, 5, 9, 2, 1, 40, 6, 2};
    std::vector<unsigned char> const heightBytes(heights.begin(), heights.end());
    Int3 const p(5, -3, 40);
    Categories made;
    for (unsigned const seed : {1u, 2u, 3u, 7u, 17u, 99u, 2024u, 31337u})
        for (int type = 0; type <= 5; ++type)
        {
            // Type 5 stands for type 0 shaped by the 4 x 4 heights.
            bool const shaped = type == 5;
            int const ground = shaped ? 0 : type;
            int const side = shaped ? 4 : 0;
            srand(seed);
            std::vector<GridBox> const expected = referencePatch(p, ground, heights, side, side, made);
            int const drawAfterReference = rand();
            srand(seed);
            std::vector<GeneratedBox> const boxes = Editor3DWorldGeneration::planRandom(
                p, ground, shaped ? heightBytes.data() : nullptr, Int2(side, side), RANGE, FILL, TOP);
            EXPECT_EQ(asGridBoxes(boxes), expected) << "seed " << seed << ", type " << type;
            EXPECT_EQ(rand(), drawAfterReference) << "no draw more or fewer, seed " << seed << ", type " << type;
        }
    for (int category = 0; category < 4; ++category)
        EXPECT_GT(made.counts[category], 0) << "the seeds make boxes of every size, category " << category;
}

TEST(Editor3DWorldGeneration, ColumnsOfHeightOneAreOnlyTopAndTallerOnesStandOnAFillBody)
{
    srand(seedWithoutRandomBoxes());
    // Heights x fastest: (0, 0) 1, (1, 0) 5, (0, 1) 0, (1, 1) 52.
    unsigned char const heights[4] = {1, 5, 0, 52};
    std::vector<GeneratedBox> const boxes =
        Editor3DWorldGeneration::planRandom(Int3(16, 0, 16), 0, heights, Int2(2, 2), RANGE, FILL, TOP);
    std::vector<GridBox> const expected = {
        GridBox{Int3(0, 0, 0), Int3(16, 1, 16), TOP},
        // A column of no height would be an empty box: none.
        GridBox{Int3(16, 0, 0), Int3(32, 4, 16), FILL},
        GridBox{Int3(16, 4, 0), Int3(32, 5, 16), TOP},
        GridBox{Int3(16, 0, 16), Int3(32, 51, 32), FILL},
        GridBox{Int3(16, 51, 16), Int3(32, 52, 32), TOP},
    };
    EXPECT_EQ(asGridBoxes(boxes), expected);
}

TEST(Editor3DWorldGeneration, RandomBoxesOnAFlatFloorRestOnIt)
{
    int singlesOnTheFloor = 0;
    for (unsigned seed = 1; seed <= 40; ++seed)
    {
        srand(seed);
        std::vector<GeneratedBox> const boxes =
            Editor3DWorldGeneration::planRandom(Int3(0, 5, 0), 0, nullptr, Int2(0, 0), RANGE, FILL, TOP);
        for (size_t i = 1; i < boxes.size(); ++i)
        {
            EXPECT_GE(boxes[i].low.y(), 6) << "seed " << seed << ": every box is lifted onto the floor";
            if (boxes[i].high - boxes[i].low == Int3(1, 1, 1) && boxes[i].low.y() == 6)
                ++singlesOnTheFloor;
        }
    }
    EXPECT_GT(singlesOnTheFloor, 0);
}

TEST(Editor3DWorldGeneration, ContractsOnTheHeightGrid)
{
    unsigned char const heights[64] = {};
    struct Case
    {
        Int2 size;
        char const* condition;
    };
    Case const cases[] = {
        {Int2(33, 4), "sizeHeightmap.width() <= rangeGeneration && sizeHeightmap.height() <= rangeGeneration"},
        {Int2(4, -1), "sizeHeightmap.width() >= 0 && sizeHeightmap.height() >= 0"},
    };
    for (Case const& c : cases)
    {
        TestSupport::ChildResult const result = TestSupport::runInChild(
            [&] { Editor3DWorldGeneration::planRandom(Int3(0, 0, 0), 0, heights, c.size, RANGE, FILL, TOP); });
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_NE(result.errors.find(std::string("Condition: ") + c.condition + "\n"), std::string::npos)
            << result.errors;
        EXPECT_NE(result.errors.find("__FILE__ src/Editor3DWorldGeneration.cpp"), std::string::npos) << result.errors;
    }
}

TEST_F(Generation, FlatFloorIsSplitIntoFourZonesAndTraced)
{
    srand(seedWithoutRandomBoxes());
    testing::internal::CaptureStdout();
    EXPECT_TRUE(Editor3DWorldGeneration::generateRandom(Int3(0, 0, 0), 0, RANGE, editor(), FILL, TOP));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Generate random at BasicVector<3,?(sizeof=4)> (0;0;0;) (type 0)\n");
    std::vector<GridBox> const expected = {
        GridBox{Int3(-16, 0, -16), Int3(0, 1, 0), TOP},
        GridBox{Int3(-16, 0, 0), Int3(0, 1, 16), TOP},
        GridBox{Int3(0, 0, -16), Int3(16, 1, 0), TOP},
        GridBox{Int3(0, 0, 0), Int3(16, 1, 16), TOP},
    };
    EXPECT_EQ(WorldTestSupport::gridBoxesOf(world()), expected);
}

TEST_F(Generation, AddsEveryPlannedBoxSplitAtRegionBorders)
{
    for (int type = 0; type <= 4; ++type)
    {
        world().clearAll();
        srand(12 + type);
        std::vector<GeneratedBox> const planned =
            Editor3DWorldGeneration::planRandom(Int3(10, 0, -7), type, nullptr, Int2(0, 0), RANGE, FILL, TOP);
        srand(12 + type);
        EXPECT_TRUE(Editor3DWorldGeneration::generateRandom(Int3(10, 0, -7), type, RANGE, editor(), FILL, TOP));
        std::vector<GridBox> const zones = WorldTestSupport::gridBoxesOf(world());
        EXPECT_GE(zones.size(), planned.size()) << "type " << type;
        EXPECT_EQ(volumeOf(zones), volumeOf(asGridBoxes(planned))) << "type " << type;
    }
}

TEST_F(Generation, RefusesCubeTypesTheWorldDoesNotHave)
{
    WorldTestSupport::writeSolidPng(FILE_HEIGHTMAP, 255, 255, 255, 255);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(Editor3DWorldGeneration::generateRandom(Int3(0, 0, 0), 0, RANGE, editor(), 1, 2));
    EXPECT_FALSE(Editor3DWorldGeneration::generateRandom(Int3(0, 0, 0), 2, RANGE, editor(), -1, 0));
    EXPECT_FALSE(Editor3DWorldGeneration::generateRandomFullWorld(Int3(0, 0, 0), RANGE, editor(), 1, 2));
    std::string const errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(errors, "ERROR : Cannot generate cubes of cube types 2 and 3: the world has 2 cube types\n"
                      "ERROR : Cannot generate cubes of cube types 0 and 1: the world has 2 cube types\n"
                      "ERROR : Cannot generate cubes of cube types 2 and 3: the world has 2 cube types\n");
    EXPECT_TRUE(WorldTestSupport::gridBoxesOf(world()).empty());
}

TEST_F(Generation, HeightMapWorldNeedsItsPictureAndTilesFifteenByFifteenPatches)
{
    testing::internal::CaptureStderr();
    EXPECT_FALSE(Editor3DWorldGeneration::generateRandomFullWorld(Int3(0, 0, 0), RANGE, editor(), FILL, TOP));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ERROR : Cannot generate the world: the height map 'world_heightmap.png' is missing\n");
    EXPECT_TRUE(WorldTestSupport::gridBoxesOf(world()).empty());

    // All white: every column is 52 cubes high.
    WorldTestSupport::writeSolidPng(FILE_HEIGHTMAP, 255, 255, 255, 255);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(Editor3DWorldGeneration::generateRandomFullWorld(Int3(3, 1, 0), RANGE, editor(), FILL, TOP));
    std::string const trace = testing::internal::GetCapturedStdout();
    std::string const first = "Generate random at BasicVector<3,?(sizeof=4)> (-117;1;-120;) (type 0)\n";
    std::string const last = "Generate random at BasicVector<3,?(sizeof=4)> (107;1;104;) (type 0)\n"
                             "Freeing image 'world_heightmap.png'\n";
    EXPECT_NE(trace.find("Loading image 'world_heightmap.png'\n" + first), std::string::npos) << trace.substr(0, 300);
    EXPECT_EQ(trace.substr(trace.size() - last.size()), last);
    size_t patches = 0;
    std::string const line = "Generate random at ";
    for (size_t at = trace.find(line); at != std::string::npos; at = trace.find(line, at + 1))
        ++patches;
    EXPECT_EQ(patches, 225u);
    bool columnTop = false;
    for (GridBox const& box : WorldTestSupport::gridBoxesOf(world()))
        columnTop = columnTop || (box.low.y() == 52 && box.high.y() == 53 && box.cubeType == TOP);
    EXPECT_TRUE(columnTop) << "columns of 52 cubes on the floor at y = 1";
}

TEST_F(Generation, HeightsAreRedOverFivePlusOneSampledFourByFourPerCell)
{
    struct Case
    {
        unsigned char red;
        int height;
    };
    for (Case const c : {Case{255, 52}, Case{0, 1}, Case{127, 26}, Case{4, 1}, Case{5, 2}})
    {
        Image image(2, 2, false);
        for (int i = 0; i < 4; ++i)
            image.getData()[3 * i] = c.red;
        unsigned char heights[16] = {};
        Editor3DWorldGeneration::readPatchHeights(image, 7, 3, heights);
        for (unsigned char const height : heights)
            EXPECT_EQ(height, c.height) << "red " << int(c.red);
    }
    // Red growing by 4 per column (along x) or per row (along z): the last
    // cell of 64 pixels starts at 59 and is 5 wide, so its samples are 59 to 62.
    int const lastCell[4] = {48, 49, 49, 50};
    for (bool const alongX : {true, false})
    {
        Image image(64, 64, false);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                image.getData()[3 * (x + 64 * y)] = static_cast<unsigned char>(4 * (alongX ? x : y));
        unsigned char heights[16] = {};
        Editor3DWorldGeneration::readPatchHeights(image, 14, 14, heights);
        for (int a = 0; a < 4; ++a)
            for (int b = 0; b < 4; ++b)
                EXPECT_EQ(heights[a + 4 * b], lastCell[alongX ? a : b]) << "sample " << a << ", " << b;
    }
}
