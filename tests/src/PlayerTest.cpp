#include "Animated3DModel.h"
#include "Camera.h"
#include "DeviceManager.h"
#include "IndexedWorld.h"
#include "KeyboardManager.h"
#include "MouseEvent.h"
#include "Player.h"
#include "Scene3D.h"
#include "SoundManager.h"
#include "Sound_Abstract.h"
#include "TestSupport.h"
#include "WorldTestSupport.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
char const* const WINDOW_TITLE = "player test";
// Textures of the game's data.
std::string const CUBE_TEXTURES[6] = {"grass_top.png", "dirt.png", "grass_side.png",
                                      "brick.png",     "stone.png", "sand.png"};
float const PERIOD = 10000.f;
float const FLOOR_TOP = 10.f;

// The same single-precision expressions the player evaluates.
float gravityStep(float period)
{
    return -(0.000003f * period * period) / 10000.f;
}

Float3 planarStep(Float3 position, float yaw, float forward, float lateral)
{
    float const angle = (180.f - (yaw + 90.f)) * 3.1415927f / 180.f;
    float const side = angle + 3.1415927f / 2.f;
    position.x() -= std::cos(angle) * forward;
    position.z() -= std::sin(angle) * forward;
    position.x() -= std::cos(side) * lateral;
    position.z() -= std::sin(side) * lateral;
    return position;
}

// One free fall frame above a floor whose top is at FLOOR_TOP, as the player
// should see it; returns whether the feet met the floor.
bool fallFrame(float& y, float& verticalSpeed)
{
    verticalSpeed += gravityStep(PERIOD);
    float const candidate = y + verticalSpeed;
    if (candidate <= FLOOR_TOP)
    {
        verticalSpeed = 0.f;
        return true;
    }
    y = candidate;
    return false;
}

MouseEvent motionTo(int x, int y)
{
    return MouseEvent(Int2(x, y), -1, GLManager::MOUSE_MOVED_NO_BUTTON);
}

MouseEvent wheel(int button, int state = GLManager::MOUSE_BUTTON_DOWN)
{
    return MouseEvent(Int2(0, 0), button, state);
}

// A real player in the real window, in the game's data folder, against an
// indexed world of one collidable cube type in which each test builds its cubes.
class PlayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DISPLAY();
        folder = TestSupport::makeTemporaryFolder();
        ASSERT_EQ(chdir(GAME_DATA_DIR), 0);
        DeviceManager::newInstance("game_tests", WINDOW_TITLE, 800, 600, false);
        TestSupport::writeFile(folder + "/world.dat", WorldTestSupport::emptyWorld());
        world = new IndexedWorld(NULL, folder + "/world.dat", NULL);
        bool const repeat[3] = {false, false, false};
        world->addCubeType(CUBE_TEXTURES, repeat, true);
        obstacle = new WorldObstacle(*world);
        sounds = new SoundManager("game_tests");
        player = new Player(sounds);
        keys = deviceManager->getKeyboardManager()->keys;
        periodFrame = static_cast<int64_t>(PERIOD);
    }

    void TearDown() override
    {
        delete player;
        delete sounds;
        delete obstacle;
        delete world;
        if (deviceManager != NULL)
            DeviceManager::deleteInstance();
    }

    // The one-cube zone at grid cell (x, y, z): it fills [10x, 10x + 10] on each axis.
    void cube(int x, int y, int z)
    {
        ASSERT_TRUE(world->addCubeZone(Float3(10.f * x + 5.f, 10.f * y + 5.f, 10.f * z + 5.f),
                                       Float3(10.f, 10.f, 10.f), 0));
    }

    // Ground from -20 to 30 on x and z, its top at FLOOR_TOP.
    void floor()
    {
        for (int x = -2; x <= 2; ++x)
            for (int z = -2; z <= 2; ++z)
                cube(x, 0, z);
    }

    void landAt(Float3 const& start)
    {
        player->setPosition(start);
        for (int frame = 0; frame < 100 && !player->getCanJump(); ++frame)
            player->manage(*obstacle);
        ASSERT_TRUE(player->getCanJump());
    }

    void frames(int count)
    {
        for (int i = 0; i < count; ++i)
            player->manage(*obstacle);
    }

    Camera& camera() { return deviceManager->getScene3D()->getCamera(); }

    bool soundPlays(char const* file) { return sounds->getSound(file)->isPlaying(); }

    std::string folder;
    IndexedWorld* world = NULL;
    WorldObstacle* obstacle = NULL;
    SoundManager* sounds = NULL;
    Player* player = NULL;
    bool* keys = NULL;
};

