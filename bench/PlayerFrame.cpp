// One frame of the player (keys, physics, point queries, animation, sounds)
// against a terrain of 10,000 cube zones, walking and flying in circles, as a
// share of the 10 ms the frame pump allows a frame.

#include "BenchWorlds.h"
#include "DeviceManager.h"
#include "IndexedWorld.h"
#include "KeyboardManager.h"
#include "Object3D.h"
#include "Player.h"
#include "Scene3D.h"
#include "SoundManager.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace
{
int const TERRAIN_SIDE = 100; // cubes on each side: 10,000 zones
// Turning 0.00018 degree per microsecond of a 10 ms frame: 1.8 degrees a frame.
int const FRAMES_PER_CIRCLE = 200;
std::string const CUBE_TEXTURES[6] = {"grass_top.png", "dirt.png", "grass_side.png",
                                      "brick.png",     "stone.png", "sand.png"};

// The world as the game world offers it to the player: a point test at the
// end of the segment, which on a hit leaves the mover where it was.
class WorldObstacle : public Object3D
{
public:
    explicit WorldObstacle(IndexedWorld const& world) : world(world) {}
    bool isThere3DIntersection(Float3 const& from, Float3 const& to, Float3& out) const override
    {
        if (!world.isThere3DIntersectionPoint(to))
            return false;
        out = from;
        return true;
    }
    void drawNoPos() const override {}

private:
    IndexedWorld const& world;
};

// An empty world file in a folder of its own.
std::string writeEmptyWorld()
{
    char folder[] = "/tmp/quillet_bench_XXXXXX";
    if (mkdtemp(folder) == NULL)
        std::abort();
    std::string const path = std::string(folder) + "/world.dat";
    BenchWorlds::writeEmptyWorld(path);
    return path;
}

// Ground of one cube per column, its top at 10, over 16 regions.
void buildTerrain(IndexedWorld& world)
{
    bool const repeat[3] = {false, false, false};
    world.addCubeType(CUBE_TEXTURES, repeat, true);
    int const half = TERRAIN_SIDE / 2;
    for (int x = -half; x < half; ++x)
        for (int z = -half; z < half; ++z)
            if (!world.addCubeZone(Float3(10.f * x + 5.f, 5.f, 10.f * z + 5.f), Float3(10.f, 10.f, 10.f), 0))
                std::abort();
}

IndexedWorld* world = NULL;
SoundManager* sounds = NULL;

void runPlayer(benchmark::State& state, Player::MvtType type, Float3 const& start)
{
    WorldObstacle const obstacle(*world);
    Player player(sounds);
    player.setMovementType(type);
    player.setPosition(start);
    bool* const keys = deviceManager->getKeyboardManager()->keys;
    keys['e'] = true;
    keys[KeyboardManager::KEYASCII_LEFT] = true;
    periodFrame = 10000;
    Camera& camera = deviceManager->getScene3D()->getCamera();
    camera.setAngleY(0.f);
    int frame = 0;
    for (auto _ : state)
    {
        player.manage(obstacle);
        benchmark::DoNotOptimize(player.speed);
        // Once round the circle, start it again: the yaw grows without end
        // otherwise, and its rounding would soon send the player off the terrain.
        if (++frame == FRAMES_PER_CIRCLE)
        {
            frame = 0;
            camera.setAngleY(0.f);
            player.setPosition(start);
        }
    }
    keys['e'] = false;
    keys[KeyboardManager::KEYASCII_LEFT] = false;
    state.counters["zones"] = TERRAIN_SIDE * TERRAIN_SIDE;
    // Where the run ended: on the ground (just above 10) when walking.
    state.counters["height"] = player.getPosition().y();
}

// Walking in a circle of some 16 units near the centre of the terrain, on the
// ground: the frames that make the most point queries.
void BM_PlayerFrameWalking(benchmark::State& state)
{
    runPlayer(state, Player::MVT_TYPE_WALK, Float3(5.f, 10.5f, 5.f));
}
BENCHMARK(BM_PlayerFrameWalking)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

// Flying the same circle above the ground.
void BM_PlayerFrameFlying(benchmark::State& state)
{
    runPlayer(state, Player::MVT_TYPE_FLY, Float3(5.f, 25.f, 5.f));
}
BENCHMARK(BM_PlayerFrameFlying)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
}

int main(int argc, char** argv)
{
    // The player's body and sounds come from the generated game data.
    if (chdir(GAME_DATA_DIR) != 0)
        std::abort();
    DeviceManager::newInstance("bench_PlayerFrame", "player benchmark", 800, 600, false);
    world = new IndexedWorld(NULL, writeEmptyWorld(), NULL);
    buildTerrain(*world);
    sounds = new SoundManager("bench_PlayerFrame");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete sounds;
    delete world;
    DeviceManager::deleteInstance();
    return 0;
}
