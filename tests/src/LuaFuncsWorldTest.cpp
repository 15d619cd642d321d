#include "LuaFuncs.h"

#include "Camera.h"
#include "CustomObject.h"
#include "DeviceManager.h"
#include "Font.h"
#include "IndexedWorld.h"
#include "KeyboardManager.h"
#include "Player.h"
#include "Scene3D.h"
#include "SoundManager.h"
#include "TestSupport.h"
#include "World.h"
#include "WorldTestSupport.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

// The script functions that act on the game world: the player, the camera,
// the editor switch, drawing the world and the script's box placement.
namespace
{
std::string const CUBE_TEXTURES[6] = {"grass_top.png", "dirt.png", "grass_side.png",
                                      "brick.png",     "stone.png", "sand.png"};

class LuaFuncsWorldTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DISPLAY();
        WorldTestSupport::enterGameFolder(WorldTestSupport::emptyWorld());
        DeviceManager::newInstance("game_tests", "script world test", 800, 600, false);
        font = new Font(deviceManager, "default_font.png", 16, false);
        sounds = new SoundManager("game_tests");
        world = new World(font, sounds);
        bool const repeat[3] = {false, false, false};
        world->getIndexedWorld().addCubeType(CUBE_TEXTURES, repeat, true);
    }

    void TearDown() override
    {
        delete script;
        delete world;
        delete sounds;
        delete font;
        if (deviceManager != NULL)
            DeviceManager::deleteInstance();
    }

    // Loads the script with the world injected and runs its function "run".
    void run(std::string const& source)
    {
        TestSupport::writeFile("world.lua", source);
        delete script;
        script = new LuaFuncs("world.lua", font, sounds);
        script->injectWorld(world);
        script->callLuaGenericFunction("run");
    }

    int var(std::string const& name) const
    {
        LuaFuncs::VariablesAndValues const& variables = script->getVariablesAndValues();
        auto const found = variables.find(name);
        return found == variables.end() ? -999 : found->second;
    }

    Player& player() { return world->getPlayer(); }
    Camera& camera() { return deviceManager->getScene3D()->getCamera(); }

    Font* font = NULL;
    SoundManager* sounds = NULL;
    World* world = NULL;
    LuaFuncs* script = NULL;
};
}

TEST_F(LuaFuncsWorldTest, PlayerAndCameraAreSetAndReadBack)
{
    run(R"(function run()
  setPlayerPosition(1.5, -2, 3.75)
  setPlayerSpeed(4, 5, 6)
  setCameraAngleAndDistance(-20, 45.5, 30)
  local x, y, z = getPlayerPosition()
  setGlobalVar("x100", x * 100) setGlobalVar("y", y) setGlobalVar("z100", z * 100)
  local f, v, l = getPlayerSpeed()
  setGlobalVar("f", f) setGlobalVar("v", v) setGlobalVar("l", l)
  local ax, ay, d = getCameraAngleAndDistance()
  setGlobalVar("ax", ax) setGlobalVar("ay10", ay * 10) setGlobalVar("d", d)
end)");
    EXPECT_EQ(player().getPosition(), Float3(1.5f, -2.f, 3.75f));
    EXPECT_EQ(player().speed, Float3(4.f, 5.f, 6.f));
    EXPECT_FLOAT_EQ(camera().getAngleX(), -20.f);
    EXPECT_FLOAT_EQ(camera().getAngleY(), 45.5f);
    EXPECT_FLOAT_EQ(player().cameraDistance, 30.f);
    EXPECT_EQ(var("x100"), 150);
    EXPECT_EQ(var("y"), -2);
    EXPECT_EQ(var("z100"), 375);
    EXPECT_EQ(var("f") * 100 + var("v") * 10 + var("l"), 456);
    EXPECT_EQ(var("ax"), -20);
    EXPECT_EQ(var("ay10"), 455);
    EXPECT_EQ(var("d"), 30);
}