// Drives the player with real input through the window: pumps frames and
// hands each frame's mouse events to the player, as the game world does.
class PlayerInputTest : public PlayerTest
{
protected:
    void SetUp() override
    {
        PlayerTest::SetUp();
        if (HasFatalFailure())
            return;
        for (int i = 0; i < 5; ++i)
            deviceManager->loopEvent();
        windowId = TestSupport::findWindow(WINDOW_TITLE);
        ASSERT_TRUE(TestSupport::takeInput(windowId, Int2(100, 100)));
    }

    bool pumpUntil(std::function<bool()> const& condition, bool feedPlayer)
    {
        for (int i = 0; i < 200; ++i)
        {
            deviceManager->loopEvent();
            if (feedPlayer)
                for (MouseEvent const& event : deviceManager->getMouseEvents())
                    player->injectMouseEvent(event);
            if (condition())
                return true;
        }
        return false;
    }

    bool pointerAt(Int2 const& position) { return mouseRealPosition == position; }

    // Moves the real pointer and lets the player look until it put the pointer back at the centre.
    void lookTo(int x, int y)
    {
        ASSERT_TRUE(TestSupport::xdotool("mousemove --window " + windowId + " " + std::to_string(x) + " " +
                                         std::to_string(y)));
        ASSERT_TRUE(pumpUntil([&] { return pointerAt(Int2(x, y)); }, true));
        ASSERT_TRUE(pumpUntil([&] { return pointerAt(Int2(400, 300)); }, true));
    }

    TestSupport::InputLock inputLock;
    std::string windowId;
};
}

TEST_F(PlayerTest, FallsLandsJumpsOnceAndComesBackToTheFloor)
{
    EXPECT_EQ(player->getMovementType(), Player::MVT_TYPE_WALK);
    EXPECT_EQ(player->cameraDistance, 30.f);
    EXPECT_EQ(player->speed, Float3(0.f, 0.f, 0.f));
    floor();
    float y = 12.f;
    float verticalSpeed = 0.f;
    player->setPosition(Float3(5.f, y, 5.f));
    // Jump held from the start: a new player must touch the ground before it can jump.
    keys[' '] = true;
    bool landed = false;
    while (!landed)
    {
        ASSERT_FALSE(player->getCanJump());
        landed = fallFrame(y, verticalSpeed);
        player->manage(*obstacle);
        ASSERT_EQ(player->getPosition(), Float3(5.f, y, 5.f));
        ASSERT_EQ(player->speed.y(), verticalSpeed);
    }
    EXPECT_TRUE(player->getCanJump());
    EXPECT_FALSE(soundPlays("sound/jump.wav"));

    // The jump, then the whole flight with the key still held: one jump only.
    player->manage(*obstacle);
    EXPECT_FALSE(player->getCanJump());
    EXPECT_TRUE(soundPlays("sound/jump.wav"));
    verticalSpeed = 0.000125f * PERIOD + gravityStep(PERIOD);
    y += verticalSpeed;
    EXPECT_EQ(player->getPosition(), Float3(5.f, y, 5.f));
    EXPECT_EQ(player->speed.y(), verticalSpeed);
    int flight = 0;
    for (landed = false; !landed; ++flight)
    {
        ASSERT_FALSE(player->getCanJump());
        landed = fallFrame(y, verticalSpeed);
        player->manage(*obstacle);
        ASSERT_EQ(player->getPosition(), Float3(5.f, y, 5.f));
        ASSERT_EQ(player->speed.y(), verticalSpeed);
    }
    EXPECT_GT(flight, 40) << "the rise and the fall take some eighty frames";
    EXPECT_TRUE(player->getCanJump());
    EXPECT_GT(y, FLOOR_TOP);
    EXPECT_LT(y, FLOOR_TOP + 1.3f);
}

