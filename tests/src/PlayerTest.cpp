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

namespace
{
bool endsWith(std::string const& text, std::string const& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The frames a running animation shows over the next steps of its clock, each
// step later than any frame change the model has planned.
std::vector<unsigned> nextFrames(Animated3DModel const& model, int count)
{
    static int clock = 1000000;
    std::vector<unsigned> shown;
    for (int step = 0; step < count; ++step)
    {
        clock += 10000;
        model.advanceAnimation(clock);
        shown.push_back(model.getCurrentFrame());
    }
    return shown;
}

// The right mouse button as the window layer records it; released again on leaving.
class RightButtonHeld
{
public:
    RightButtonHeld() { mouseButton[GLManager::MOUSE_RIGHT_BUTTON] = true; }
    ~RightButtonHeld() { mouseButton[GLManager::MOUSE_RIGHT_BUTTON] = false; }
    RightButtonHeld(RightButtonHeld const&) = delete;
    RightButtonHeld& operator=(RightButtonHeld const&) = delete;
};
}

TEST_F(PlayerTest, ArrowKeysTurnByThePeriodLeftWinningAndTheSameFrameMovesAlongTheNewYaw)
{
    float const turn = 0.00018f * PERIOD;
    player->setMovementType(Player::MVT_TYPE_FLY);
    player->setPosition(Float3(5.f, 50.f, 5.f));
    keys[KeyboardManager::KEYASCII_RIGHT] = true;
    player->manage(*obstacle);
    EXPECT_EQ(camera().getAngleY(), -turn);
    keys[KeyboardManager::KEYASCII_LEFT] = true;
    player->manage(*obstacle);
    EXPECT_EQ(camera().getAngleY(), -turn + turn) << "left is read first when both are held";
    keys[KeyboardManager::KEYASCII_RIGHT] = false;

    // Driving turns as well, and the step of the turning frame already follows the new heading.
    player->setMovementType(Player::MVT_TYPE_CAR);
    camera().setAngleY(0.f);
    Float3 const start(5.f, 50.f, 5.f);
    player->setPosition(start);
    player->speed.x() = 0.5f;
    keys['e'] = true;
    player->manage(*obstacle);
    EXPECT_EQ(camera().getAngleY(), turn);
    Float3 const expected = planarStep(start + Float3(0.f, gravityStep(PERIOD), 0.f), turn, 0.5f, 0.f);
    EXPECT_NEAR(player->getPosition().x(), expected.x(), 1e-5f);
    EXPECT_NEAR(player->getPosition().z(), expected.z(), 1e-5f);
    EXPECT_LT(player->getPosition().x(), start.x() - 0.01f) << "turned left, so drifting towards -x";
}

TEST_F(PlayerTest, JumpComesFromSpaceOrTheRightButtonAndOnlyWhenWalking)
{
    floor();
    float const jumpSpeed = 0.000125f * PERIOD + gravityStep(PERIOD);
    {
        landAt(Float3(5.f, 12.f, 5.f));
        RightButtonHeld const button;
        Float3 const before = player->getPosition();
        player->manage(*obstacle);
        EXPECT_FALSE(player->getCanJump());
        EXPECT_EQ(player->speed.y(), jumpSpeed);
        EXPECT_EQ(player->getPosition(), before + Float3(0.f, jumpSpeed, 0.f));
        EXPECT_TRUE(soundPlays("sound/jump.wav"));
    }

    // A car on the ground keeps its wheels there, space or not, and stays ready to jump.
    player->setMovementType(Player::MVT_TYPE_CAR);
    landAt(Float3(-15.f, 12.f, -15.f));
    keys[' '] = true;
    Float3 const parked = player->getPosition();
    frames(3);
    EXPECT_EQ(player->getPosition(), parked);
    EXPECT_EQ(player->speed.y(), 0.f);
    EXPECT_TRUE(player->getCanJump());

    // Flying climbs instead of jumping, and keeps the landing for later.
    player->setMovementType(Player::MVT_TYPE_FLY);
    player->manage(*obstacle);
    EXPECT_EQ(player->getPosition(), parked + Float3(0.f, 0.00005f * PERIOD, 0.f));
    EXPECT_TRUE(player->getCanJump());

    // Back on foot, the landing made while driving allows the jump at once.
    player->setPosition(parked);
    player->setMovementType(Player::MVT_TYPE_WALK);
    player->manage(*obstacle);
    EXPECT_FALSE(player->getCanJump());
    EXPECT_EQ(player->speed.y(), jumpSpeed);
}

TEST_F(PlayerTest, HeadInsideACubeHoldsThePlayerUpAndTakesTheJumpAway)
{
    floor();
    landAt(Float3(5.f, 12.f, 5.f));
    // Feet free, head inside: no fall, no landing.
    cube(0, 2, 0); // 20 to 30 high
    player->setPosition(Float3(5.f, 15.f, 5.f));
    frames(3);
    EXPECT_EQ(player->getPosition(), Float3(5.f, 15.f, 5.f));
    EXPECT_EQ(player->speed.y(), 0.f);
    EXPECT_FALSE(player->getCanJump());

    // Feet and head both inside: the head is what counts, so no landing either.
    landAt(Float3(-15.f, 12.f, -15.f));
    cube(0, 1, 0); // 10 to 20 high
    player->setPosition(Float3(5.f, 8.f, 5.f));
    player->manage(*obstacle);
    EXPECT_EQ(player->getPosition(), Float3(5.f, 8.f, 5.f));
    EXPECT_EQ(player->speed.y(), 0.f);
    EXPECT_FALSE(player->getCanJump());
}

TEST_F(PlayerTest, SpeedsGrowUntilPastTheLimitAndTheOtherKeyThenPullsBack)
{
    float const period = 1400.f;
    float const step = 0.00005f * period; // 0.07: the walking limits 0.2 and 0.1 fall between steps
    periodFrame = static_cast<int64_t>(period);
    player->setPosition(Float3(5.f, 50.f, 5.f));

    keys['e'] = true;
    keys['f'] = true;
    player->manage(*obstacle);
    EXPECT_EQ(player->speed.x(), step);
    EXPECT_EQ(player->speed.z(), step);
    player->manage(*obstacle);
    float const forward = step + step + step;
    float const lateral = step + step;
    EXPECT_EQ(player->speed.z(), lateral) << "0.07 is under the limit 0.1, so one more step";
    player->manage(*obstacle);
    EXPECT_EQ(player->speed.x(), forward) << "0.14 is under the limit 0.2, so one more step";
    EXPECT_EQ(player->speed.z(), lateral);
    player->manage(*obstacle);
    EXPECT_EQ(player->speed.x(), forward);
    EXPECT_EQ(player->speed.z(), lateral);

    // Both keys of a pair held at the limit: the second key of the pair subtracts.
    keys['D'] = true;
    keys['S'] = true;
    player->manage(*obstacle);
    EXPECT_EQ(player->speed.x(), forward - step);
    EXPECT_EQ(player->speed.z(), lateral - step);
    // ... and below the limit again the first key adds.
    player->manage(*obstacle);
    EXPECT_EQ(player->speed.x(), forward - step + step);
    EXPECT_EQ(player->speed.z(), lateral - step + step);

    // Backward and left alone run down to their own limits.
    keys['e'] = false;
    keys['f'] = false;
    frames(12);
    float const backward = player->speed.x();
    float const left = player->speed.z();
    EXPECT_LE(backward, -0.2f);
    EXPECT_GT(backward, -0.2f - step);
    EXPECT_LE(left, -0.1f);
    EXPECT_GT(left, -0.1f - step);
    player->manage(*obstacle);
    EXPECT_EQ(player->speed.x(), backward);
    EXPECT_EQ(player->speed.z(), left);

    // Driving backs up too, overshooting its tiny limit in one step.
    player->setMovementType(Player::MVT_TYPE_CAR);
    keys['S'] = false;
    frames(2);
    EXPECT_EQ(player->speed.x(), -(0.0002f * period));
}

TEST_F(PlayerTest, FrictionBringsEitherSignTowardsRestWithoutCrossingIt)
{
    player->setMovementType(Player::MVT_TYPE_FLY);
    player->setPosition(Float3(5.f, 50.f, 5.f));
    float const forwardFriction = 0.00001f * PERIOD;
    float const lateralFriction = 0.00002f * PERIOD;
    player->speed = Float3(-0.25f, 0.f, 0.35f);
    player->manage(*obstacle);
    EXPECT_EQ(player->speed, Float3(-0.25f + forwardFriction, 0.f, 0.35f - lateralFriction));
    player->speed = Float3(-0.05f, 0.f, 0.15f);
    player->manage(*obstacle);
    EXPECT_EQ(player->speed, Float3(0.f, 0.f, 0.f)) << "speeds within one friction step stop";
    player->speed = Float3(0.05f, 0.f, -0.15f);
    player->manage(*obstacle);
    EXPECT_EQ(player->speed, Float3(0.f, 0.f, 0.f));
}

TEST_F(PlayerTest, WalkCycleAndFlightCycleUseTheirOwnFramesAndDurations)
{
    floor();
    landAt(Float3(5.f, 12.f, 5.f));
    // Held keys at the limit keep the speeds, so the planar speed is exactly 0.3.
    keys['e'] = true;
    player->speed.x() = 0.3f;
    player->manage(*obstacle);
    Animated3DModel const& model = player->getModel();
    EXPECT_TRUE(model.isRunning());
    EXPECT_FALSE(model.isForward());
    EXPECT_EQ(model.getFramePeriod(), 166) << "50 / 0.3 truncated";
    EXPECT_EQ(nextFrames(model, 4), (std::vector<unsigned>{2, 1, 0, 2})) << "frames 0 to 2, counting down";
    keys['e'] = false;
    keys['f'] = true;
    player->speed = Float3(0.f, 0.f, 0.11f);
    player->manage(*obstacle);
    EXPECT_TRUE(model.isRunning()) << "a sideways stride counts too";
    EXPECT_EQ(model.getFramePeriod(), static_cast<int>(50.f / 0.11f));
    keys['f'] = false;

    // A jump stops the stride on frame 0 however fast the player goes.
    keys['e'] = true;
    keys[' '] = true;
    player->manage(*obstacle);
    ASSERT_FALSE(player->getCanJump());
    EXPECT_GT(player->speed.x(), 0.1f);
    EXPECT_FALSE(model.isRunning());
    EXPECT_EQ(model.getCurrentFrame(), 0u);
    keys['e'] = false;
    keys[' '] = false;

    // Flight keeps the last stride duration and plays frames 3 and 4, even standing still.
    player->setMovementType(Player::MVT_TYPE_FLY);
    player->setPosition(Float3(5.f, 50.f, 5.f));
    player->manage(*obstacle);
    EXPECT_TRUE(model.isRunning());
    EXPECT_EQ(model.getFramePeriod(), static_cast<int>(50.f / 0.11f));
    EXPECT_EQ(model.getCurrentFrame(), 3u);
    std::vector<unsigned> const flight = nextFrames(model, 4);
    EXPECT_EQ(flight[0] + flight[1], 7u) << "frames 3 and 4 in turn";
    EXPECT_EQ(flight[0], flight[2]);
    EXPECT_EQ(flight[1], flight[3]);
}

TEST_F(PlayerTest, WalkingOffALedgeKeepsTheStrideBecauseOnlyAJumpOrACeilingLeavesTheGround)
{
    floor();
    landAt(Float3(25.f, 12.f, -15.f));
    keys['e'] = true;
    keys['f'] = true;
    for (int frame = 0; frame < 200 && player->getPosition().y() > 0.f; ++frame)
        player->manage(*obstacle);
    ASSERT_LT(player->getPosition().y(), 0.f) << "walked past the edge at x = 30 and fell";
    EXPECT_TRUE(player->getCanJump());
    EXPECT_TRUE(player->getModel().isRunning());
}

TEST_F(PlayerTest, HorizontalStepFollowsTheYaw)
{
    player->setMovementType(Player::MVT_TYPE_FLY);
    // Held keys past the limits keep the speeds through the frame.
    keys['e'] = true;
    keys['f'] = true;
    Float3 const start(5.f, 50.f, 5.f);
    struct Case
    {
        float yaw;
        float forward;
        float lateral;
        Float3 move;
    };
    Case const cases[] = {{0.f, 0.5f, 0.3f, Float3(0.3f, 0.f, -0.5f)},
                          {90.f, 0.5f, 0.3f, Float3(-0.5f, 0.f, -0.3f)},
                          {90.f, 0.1f, 0.4f, Float3(-0.1f, 0.f, -0.4f)},
                          {180.f, 0.5f, 0.3f, Float3(-0.3f, 0.f, 0.5f)},
                          {-90.f, 0.5f, 0.3f, Float3(0.5f, 0.f, 0.3f)}};
    for (Case const& c : cases)
    {
        camera().setAngleY(c.yaw);
        player->setPosition(start);
        player->speed = Float3(c.forward, 0.f, c.lateral);
        player->manage(*obstacle);
        Float3 const moved = player->getPosition() - start;
        EXPECT_NEAR(moved.x(), c.move.x(), 1e-5f) << c.yaw;
        EXPECT_EQ(moved.y(), 0.f) << c.yaw;
        EXPECT_NEAR(moved.z(), c.move.z(), 1e-5f) << c.yaw;
    }
    camera().setAngleY(30.f);
    player->setPosition(start);
    player->speed = Float3(0.5f, 0.f, 0.3f);
    player->manage(*obstacle);
    Float3 const expected = planarStep(start, 30.f, 0.5f, 0.3f);
    EXPECT_NEAR(player->getPosition().x(), expected.x(), 1e-5f);
    EXPECT_NEAR(player->getPosition().z(), expected.z(), 1e-5f);
}

TEST_F(PlayerTest, StepStartsFromTheFallAndABlockedStepKeepsTheFallButEndsARise)
{
    keys['e'] = true;
    Float3 const high(5.f, 50.f, 5.f);
    player->setPosition(high);
    player->speed = Float3(0.5f, 0.f, 0.f);
    player->manage(*obstacle);
    EXPECT_EQ(player->getPosition(), planarStep(high + Float3(0.f, gravityStep(PERIOD), 0.f), 0.f, 0.5f, 0.f));

    cube(0, 1, -1); // 10 to 20 high, just ahead; the head passes above it
    Float3 const start(5.f, 15.f, 0.3f);
    player->setPosition(start);
    player->speed = Float3(0.5f, -1.f, 0.f);
    player->manage(*obstacle);
    float const falling = -1.f + gravityStep(PERIOD);
    EXPECT_EQ(player->getPosition(), start + Float3(0.f, falling, 0.f));
    EXPECT_EQ(player->speed, Float3(0.f, falling, 0.f));

    player->setPosition(start);
    player->speed = Float3(0.5f, 1.f, 0.f);
    player->manage(*obstacle);
    EXPECT_EQ(player->getPosition(), start + Float3(0.f, 1.f + gravityStep(PERIOD), 0.f));
    EXPECT_EQ(player->speed, Float3(0.f, 0.f, 0.f));
}

TEST_F(PlayerTest, FlightNeitherUsesItsVerticalSpeedNorMindsTheHead)
{
    player->setMovementType(Player::MVT_TYPE_FLY);
    cube(0, 2, -1); // 20 to 30 high, just ahead, at head height
    Float3 const start(5.f, 12.f, 0.3f);
    player->setPosition(start);
    player->speed.y() = 3.f;
    keys['e'] = true;
    player->manage(*obstacle);
    EXPECT_EQ(player->getPosition(), planarStep(start, 0.f, 0.00005f * PERIOD, 0.f));
    EXPECT_EQ(player->speed.y(), 3.f);
    keys['e'] = false;
    keys[' '] = true;
    keys['c'] = true;
    Float3 const before = player->getPosition();
    player->manage(*obstacle);
    EXPECT_EQ(player->getPosition().y(), before.y() + 0.00005f * PERIOD) << "climbing wins over descending";
    EXPECT_EQ(player->speed.y(), 0.f);
}

TEST_F(PlayerTest, FlightStepsOverOnlyWithRoomAtTenAndTwentyAndCarriesTheClimb)
{
    player->setMovementType(Player::MVT_TYPE_FLY);
    float const climb = 0.00005f * PERIOD;
    keys['e'] = true;

    // A wall two cubes high: no room 10 above the feet.
    cube(0, 1, -1);
    cube(0, 2, -1);
    Float3 const start(5.f, 12.f, 0.3f);
    player->setPosition(start);
    player->speed.y() = 2.f;
    player->manage(*obstacle);
    EXPECT_EQ(player->getPosition(), start);
    EXPECT_EQ(player->speed, Float3(0.f, 0.f, 0.f));
    EXPECT_FALSE(player->getModel().isRunning());

    // A one-cube step while climbing: the climb is part of the attempted step, so it counts twice.
    cube(2, 1, -1);
    Float3 const beside(25.f, 12.f, 0.3f);
    player->setPosition(beside);
    keys[' '] = true;
    player->manage(*obstacle);
    Float3 const attempt = planarStep(beside, 0.f, 0.5f, 0.f) + Float3(0.f, climb, 0.f);
    EXPECT_EQ(player->getPosition(), attempt + Float3(0.f, 10.f, 0.f) + (attempt - beside));
    EXPECT_EQ(player->getPosition().y(), 23.f);
    EXPECT_EQ(player->speed, Float3(0.f, 0.f, 0.f));
    EXPECT_FALSE(player->getModel().isRunning());
    EXPECT_EQ(player->getModel().getCurrentFrame(), 0u);
    keys[' '] = false;

    // Stepping over keeps a downward speed and drops an upward one.
    for (float vertical : {-2.f, 2.f})
    {
        player->setPosition(beside);
        player->speed = Float3(0.f, vertical, 0.f);
        player->manage(*obstacle);
        ASSERT_GT(player->getPosition().y(), 20.f) << vertical;
        EXPECT_EQ(player->speed, Float3(0.f, vertical < 0.f ? vertical : 0.f, 0.f)) << vertical;
    }
}

TEST_F(PlayerTest, PeriodCeilingAlsoBoundsTheJumpTheClimbAndTheFriction)
{
    float const ceiling = 100000.f;
    floor();
    landAt(Float3(5.f, 12.f, 5.f));
    periodFrame = 200000;
    keys[' '] = true;
    player->manage(*obstacle);
    EXPECT_EQ(player->speed.y(), 0.000125f * ceiling + gravityStep(ceiling));
    EXPECT_FLOAT_EQ(player->speed.y(), 9.5f);

    player->setMovementType(Player::MVT_TYPE_FLY);
    Float3 const high(5.f, 100.f, 5.f);
    player->setPosition(high);
    player->manage(*obstacle);
    EXPECT_EQ(player->getPosition().y(), high.y() + 0.00005f * ceiling);
    keys[' '] = false;

    player->speed = Float3(3.f, 0.f, 5.f);
    player->manage(*obstacle);
    EXPECT_EQ(player->speed, Float3(3.f - 0.00001f * ceiling, 0.f, 5.f - 0.00002f * ceiling));
}

TEST_F(PlayerTest, MouseLookActsOnEitherMotionAndOnlyOnMotionAndClampsThePitch)
{
    player->injectMouseEvent(MouseEvent(Int2(410, 290), GLManager::MOUSE_LEFT_BUTTON,
                                        GLManager::MOUSE_MOVED_BUTTON_HELD));
    EXPECT_EQ(camera().getAngleX(), 5.f);
    EXPECT_EQ(camera().getAngleY(), -5.f);

    // Presses and releases away from the centre neither turn the camera nor move it.
    player->injectMouseEvent(MouseEvent(Int2(500, 500), GLManager::MOUSE_LEFT_BUTTON, GLManager::MOUSE_BUTTON_UP));
    player->injectMouseEvent(MouseEvent(Int2(500, 500), GLManager::MOUSE_LEFT_BUTTON, GLManager::MOUSE_BUTTON_DOWN));
    player->injectMouseEvent(MouseEvent(Int2(500, 500), GLManager::MOUSE_WHEEL_UP, GLManager::MOUSE_BUTTON_UP));
    EXPECT_EQ(camera().getAngleX(), 5.f);
    EXPECT_EQ(camera().getAngleY(), -5.f);
    EXPECT_EQ(player->cameraDistance, 30.f);

    player->injectMouseEvent(motionTo(400, 599));
    EXPECT_EQ(camera().getAngleX(), -90.f) << "5 - 149.5 kept at -90";
    EXPECT_EQ(camera().getAngleY(), -5.f);
    player->injectMouseEvent(motionTo(400, 0));
    EXPECT_EQ(camera().getAngleX(), 60.f) << "-90 + 150, within the bounds";
    player->injectMouseEvent(motionTo(0, 300));
    EXPECT_EQ(camera().getAngleY(), -5.f + 200.f) << "the yaw has no bounds";
}

TEST_F(PlayerTest, GameSaveRecordIsWrittenAndReadWhereTheFileStands)
{
    std::string const path = folder + "/offset";
    Float3 const position(-4.5f, 16.f, 0.125f);
    player->setPosition(position);
    player->setMovementType(Player::MVT_TYPE_NONE);
    camera().setAngleY(-120.f);
    camera().setAngleX(12.5f);
    FILE* file = fopen(path.c_str(), "w+b");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(fwrite("abc", 1, 3, file), 3u);
    player->saveGameSave(file);
    EXPECT_EQ(ftell(file), 27);
    ASSERT_EQ(fwrite("z", 1, 1, file), 1u);
    fclose(file);
    EXPECT_EQ(TestSupport::readFile(path), "abc" + saveRecord(position, -120.f, 12.5f, 3) + "z");

    player->setPosition(Float3(0.f, 0.f, 0.f));
    player->setMovementType(Player::MVT_TYPE_WALK);
    camera().setAngleY(0.f);
    camera().setAngleX(0.f);
    file = fopen(path.c_str(), "rb");
    ASSERT_EQ(fseek(file, 3, SEEK_SET), 0);
    player->loadGameSave(file);
    EXPECT_EQ(fgetc(file), 'z') << "exactly the record was read";
    fclose(file);
    EXPECT_EQ(player->getPosition(), position);
    EXPECT_EQ(player->getMovementType(), Player::MVT_TYPE_NONE);
    EXPECT_EQ(camera().getAngleY(), -120.f);
    EXPECT_EQ(camera().getAngleX(), 12.5f);
}

TEST_F(PlayerTest, ContractFailuresNameTheirExactConditionWithoutMessage)
{
    std::string const path = folder + "/bad";
    TestSupport::writeFile(path, saveRecord(Float3(5.f, 50.f, 5.f), 0.f, 0.f, 4));
    FILE* file = fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    player->loadGameSave(file);
    fclose(file);
    struct Case
    {
        std::function<void()> body;
        std::string condition;
    };
    Case const cases[] = {{[&] { player->manage(*obstacle); }, "mvtType == MVT_TYPE_WALK"},
                          {[] { Player lonely(NULL); }, "soundWalk != NULL"}};
    for (Case const& c : cases)
    {
        TestSupport::ChildResult const result = TestSupport::runInChildSharingWindow(c.body);
        EXPECT_EQ(result.exitStatus, 1) << c.condition;
        EXPECT_NE(result.errors.find("ERROR : The program aborted unexpectedly."), std::string::npos)
            << result.errors;
        EXPECT_NE(result.errors.find("\n__FILE__ src/Player.cpp\n__LINE__ "), std::string::npos) << result.errors;
        EXPECT_TRUE(endsWith(result.errors, "\nCondition: " + c.condition + "\n\n")) << result.errors;
        EXPECT_EQ(result.errors.find("Message: "), std::string::npos) << result.errors;
    }
}

TEST_F(PlayerTest, CameraLooksAtTheHeadTenAboveTheFeet)
{
    Float3 const position(15.f, 22.f, -7.f);
    player->setPosition(position);
    player->cameraDistance = 0.f;
    player->updateCamera(*obstacle);
    EXPECT_EQ(camera().getPosition(), position + Float3(0.f, 10.f, 0.f));

    camera().setAngleY(30.f);
    camera().setAngleX(-20.f);
    player->cameraDistance = 35.f;
    deviceManager->getScene3D()->updateCameraLookAtMode(position + Float3(0.f, 10.f, 0.f), 35.f);
    Float3 const expected = camera().getPosition();
    camera().setPosition(0.f, 0.f, 0.f);
    player->updateCamera(*obstacle);
    EXPECT_EQ(camera().getPosition(), expected);
    EXPECT_NE(expected, position + Float3(0.f, 10.f, 0.f));
}
