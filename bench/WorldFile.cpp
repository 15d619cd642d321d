// Loading and saving a large world file: 100,000 cube zones, one in four with
// two shadow triangles on its top face and one wholly shadowed face. Reading
// the same file's bytes in one call is timed too, as the floor to compare with.

#include "DeviceManager.h"
#include "IndexedWorld.h"
#include "RecordWriter.h"

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
int const ZONE_COUNT = 100000;
int const REGIONS_PER_SIDE = 10;
int const ZONES_PER_REGION = ZONE_COUNT / (REGIONS_PER_SIDE * REGIONS_PER_SIDE);

std::string folder;
IndexedWorld* world = NULL;

void writeEmptyBlock(RecordWriter& writer)
{
    writer.writeInt32(0);
    writer.writeInt32(0);
}

void writeZone(RecordWriter& writer, Float3 const& position, bool shadowed)
{
    writer.writeFloat3(position);
    writer.writeFloat3(Float3(10.0f, 10.0f, 10.0f));
    writer.writeInt32(0);
    writer.writeInt32(0);
    for (int face = 0; face < 6; ++face)
    {
        if (shadowed && face == 0)
            writer.writeInt32(-1);
        else if (shadowed && face == 3)
        {
            writer.writeInt32(6);
            for (int v = 0; v < 6; ++v)
                writer.writeFloat3(Float3(-5.0f + v, 5.0f, -5.0f + 2.0f * (v % 3)));
        }
        else
            writer.writeInt32(0);
    }
}

// Regions of absolute y 0 and x, z from 0 to 9 hold the zones; the table
// starts at (-1, -1, -1) like every table the program writes.
void writeLargeWorld(std::string const& path)
{
    FILE* const file = fopen(path.c_str(), "wb");
    RecordWriter writer(file);
    fwrite("WORLD", 1, 5, file);
    writer.writeInt32(1);
    writer.writeInt32(1);
    for (int face = 0; face < 6; ++face)
        writer.writeString("stone.png");
    for (int flag = 0; flag < 4; ++flag)
        writer.writeByte(1);
    Int3 const origin(-1, -1, -1);
    Int3 const size(REGIONS_PER_SIDE + 1, 2, REGIONS_PER_SIDE + 1);
    for (int axis = 0; axis < 3; ++axis)
        writer.writeInt32(origin[axis]);
    for (int axis = 0; axis < 3; ++axis)
        writer.writeInt32(size[axis]);
    int zone = 0;
    for (int x = 0; x < size.x(); ++x)
        for (int y = 0; y < size.y(); ++y)
            for (int z = 0; z < size.z(); ++z)
            {
                bool const filled = x > 0 && y == 1 && z > 0;
                if (!filled)
                    writeEmptyBlock(writer);
                else
                {
                    writer.writeInt32(ZONES_PER_REGION);
                    writer.writeInt32(0);
                    Float3 const corner((x - 1) * 320.0f, 0.0f, (z - 1) * 320.0f);
                    for (int i = 0; i < ZONES_PER_REGION; ++i, ++zone)
                        writeZone(writer,
                                  corner + Float3(5.0f + 10.0f * (i % 32), 5.0f + 10.0f * (i / 32 % 32), 5.0f + 10.0f * (i / 1024)),
                                  zone % 4 == 0);
                }
                writeEmptyBlock(writer);
            }
    fclose(file);
}

void BM_LoadWorld(benchmark::State& state)
{
    for (auto _ : state)
        world->clearAndLoadWorldFromFile(folder + "/large.dat");
}
BENCHMARK(BM_LoadWorld)->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_SaveWorld(benchmark::State& state)
{
    world->clearAndLoadWorldFromFile(folder + "/large.dat");
    for (auto _ : state)
        world->saveWorldToFile(folder + "/saved.dat");
}
BENCHMARK(BM_SaveWorld)->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_ReadFileBytesInOneCall(benchmark::State& state)
{
    std::string const path = folder + "/large.dat";
    for (auto _ : state)
    {
        FILE* const file = fopen(path.c_str(), "rb");
        fseek(file, 0, SEEK_END);
        long const length = ftell(file);
        fseek(file, 0, SEEK_SET);
        std::vector<char> bytes(static_cast<size_t>(length));
        benchmark::DoNotOptimize(fread(bytes.data(), 1, bytes.size(), file));
        fclose(file);
    }
}
BENCHMARK(BM_ReadFileBytesInOneCall)->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(9)->ReportAggregatesOnly(true);
}

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (chdir(GAME_DATA_DIR) != 0)
        return 1;
    char pattern[] = "/tmp/bench_worldfile_XXXXXX";
    if (mkdtemp(pattern) == NULL)
        return 1;
    folder = pattern;
    writeLargeWorld(folder + "/large.dat");
    DeviceManager::newInstance("bench_WorldFile", "world file benchmark", 800, 600, false);
    world = new IndexedWorld(NULL, folder + "/large.dat", NULL);
    // The load and save traces would drown the figures: the figures keep the
    // real standard output, the program's traces go to /dev/null.
    std::ofstream figures("/proc/self/fd/" + std::to_string(dup(STDOUT_FILENO)));
    if (freopen("/dev/null", "w", stdout) == NULL)
        return 1;
    std::cout.rdbuf(NULL);
    benchmark::ConsoleReporter reporter;
    reporter.SetOutputStream(&figures);
    reporter.SetErrorStream(&std::cerr);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    delete world;
    DeviceManager::deleteInstance();
    for (char const* name : {"large.dat", "saved.dat"})
        unlink((folder + "/" + name).c_str());
    rmdir(folder.c_str());
    return 0;
}