TEST_F(PlayerTest, WallAtHeadHeightStopsTheMoveButKeepsTheSpeed)
{
    floor();
    cube(0, 2, -1); // 20 to 30 high, just ahead
    landAt(Float3(5.f, 12.f, 1.3f));
    keys['E'] = true;
    frames(2);
    ASSERT_TRUE(player->getModel().isRunning());
    Float3 const before = player->getPosition();
    player->manage(*obstacle);
    EXPECT_EQ(player->getPosition(), before);
    EXPECT_EQ(player->speed.x(), 0.00005f * PERIOD);
    EXPECT_FALSE(player->getModel().isRunning());
    EXPECT_EQ(player->getModel().getCurrentFrame(), 0u);
}

TEST_F(PlayerTest, WallAtFeetHeightStopsTheMoveAndTheSpeed)
{
    floor();
    cube(0, 1, -1); // 10 to 20 high, just ahead; the head passes above it
    landAt(Float3(5.f, 12.f, 1.3f));
    ASSERT_GT(player->getPosition().y() + 10.f, 20.f);
    keys['e'] = true;
    keys['f'] = true;
    frames(2);
    Float3 const before = player->getPosition();
    player->manage(*obstacle);
    EXPECT_EQ(player->getPosition(), before);
    EXPECT_EQ(player->speed.x(), 0.f);
    EXPECT_EQ(player->speed.z(), 0.f);
    EXPECT_FALSE(player->getModel().isRunning());
    EXPECT_EQ(player->getModel().getCurrentFrame(), 0u);
}

TEST_F(PlayerTest, CeilingStopsTheRiseAndTheNextJumpWaitsForTheLanding)
{
    floor();
    cube(0, 3, 0); // 30 to 40 high, above the head
    landAt(Float3(5.f, 12.f, 5.f));
    keys[' '] = true;
    Float3 before = player->getPosition();
    player->manage(*obstacle);
    while (player->getPosition() != before)
    {
        ASSERT_GT(player->getPosition().y(), before.y()) << "rising until the head meets the ceiling";
        before = player->getPosition();
        player->manage(*obstacle);
    }
    EXPECT_EQ(player->speed.y(), 0.f);
    EXPECT_FALSE(player->getCanJump());
    EXPECT_LE(before.y() + 10.f, 30.f);
    // Falling back with the key held: no jump in the air.
    float y = before.y();
    float verticalSpeed = 0.f;
    bool landed = false;
    while (!landed)
    {
        landed = fallFrame(y, verticalSpeed);
        player->manage(*obstacle);
        ASSERT_EQ(player->getPosition().y(), y);
        ASSERT_EQ(player->getCanJump(), landed);
    }
}

TEST_F(PlayerTest, FlightStepsOverAOneCubeStepWithRoomAbove)
{
    cube(0, 1, -1); // 10 to 20 high, just ahead
    player->setMovementType(Player::MVT_TYPE_FLY);
    Float3 const start(5.f, 12.f, 0.3f);
    player->setPosition(start);
    keys[KeyboardManager::KEYASCII_UP] = true;
    player->manage(*obstacle);
    Float3 const attempt = planarStep(start, 0.f, 0.00005f * PERIOD, 0.f);
    EXPECT_EQ(player->getPosition(), attempt + Float3(0.f, 10.f, 0.f) + (attempt - start));
    EXPECT_FLOAT_EQ(player->getPosition().z(), start.z() - 2 * 0.5f);
    EXPECT_EQ(player->speed, Float3(0.f, 0.f, 0.f));

    // No room 20 above the feet: the player stays.
    cube(0, 3, -1);
    player->setPosition(start);
    player->manage(*obstacle);
    EXPECT_EQ(player->getPosition(), start);
    EXPECT_EQ(player->speed, Float3(0.f, 0.f, 0.f));
}

