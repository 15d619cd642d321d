// Loading a 20,000-triangle OBJ model: the whole ObjModel load (reading,
// normals, both welds and the display list, in the window's OpenGL context),
// and each CPU step on its own. The model is a wavy 100 x 100 grid written the
// way many exporters write: three vertices of its own for every triangle, so
// the welds have 60,000 vertices to merge.

#include "DeviceManager.h"
#include "ObjMesh.h"
#include "ObjMeshReader.h"
#include "ObjModel.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdlib.h>
#include <string>

namespace
{
int const GRID = 100;

std::string gridObj()
{
    std::ostringstream out;
    out << "# wavy grid\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n";
    auto height = [](int x, int z) { return 3.f * std::sin(x * 0.3f) * std::cos(z * 0.2f); };
    int vertex = 1;
    for (int z = 0; z < GRID; ++z)
        for (int x = 0; x < GRID; ++x)
        {
            float const corners[4][2] = {{float(x), float(z)}, {x + 1.f, float(z)}, {x + 1.f, z + 1.f}, {float(x), z + 1.f}};
            int const triangles[2][3] = {{0, 1, 2}, {0, 2, 3}};
            for (auto const& triangle : triangles)
            {
                for (int k : triangle)
                {
                    int const cx = int(corners[k][0]);
                    int const cz = int(corners[k][1]);
                    out << "v " << cx * 2.f << " " << height(cx, cz) << " " << cz * 2.f << "\n";
                }
                out << "f " << vertex << "/1 " << vertex + 1 << "/2 " << vertex + 2 << "/3\n";
                vertex += 3;
            }
        }
    return out.str();
}

std::string const& modelPath()
{
    static std::string const path = [] {
        char folder[] = "/tmp/quillet_bench_XXXXXX";
        std::string const made = mkdtemp(folder);
        std::string const file = made + "/grid.obj";
        std::ofstream(file) << gridObj();
        return file;
    }();
    return path;
}

std::string const& modelText()
{
    static std::string const text = gridObj();
    return text;
}

ObjMesh* readGrid()
{
    ObjMesh* mesh = new ObjMesh();
    mesh->pathname = "grid.obj";
    ObjMeshReader reader("", [](std::string const&, std::string&) { return false; });
    if (!reader.readObj(modelText(), *mesh))
        std::cerr << reader.getError() << std::endl;
    return mesh;
}

// The traces of loading and unloading would drown the figures.
class QuietOutput
{
public:
    QuietOutput() : saved(std::cout.rdbuf(sink.rdbuf())) {}
    ~QuietOutput() { std::cout.rdbuf(saved); }

private:
    std::ostringstream sink;
    std::streambuf* saved;
};
}

static void BM_ObjModelLoadWhole(benchmark::State& state)
{
    std::string const& path = modelPath();
    for (auto _ : state)
    {
        QuietOutput quiet;
        ObjModel model(path, 1.f, 0.01f, 1000);
        benchmark::DoNotOptimize(model.getLibraryIndex());
    }
    state.counters["triangles"] = 2 * GRID * GRID;
}
BENCHMARK(BM_ObjModelLoadWhole)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

static void BM_ReadObjText(benchmark::State& state)
{
    for (auto _ : state)
    {
        ObjMesh* mesh = readGrid();
        benchmark::DoNotOptimize(mesh->triangles.size());
        glmDelete(mesh);
    }
}
BENCHMARK(BM_ReadObjText)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

static void BM_FacetAndVertexNormals(benchmark::State& state)
{
    ObjMesh* mesh = readGrid();
    for (auto _ : state)
    {
        glmFacetNormals(*mesh);
        glmVertexNormals(*mesh, 90.f);
        benchmark::DoNotOptimize(mesh->normals.size());
    }
    glmDelete(mesh);
}
BENCHMARK(BM_FacetAndVertexNormals)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

static void BM_Weld(benchmark::State& state)
{
    float const epsilon = state.range(0) == 0 ? 0.01f : 1000.f;
    for (auto _ : state)
    {
        state.PauseTiming();
        ObjMesh* mesh = readGrid();
        state.ResumeTiming();
        glmWeld(*mesh, epsilon);
        benchmark::DoNotOptimize(mesh->vertices.size());
        state.PauseTiming();
        glmDelete(mesh);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Weld)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    DeviceManager::newInstance("bench_ObjLoading", "OBJ loading benchmark", 800, 600, false);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    DeviceManager::deleteInstance();
    return 0;
}
