// The cube world's per-frame costs: building a region's vertex buffer, the
// manage step around the camera, and the player's collision queries.

#include "CubeTypeManager.h"
#include "CubeZone.h"
#include "DeviceManager.h"
#include "WorldIndexator.h"
#include "WorldRegion.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <png.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
float const REGION = 320.f;
Float3 const CUBE(10.f, 10.f, 10.f);

void writePng(std::string const& path, unsigned char shade)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, 2, 2, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    unsigned char row[8] = {shade, shade, shade, 128, shade, shade, shade, 128};
    png_write_row(png, row);
    png_write_row(png, row);
    png_write_end(png, NULL);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

// Working folder with the textures of four cube types, the window and the types.
CubeTypeManager* openWorld()
{
    char folder[] = "/tmp/quillet_bench_XXXXXX";
    if (mkdtemp(folder) == NULL || chdir(folder) != 0)
        std::abort();
    mkdir("cube_textures", 0755);
    mkdir("cube_shadowed_textures", 0755);
    writePng("black_semi_transparent.png", 0);
    DeviceManager::newInstance("bench_CubeWorld", "cube world benchmark", 800, 600, false);
    CubeTypeManager* types = new CubeTypeManager();
    bool const noRepeat[3] = {false, false, false};
    for (int type = 0; type < 4; ++type)
    {
        std::string names[6];
        for (int face = 0; face < 6; ++face)
        {
            names[face] = "t" + std::to_string(type) + "_" + std::to_string(face) + ".png";
            writePng("cube_textures/" + names[face], (unsigned char)(40 * face));
            writePng("cube_shadowed_textures/" + names[face], (unsigned char)(20 * face));
        }
        types->addCubeType(names, noRepeat, true);
    }
    return types;
}

// The i-th one-cube zone of a region whose corner is at `corner`: rows along x, then z, then y.
CubeZone zoneInRegion(Float3 const& corner, int i)
{
    Float3 const cell(float(i % 32), float(i / 1024), float((i / 32) % 32));
    return CubeZone(corner + cell * 10.f + Float3(5.f, 5.f, 5.f), CUBE, i % 4);
}

void fillRegion(WorldRegion& region, int zones)
{
    for (int i = 0; i < zones; ++i)
    {
        CubeZone zone = zoneInRegion(Float3(0.f, 0.f, 0.f), i);
        // One zone in four carries a wholly shadowed face and a shadow triangle.
        if (i % 4 == 0)
        {
            std::vector<Float3> triangles[6];
            triangles[3] = {Float3(-5.f, 5.f, -5.f), Float3(5.f, 5.f, -5.f), Float3(-5.f, 5.f, 5.f)};
            bool inShadow[6] = {false, true, false, false, false, false};
            zone.setShadows(triangles, inShadow);
        }
        region.addCubeZone(zone);
    }
}

void BM_RegionBufferBuild2000Zones(benchmark::State& state)
{
    WorldRegion region;
    fillRegion(region, 2000);
    for (auto _ : state)
    {
        region.clearStatic();
        benchmark::DoNotOptimize(region.draw());
    }
}
BENCHMARK(BM_RegionBufferBuild2000Zones)->Unit(benchmark::kMillisecond);

void BM_ManageStepRadius4With20000ZonesNothingMoves(benchmark::State& state)
{
    WorldIndexator index(REGION);
    // 729 regions around the origin (-4 to 4 on every axis), 20,000 zones spread over them.
    int placed = 0;
    for (int cell = 0; cell < 729; ++cell)
    {
        Float3 const corner(float(cell % 9 - 4) * REGION, float((cell / 9) % 9 - 4) * REGION,
                            float(cell / 81 - 4) * REGION);
        int const zones = 20000 * (cell + 1) / 729 - 20000 * cell / 729;
        for (int i = 0; i < zones; ++i, ++placed)
            if (!index.addElement(zoneInRegion(corner, i)))
                std::abort();
    }
    index.setViewDistance(4.f * REGION);
    state.counters["zones"] = placed;
    for (auto _ : state)
    {
        cubeTypeManagerInstance->initUnused();
        index.manageAround(Float3(1.f, 1.f, 1.f));
        cubeTypeManagerInstance->freeUnused();
    }
}
BENCHMARK(BM_ManageStepRadius4With20000ZonesNothingMoves)->Unit(benchmark::kMicrosecond);

void BM_SixPointQueriesInARegionOf2000Zones(benchmark::State& state)
{
    WorldIndexator index(REGION);
    for (int i = 0; i < 2000; ++i)
        index.addElement(zoneInRegion(Float3(0.f, 0.f, 0.f), i));
    // The player's six probes around a point among the zones' two layers.
    Float3 const player(163.f, 12.f, 163.f);
    Float3 const probes[6] = {Float3(3.f, 0.f, 0.f), Float3(-3.f, 0.f, 0.f), Float3(0.f, 3.f, 0.f),
                              Float3(0.f, -3.f, 0.f), Float3(0.f, 0.f, 3.f), Float3(0.f, 0.f, -3.f)};
    for (auto _ : state)
        for (Float3 const& probe : probes)
            benchmark::DoNotOptimize(index.isThere3DIntersectionPoint(player + probe));
}
BENCHMARK(BM_SixPointQueriesInARegionOf2000Zones)->Unit(benchmark::kMicrosecond);
}

int main(int argc, char** argv)
{
    CubeTypeManager* types = openWorld();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete types;
    DeviceManager::deleteInstance();
    return 0;
}