TEST_F(PlayerTest, EachModeAnswersTheKeysItsOwnWay)
{
    Float3 const start(5.f, 50.f, 5.f);
    // Flight: no gravity, no reverse, climb and descent by the period.
    player->setMovementType(Player::MVT_TYPE_FLY);
    player->setPosition(start);
    player->speed = Float3(0.25f, 3.f, 0.f);
    keys['d'] = true;
    keys[' '] = true;
    player->manage(*obstacle);
    EXPECT_EQ(player->speed, Float3(0.25f - 0.00001f * PERIOD, 0.f, 0.f));
    EXPECT_EQ(player->getPosition().y(), start.y() + 0.00005f * PERIOD);
    EXPECT_GE(player->getModel().getCurrentFrame(), 3u);
    EXPECT_TRUE(player->getModel().isRunning());
    keys[' '] = false;
    keys['C'] = true;
    player->manage(*obstacle);
    EXPECT_EQ(player->getPosition().y(), start.y());
    keys['C'] = false;
    player->manage(*obstacle);
    EXPECT_EQ(player->getPosition().y(), start.y());

    // Car: the strafe keys neither push nor brake the lateral speed; the body stands still.
    player->setMovementType(Player::MVT_TYPE_CAR);
    player->speed.z() = 0.07f;
    keys['d'] = false;
    keys['F'] = true;
    player->manage(*obstacle);
    EXPECT_EQ(player->speed.z(), 0.07f);
    keys['F'] = false;
    keys['e'] = true;
    player->manage(*obstacle);
    EXPECT_EQ(player->speed.z(), 0.07f);
    EXPECT_EQ(player->speed.x(), 0.0002f * PERIOD);
    EXPECT_EQ(player->speed.y(), 2 * gravityStep(PERIOD));
    EXPECT_FALSE(player->getModel().isRunning());
    EXPECT_EQ(player->getModel().getCurrentFrame(), 0u);

    // None: the movement keys do nothing at all.
    player->setMovementType(Player::MVT_TYPE_NONE);
    player->speed = Float3(1.f, 2.f, 3.f);
    player->setPosition(start);
    for (int key : {int('e'), int('d'), int('s'), int('f'), int('c'), int(' '), KeyboardManager::KEYASCII_LEFT})
        keys[key] = true;
    player->manage(*obstacle);
    EXPECT_EQ(player->getPosition(), start);
    EXPECT_EQ(player->speed, Float3(1.f, 2.f, 3.f));
    EXPECT_EQ(camera().getAngleY(), 0.f);
    // ... while the camera controls still act.
    player->injectKeyEvent('p');
    EXPECT_EQ(player->cameraDistance, 25.f);
    player->injectMouseEvent(wheel(GLManager::MOUSE_WHEEL_DOWN));
    EXPECT_EQ(player->cameraDistance, 30.f);
    player->injectMouseEvent(motionTo(410, 300));
    EXPECT_EQ(camera().getAngleY(), -5.f);
}

TEST_F(PlayerTest, StrafeAndForwardSpeedsOvershootOnceThenHoldAndDecayByFriction)
{
    player->setPosition(Float3(5.f, 50.f, 5.f));
    player->setMovementType(Player::MVT_TYPE_FLY);
    keys['e'] = true;
    keys['s'] = true;
    frames(1);
    float const step = 0.00005f * PERIOD;
    EXPECT_EQ(player->speed, Float3(step, 0.f, -step));
    frames(3);
    EXPECT_EQ(player->speed, Float3(step, 0.f, -step)) << "held at the limit, no friction either";
    keys['e'] = false;
    keys['s'] = false;
    frames(1);
    EXPECT_EQ(player->speed, Float3(step - 0.00001f * PERIOD, 0.f, -step + 0.00002f * PERIOD));
    frames(10);
    EXPECT_EQ(player->speed, Float3(0.f, 0.f, 0.f)) << "friction stops rather than crosses zero";
}

TEST_F(PlayerTest, PeriodsAbove100000CountAs100000)
{
    struct Outcome
    {
        Float3 position;
        Float3 speed;
        float yaw;
    };
    auto const run = [&](int64_t period) {
        camera().setAngleY(0.f);
        player->setMovementType(Player::MVT_TYPE_WALK);
        player->setPosition(Float3(5.f, 50.f, 5.f));
        player->speed.z() = 5.f;
        periodFrame = period;
        keys[KeyboardManager::KEYASCII_LEFT] = true;
        keys['e'] = true;
        frames(3);
        return Outcome{player->getPosition(), player->speed, camera().getAngleY()};
    };
    Outcome const clamped = run(200000);
    Outcome const ceiling = run(100000);
    EXPECT_EQ(clamped.position, ceiling.position);
    EXPECT_EQ(clamped.speed, ceiling.speed);
    EXPECT_EQ(clamped.yaw, ceiling.yaw);
    float const turn = 0.00018f * 100000.f;
    EXPECT_EQ(ceiling.yaw, turn + turn + turn);
    Outcome const shorter = run(99000);
    EXPECT_NE(shorter.speed, ceiling.speed);
}