TEST_F(LuaFuncsWorldTest, MovementTypesAreSetByNameAndZeroTheSpeeds)
{
    run(R"(function run()
  setPlayerSpeed(1, 1, 1) setPlayerMovementCar() setGlobalVar("car", getPlayerMovementType())
  setPlayerSpeed(1, 1, 1) setPlayerMovementFly() setGlobalVar("fly", getPlayerMovementType())
  setPlayerSpeed(1, 1, 1) setPlayerMovementNone() setGlobalVar("none", getPlayerMovementType())
  setPlayerSpeed(1, 1, 1) setPlayerMovementWalk() setGlobalVar("walk", getPlayerMovementType())
end)");
    EXPECT_EQ(var("walk"), 0);
    EXPECT_EQ(var("car"), 1);
    EXPECT_EQ(var("fly"), 2);
    EXPECT_EQ(var("none"), 3);
    EXPECT_EQ(player().speed, Float3(0.f, 0.f, 0.f));
}

TEST_F(LuaFuncsWorldTest, EditorModeIsTheWorldsFlag)
{
    run("function run() setGlobalVar(\"mode\", isEditorMode()) end");
    EXPECT_EQ(var("mode"), 0);
    world->setEditorMode(true);
    script->callLuaGenericFunction("run");
    EXPECT_EQ(var("mode"), 1);
}

TEST_F(LuaFuncsWorldTest, ScriptPlacesABoxThroughThePlacementAndCreatesIt)
{
    float const cube = IndexedWorld::getSizeOneCube();
    run(R"(function run()
  startCubeCreation(25, 5, 15)
  local done, ax, ay, az, bx, by, bz = manageCubeCreation()
  setGlobalVar("done", done)
  setGlobalVar("a", ax * 10000 + ay * 100 + az) setGlobalVar("b", bx * 10000 + by * 100 + bz)
  createCube(0, 0, 0, 2, 3, 4, 0)
  createCube(5, 0, 0, 5, 3, 4, 0)
end)");
    Int3 const start(int(25 / cube), int(5 / cube), int(15 / cube));
    int const packed = start.x() * 10000 + start.y() * 100 + start.z();
    EXPECT_EQ(var("done"), 0) << "not confirmed yet";
    EXPECT_EQ(var("a"), packed);
    EXPECT_EQ(var("b"), packed);
    // A box of 2 x 3 x 4 cubes from the origin; the flat one with no extent on x adds nothing.
    EXPECT_TRUE(world->isThere3DIntersectionPoint(Float3(1.9f * cube, 2.9f * cube, 3.9f * cube)));
    EXPECT_FALSE(world->isThere3DIntersectionPoint(Float3(2.1f * cube, 1.f, 1.f)));
    EXPECT_FALSE(world->isThere3DIntersectionPoint(Float3(5.f * cube + 1.f, 1.f, 1.f)));
}

TEST_F(LuaFuncsWorldTest, DrawingTheWorldReportsItsTimeAndAsksForTheObjectCount)
{
    run(R"(function lua_getNbObjects() addToGlobalVar("asked", 1) return 0 end
function run()
  setFogColor(0, 0, 255)
  clearBackground()
  setGlobalVar("t3", draw3DWorld())
  setGlobalVar("t2", draw2DWorld())
end)");
    EXPECT_GE(var("t3"), 0);
    EXPECT_GE(var("t2"), 0);
    EXPECT_EQ(var("asked"), 1);
}

TEST_F(LuaFuncsWorldTest, ClearBackgroundUsesTheFogColour)
{
    run(R"(function run()
  setFogColor(0, 0, 255)
  clearBackground()
end)");
    EXPECT_EQ(TestSupport::readPixelRgb(400, 300), Color4(0, 0, 255, 255));
}

TEST_F(LuaFuncsWorldTest, DistanceToThePlayerIsMeasuredWhenTheObjectIsInjected)
{
    run("function run() end\nfunction measure() setGlobalVar(\"d\", getDistanceToPlayer()) end");
    player().setPosition(Float3(0.f, 0.f, 0.f));
    CustomObject object(Float3(30.f, 40.f, 0.f), 0);
    script->injectCurrentObject(&object);
    // The object lives outside the world's lists, so it is read right away.
    script->callLuaGenericFunction("measure");
    EXPECT_EQ(var("d"), 50);
}

