// One region's worth of static geometry (20,000 quads over 8 textures plus
// 5,000 shadow triangles) collected and uploaded into vertex buffers, drawn,
// and the per-face visibility test of immediate-mode boxes. Runs in the real
// window when a display is reachable, so the uploads are real.

#include "DeviceManager.h"
#include "EnhancedVBO.h"
#include "MathManager.h"
#include "Scene3D.h"
#include "VBO.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>

namespace
{
int const NB_QUADS = 20000;
int const NB_TEXTURES = 8;
int const NB_SHADOW_TRIANGLES = 5000;
int const SHADOW_TEXTURE = 100;

void fillRegion(EnhancedVBO& vbo)
{
    Float2 const texCoords[4] = {Float2(0.f, 0.f), Float2(1.f, 0.f), Float2(1.f, 1.f), Float2(0.f, 1.f)};
    for (int i = 0; i < NB_QUADS; ++i)
    {
        float const x = float(i % 32) * 10.f;
        float const z = float(i / 32 % 32) * 10.f;
        float const y = float(i / 1024) * 10.f;
        Float3 const corners[4] = {Float3(x, y, z), Float3(x + 10.f, y, z), Float3(x + 10.f, y + 10.f, z),
                                   Float3(x, y + 10.f, z)};
        vbo.addQuad(corners, texCoords, 1 + i % NB_TEXTURES);
    }
    for (int i = 0; i < NB_SHADOW_TRIANGLES; ++i)
    {
        float const x = float(i % 32) * 10.f;
        Float3 const corners[3] = {Float3(x, 0.1f, 0.f), Float3(x + 10.f, 0.1f, 0.f), Float3(x, 0.1f, 10.f)};
        vbo.addTriangle(corners, texCoords, SHADOW_TEXTURE);
    }
    vbo.setTextureDisplayedAtLast(SHADOW_TEXTURE);
}

void BM_CollectAndFinalizeRegion(benchmark::State& state)
{
    for (auto _ : state)
    {
        EnhancedVBO vbo;
        fillRegion(vbo);
        benchmark::DoNotOptimize(vbo.finalize());
        if (isExtensionSupport)
            glFinish(); // the upload is part of the cost
    }
}
BENCHMARK(BM_CollectAndFinalizeRegion)->Unit(benchmark::kMillisecond);

void BM_DrawRegion(benchmark::State& state)
{
    if (!isExtensionSupport)
    {
        state.SkipWithError("no vertex-buffer support (no display)");
        return;
    }
    EnhancedVBO vbo;
    fillRegion(vbo);
    vbo.finalize();
    deviceManager->getScene3D()->updateCamera();
    VBO::resetDrawCallCount();
    for (auto _ : state)
    {
        vbo.draw();
        glFinish();
    }
    state.counters["drawCallsPerFrame"] = double(VBO::getDrawCallCount()) / double(state.iterations());
}
BENCHMARK(BM_DrawRegion)->Unit(benchmark::kMillisecond);

void BM_FaceVisibilityTest(benchmark::State& state)
{
    Camera camera;
    camera.setRotation(Float3(-20.f, 35.f, 0.f));
    float const halfFov = 0.5f * 110.f * 4.f / 3.f * MathManager::PI_OVER_180;
    int i = 0;
    for (auto _ : state)
    {
        float const x = float(i++ % 200 - 100);
        Float3 const corners[4] = {Float3(x, 0.f, -50.f), Float3(x + 10.f, 0.f, -50.f),
                                   Float3(x + 10.f, 10.f, -50.f), Float3(x, 10.f, -50.f)};
        benchmark::DoNotOptimize(Scene3D::isFaceVisible(camera, corners, halfFov));
    }
}
BENCHMARK(BM_FaceVisibilityTest);

bool displayReachable()
{
    char const* const display = std::getenv("DISPLAY");
    return display != NULL && display[0] != 0;
}
}

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    bool const window = displayReachable();
    if (window)
        DeviceManager::newInstance(argv[0], "quillet vertex buffer benchmark", 800, 600, false);
    else
        std::fprintf(stderr, "no display: buffers are collected but not uploaded\n");
    benchmark::RunSpecifiedBenchmarks();
    if (window)
        DeviceManager::deleteInstance();
    benchmark::Shutdown();
    return 0;
}