TEST_F(PlayerTest, CameraDistanceKeysAndWheelKeepTheirBounds)
{
    player->cameraDistance = 0.f;
    player->injectKeyEvent('p');
    EXPECT_EQ(player->cameraDistance, 0.f);
    player->cameraDistance = 2.5f;
    player->injectKeyEvent('P');
    EXPECT_EQ(player->cameraDistance, 0.f) << "no closer than first person";
    player->cameraDistance = 60.f;
    player->injectKeyEvent('m');
    EXPECT_EQ(player->cameraDistance, 60.f);
    player->injectKeyEvent('x');
    player->injectMouseEvent(wheel(GLManager::MOUSE_WHEEL_DOWN, GLManager::MOUSE_BUTTON_UP));
    player->injectMouseEvent(wheel(GLManager::MOUSE_LEFT_BUTTON));
    EXPECT_EQ(player->cameraDistance, 60.f);
    for (int step = 0; step < 10; ++step)
        player->injectMouseEvent(wheel(GLManager::MOUSE_WHEEL_DOWN));
    EXPECT_EQ(player->cameraDistance, 90.f);
    player->cameraDistance = 87.5f;
    player->injectMouseEvent(wheel(GLManager::MOUSE_WHEEL_DOWN));
    EXPECT_EQ(player->cameraDistance, 90.f);
    player->cameraDistance = 2.5f;
    player->injectMouseEvent(wheel(GLManager::MOUSE_WHEEL_UP));
    EXPECT_EQ(player->cameraDistance, 0.f);
    player->cameraDistance = 57.5f;
    player->injectKeyEvent('M');
    EXPECT_EQ(player->cameraDistance, 62.5f);
}

TEST_F(PlayerTest, WalkSoundStartsOnlyOnceTheStrideRunsFastEnough)
{
    floor();
    landAt(Float3(5.f, 12.f, 5.f));
    ASSERT_FALSE(player->getModel().isRunning());
    keys['e'] = true;
    player->manage(*obstacle);
    EXPECT_FALSE(soundPlays("sound/walk.wav")) << "the stride had not begun";
    EXPECT_TRUE(player->getModel().isRunning());
    EXPECT_FALSE(player->getModel().isForward());
    EXPECT_EQ(player->getModel().getFramePeriod(), 100); // 50 / 0.5

    keys['e'] = false;
    player->speed.x() = 0.05f;
    player->manage(*obstacle);
    EXPECT_FALSE(soundPlays("sound/walk.wav")) << "too slow, although the stride ran";
    EXPECT_FALSE(player->getModel().isRunning());

    keys['e'] = true;
    keys['f'] = true;
    player->manage(*obstacle);
    EXPECT_FALSE(soundPlays("sound/walk.wav"));
    float const planar = std::sqrt(0.5f * 0.5f + 0.5f * 0.5f);
    EXPECT_EQ(player->getModel().getFramePeriod(), static_cast<int>(50.f / planar));
    EXPECT_EQ(player->getModel().getFramePeriod(), 70);
    player->manage(*obstacle);
    EXPECT_TRUE(soundPlays("sound/walk.wav"));
}

TEST_F(PlayerTest, MovementTypeChangeStopsThePlayerEvenForTheSameMode)
{
    player->speed = Float3(1.f, 2.f, 3.f);
    player->setMovementType(Player::MVT_TYPE_WALK);
    EXPECT_EQ(player->speed, Float3(0.f, 0.f, 0.f));
    player->speed = Float3(1.f, 2.f, 3.f);
    player->setMovementType(Player::MVT_TYPE_CAR);
    EXPECT_EQ(player->speed, Float3(0.f, 0.f, 0.f));
    EXPECT_EQ(player->getMovementType(), Player::MVT_TYPE_CAR);
}

