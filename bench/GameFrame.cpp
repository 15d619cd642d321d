// Frames of the running game: the main loop's manageAndDraw over the landscape
// of the bundled height map (as F2 + g makes it) with the default view
// distance, the player flying a circle above it while the script draws the
// world each frame. Reports the median and 99th percentile over 1,000 frames of
// the frame period the program measures itself (pacing included) and of the
// work of one frame (manageAndDraw without the wait for the next period), and
// the work of the frame right after an editor edit (a 32 x 32 x 1 box added).

#include "BenchWorlds.h"
#include "DeviceManager.h"
#include "Editor3D.h"
#include "Editor3DWorldGeneration.h"
#include "IndexedWorld.h"
#include "LuaManager.h"
#include "Utils.h"
#include "World.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
int const FRAMES = 1000;
int const EDITS = 20;

// The player circles the landscape's middle, looking down at it.
char const* const SCRIPT = R"(function lua_onInitGame() setPlayerMovementFly() end
function lua_onUninitGame() end
function lua_getNbObjects() return 0 end
angle = 0
function lua_loop()
  angle = angle + 0.01
  setPlayerPosition(middle + 400 * math_cos(angle), height, middle + 400 * math_sin(angle))
  setCameraAngleAndDistance(-25, angle * 57.3, 30)
  clearBackground()
  draw3DWorld()
  draw2DWorld()
end
)";

std::string folder;
LuaManager* manager = NULL;


// A folder with the game data linked in, its own empty world and the script.
// The bare interpreter has no math library: a polynomial cosine and sine do.
void makeGameFolder()
{
    char pattern[] = "/tmp/bench_frame_XXXXXX";
    if (mkdtemp(pattern) == NULL)
        std::abort();
    folder = pattern;
    DIR* const data = opendir(GAME_DATA_DIR);
    if (data == NULL)
        std::abort();
    for (dirent* entry = readdir(data); entry != NULL; entry = readdir(data))
    {
        std::string const name = entry->d_name;
        if (name == "." || name == ".." || name == "world.dat" || name == "world.lua")
            continue;
        if (symlink((std::string(GAME_DATA_DIR) + "/" + name).c_str(), (folder + "/" + name).c_str()) != 0)
            std::abort();
    }
    closedir(data);
    BenchWorlds::writeEmptyWorld(folder + "/world.dat");
    // The landscape spans about 240 cubes on x and z, at most 52 high.
    float const cube = IndexedWorld::getSizeOneCube();
    std::ofstream(folder + "/world.lua")
        << "middle = " << 120.f * cube << "\nheight = " << 60.f * cube << "\n"
        << "function math_sin(x) x = x - 6.2831853 * math_floor(x / 6.2831853 + 0.5)\n"
           "  return x - x^3 / 6 + x^5 / 120 - x^7 / 5040 + x^9 / 362880 end\n"
           "function math_cos(x) return math_sin(x + 1.5707963) end\n"
           "function math_floor(x) local i = x - x % 1 return i end\n"
        << SCRIPT;
}


int generateLandscape(World& world)
{
    BenchWorlds::addDirtAndGrassTypes(world.getIndexedWorld());
    srand(1);
    if (!Editor3DWorldGeneration::generateRandomFullWorld(Int3(0, 0, 0), IndexedWorld::getCubesSizeOneRegion(),
                                                          &world.getEditor(), 0, 1))
        std::abort();
    return BenchWorlds::countZones(world.getIndexedWorld());
}

double percentile(std::vector<int64_t> values, double fraction)
{
    std::sort(values.begin(), values.end());
    size_t const index = std::min(values.size() - 1, size_t(fraction * double(values.size())));
    return double(values[index]);
}

// The work of one frame: manageAndDraw less the time loopEvent waited for the period.
int64_t frameWork()
{
    int64_t const start = Utils::getMicrosecondTime();
    manager->manageAndDraw();
    return Utils::getMicrosecondTime() - start;
}

void BM_GameFrame(benchmark::State& state)
{
    World& world = *manager->getWorld();
    for (auto _ : state)
    {
        std::vector<int64_t> periods;
        std::vector<int64_t> works;
        for (int frame = 0; frame < FRAMES; ++frame)
        {
            works.push_back(frameWork());
            periods.push_back(deviceManager->getLastFramePeriod());
        }
        std::vector<int64_t> afterEdit;
        int const region = IndexedWorld::getCubesSizeOneRegion();
        for (int edit = 0; edit < EDITS; ++edit)
        {
            Int3 const low(region * (1 + edit % 4), 53 + edit / 4, region * (1 + edit / 4 % 4));
            if (!world.getEditor().addCubeZoneWithRegionLimitCaretaking(low, low + Int3(32, 1, 32), 0))
                std::abort();
            afterEdit.push_back(frameWork());
        }
        state.counters["period median us"] = percentile(periods, 0.5);
        state.counters["period p99 us"] = percentile(periods, 0.99);
        state.counters["work median us"] = percentile(works, 0.5);
        state.counters["work p99 us"] = percentile(works, 0.99);
        state.counters["after edit median us"] = percentile(afterEdit, 0.5);
        state.counters["view distance"] = world.getDistanceVision();
    }
}
BENCHMARK(BM_GameFrame)->Unit(benchmark::kSecond)->Iterations(1);
}

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    makeGameFolder();
    if (chdir(folder.c_str()) != 0)
        return 1;
    // The game's traces go to /dev/null; the figures keep the real standard output.
    std::ofstream figures("/proc/self/fd/" + std::to_string(dup(STDOUT_FILENO)));
    if (freopen("/dev/null", "w", stdout) == NULL)
        return 1;
    std::cout.rdbuf(NULL);
    manager = new LuaManager("bench_GameFrame");
    int const zones = generateLandscape(*manager->getWorld());
    figures << "landscape zones: " << zones << std::endl;
    benchmark::ConsoleReporter reporter;
    reporter.SetOutputStream(&figures);
    reporter.SetErrorStream(&std::cerr);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    delete manager;
    return 0;
}