TEST_F(LuaFuncsWorldTest, ChecksOfTheWorldFunctionsEndTheGameWithTheirCondition)
{
    std::pair<char const*, char const*> const cases[] = {
        {"setPlayerPosition(1, 2)", "argc == 3"},
        {"getPlayerPosition(1)", "lua_gettop(lua) == 0"},
        {"getPlayerSpeed(1)", "lua_gettop(lua) == 0"},
        {"setCameraAngleAndDistance(1)", "argc == 3"},
        {"setPlayerMovementFly(1)", "argc == 0"},
        {"getPlayerMovementType(1)", "lua_gettop(lua) == 0"},
        {"isEditorMode(1)", "argc == 0"},
        {"draw3DWorld(1)", "argc == 0"},
        {"clearBackground(1)", "argc == 0"},
        {"createCube(1, 2, 3, 4, 5, 6)", "argc == 7"},
        {"manageCubeCreation(1)", "argc == 0"},
        {"startCubeCreation(1, 2)", "argc == 3"},
    };
    for (std::pair<char const*, char const*> const& check : cases)
    {
        SCOPED_TRACE(check.first);
        TestSupport::ChildResult const result = TestSupport::runInChildSharingWindow(
            [&] { run(std::string("function run()\n  ") + check.first + "\nend\n"); });
        EXPECT_EQ(result.exitStatus, 1) << result.errors;
        EXPECT_NE(result.errors.find(std::string("Condition: ") + check.second + "\n"), std::string::npos)
            << result.errors;
    }
}

TEST_F(LuaFuncsWorldTest, PicturesDrawnRightAfterTheThreeDWorldShowInTheirColours)
{
    WorldTestSupport::writeSolidPng("red.png", 255, 0, 0, 255);
    run(R"(function lua_getNbObjects() return 0 end
function run()
  sprite = load2DSprite("red.png")
  clearBackground()
  draw3DWorld()
  setColor(255, 255, 255, 255)
  drawSpriteFullscreenStretched(sprite)
end
function placed()
  draw3DWorld()
  draw2DSprite(sprite, 10, 10)
end)");
    EXPECT_EQ(TestSupport::readScenePixelRgb(400, 300), Color4(255, 0, 0, 255));
    script->callLuaGenericFunction("placed");
    EXPECT_EQ(TestSupport::readScenePixelRgb(10, 10), Color4(255, 0, 0, 255));
}

TEST_F(LuaFuncsWorldTest, ObjectFunctionsKeepFractionsAndTheDistanceIsTheOneMeasuredAtInjection)
{
    run(R"(function run() end
function act()
  setGlobalVar("d1000", getDistanceToPlayer() * 1000)
  local x, y, z = getCurrentObjectPosition()
  setGlobalVar("x100", x * 100) setGlobalVar("y100", y * 100) setGlobalVar("z100", z * 100)
  setObjectLocalVariable1(2.75) setObjectLocalVariable2(-1.5)
  setGlobalVar("l1", getObjectLocalVariable1() * 100) setGlobalVar("l2", getObjectLocalVariable2() * 100)
  setCurrentObjectPosition(4.5, -5.25, 6.125)
end)");
    player().setPosition(Float3(0.f, 0.f, 0.f));
    CustomObject object(Float3(1.f, 1.25f, 0.f), 0);
    script->injectCurrentObject(&object);
    player().setPosition(Float3(100.f, 100.f, 100.f));
    script->callLuaGenericFunction("act");
    EXPECT_NEAR(var("d1000"), 1600, 1) << "sqrt(1 + 1.5625) = 1.6, from where the player was at injection";
    EXPECT_EQ(var("x100"), 100);
    EXPECT_EQ(var("y100"), 125);
    EXPECT_EQ(var("z100"), 0);
    EXPECT_EQ(var("l1"), 275);
    EXPECT_EQ(var("l2"), -150);
    EXPECT_FLOAT_EQ(object.getLocalVariable1(), 2.75f);
    EXPECT_FLOAT_EQ(object.getLocalVariable2(), -1.5f);
    EXPECT_EQ(object.getPosition(), Float3(4.5f, -5.25f, 6.125f));

    // The drawing position moved to the object's new place as well.
    float moved[16] = {};
    glGetFloatv(GL_MODELVIEW_MATRIX, moved);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    deviceManager->getScene3D()->setPosition(Float3(4.5f, -5.25f, 6.125f));
    float expected[16] = {};
    glGetFloatv(GL_MODELVIEW_MATRIX, expected);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(moved[i], expected[i]) << i;
}