namespace
{
std::string littleEndian(uint32_t bits)
{
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((bits >> (8 * i)) & 0xFF);
    return bytes;
}

std::string littleEndian(float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    return littleEndian(bits);
}

std::string saveRecord(Float3 const& position, float yaw, float pitch, int32_t type)
{
    return littleEndian(position.x()) + littleEndian(position.y()) + littleEndian(position.z()) +
           littleEndian(yaw) + littleEndian(pitch) + littleEndian(static_cast<uint32_t>(type));
}
}

TEST_F(PlayerTest, GameSaveRecordRoundTripsThroughARealFile)
{
    std::string const path = folder + "/save";
    Float3 const position(1.5f, -2.25f, 300.f);
    player->setPosition(position);
    player->setMovementType(Player::MVT_TYPE_FLY);
    camera().setAngleY(45.f);
    camera().setAngleX(-30.f);
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    player->saveGameSave(file);
    fclose(file);
    EXPECT_EQ(TestSupport::readFile(path), saveRecord(position, 45.f, -30.f, 2));

    player->setPosition(Float3(0.f, 0.f, 0.f));
    player->setMovementType(Player::MVT_TYPE_WALK);
    camera().setAngleY(0.f);
    camera().setAngleX(0.f);
    player->speed = Float3(1.f, 2.f, 3.f);
    file = fopen(path.c_str(), "rb");
    player->loadGameSave(file);
    EXPECT_EQ(ftell(file), 24);
    fclose(file);
    EXPECT_EQ(player->getPosition(), position);
    EXPECT_EQ(camera().getAngleY(), 45.f);
    EXPECT_EQ(camera().getAngleX(), -30.f);
    EXPECT_EQ(player->getMovementType(), Player::MVT_TYPE_FLY);
    EXPECT_EQ(player->speed, Float3(1.f, 2.f, 3.f));
}

TEST_F(PlayerTest, RecordCutShortLoadsTheFieldsItHolds)
{
    std::string const whole = saveRecord(Float3(7.f, 8.f, 9.f), 45.f, -30.f, 2);
    struct Case
    {
        size_t length;
        Float3 position;
        float yaw;
        float pitch;
        Player::MvtType type;
    };
    Float3 const old(1.f, 2.f, 3.f);
    Case const cases[] = {{0, old, 10.f, 20.f, Player::MVT_TYPE_CAR},
                          {6, Float3(7.f, 2.f, 3.f), 10.f, 20.f, Player::MVT_TYPE_CAR},
                          {16, Float3(7.f, 8.f, 9.f), 45.f, 20.f, Player::MVT_TYPE_CAR},
                          {22, Float3(7.f, 8.f, 9.f), 45.f, -30.f, Player::MVT_TYPE_CAR}};
    for (Case const& c : cases)
    {
        player->setPosition(old);
        player->setMovementType(Player::MVT_TYPE_CAR);
        camera().setAngleY(10.f);
        camera().setAngleX(20.f);
        std::string const path = folder + "/short";
        TestSupport::writeFile(path, whole.substr(0, c.length));
        FILE* file = fopen(path.c_str(), "rb");
        player->loadGameSave(file);
        fclose(file);
        EXPECT_EQ(player->getPosition(), c.position) << c.length;
        EXPECT_EQ(camera().getAngleY(), c.yaw) << c.length;
        EXPECT_EQ(camera().getAngleX(), c.pitch) << c.length;
        EXPECT_EQ(player->getMovementType(), c.type) << c.length;
    }
}

TEST_F(PlayerTest, UnknownMovementTypeFromASaveEndsTheNextFrameInTheFatalReport)
{
    for (int32_t type : {4, -1, 0x7FFFFFFF})
    {
        std::string const path = folder + "/bad";
        TestSupport::writeFile(path, saveRecord(Float3(5.f, 50.f, 5.f), 0.f, 0.f, type));
        FILE* file = fopen(path.c_str(), "rb");
        player->loadGameSave(file);
        fclose(file);
        EXPECT_EQ(static_cast<int32_t>(player->getMovementType()), type);
        TestSupport::ChildResult const result =
            TestSupport::runInChildSharingWindow([&] { player->manage(*obstacle); });
        EXPECT_EQ(result.exitStatus, 1) << type;
        EXPECT_NE(result.errors.find("ERROR : "), std::string::npos) << result.errors;
        EXPECT_NE(result.errors.find("src/Player.cpp"), std::string::npos) << result.errors;
        EXPECT_NE(result.errors.find("mvtType == MVT_TYPE_WALK"), std::string::npos) << result.errors;
    }
}

