#include "World.h"

#include "Camera.h"
#include "DeviceManager.h"
#include "Font.h"
#include "GLManager.h"
#include "IndexedWorld.h"
#include "KeyboardManager.h"
#include "MouseEvent.h"
#include "Player.h"
#include "Scene3D.h"
#include "SoundManager.h"
#include "TestSupport.h"
#include "WorldTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::string const CUBE_TEXTURES[6] = {"grass_top.png", "dirt.png", "grass_side.png",
                                      "brick.png",     "stone.png", "sand.png"};

MouseEvent motionTo(int x, int y)
{
    return MouseEvent(Int2(x, y), -1, GLManager::MOUSE_MOVED_NO_BUTTON);
}

// The game world as the main loop has it: the generated game data, an empty
// "world.dat" with one collidable cube type added, the font and the sounds.
class WorldTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DISPLAY();
        WorldTestSupport::enterGameFolder(WorldTestSupport::emptyWorld());
        DeviceManager::newInstance("game_tests", "world test", 800, 600, false);
        font = new Font(deviceManager, "default_font.png", 16, false);
        sounds = new SoundManager("game_tests");
        world = new World(font, sounds);
        bool const repeat[3] = {false, false, false};
        world->getIndexedWorld().addCubeType(CUBE_TEXTURES, repeat, true);
        periodFrame = 10000;
    }

    void TearDown() override
    {
        delete world;
        delete sounds;
        delete font;
        if (deviceManager != NULL)
            DeviceManager::deleteInstance();
    }

    Scene3D& scene() { return *deviceManager->getScene3D(); }
    Player& player() { return world->getPlayer(); }

    // A key as the main loop hands it over; returns the result flag as the world left it.
    bool key(unsigned char code)
    {
        bool result = true;
        world->injectKeyEvent(code, 0, result);
        return result;
    }

    Font* font = NULL;
    SoundManager* sounds = NULL;
    World* world = NULL;
};
}

TEST_F(WorldTest, TheSwitchingKeyIsDeliveredInTheNewMode)
{
    EXPECT_FALSE(world->isEditorMode());
    // The editor takes every key it is given and clears the flag; the player leaves it.
    EXPECT_FALSE(key('a'));
    EXPECT_TRUE(world->isEditorMode());
    EXPECT_FALSE(key('m'));
    EXPECT_EQ(player().cameraDistance, 30.f);
    EXPECT_TRUE(key('A'));
    EXPECT_FALSE(world->isEditorMode());
    EXPECT_TRUE(key('m'));
    EXPECT_EQ(player().cameraDistance, 35.f);
}

TEST_F(WorldTest, AnOpenCubeTypeDialogTakesTheSwitchingKeyAsALetter)
{
    key('a');
    bool const held = deviceManager->getKeyboardManager()->keys[KeyboardManager::KEYASCII_F3];
    deviceManager->getKeyboardManager()->keys[KeyboardManager::KEYASCII_F3] = true;
    key('q');
    deviceManager->getKeyboardManager()->keys[KeyboardManager::KEYASCII_F3] = held;
    ASSERT_EQ(world->getEditor().getDialogState(), 1);
    for (char const letter : std::string("sand.png"))
        key(static_cast<unsigned char>(letter));
    EXPECT_TRUE(world->isEditorMode());
    EXPECT_EQ(world->getEditor().getDialogText(), "sand.png");
    key(27);
    EXPECT_EQ(world->getEditor().getDialogState(), 0);
    key('a');
    EXPECT_FALSE(world->isEditorMode());
}

TEST_F(WorldTest, ViewDistanceSetsFogAndFarPlaneFromTheNextFrame)
{
    EXPECT_EQ(world->getDistanceVision(), 1100.f);
    world->manage(NULL);
    EXPECT_EQ(scene().getFarPlaneDistance(), 3000.f);
    world->setDistanceVision(600.f);
    EXPECT_EQ(world->getDistanceVision(), 600.f);
    EXPECT_EQ(scene().getFarPlaneDistance(), 3000.f);
    world->manage(NULL);
    EXPECT_EQ(scene().getFarPlaneDistance(), 2000.f);
    world->updateCamera();
    world->draw3D();
    EXPECT_FALSE(scene().isFogEnabled());
}