TEST_F(LuaFuncsWorldTest, ChecksOfTheObjectPlayerAndSoundFunctionsEndTheGameWithTheirCondition)
{
    std::pair<char const*, char const*> const cases[] = {
        {"getDistanceToPlayer(1)", "argc == 0"},
        {"setCurrentObjectPosition(1, 2)", "argc == 3"},
        {"setObjectLocalVariable1()", "argc == 1"},
        {"setObjectLocalVariable2(1, 2)", "argc == 1"},
        {"getObjectLocalVariable1(1)", "lua_gettop(lua) == 0"},
        {"getObjectLocalVariable2(1)", "lua_gettop(lua) == 0"},
        {"setPlayerSpeed(1)", "argc == 3"},
        {"getCameraAngleAndDistance(1)", "lua_gettop(lua) == 0"},
        {"setPlayerMovementWalk(1)", "argc == 0"},
        {"setPlayerMovementCar(1)", "argc == 0"},
        {"setPlayerMovementNone(1)", "argc == 0"},
        {"loadSound()", "argc == 1"},
        {"playSound()", "argc == 1"},
        {"isPlayingSound()", "argc == 1"},
        {"isPlayingSound(nil)", "soundp != 0"},
        {"draw2DWorld(1)", "argc == 0"},
    };
    CustomObject object(Float3(1.f, 2.f, 3.f), 0);
    for (std::pair<char const*, char const*> const& check : cases)
    {
        SCOPED_TRACE(check.first);
        TestSupport::ChildResult const result = TestSupport::runInChildSharingWindow([&] {
            run(std::string("function run() end\nfunction lua_getNbObjects() return 0 end\nfunction act()\n  ") +
                check.first + "\nend\n");
            script->injectCurrentObject(&object);
            script->callLuaGenericFunction("act");
        });
        EXPECT_EQ(result.exitStatus, 1) << result.errors;
        EXPECT_NE(result.errors.find("\n__FILE__ src/LuaFuncs.cpp\n"), std::string::npos) << result.errors;
        EXPECT_NE(result.errors.find(std::string("\nCondition: ") + check.second + "\n"), std::string::npos)
            << result.errors;
    }
}

TEST_F(LuaFuncsWorldTest, CubeCornersAndTypeAreReadAsIntegersTruncatedTowardZero)
{
    float const cube = IndexedWorld::getSizeOneCube();
    run("function run() createCube(0.9, 0.9, 0.9, 2.9, 3.9, 4.9, 0.9) end");
    // The same box as createCube(0, 0, 0, 2, 3, 4, 0).
    EXPECT_TRUE(world->isThere3DIntersectionPoint(Float3(0.5f * cube, 0.5f * cube, 0.5f * cube)));
    EXPECT_TRUE(world->isThere3DIntersectionPoint(Float3(1.9f * cube, 2.9f * cube, 3.9f * cube)));
    EXPECT_FALSE(world->isThere3DIntersectionPoint(Float3(2.1f * cube, 1.f, 1.f)));
    EXPECT_FALSE(world->isThere3DIntersectionPoint(Float3(1.f, 3.1f * cube, 1.f)));
    EXPECT_FALSE(world->isThere3DIntersectionPoint(Float3(1.f, 1.f, 4.1f * cube)));
}

TEST_F(LuaFuncsWorldTest, SoundHandleIsTheAddressOfTheSoundManagersSound)
{
    testing::internal::CaptureStdout();
    run(R"(function run()
  local sound = loadSound("sound/jump.wav")
  print(sound)
  playSound(sound)
  setGlobalVar("playing", isPlayingSound(sound))
end)");
    std::string const output = testing::internal::GetCapturedStdout();
    size_t const printed = output.find("lua print: ");
    ASSERT_NE(printed, std::string::npos) << output;
    uintptr_t const address = static_cast<uintptr_t>(std::stoull(output.substr(printed + 11)));
    EXPECT_EQ(address, reinterpret_cast<uintptr_t>(sounds->getSound("sound/jump.wav")));
    EXPECT_TRUE(var("playing") == 0 || var("playing") == 1) << var("playing");
}