TEST_F(PlayerTest, PlayerWithoutItsSoundsIsAContractFailure)
{
    TestSupport::ChildResult const result = TestSupport::runInChildSharingWindow([] { Player lonely(NULL); });
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.errors.find("soundWalk != NULL"), std::string::npos) << result.errors;
}

TEST_F(PlayerTest, BodyIsInThePictureOnlyBeyondDistanceOne)
{
    player->setPosition(Float3(5.f, 12.f, 5.f));
    auto const bodyPixels = [&](float distance) {
        player->cameraDistance = distance;
        player->updateCamera(*obstacle);
        glClearColor(1.f, 0.f, 1.f, 1.f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        deviceManager->getScene3D()->setWireframeMode(true);
        player->draw();
        std::vector<unsigned char> const pixels = TestSupport::readWindowPixels();
        int count = 0;
        for (size_t i = 0; i < pixels.size(); i += 4)
            count += pixels[i] == 255 && pixels[i + 1] == 0 && pixels[i + 2] == 255 ? 0 : 1;
        return count;
    };
    EXPECT_GT(bodyPixels(5.f), 800 * 600 / 20);
    GLboolean texturing = GL_FALSE;
    glGetBooleanv(GL_TEXTURE_2D, &texturing);
    EXPECT_TRUE(texturing) << "the body is drawn filled and textured";
    EXPECT_EQ(bodyPixels(1.f), 0);
    EXPECT_EQ(bodyPixels(0.f), 0);
    player->setMovementType(Player::MVT_TYPE_NONE);
    EXPECT_GT(bodyPixels(5.f), 800 * 600 / 20);
}

TEST_F(PlayerInputTest, MouseLookTurnsByHalfADegreePerPixelAndKeepsThePitchWithin90)
{
    ASSERT_TRUE(pumpUntil([&] { return pointerAt(Int2(100, 100)); }, false));
    // A new player brings the pointer to the centre.
    Player const another(sounds);
    ASSERT_TRUE(pumpUntil([&] { return pointerAt(Int2(400, 300)); }, false));

    lookTo(420, 290);
    EXPECT_EQ(camera().getAngleY(), -10.f);
    EXPECT_EQ(camera().getAngleX(), 5.f);
    lookTo(400, 0);
    EXPECT_EQ(camera().getAngleX(), 90.f);
    lookTo(400, 599);
    EXPECT_EQ(camera().getAngleX(), 90.f - 149.5f);
    lookTo(400, 599);
    EXPECT_EQ(camera().getAngleX(), -90.f);
    EXPECT_EQ(camera().getAngleY(), -10.f);
}

TEST_F(PlayerInputTest, LetterReleasedAfterShiftLeavesThePlayerStill)
{
    floor();
    landAt(Float3(5.f, 12.f, 5.f));
    KeyboardManager const* keyboard = deviceManager->getKeyboardManager();
    ASSERT_TRUE(TestSupport::xdotool("keydown shift"));
    ASSERT_TRUE(TestSupport::xdotool("keydown e"));
    ASSERT_TRUE(pumpUntil([&] { return keyboard->keys['E']; }, false));
    ASSERT_TRUE(TestSupport::xdotool("keyup shift"));
    ASSERT_TRUE(TestSupport::xdotool("keyup e"));
    EXPECT_TRUE(pumpUntil([&] { return !keyboard->keys['E'] && !keyboard->keys['e']; }, false));

    periodFrame = static_cast<int64_t>(PERIOD);
    Float3 const before = player->getPosition();
    frames(5);
    EXPECT_EQ(player->speed.x(), 0.f);
    EXPECT_EQ(player->getPosition().x(), before.x());
    EXPECT_EQ(player->getPosition().z(), before.z());
}
