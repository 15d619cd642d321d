// The player's frame runs some hundred times a second: it must not allocate,
// and it asks the world only a few point questions. This program replaces the
// global operator new with one that counts.

#include "DeviceManager.h"
#include "IndexedWorld.h"
#include "KeyboardManager.h"
#include "Player.h"
#include "SoundManager.h"
#include "TestSupport.h"
#include "WorldTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <initializer_list>
#include <new>
#include <string>
#include <unistd.h>

// Every unaligned form is replaced, so that each allocation and its release
// pair up in malloc and free (the sanitizers check the pairs); the aligned
// forms are left to the library, whole.
namespace
{
std::atomic<long> allocationCount(0);

void* countedAllocation(std::size_t size) noexcept
{
    ++allocationCount;
    return std::malloc(size == 0 ? 1 : size);
}

void* countedAllocationOrThrow(std::size_t size)
{
    void* const memory = countedAllocation(size);
    if (memory == NULL)
        throw std::bad_alloc();
    return memory;
}
}

void* operator new(std::size_t size)
{
    return countedAllocationOrThrow(size);
}

void* operator new[](std::size_t size)
{
    return countedAllocationOrThrow(size);
}

void* operator new(std::size_t size, std::nothrow_t const&) noexcept
{
    return countedAllocation(size);
}

void* operator new[](std::size_t size, std::nothrow_t const&) noexcept
{
    return countedAllocation(size);
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::size_t) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::nothrow_t const&) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::nothrow_t const&) noexcept
{
    std::free(memory);
}

namespace
{
std::string const CUBE_TEXTURES[6] = {"grass_top.png", "dirt.png", "grass_side.png",
                                      "brick.png",     "stone.png", "sand.png"};

// A floor with a low wall, a wall at head height and a ceiling, for walking,
// jumping, driving and flying into each of them.
void buildCourse(IndexedWorld& world)
{
    auto const cube = [&](int x, int y, int z) {
        world.addCubeZone(Float3(10.f * x + 5.f, 10.f * y + 5.f, 10.f * z + 5.f), Float3(10.f, 10.f, 10.f), 0);
    };
    for (int x = -3; x <= 3; ++x)
        for (int z = -6; z <= 3; ++z)
            cube(x, 0, z);
    cube(0, 1, -3); // low wall ahead
    cube(1, 2, -1); // wall at head height, to the right
    cube(-1, 3, 0); // ceiling, to the left
    // A region builds its lookup grid at its first query after an edit: the
    // world's one-off cost, not the player's, so it is paid here.
    for (int corner = 0; corner < 8; ++corner)
        world.isThere3DIntersectionPoint(Float3(corner & 1 ? 160.f : -160.f, corner & 2 ? 160.f : -160.f,
                                                corner & 4 ? 160.f : -160.f));
}
}

TEST(PlayerFrame, MakesAtMostSixPointQueriesAndAllocatesNothing)
{
    REQUIRE_DISPLAY();
    std::string const folder = TestSupport::makeTemporaryFolder();
    ASSERT_EQ(chdir(GAME_DATA_DIR), 0);
    DeviceManager::newInstance("allocation_tests", "player allocation test", 800, 600, false);
    TestSupport::writeFile(folder + "/world.dat", WorldTestSupport::emptyWorld());
    IndexedWorld* const world = new IndexedWorld(NULL, folder + "/world.dat", NULL);
    bool const repeat[3] = {false, false, false};
    world->addCubeType(CUBE_TEXTURES, repeat, true);
    buildCourse(*world);
    WorldObstacle const obstacle(*world);
    SoundManager* const sounds = new SoundManager("allocation_tests");
    Player* const player = new Player(sounds);
    bool* const keys = deviceManager->getKeyboardManager()->keys;
    periodFrame = 10000;

    int mostQueries = 0;
    long allocated = 0;
    int framesRun = 0;
    auto const run = [&](std::initializer_list<int> heldKeys, int frames) {
        std::fill(keys, keys + KeyboardManager::NB_KEYS, false);
        for (int key : heldKeys)
            keys[key] = true;
        for (int frame = 0; frame < frames; ++frame, ++framesRun)
        {
            obstacle.queries = 0;
            long const before = allocationCount;
            player->manage(obstacle);
            allocated += allocationCount - before;
            mostQueries = std::max(mostQueries, obstacle.queries);
        }
    };
    // Walk: fall, land, jump, walk and strafe into the walls, jump under the ceiling.
    player->setPosition(Float3(5.f, 30.f, 5.f));
    run({}, 60);
    run({' '}, 5);
    run({'e', 'f', KeyboardManager::KEYASCII_LEFT}, 200);
    run({'E'}, 100);
    player->setPosition(Float3(-5.f, 12.f, 5.f));
    run({' ', 'S'}, 100);
    run({'d', KeyboardManager::KEYASCII_RIGHT}, 100);
    // Drive into the low wall.
    player->setMovementType(Player::MVT_TYPE_CAR);
    player->setPosition(Float3(5.f, 12.f, 5.f));
    run({KeyboardManager::KEYASCII_UP}, 50);
    // Fly up, down, and over the low wall.
    player->setMovementType(Player::MVT_TYPE_FLY);
    player->setPosition(Float3(5.f, 12.f, 5.f));
    run({'e', ' '}, 20);
    run({'c'}, 40);
    run({'e'}, 100);

    EXPECT_EQ(allocated, 0) << "over " << framesRun << " frames";
    EXPECT_LE(mostQueries, 6);
    EXPECT_GE(mostQueries, 4) << "the course reaches the frames with the most tests";

    delete player;
    delete sounds;
    delete world;
    DeviceManager::deleteInstance();
}
