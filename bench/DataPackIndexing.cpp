// Opening and indexing a data pack of 10,000 entries, and looking entries up.

#include "DataPack.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace
{
constexpr int ENTRY_COUNT = 10000;

std::string getEntryName(int i)
{
    char name[64];
    snprintf(name, sizeof(name), "cube_textures/texture_%05d.png", i);
    return name;
}

// The pack is written once, with the layout DataPack reads: name, 0, size, content.
std::string const& getPackPath()
{
    static std::string const path = [] {
        std::string const file = "/tmp/quillet_bench_pack_" + std::to_string(getpid()) + ".dat";
        FILE* const out = fopen(file.c_str(), "wb");
        std::string const content(300, 'x');
        for (int i = 0; i < ENTRY_COUNT; ++i)
        {
            std::string const name = getEntryName(i);
            fwrite(name.c_str(), 1, name.size() + 1, out);
            unsigned char const size[4] = {(unsigned char)(content.size()), (unsigned char)(content.size() >> 8), 0, 0};
            fwrite(size, 1, 4, out);
            fwrite(content.data(), 1, content.size(), out);
        }
        fclose(out);
        return file;
    }();
    return path;
}

void BM_IndexTenThousandEntries(benchmark::State& state)
{
    std::string const& path = getPackPath();
    for (auto _ : state)
    {
        DataPack pack(path.c_str(), false);
        benchmark::DoNotOptimize(pack.getFileCount());
    }
}

void BM_LookUpEntry(benchmark::State& state)
{
    DataPack pack(getPackPath().c_str(), false);
    int i = 0;
    for (auto _ : state)
    {
        unsigned int size = 0;
        benchmark::DoNotOptimize(pack.getFileDescriptor(getEntryName(i).c_str(), size, false));
        i = (i + 7919) % ENTRY_COUNT;
    }
}
}

BENCHMARK(BM_IndexTenThousandEntries)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_LookUpEntry)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    unlink(getPackPath().c_str());
    return 0;
}
