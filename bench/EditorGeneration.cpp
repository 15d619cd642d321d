// The editor's heavy commands: the landscape made from the bundled height map
// (as F2 + g makes it), with the number of zones it adds; and the frame drawn
// right after a 32 x 32 x 1 box is added to a region of that landscape, whose
// vertex buffer is then rebuilt, beside the same frame with nothing changed
// and the rebuild of that region alone.

#include "BenchWorlds.h"
#include "Camera.h"
#include "CubeZone.h"
#include "DeviceManager.h"
#include "Editor3D.h"
#include "Editor3DWorldGeneration.h"
#include "Font.h"
#include "IndexedWorld.h"
#include "Scene3D.h"
#include "WorldIndexator.h"
#include "WorldRegion.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
float const VIEW_DISTANCE = 1500.f;
// The box's region, (0, 0, 0), holds a part of the landscape.
Int3 const BOX_LOW(0, 20, 0);
Int3 const BOX_HIGH(32, 21, 32);

std::string folder;
IndexedWorld* world = NULL;
Editor3D* editor = NULL;




void generateLandscape()
{
    srand(1);
    if (!Editor3DWorldGeneration::generateRandomFullWorld(Int3(0, 0, 0), IndexedWorld::getCubesSizeOneRegion(), editor,
                                                          0, 1))
        std::abort();
}

void BM_HeightMapWorldGeneration(benchmark::State& state)
{
    int zones = 0;
    for (auto _ : state)
    {
        state.PauseTiming();
        world->clearAll();
        state.ResumeTiming();
        generateLandscape();
        state.PauseTiming();
        zones = BenchWorlds::countZones(*world);
        state.ResumeTiming();
    }
    state.counters["zones"] = zones;
}
BENCHMARK(BM_HeightMapWorldGeneration)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(9)
    ->ReportAggregatesOnly(true);

// A frame above the landscape, looking down at the box's region.
void drawFrame()
{
    Scene3D* const scene = deviceManager->getScene3D();
    Camera& camera = scene->getCamera();
    camera.setPosition(160.f, 700.f, -300.f);
    camera.setRotation(Float3(-45.f, 180.f, 0.f));
    scene->updateCamera();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    world->draw(VIEW_DISTANCE, false, false);
    glFinish();
}

void BM_FrameWithoutChange(benchmark::State& state)
{
    world->clearAll();
    generateLandscape();
    drawFrame();
    for (auto _ : state)
        drawFrame();
}
BENCHMARK(BM_FrameWithoutChange)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(9)
    ->ReportAggregatesOnly(true);

// Adds the box to the landscape's region, then runs what is timed: the
// whole frame, or the box's region alone drawn (its buffer rebuilt).
void addBoxThen(benchmark::State& state, void (*draw)(WorldRegion const&))
{
    world->clearAll();
    generateLandscape();
    Float3 const regionPoint = Editor3D::getRealFromCubeZoneIndex(BOX_LOW) + Float3(1.f, 1.f, 1.f);
    WorldIndexator const* const index = world->getWorldIndexator();
    WorldRegion const* const region =
        index->getWorldRegionFromTableRegionIndex(index->getTableRegionIndexFromRealPosition(regionPoint));
    std::vector<CubeZone> const landscape = region->getCubeZones();
    state.counters["region zones"] = double(landscape.size());
    drawFrame();
    for (auto _ : state)
    {
        if (!editor->addCubeZoneWithRegionLimitCaretaking(BOX_LOW, BOX_HIGH, 0))
            std::abort();
        draw(*region);
        // Back to the landscape alone, its buffer built, for the next round.
        state.PauseTiming();
        world->clearRegion(regionPoint);
        for (CubeZone const& zone : landscape)
            world->addCubeZone(zone.getPosition(), zone.getSize(), zone.getId());
        drawFrame();
        state.ResumeTiming();
    }
}

void BM_FrameAfterAdding32x32x1Box(benchmark::State& state)
{
    addBoxThen(state, [](WorldRegion const&) { drawFrame(); });
}
BENCHMARK(BM_FrameAfterAdding32x32x1Box)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(9)
    ->ReportAggregatesOnly(true);

void BM_RegionRebuildAfterAdding32x32x1Box(benchmark::State& state)
{
    addBoxThen(state, [](WorldRegion const& region) {
        region.draw();
        glFinish();
    });
}
BENCHMARK(BM_RegionRebuildAfterAdding32x32x1Box)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(9)
    ->ReportAggregatesOnly(true);
}

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    // The textures and the height map are the generated game data's.
    if (chdir(GAME_DATA_DIR) != 0)
        return 1;
    char pattern[] = "/tmp/bench_editor_XXXXXX";
    if (mkdtemp(pattern) == NULL)
        return 1;
    folder = pattern;
    BenchWorlds::writeEmptyWorld(folder + "/world.dat");
    DeviceManager::newInstance("bench_EditorGeneration", "editor benchmark", 800, 600, false);
    world = new IndexedWorld(NULL, folder + "/world.dat", NULL);
    world->manage(NULL);
    BenchWorlds::addDirtAndGrassTypes(*world);
    Font* const font = new Font(deviceManager, "default_font.png", 16, false);
    editor = new Editor3D(*font, world);
    // The generation traces every patch: the figures keep the real standard
    // output, the program's traces are dropped.
    std::ofstream figures("/proc/self/fd/" + std::to_string(dup(STDOUT_FILENO)));
    if (freopen("/dev/null", "w", stdout) == NULL)
        return 1;
    std::cout.rdbuf(NULL);
    benchmark::ConsoleReporter reporter;
    reporter.SetOutputStream(&figures);
    reporter.SetErrorStream(&std::cerr);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    delete editor;
    delete world;
    delete font;
    DeviceManager::deleteInstance();
    unlink((folder + "/world.dat").c_str());
    rmdir(folder.c_str());
    return 0;
}
