// Static shadow calculation, run on the editor's request: one region of 500
// zones, and every region of a world made from the game's height map. Each
// with both searches for the shadow triangles: every triangle tested for each
// point, and the grid over the face (the same triangles).
//
// The height-map world is built here from "world_heightmap.png" as the
// editor's height-map generation lays out its ground: 15 x 15 patches half a
// region apart, each of 4 x 4 columns 8 cubes square, red / 5 + 1 cubes high
// (a fill box under a one-cube top box), cut at region borders. The few
// random boxes the editor stacks on each patch are left out.

#include "BasicVector.h"
#include "CubeZone.h"
#include "CubeZoneStaticShadows.h"
#include "DeviceManager.h"
#include "Image.h"
#include "WorldIndexator.h"
#include "WorldRegion.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

using CubeZoneStaticShadows::ShadowSearch;

namespace
{
float const REGION = 320.f;
float const CUBE = 10.f;
int const CUBES_PER_REGION = 32;

ShadowSearch searchOf(benchmark::State const& state)
{
    return state.range(0) == 0 ? ShadowSearch::EVERY_TRIANGLE : ShadowSearch::TRIANGLE_GRID;
}

// The shadows of one zone, computed and thrown away.
size_t shadowZone(std::vector<CubeZone const*> const& occluders, CubeZone const& zone, Float3 const& light,
                  ShadowSearch search)
{
    std::vector<Float3> triangles[CubeZone::NB_SHADOW_FACES];
    bool inShadow[CubeZone::NB_SHADOW_FACES] = {};
    CubeZoneStaticShadows::calculateStaticShadows(occluders, zone, triangles, inShadow, light, search);
    size_t vertices = 0;
    for (std::vector<Float3> const& list : triangles)
        vertices += list.size();
    return vertices;
}

// A small deterministic generator, so every run shadows the same scene.
uint32_t nextRandom(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

// Region (0, 0, 0): 256 ground columns 20 units square and 10 to 60 high,
// and 244 boxes of 10 to 40 units floating above them at random.
std::vector<CubeZone> regionOf500Zones()
{
    std::vector<CubeZone> zones;
    uint32_t state = 12345u;
    for (int x = 0; x < 16; ++x)
        for (int z = 0; z < 16; ++z)
        {
            float const height = CUBE * float(1 + nextRandom(state) % 6);
            zones.push_back(CubeZone(Float3(20.f * x + 10.f, height * 0.5f, 20.f * z + 10.f),
                                     Float3(20.f, height, 20.f), 0));
        }
    while (zones.size() < 500)
    {
        Float3 const size(CUBE * float(1 + nextRandom(state) % 4), CUBE * float(1 + nextRandom(state) % 4),
                          CUBE * float(1 + nextRandom(state) % 4));
        Float3 const low(CUBE * float(nextRandom(state) % 28), 70.f + CUBE * float(nextRandom(state) % 21),
                         CUBE * float(nextRandom(state) % 28));
        zones.push_back(CubeZone(low + size * 0.5f, size, 1));
    }
    return zones;
}

void BM_OneRegionOf500Zones(benchmark::State& state)
{
    std::vector<CubeZone> const zones = regionOf500Zones();
    std::vector<CubeZone const*> occluders;
    for (CubeZone const& zone : zones)
        occluders.push_back(&zone);
    // The light of region (0, 0, 0).
    Float3 const light(160.f - 3000.f, 160.f + 10000.f, 160.f - 3000.f);
    size_t vertices = 0;
    for (auto _ : state)
    {
        vertices = 0;
        for (CubeZone const& zone : zones)
            vertices += shadowZone(occluders, zone, light, searchOf(state));
    }
    state.counters["zones"] = double(zones.size());
    state.counters["vertices"] = double(vertices);
}
BENCHMARK(BM_OneRegionOf500Zones)->ArgName("grid")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)
    ->Repetitions(5)->ReportAggregatesOnly(true);

// A box of cubes from lo to hi (excluded), cut at region borders as the editor cuts it.
void addBoxCutAtRegions(WorldIndexator& index, Int3 const& lo, Int3 const& hi, int type)
{
    Int3 regionLo;
    Int3 regionHi;
    for (int axis = 0; axis < 3; ++axis)
    {
        regionLo[axis] = int(std::floor(float(lo[axis]) / CUBES_PER_REGION));
        regionHi[axis] = int(std::floor(float(hi[axis]) / CUBES_PER_REGION));
    }
    for (int rx = regionLo.x(); rx <= regionHi.x(); ++rx)
        for (int ry = regionLo.y(); ry <= regionHi.y(); ++ry)
            for (int rz = regionLo.z(); rz <= regionHi.z(); ++rz)
            {
                Int3 const region(rx, ry, rz);
                Int3 low;
                Int3 high;
                for (int axis = 0; axis < 3; ++axis)
                {
                    low[axis] = region[axis] == regionLo[axis] ? lo[axis] : CUBES_PER_REGION * region[axis];
                    high[axis] = region[axis] == regionHi[axis] ? hi[axis] : CUBES_PER_REGION * (region[axis] + 1);
                }
                if (low.x() == high.x() || low.y() == high.y() || low.z() == high.z())
                    continue;
                Float3 const size(CUBE * float(high.x() - low.x()), CUBE * float(high.y() - low.y()),
                                  CUBE * float(high.z() - low.z()));
                Float3 const corner(CUBE * float(low.x()), CUBE * float(low.y()), CUBE * float(low.z()));
                if (!index.addElement(CubeZone(corner + size * 0.5f, size, type)))
                    std::abort();
            }
}

// One patch of 4 x 4 columns around p, a region wide.
void addPatch(WorldIndexator& index, Int3 const& p, int const heights[16])
{
    int const half = CUBES_PER_REGION / 2;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
        {
            int const x0 = i * CUBES_PER_REGION / 4 - half;
            int const x1 = (i + 1) * CUBES_PER_REGION / 4 - half;
            int const z0 = j * CUBES_PER_REGION / 4 - half;
            int const z1 = (j + 1) * CUBES_PER_REGION / 4 - half;
            int const height = heights[i + 4 * j];
            Int3 const low(p.x() + x0, p.y(), p.z() + z0);
            Int3 const high(p.x() + x1, p.y() + height, p.z() + z1);
            if (height < 2)
            {
                addBoxCutAtRegions(index, low, high, 1);
                continue;
            }
            addBoxCutAtRegions(index, low, Int3(high.x(), high.y() - 1, high.z()), 0);
            addBoxCutAtRegions(index, Int3(low.x(), high.y() - 1, low.z()), high, 1);
        }
}

void fillFromHeightMap(WorldIndexator& index, Image const& map)
{
    int const width = map.getWidth();
    int const height = map.getHeight();
    for (int i = 0; i < 15; ++i)
        for (int j = 0; j < 15; ++j)
        {
            int const x1 = int(float(i) * float(width) / 15.f);
            int const x2 = int(float(i + 1) * float(width) / 15.f);
            int const y1 = int(float(j) * float(height) / 15.f);
            int const y2 = int(float(j + 1) * float(height) / 15.f);
            int heights[16] = {};
            for (int a = 0; a < 4; ++a)
                for (int b = 0; b < 4; ++b)
                    heights[a + 4 * b] =
                        map.getPixel(Int2(x1 + a * (x2 - x1) / 4, y1 + b * (y2 - y1) / 4)).x() / 5 + 1;
            Int3 const patch(int((float(i) - 7.5f) * CUBES_PER_REGION * 0.5f), 0,
                             int((float(j) - 7.5f) * CUBES_PER_REGION * 0.5f));
            addPatch(index, patch, heights);
        }
}

void BM_EveryRegionOfAHeightMapWorld(benchmark::State& state)
{
    WorldIndexator index(REGION);
    {
        Image const map(deviceManager, GAME_DATA_DIR "/world_heightmap.png", false);
        fillFromHeightMap(index, map);
    }
    Int3 const size = index.getTableRegionSize();
    size_t zones = 0;
    size_t vertices = 0;
    for (auto _ : state)
    {
        zones = 0;
        vertices = 0;
        // Column by column, as the editor's "all regions" does.
        for (int x = 0; x < size.x(); ++x)
            for (int z = 0; z < size.z(); ++z)
            {
                std::vector<CubeZone const*> const occluders = index.getAllOcclusiveObjectsForOneRegion(Int3(x, 0, z));
                for (int y = 0; y < size.y(); ++y)
                {
                    Int3 const cell(x, y, z);
                    Float3 const light = index.getShadowLightOfRegion(cell);
                    for (CubeZone const& zone : index.getWorldRegionFromTableRegionIndex(cell)->getCubeZones())
                    {
                        vertices += shadowZone(occluders, zone, light, searchOf(state));
                        ++zones;
                    }
                }
            }
    }
    state.counters["zones"] = double(zones);
    state.counters["regions"] = double(size.x() * size.y() * size.z());
    state.counters["vertices"] = double(vertices);
}
BENCHMARK(BM_EveryRegionOfAHeightMapWorld)->ArgName("grid")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)
    ->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
}

int main(int argc, char** argv)
{
    DeviceManager::newInstance("bench_StaticShadows", "static shadows benchmark", 800, 600, false);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    DeviceManager::deleteInstance();
    return 0;
}