TEST_F(WorldTest, AFullscreenSpriteHidesTheWorldAndFreezesThePlayerUntilAPassWithout)
{
    player().setMovementType(Player::MVT_TYPE_FLY);
    Color4 const background(10, 20, 30, 255);
    auto const drawsNothing = [&] {
        world->clearBackground(background);
        world->updateCamera();
        world->draw3D();
        for (int x = 0; x < 800; x += 50)
            for (int y = 0; y < 600; y += 50)
                if (!(TestSupport::readPixelRgb(x, y) == background))
                    return false;
        return true;
    };
    EXPECT_FALSE(drawsNothing()) << "the sky box is drawn in a plain frame";

    world->draw2D(true, 0);
    EXPECT_TRUE(drawsNothing());
    player().speed.x() = 1.f;
    Float3 const frozen = player().getPosition();
    world->manage(NULL);
    EXPECT_EQ(player().getPosition(), frozen);

    world->draw2D(false, 0);
    EXPECT_FALSE(drawsNothing());
    world->manage(NULL);
    EXPECT_NE(player().getPosition(), frozen);
}

TEST_F(WorldTest, CollisionQueriesArePointTestsThatLeaveTheOutputAloneOnAMiss)
{
    ASSERT_TRUE(world->getIndexedWorld().addCubeZone(Float3(5.f, 5.f, 5.f), Float3(10.f, 10.f, 10.f), 0));
    Float3 const from(-20.f, 5.f, 5.f);
    Float3 out(7.f, 8.f, 9.f);
    EXPECT_FALSE(world->isThere3DIntersection(from, Float3(-5.f, 5.f, 5.f), out));
    EXPECT_EQ(out, Float3(7.f, 8.f, 9.f));
    EXPECT_TRUE(world->isThere3DIntersection(from, Float3(5.f, 5.f, 5.f), out));
    EXPECT_EQ(out, from);
    EXPECT_TRUE(world->isThere3DIntersectionPoint(Float3(1.f, 1.f, 1.f)));
    EXPECT_FALSE(world->isThere3DIntersectionPoint(Float3(11.f, 1.f, 1.f)));
    // A move through the cube to a free point is not blocked: only its end counts.
    EXPECT_FALSE(world->isThere3DIntersection(from, Float3(30.f, 5.f, 5.f), out));
}

TEST_F(WorldTest, TheScriptsBoxPlacementIsOffInEditorMode)
{
    Int3 first(1, 2, 3);
    Int3 second(4, 5, 6);
    key('a');
    world->startCubeCreation(Float3(0.f, 0.f, 0.f));
    EXPECT_FALSE(world->manageCubeCreation(first, second));
    EXPECT_FALSE(world->createCube(Int3(0, 0, 0), Int3(2, 2, 2), 0));
    EXPECT_FALSE(world->isThere3DIntersectionPoint(Float3(5.f, 5.f, 5.f)));
    EXPECT_FALSE(world->getEditor().getIsCreatingOnlyCube());

    key('a');
    EXPECT_TRUE(world->createCube(Int3(0, 0, 0), Int3(2, 2, 2), 0));
    EXPECT_TRUE(world->isThere3DIntersectionPoint(Float3(5.f, 5.f, 5.f)));
    world->startCubeCreation(Float3(25.f, 0.f, 0.f));
    EXPECT_TRUE(world->getEditor().getIsCreatingOnlyCube());
    // While it runs the placement takes the keys: the player's camera keys do nothing.
    key('m');
    EXPECT_EQ(player().cameraDistance, 30.f);
    key(' ');
    EXPECT_TRUE(world->manageCubeCreation(first, second));
    EXPECT_EQ(first, Int3(2, 0, 0));
    EXPECT_EQ(second, Int3(2, 0, 0));
}

TEST_F(WorldTest, MouseLookTakesTheFramesLastPointerMotionOnly)
{
    Camera& camera = scene().getCamera();
    camera.setAngleX(0.f);
    camera.setAngleY(0.f);
    bool result = false;
    // Three motions queued before the pointer went back to the centre (400, 300).
    world->injectMouseEvent(motionTo(404, 300), 0, result);
    world->injectMouseEvent(motionTo(408, 300), 0, result);
    world->injectMouseEvent(motionTo(410, 302), 0, result);
    EXPECT_EQ(camera.getAngleY(), 0.f);
    world->manage(NULL);
    EXPECT_FLOAT_EQ(camera.getAngleY(), -5.f);
    EXPECT_FLOAT_EQ(camera.getAngleX(), -1.f);
    world->manage(NULL);
    EXPECT_FLOAT_EQ(camera.getAngleY(), -5.f);
}
