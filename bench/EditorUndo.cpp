// What the editor's undo costs on a world of 100,000 zones (1,000 regions of
// 100 one-cube zones): recording the step of a command that changes one
// region, recording the step of a command that changes the whole world (a
// copy of every region), and undoing then redoing a one-region step.

#include "BenchWorlds.h"
#include "DeviceManager.h"
#include "EditorHistory.h"
#include "IndexedWorld.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace
{
int const REGIONS_PER_SIDE = 10;
int const ZONES_PER_REGION = 100;
float const CUBE = 10.f;
float const REGION = 320.f;

std::string folder;
IndexedWorld* world = NULL;

// 10 x 10 x 10 regions from the origin, each with 100 zones of one cube on a
// 10 x 10 grid of its floor.
void fillWorld()
{
    Float3 const cube(CUBE, CUBE, CUBE);
    for (int rx = 0; rx < REGIONS_PER_SIDE; ++rx)
        for (int ry = 0; ry < REGIONS_PER_SIDE; ++ry)
            for (int rz = 0; rz < REGIONS_PER_SIDE; ++rz)
                for (int zone = 0; zone < ZONES_PER_REGION; ++zone)
                {
                    Float3 const centre(rx * REGION + (zone % 10) * 2 * CUBE + CUBE / 2, ry * REGION + CUBE / 2,
                                        rz * REGION + (zone / 10) * 2 * CUBE + CUBE / 2);
                    if (!world->addCubeZone(centre, cube, 0))
                        std::abort();
                }
}

// A point inside a region in the middle of the world.
Float3 const ONE_REGION_POINT(5 * REGION + 1.f, 5 * REGION + 1.f, 5 * REGION + 1.f);

void BM_RecordOneRegionStep(benchmark::State& state)
{
    EditorHistory history(world);
    for (auto _ : state)
    {
        history.beginStep();
        history.touchRegionAt(ONE_REGION_POINT);
        history.endStep(true);
    }
}
BENCHMARK(BM_RecordOneRegionStep)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_RecordWholeWorldStep(benchmark::State& state)
{
    EditorHistory history(world);
    for (auto _ : state)
    {
        history.beginStep();
        history.touchWholeWorld();
        history.endStep(true);
    }
}
BENCHMARK(BM_RecordWholeWorldStep)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(9)
    ->ReportAggregatesOnly(true);

void BM_UndoAndRedoOneRegionStep(benchmark::State& state)
{
    EditorHistory history(world);
    history.beginStep();
    history.touchRegionAt(ONE_REGION_POINT);
    history.endStep(true);
    for (auto _ : state)
    {
        history.undo();
        history.redo();
    }
}
BENCHMARK(BM_UndoAndRedoOneRegionStep)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
}

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (chdir(GAME_DATA_DIR) != 0)
        return 1;
    char pattern[] = "/tmp/bench_undo_XXXXXX";
    if (mkdtemp(pattern) == NULL)
        return 1;
    folder = pattern;
    BenchWorlds::writeEmptyWorld(folder + "/world.dat");
    DeviceManager::newInstance("bench_EditorUndo", "editor undo benchmark", 800, 600, false);
    world = new IndexedWorld(NULL, folder + "/world.dat", NULL);
    fillWorld();
    if (BenchWorlds::countZones(*world) != 100000)
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    delete world;
    DeviceManager::deleteInstance();
    unlink((folder + "/world.dat").c_str());
    rmdir(folder.c_str());
    return 0;
}
