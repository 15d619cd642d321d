#include "LuaFuncs.h"

#include "Animated3DModel.h"
#include "CustomObject.h"
#include "DeviceManager.h"
#include "Font.h"
#include "IndexedWorld.h"
#include "KeyboardManager.h"
#include "Scene2D.h"
#include "Scene3D.h"
#include "SoundManager.h"
#include "Sprite.h"
#include "SpriteManager.h"
#include "TestSupport.h"
#include "Utils.h"
#include "WorldIndexator.h"
#include "WorldRegion.h"
#include "WorldTestSupport.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace
{
// A world file with no cube type and the eight empty regions around the origin.
std::string emptyWorldBytes()
{
    std::string bytes = "WORLD";
    auto const int32 = [&bytes](int32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
    };
    int32(1);
    int32(0);
    for (int32_t value : {-1, -1, -1, 2, 2, 2})
        int32(value);
    for (int i = 0; i < 8 * 4; ++i)
        int32(0);
    return bytes;
}

// Script objects of type 4 count their calls in global variables; each manage
// moves its object by the global "step" along x and counts in local variable 1.
char const* const OBJECT_SCRIPT = R"(function lua_getNbObjects() return 5 end
function lua_load_4() addToGlobalVar("load", 1) end
function lua_unload_4() addToGlobalVar("unload", 1) end
function lua_draw_4() addToGlobalVar("draw", 1) end
function lua_manage_4()
  addToGlobalVar("manage", 1)
  setGlobalVar("seen", getObjectLocalVariable1())
  setObjectLocalVariable1(getObjectLocalVariable1() + 1)
  local x, y, z = getCurrentObjectPosition()
  setCurrentObjectPosition(x + getGlobalVar("step"), y, z)
end
function readCurrent()
  local x, y, z = getCurrentObjectPosition()
  setGlobalVar("x", x)
  setGlobalVar("local1", getObjectLocalVariable1())
end
)";

std::vector<std::string> lines(std::string const& text)
{
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        result.push_back(line);
    return result;
}

class LuaFuncsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DISPLAY();
        folder = TestSupport::makeTemporaryFolder();
        // Models, pictures and the world's textures come from the game's data.
        ASSERT_EQ(chdir(GAME_DATA_DIR), 0);
        DeviceManager::newInstance("game_tests", "script test", 800, 600, false);
    }

    void TearDown() override
    {
        delete script;
        script = NULL;
        delete world;
        world = NULL;
        if (deviceManager != NULL)
            DeviceManager::deleteInstance();
    }

    std::string scriptPath() const { return folder + "/world.lua"; }

    LuaFuncs* load(std::string const& source)
    {
        TestSupport::writeFile(scriptPath(), source);
        delete script;
        script = new LuaFuncs(scriptPath(), NULL, NULL);
        return script;
    }

    // Loads the script and calls lua_loop in a child process.
    TestSupport::ChildResult loopInChild(std::string const& source)
    {
        return TestSupport::runInChildSharingWindow([&] {
            load(source);
            script->callLuaGenericFunction("lua_loop");
        });
    }

    // A script global variable; -999 when absent.
    int var(std::string const& name) const
    {
        LuaFuncs::VariablesAndValues const& variables = script->getVariablesAndValues();
        LuaFuncs::VariablesAndValues::const_iterator const found = variables.find(name);
        return found == variables.end() ? -999 : found->second;
    }

    void loadWorldWithObjects(std::vector<Float3> const& positions, std::string const& source = OBJECT_SCRIPT,
                              int objectType = 4)
    {
        std::string const path = folder + "/world.dat";
        TestSupport::writeFile(path, emptyWorldBytes());
        world = new IndexedWorld(NULL, path, NULL);
        for (Float3 const& position : positions)
            world->addCustomObject(position, objectType);
        load(source);
        // Drawing before the first manage step needs it too.
        CustomObject_injectLuaFuncs(script);
    }

    void placeCamera(Float3 const& position) { deviceManager->getScene3D()->getCamera().setPosition(position); }

    std::vector<CustomObject> const& objectsInRegionOf(Float3 const& position) const
    {
        WorldIndexator const* const index = world->getWorldIndexator();
        return index->getWorldRegionFromTableRegionIndex(index->getTableRegionIndexFromRealPosition(position))
            ->getCustomObjects();
    }

    void expectFatal(TestSupport::ChildResult const& result, std::string const& text) const
    {
        EXPECT_EQ(result.exitStatus, 1) << result.errors;
        EXPECT_NE(result.errors.find(text), std::string::npos) << "missing: " << text << "\nin:\n" << result.errors;
    }

    // A failed check of the script interface: its condition on a line of its own, no other.
    void expectCheck(TestSupport::ChildResult const& result, std::string const& condition) const
    {
        EXPECT_EQ(result.exitStatus, 1) << result.errors;
        EXPECT_NE(result.errors.find("\n__FILE__ src/LuaFuncs.cpp\n"), std::string::npos) << result.errors;
        EXPECT_NE(result.errors.find("\nCondition: " + condition + "\n"), std::string::npos)
            << "missing condition: " << condition << "\nin:\n" << result.errors;
    }

    // A script failure: the message names the file or the function, and there is no condition.
    void expectScriptFailure(TestSupport::ChildResult const& result, std::string const& message) const
    {
        EXPECT_EQ(result.exitStatus, 1) << result.errors;
        EXPECT_EQ(result.errors.compare(0, 40, "ERROR : The program aborted unexpectedly"), 0) << result.errors;
        EXPECT_NE(result.errors.find("\n__FILE__ src/LuaFuncs.cpp\n"), std::string::npos) << result.errors;
        EXPECT_EQ(result.errors.find("Condition: "), std::string::npos) << result.errors;
        EXPECT_NE(result.errors.find("\nMessage: " + message), std::string::npos)
            << "missing: " << message << "\nin:\n" << result.errors;
    }

    // The addresses the script printed for its values, in order.
    std::vector<uintptr_t> printedAddresses(char const* functionName)
    {
        testing::internal::CaptureStdout();
        script->callLuaGenericFunction(functionName);
        std::vector<uintptr_t> addresses;
        for (std::string const& line : lines(testing::internal::GetCapturedStdout()))
            if (line.compare(0, 11, "lua print: ") == 0)
                addresses.push_back(static_cast<uintptr_t>(std::stoull(line.substr(11))));
        return addresses;
    }

    std::string folder;
    LuaFuncs* script = NULL;
    IndexedWorld* world = NULL;
};
}

TEST_F(LuaFuncsTest, ScriptRunsInABareStateWithEveryEngineFunctionAndIsTraced)
{
    char const* const engineFunctions[] = {
        "load3DModel", "load3DModelAnimated", "draw3DModel", "unload3DModel", "load2DSprite", "draw2DSprite",
        "unload2DSprite", "drawText", "drawTextCenter", "print", "assert", "isEditorMode", "getKey",
        "getDistanceToPlayer", "move3DPosition", "getPeriodDuration", "setGlobalVar", "getGlobalVar",
        "addToGlobalVar", "getTime", "getWindowSize", "quitGame", "loadGame", "saveGame", "setPlayerPosition",
        "getPlayerPosition", "setPlayerSpeed", "getPlayerSpeed", "setCameraAngleAndDistance",
        "getCameraAngleAndDistance", "getCurrentObjectPosition", "setCurrentObjectPosition", "setModelAnimationSpeed",
        "stopModelAnimation", "startModelAnimation", "setPlayerMovementWalk", "setPlayerMovementCar",
        "setPlayerMovementFly", "setPlayerMovementNone", "getPlayerMovementType", "setObjectLocalVariable1",
        "setObjectLocalVariable2", "getObjectLocalVariable1", "getObjectLocalVariable2", "loadSound", "playSound",
        "isPlayingSound", "setColor", "setFogColor", "drawSpriteFullscreen", "drawSpriteFullscreenStretched",
        "clearBackground", "draw2DWorld", "draw3DWorld", "setWaterEnable", "startCubeCreation", "manageCubeCreation",
        "createCube"};
    ASSERT_EQ(sizeof(engineFunctions) / sizeof(engineFunctions[0]), 58u);
    char const* const luaLibraries[] = {"string", "table", "math", "io", "os", "debug", "coroutine", "package",
                                        "require", "tostring", "pairs", "error", "pcall", "loadstring", "_G"};
    std::string source;
    for (char const* name : engineFunctions)
        source += std::string("if ") + name + " == nil then setGlobalVar(\"missing " + name + "\", 1) end\n";
    for (char const* name : luaLibraries)
        source += std::string("if ") + name + " ~= nil then setGlobalVar(\"present " + name + "\", 1) end\n";
    testing::internal::CaptureStdout();
    load(source);
    EXPECT_TRUE(script->getVariablesAndValues().empty())
        << "first: " << script->getVariablesAndValues().begin()->first;
    delete script;
    script = NULL;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Loading script '" + scriptPath() + "' ... done.\nClosing script.\n");
}

TEST_F(LuaFuncsTest, PrintShowsNumbersTruncatedHandlesAsAddressesAndOtherValuesAsLuaWould)
{
    load(R"(function lua_loop()
  print(2.5) print(-2.5) print("12.7") print("abc") print(nil) print(true) print(false) print({}) print(print)
  print(load2DSprite("water.png"))
end)");
    testing::internal::CaptureStdout();
    script->callLuaGenericFunction("lua_loop");
    std::vector<std::string> printed;
    for (std::string const& line : lines(testing::internal::GetCapturedStdout()))
        if (line.compare(0, 11, "lua print: ") == 0)
            printed.push_back(line);
    ASSERT_EQ(printed.size(), 10u);
    std::vector<std::string> const expected = {"lua print: 2",   "lua print: -2",   "lua print: 12",   "lua print: abc",
                                               "lua print: nil", "lua print: true", "lua print: false"};
    EXPECT_EQ(std::vector<std::string>(printed.begin(), printed.begin() + 7), expected);
    EXPECT_TRUE(std::regex_match(printed[7], std::regex("lua print: table: 0x[0-9a-f]+"))) << printed[7];
    EXPECT_TRUE(std::regex_match(printed[8], std::regex("lua print: function: 0x[0-9a-f]+"))) << printed[8];
    EXPECT_EQ(printed[9], "lua print: " + std::to_string(reinterpret_cast<uintptr_t>(SpriteManager::getSprites().back())));
}

TEST_F(LuaFuncsTest, AssertPassesOnNonZeroAndEndsTheGameOnZeroOrABoolean)
{
    load("function lua_loop() assert(1) assert(-3) assert(\"5\") end");
    script->callLuaGenericFunction("lua_loop");
    for (char const* value : {"0", "true", "\"abc\""})
    {
        TestSupport::ChildResult const result =
            loopInChild(std::string("function lua_loop()\n  assert(") + value + ")\nend\n");
        expectFatal(result, "Condition: lua_tointeger(lua, 1)\nMessage: An assert condition into lua script was false. "
                            "called from " + scriptPath() + ":2\n");
    }
}

TEST_F(LuaFuncsTest, GlobalVariablesKeepTruncatedIntegersInByteOrderOfTheirNames)
{
    load(u8R"(function lua_loop()
  if getGlobalVar("absent") ~= 0 then quitGame() end
  setGlobalVar("x", -2.9)
  setGlobalVar("y", 2.9)
  setGlobalVar("r", addToGlobalVar("n", 2.7))
  setGlobalVar("Zed", 1)
  setGlobalVar("été", 1)
  setGlobalVar("seen", getGlobalVar("score"))
end)");
    script->setVariableAndValue("score", 7);
    script->callLuaGenericFunction("lua_loop");
    EXPECT_FALSE(script->isQuitGame());
    std::vector<std::pair<std::string, int>> const stored(script->getVariablesAndValues().begin(),
                                                          script->getVariablesAndValues().end());
    std::vector<std::pair<std::string, int>> const expected = {{"Zed", 1},  {"n", 2}, {"r", 2},     {"score", 7},
                                                               {"seen", 7}, {"x", -2}, {"y", 2}, {u8"été", 1}};
    EXPECT_EQ(stored, expected);
    script->clearVariablesAndValues();
    EXPECT_TRUE(script->getVariablesAndValues().empty());
}

TEST_F(LuaFuncsTest, ChecksOfTheEngineFunctionsEndTheGameWithTheirConditionAndTheScriptLine)
{
    std::pair<char const*, char const*> const cases[] = {
        {"getKey(\"ab\")", "chars.size() == 1"},
        {"setColor(255, 0, 0, 256)", "r < 256 && g < 256 && b < 256 && a < 256"},
        {"setColor(255, 0, -1, 255)", "r >= 0 && g >= 0 && b >= 0 && a >= 0"},
        {"setFogColor(0, 256, 0)", "r < 256 && g < 256 && b < 256"},
        {"print()", "argc == 1"},
        {"setGlobalVar(\"x\", \"abc\")", "lua_isnumber(lua, 2)"},
        {"getGlobalVar({})", "lua_isstring(lua, 1)"},
        {"getCurrentObjectPosition(1)", "lua_gettop(lua) == 0"},
        {"load3DModelAnimated(100)", "argc >= 2"},
        {"draw3DModel(nil)", "modelp != 0"},
        {"draw2DSprite(nil, 0, 0)", "spritep != 0"},
        {"playSound(nil)", "soundp != 0"},
    };
    for (std::pair<char const*, char const*> const& check : cases)
    {
        SCOPED_TRACE(check.first);
        TestSupport::ChildResult const result =
            loopInChild(std::string("function lua_loop()\n  ") + check.first + "\nend\n");
        expectFatal(result, std::string("Condition: ") + check.second + "\nMessage: called from " + scriptPath() + ":2\n");
    }
}

TEST_F(LuaFuncsTest, EngineStateIsReadAndSetThroughTheScript)
{
    load(R"(function lua_loop()
  setGlobalVar("a", getKey("a")) setGlobalVar("b", getKey("b"))
  local w, h = getWindowSize() setGlobalVar("w", w) setGlobalVar("h", h)
  setColor(255, 0, 0, 255)
end)");
    keyboardManager->keys[int('a')] = true;
    script->callLuaGenericFunction("lua_loop");
    EXPECT_EQ(var("a"), 1);
    EXPECT_EQ(var("b"), 0);
    EXPECT_EQ(var("w"), 800);
    EXPECT_EQ(var("h"), 600);
    EXPECT_EQ(deviceManager->getColor(), Color4(255, 0, 0, 255));
}

TEST_F(LuaFuncsTest, TextIsDrawnWithTheGivenFontWhereAskedOrCentred)
{
    Font const font(deviceManager, "default_font.png", 16, false);
    TestSupport::writeFile(scriptPath(), R"(function placed() drawText("WWW", 10.9, 20.2) end
function centred() drawTextCenter("WWWW") end)");
    script = new LuaFuncs(scriptPath(), &font, NULL);
    deviceManager->getScene2D()->set2DMode();
    // The columns and rows holding ink, on black.
    auto const inkedBox = [] {
        std::vector<unsigned char> const pixels = TestSupport::readWindowPixels();
        int minX = 800, maxX = -1, minY = 600, maxY = -1;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                if (pixels[4 * (y * 800 + x)] > 64)
                {
                    minX = std::min(minX, x);
                    maxX = std::max(maxX, x);
                    minY = std::min(minY, 599 - y);
                    maxY = std::max(maxY, 599 - y);
                }
        return std::vector<int>{minX, maxX, minY, maxY};
    };
    deviceManager->clearBackground(colorBlack);
    script->callLuaGenericFunction("placed");
    std::vector<int> const placed = inkedBox();
    EXPECT_GE(placed[0], 10);
    EXPECT_LE(placed[0], 14);
    EXPECT_GE(placed[2], 20);
    EXPECT_LE(placed[3], 20 + font.getHeight());

    deviceManager->clearBackground(colorBlack);
    script->callLuaGenericFunction("centred");
    std::vector<int> const centred = inkedBox();
    int const width = font.getWidth("WWWW", -1, 1.0f);
    EXPECT_GE(centred[0], (800 - width) / 2);
    EXPECT_LE(centred[1], (800 + width) / 2);
    EXPECT_NEAR(centred[0] + centred[1], 799, 6) << "as much room on the left as on the right";
    EXPECT_GE(centred[2], (600 - font.getHeight()) / 2);
    EXPECT_LE(centred[3], (600 + font.getHeight()) / 2);
}

TEST_F(LuaFuncsTest, SoundsAreSharedPerFileAndPlayed)
{
    SoundManager sounds("game_tests");
    TestSupport::writeFile(scriptPath(), R"(function lua_loop()
  local first = loadSound("sound/jump.wav")
  if first ~= loadSound("sound/jump.wav") then quitGame() end
  playSound(first)
  setGlobalVar("playing", isPlayingSound(first))
end)");
    script = new LuaFuncs(scriptPath(), NULL, &sounds);
    script->callLuaGenericFunction("lua_loop");
    EXPECT_FALSE(script->isQuitGame());
    EXPECT_TRUE(var("playing") == 0 || var("playing") == 1);
    delete script;
    script = NULL;
}

TEST_F(LuaFuncsTest, SyntaxErrorIsReportedWithTheFileAndLine)
{
    TestSupport::ChildResult const result = loopInChild("function lua_loop()\n  x = \nend\n");
    expectFatal(result, "Message: lua ('in file " + scriptPath() + "'): " + scriptPath() + ":3: unexpected symbol near 'end'");
}

TEST_F(LuaFuncsTest, MissingFunctionIsReportedByName)
{
    TestSupport::ChildResult const result = loopInChild("function lua_onInitGame() end\n");
    expectFatal(result, "Message: lua ('calling function lua_loop'): attempt to call a nil value\nstack traceback:\n");
}

TEST_F(LuaFuncsTest, RuntimeErrorIsReportedWithTheScriptsCallStack)
{
    TestSupport::ChildResult const result = loopInChild(R"(local function inner(t)
  return t.field
end
function middle()
  local value = inner(nil)
  return value
end
function lua_loop()
  middle()
end
)");
    std::string const file = scriptPath();
    expectFatal(result, "Message: lua ('calling function lua_loop'): " + file + ":2: attempt to index local 't' (a nil value)\n"
                        "stack traceback:\n\t" + file + ":2: in function 'inner'\n\t" + file + ":5: in function 'middle'\n\t" +
                        file + ":9: in function <" + file + ":8>\n");
    // The same while the file itself runs.
    TestSupport::ChildResult const whileLoading = loopInChild("local t = nil\nlocal v = t.x\n");
    expectFatal(whileLoading, "Message: lua ('in file " + file + "'): " + file + ":2: attempt to index local 't' (a nil value)\n"
                              "stack traceback:\n\t" + file + ":2: in main chunk\n");
}

TEST_F(LuaFuncsTest, TracebackOfADeepStackKeepsBothEnds)
{
    TestSupport::ChildResult const result = loopInChild(R"(function down(n)
  local r = down(n + 1)
  return r
end
function lua_loop()
  down(1)
end
)");
    expectFatal(result, "stack overflow");
    std::string const traceback = result.errors.substr(result.errors.find("stack traceback:"));
    std::vector<std::string> const levels = lines(traceback);
    int shown = 0;
    for (std::string const& line : levels)
        shown += !line.empty() && line[0] == '\t';
    EXPECT_EQ(shown, 12 + 1 + 10) << traceback;
    EXPECT_NE(traceback.find("\n\t...\n"), std::string::npos);
    EXPECT_NE(traceback.find(":6: in function <"), std::string::npos) << "the outermost level is kept";
}

TEST_F(LuaFuncsTest, ObjectTypeCountIsTheScriptsNumberAndANonNumberIsFatal)
{
    load("function lua_getNbObjects() return 5.9 end");
    EXPECT_EQ(script->getNbObjects(), 5);
    load("function lua_getNbObjects() return \"7\" end");
    EXPECT_EQ(script->getNbObjects(), 7);
    TestSupport::ChildResult const result = TestSupport::runInChildSharingWindow([&] {
        load("function lua_getNbObjects() return {} end");
        script->getNbObjects();
    });
    expectFatal(result, "Condition: lua_isnumber(lua, -1)\n");
}

TEST_F(LuaFuncsTest, LoadAndSaveRequestsAreHandedOutOnceWithTheLastName)
{
    load(R"(function lua_loop() loadGame("first.sav") loadGame("second.sav") saveGame("saved.sav") end)");
    script->callLuaGenericFunction("lua_loop");
    EXPECT_EQ(script->getLoadGameFile(), "second.sav");
    EXPECT_EQ(script->getLoadGameFile(), "");
    EXPECT_EQ(script->getSaveGameFile(), "saved.sav");
    EXPECT_EQ(script->getSaveGameFile(), "");
}

TEST_F(LuaFuncsTest, ANewScriptStartsWithoutVariablesNorQuitButKeepsColourWaterAndRequests)
{
    EXPECT_EQ(load("")->getBackgroundAndFogColor(), Color4(255, 255, 255, 255));
    EXPECT_TRUE(script->getIsWaterEnable());
    load(R"(setFogColor(10, 20, 30) setWaterEnable(0) setGlobalVar("v", 1) quitGame() saveGame("kept.sav"))");
    EXPECT_TRUE(script->isQuitGame());
    EXPECT_EQ(var("v"), 1);
    load("");
    EXPECT_FALSE(script->isQuitGame());
    EXPECT_TRUE(script->getVariablesAndValues().empty());
    EXPECT_EQ(script->getBackgroundAndFogColor(), Color4(10, 20, 30, 255));
    EXPECT_FALSE(script->getIsWaterEnable());
    EXPECT_EQ(script->getSaveGameFile(), "kept.sav");
}

TEST_F(LuaFuncsTest, HandlesOfUnloadedOrForeignObjectsEndTheGameNamingTheFunction)
{
    std::pair<char const*, char const*> const cases[] = {
        {"local m = load3DModel(\"obj_objects/coin.obj\") unload3DModel(m) draw3DModel(m)",
         "draw3DModel was given a model handle"},
        {"local s = load2DSprite(\"water.png\") unload2DSprite(s) draw2DSprite(s, 0, 0)",
         "draw2DSprite was given a sprite handle"},
        {"local s = load2DSprite(\"water.png\") unload2DSprite(s) unload2DSprite(s)",
         "unload2DSprite was given a sprite handle"},
        {"stopModelAnimation(load2DSprite(\"water.png\"))", "stopModelAnimation was given a model handle"},
        {"drawSpriteFullscreen(load3DModel(\"obj_objects/coin.obj\"))", "drawSpriteFullscreen was given a sprite handle"},
        {"isPlayingSound(load2DSprite(\"water.png\"))", "isPlayingSound was given a sound handle"},
    };
    for (std::pair<char const*, char const*> const& check : cases)
    {
        SCOPED_TRACE(check.first);
        expectFatal(loopInChild(std::string("function lua_loop()\n  ") + check.first + "\nend\n"), check.second);
    }
}

TEST_F(LuaFuncsTest, ModelsAndSpritesTheScriptKeepsAreReleasedWithIt)
{
    size_t const spritesBefore = SpriteManager::getSprites().size();
    load(R"(kept = load2DSprite("water.png") model = load3DModel("obj_objects/coin.obj")
function lua_loop()
  local unloaded = load3DModel("obj_objects/gem.obj") unload3DModel(unloaded)
  draw3DModel(model) setModelAnimationSpeed(model, 0) stopModelAnimation(model) startModelAnimation(model)
end)");
    script->callLuaGenericFunction("lua_loop");
    EXPECT_EQ(SpriteManager::getImageUseCount("water.png"), 1);
    delete script;
    script = NULL;
    EXPECT_EQ(SpriteManager::getSprites().size(), spritesBefore);
    EXPECT_EQ(SpriteManager::getImageUseCount("water.png"), 0);
}

TEST_F(LuaFuncsTest, SpritesAreDrawnWhereAskedAndFullscreenOnesCentredOnBlack)
{
    WorldTestSupport::writeSolidPng(folder + "/red.png", 255, 0, 0, 255);
    load("sprite = load2DSprite(\"" + folder + "/red.png\")\n" + R"(
function placed() draw2DSprite(sprite, 10.9, -20.2) end
function centred() drawSpriteFullscreen(sprite) end
function stretched() drawSpriteFullscreenStretched(sprite) end
)");
    Sprite const* const sprite = SpriteManager::getSprites().back();
    deviceManager->getScene2D()->set2DMode();
    script->callLuaGenericFunction("placed");
    EXPECT_EQ(sprite->getPosition(), Int2(10, -20));

    script->callLuaGenericFunction("centred");
    EXPECT_EQ(sprite->getPosition(), Int2(399, 299));
    EXPECT_EQ(TestSupport::readScenePixelRgb(400, 300), Color4(255, 0, 0, 255));
    EXPECT_EQ(TestSupport::readScenePixelRgb(10, 10), Color4(0, 0, 0, 255));

    // 2 x 2 scaled to fit 800 x 600 is 600 x 600, centred; then back to its own size.
    script->callLuaGenericFunction("stretched");
    EXPECT_EQ(TestSupport::readScenePixelRgb(105, 5), Color4(255, 0, 0, 255));
    EXPECT_EQ(TestSupport::readScenePixelRgb(95, 5), Color4(0, 0, 0, 255));
    EXPECT_EQ(TestSupport::readScenePixelRgb(695, 595), Color4(255, 0, 0, 255));
    EXPECT_EQ(TestSupport::readScenePixelRgb(705, 300), Color4(0, 0, 0, 255));
    EXPECT_EQ(sprite->getScale(), Float2(1.f, 1.f));
}

TEST_F(LuaFuncsTest, ObjectsOfATypeLoadItOnceAndRunEachFrameUntilTheyLeaveTheManagedArea)
{
    loadWorldWithObjects({Float3(100.f, 100.f, 100.f), Float3(200.f, 100.f, 100.f)});
    placeCamera(Float3(160.f, 160.f, 160.f));
    for (int frame = 0; frame < 3; ++frame)
    {
        world->manage(script);
        world->draw(100.f, false, false);
    }
    EXPECT_EQ(var("load"), 1);
    EXPECT_EQ(var("manage"), 6);
    EXPECT_EQ(var("draw"), 6);
    EXPECT_EQ(var("unload"), -999);

    placeCamera(Float3(100000.f, 0.f, 0.f));
    world->manage(script);
    world->manage(script);
    EXPECT_EQ(var("unload"), 1);
    EXPECT_EQ(var("manage"), 6);

    placeCamera(Float3(160.f, 160.f, 160.f));
    world->manage(script);
    EXPECT_EQ(var("load"), 2);
    EXPECT_EQ(var("manage"), 8);
}

TEST_F(LuaFuncsTest, ObjectMovedAcrossARegionBorderIsManagedOnceAndStaysTheCurrentObject)
{
    loadWorldWithObjects({Float3(300.f, 5.f, 5.f)});
    script->setVariableAndValue("step", 30);
    placeCamera(Float3(0.f, 0.f, 0.f));
    // A view of one region around the camera's: the object's new region is managed too.
    world->draw(320.f, false, false);

    world->manage(script);
    EXPECT_EQ(var("manage"), 1);
    ASSERT_EQ(objectsInRegionOf(Float3(330.f, 5.f, 5.f)).size(), 1u);
    EXPECT_TRUE(objectsInRegionOf(Float3(300.f, 5.f, 5.f)).empty());
    // The moved object is the current one in its new region.
    script->callLuaGenericFunction("readCurrent");
    EXPECT_EQ(var("x"), 330);
    EXPECT_EQ(var("local1"), 1);

    world->manage(script);
    EXPECT_EQ(var("manage"), 2);
    EXPECT_EQ(var("seen"), 1) << "local variable 1 travels with the object";

    // Local variables are not saved with the world.
    std::string const path = folder + "/saved.dat";
    world->saveWorldToFile(path);
    world->clearAndLoadWorldFromFile(path);
    script->setVariableAndValue("step", 0);
    world->manage(script);
    EXPECT_EQ(var("seen"), 0);
}

TEST_F(LuaFuncsTest, CurrentObjectIsFoundAgainWhenTheEditorAddsObjectsBesideIt)
{
    loadWorldWithObjects({Float3(10.f, 10.f, 10.f)});
    script->setVariableAndValue("step", 0);
    placeCamera(Float3(0.f, 0.f, 0.f));
    world->manage(script);
    // Enough new objects in the same region to move its list elsewhere in memory.
    for (int i = 0; i < 200; ++i)
        world->addCustomObject(Float3(20.f + i, 10.f, 10.f), 4);
    script->callLuaGenericFunction("readCurrent");
    EXPECT_EQ(var("x"), 10);
    EXPECT_EQ(var("local1"), 1);
}

TEST_F(LuaFuncsTest, CurrentObjectThatIsGoneEndsTheGameNamingTheFunction)
{
    // No object was ever managed.
    expectFatal(loopInChild("function lua_loop()\n  getDistanceToPlayer()\nend\n"),
                "getDistanceToPlayer needs a current script object, and there is none");

    loadWorldWithObjects({Float3(10.f, 10.f, 10.f)});
    script->setVariableAndValue("step", 0);
    placeCamera(Float3(0.f, 0.f, 0.f));
    world->manage(script);
    expectFatal(TestSupport::runInChildSharingWindow([&] {
                    world->removeElement(Float3(10.f, 10.f, 10.f));
                    script->callLuaGenericFunction("readCurrent");
                }),
                "getCurrentObjectPosition needs a current script object, and there is none");
    expectFatal(TestSupport::runInChildSharingWindow([&] {
                    world->clearAll();
                    TestSupport::writeFile(scriptPath(), "function lua_loop() setObjectLocalVariable2(1) end");
                    script->loadFile(scriptPath());
                    script->callLuaGenericFunction("lua_loop");
                }),
                "setObjectLocalVariable2 needs a current script object, and there is none");
    expectFatal(TestSupport::runInChildSharingWindow([&] {
                    delete world;
                    world = NULL;
                    script->callLuaGenericFunction("readCurrent");
                }),
                "getCurrentObjectPosition needs a current script object, and there is none");
}

TEST_F(LuaFuncsTest, BareStateHasNoLibraryFunctionsNorStringMethodsButTheWholeLanguage)
{
    char const* const baseLibrary[] = {"type",     "next",    "ipairs",   "select",  "unpack",         "tonumber",
                                       "rawget",   "rawset",  "rawequal", "dofile",  "loadfile",       "load",
                                       "setfenv",  "getfenv", "newproxy", "gcinfo",  "collectgarbage", "module",
                                       "xpcall",   "setmetatable", "getmetatable", "_VERSION"};
    std::string source = R"(local t = {10, 20, 30}
local s = "ab" .. "cd" .. 5
local sum = 0
for i = 1, #t do sum = sum + t[i] end
local function twice(f, x) return f(f(x)) end
setGlobalVar("sum", sum) setGlobalVar("length", #s) setGlobalVar("twice", twice(function(v) return v * 3 end, 2))
setGlobalVar("power", 2 ^ 10) setGlobalVar("modulo", 7 % 3)
)";
    for (char const* name : baseLibrary)
        source += std::string("if ") + name + " ~= nil then setGlobalVar(\"present " + name + "\", 1) end\n";
    load(source);
    std::vector<std::pair<std::string, int>> const stored(script->getVariablesAndValues().begin(),
                                                          script->getVariablesAndValues().end());
    std::vector<std::pair<std::string, int>> const expected = {
        {"length", 5}, {"modulo", 1}, {"power", 1024}, {"sum", 60}, {"twice", 18}};
    EXPECT_EQ(stored, expected);

    // Without the string library strings have no methods.
    expectScriptFailure(loopInChild("function lua_loop()\n  local n = (\"abc\"):len()\nend\n"),
                        "lua ('calling function lua_loop'): " + scriptPath() + ":2: attempt to index a string value");
}

TEST_F(LuaFuncsTest, ScriptFailuresNameTheFileOrTheFunctionWithoutACondition)
{
    std::string const absent = folder + "/absent.lua";
    TestSupport::ChildResult const unreadable =
        TestSupport::runInChildSharingWindow([&] { script = new LuaFuncs(absent, NULL, NULL); });
    expectScriptFailure(unreadable, "lua ('in file " + absent + "'): cannot open " + absent);
    EXPECT_EQ(unreadable.output, "Loading script '" + absent + "' ... ");

    expectScriptFailure(loopInChild("lua_loop = 5\n"),
                        "lua ('calling function lua_loop'): attempt to call a number value");
    expectScriptFailure(TestSupport::runInChildSharingWindow([&] {
                            load("function lua_loop() end\n");
                            script->callLuaGenericFunction("lua_onInitGame");
                        }),
                        "lua ('calling function lua_onInitGame'): attempt to call a nil value");
    expectScriptFailure(TestSupport::runInChildSharingWindow([&] {
                            load("function lua_getNbObjects()\n  return undefinedCount + 1\nend\n");
                            script->getNbObjects();
                        }),
                        "lua ('calling function lua_getNbObjects'): " + scriptPath() +
                            ":2: attempt to perform arithmetic on global 'undefinedCount' (a nil value)");

    expectCheck(TestSupport::runInChildSharingWindow([&] {
                    load("function lua_loop() end\n");
                    script->callLuaGenericFunction(NULL);
                }),
                "functionName != NULL");
}

TEST_F(LuaFuncsTest, EveryArgumentCountAndHandleCheckEndsTheGameWithItsCondition)
{
    std::pair<char const*, char const*> const cases[] = {
        {"load3DModel()", "argc == 1"},
        {"load3DModel(\"obj_objects/coin.obj\", \"obj_objects/gem.obj\")", "argc == 1"},
        {"load3DModelAnimated()", "argc >= 2"},
        {"draw3DModel()", "argc == 1"},
        {"unload3DModel()", "argc == 1"},
        {"unload3DModel(nil)", "modelp != 0"},
        {"load2DSprite()", "argc == 1"},
        {"draw2DSprite(load2DSprite(\"water.png\"), 0)", "argc == 3"},
        {"unload2DSprite()", "argc == 1"},
        {"unload2DSprite(nil)", "spritep != 0"},
        {"drawText(\"a\", 1)", "argc == 3"},
        {"drawTextCenter()", "argc == 1"},
        {"drawTextCenter(\"a\", \"b\")", "argc == 1"},
        {"print(1, 2)", "argc == 1"},
        {"assert()", "argc == 1"},
        {"assert(1, 1)", "argc == 1"},
        {"getKey()", "argc == 1"},
        {"getKey(\"\")", "chars.size() == 1"},
        {"getKey(\"\\195\\169\")", "chars.size() == 1"},
        {"move3DPosition(1, 2)", "argc == 3"},
        {"setGlobalVar(\"x\")", "argc == 2"},
        {"setGlobalVar(nil, 1)", "lua_isstring(lua, 1)"},
        {"getGlobalVar()", "argc == 1"},
        {"getGlobalVar(\"a\", \"b\")", "argc == 1"},
        {"addToGlobalVar(\"x\")", "argc == 2"},
        {"addToGlobalVar({}, 1)", "lua_isstring(lua, 1)"},
        {"addToGlobalVar(\"x\", nil)", "lua_isnumber(lua, 2)"},
        {"getTime(1)", "argc == 0"},
        {"getWindowSize(1)", "argc == 0"},
        {"quitGame(1)", "argc == 0"},
        {"loadGame()", "argc == 1"},
        {"saveGame(\"a\", \"b\")", "argc == 1"},
        {"setModelAnimationSpeed(load3DModel(\"obj_objects/coin.obj\"))", "argc == 2"},
        {"setModelAnimationSpeed(nil, 5)", "modelp != 0"},
        {"stopModelAnimation()", "argc == 1"},
        {"stopModelAnimation(nil)", "modelp != 0"},
        {"startModelAnimation(nil)", "modelp != 0"},
        {"setColor(1, 2, 3)", "argc == 4"},
        {"setColor(256, 0, 0, 0)", "r < 256 && g < 256 && b < 256 && a < 256"},
        {"setColor(0, 0, 0, -1)", "r >= 0 && g >= 0 && b >= 0 && a >= 0"},
        {"setFogColor(1, 2)", "argc == 3"},
        {"setFogColor(0, 0, 256)", "r < 256 && g < 256 && b < 256"},
        {"setFogColor(0, 0, -1)", "r >= 0 && g >= 0 && b >= 0"},
        {"drawSpriteFullscreen()", "argc == 1"},
        {"drawSpriteFullscreen(nil)", "spritep != 0"},
        {"drawSpriteFullscreenStretched()", "argc == 1"},
        {"drawSpriteFullscreenStretched(nil)", "spritep != 0"},
        {"setWaterEnable()", "argc == 1"},
    };
    for (std::pair<char const*, char const*> const& check : cases)
    {
        SCOPED_TRACE(check.first);
        expectCheck(loopInChild(std::string("function lua_loop()\n  ") + check.first + "\nend\n"), check.second);
    }
}

TEST_F(LuaFuncsTest, IntegerArgumentsAreTruncatedTowardZero)
{
    load(R"(function waterOff() setWaterEnable(0.5) end
function waterOn() setWaterEnable(-3) end
function colours()
  setFogColor(10.9, 20.5, 255.9)
  setColor(10.7, 20, 30, 40.2)
end
function edges()
  setFogColor(-0.5, 0, 0)
  setColor(-0.9, 255.9, 0, 0)
end
function lua_loop()
  assert(1.5) assert("2")
  setGlobalVar("up", addToGlobalVar("n", 5.9))
  setGlobalVar("down", addToGlobalVar("n", -2.7))
  setGlobalVar("text", "12.9")
  setGlobalVar(5, 1)
end)");
    script->callLuaGenericFunction("waterOff");
    EXPECT_FALSE(script->getIsWaterEnable()) << "0.5 reads as the integer 0";
    script->callLuaGenericFunction("waterOn");
    EXPECT_TRUE(script->getIsWaterEnable());

    script->callLuaGenericFunction("colours");
    EXPECT_EQ(script->getBackgroundAndFogColor(), Color4(10, 20, 255, 255));
    EXPECT_EQ(deviceManager->getColor(), Color4(10, 20, 30, 40)) << "red, green, blue, alpha in that order";
    script->callLuaGenericFunction("edges");
    EXPECT_EQ(script->getBackgroundAndFogColor(), Color4(0, 0, 0, 255));
    EXPECT_EQ(deviceManager->getColor(), Color4(0, 255, 0, 0));

    script->callLuaGenericFunction("lua_loop");
    EXPECT_EQ(var("up"), 5);
    EXPECT_EQ(var("down"), 3);
    EXPECT_EQ(var("n"), 3);
    EXPECT_EQ(var("text"), 12) << "a numeric string is a number";
    EXPECT_EQ(var("5"), 1) << "a number is a string name";

    for (char const* value : {"0.5", "-0.9"})
    {
        SCOPED_TRACE(value);
        expectCheck(loopInChild(std::string("function lua_loop()\n  assert(") + value + ")\nend\n"),
                    "lua_tointeger(lua, 1)");
    }
}

TEST_F(LuaFuncsTest, HandlesAreTheAddressesOfTheEngineObjects)
{
    load(R"(model = load3DModel("obj_objects/coin.obj")
animated = load3DModelAnimated(150.9, "obj_objects/coin.obj", "obj_objects/gem.obj")
sprite = load2DSprite("water.png")
other = load2DSprite("water.png")
function show() print(model) print(animated) print(sprite) print(other) end
function slow() setModelAnimationSpeed(animated, 7.5) stopModelAnimation(animated) end
function fast() setModelAnimationSpeed(animated, 3) startModelAnimation(animated) end
function keys()
  local t = {}
  t[sprite] = 1 t[other] = 2 t[model] = 3
  setGlobalVar("keys", t[sprite] * 100 + t[other] * 10 + t[model])
  if sprite == other then setGlobalVar("same", 1) end
end)");
    std::vector<uintptr_t> const addresses = printedAddresses("show");
    ASSERT_EQ(addresses.size(), 4u);
    Animated3DModel const* const model = reinterpret_cast<Animated3DModel const*>(addresses[0]);
    Animated3DModel const* const animated = reinterpret_cast<Animated3DModel const*>(addresses[1]);
    EXPECT_EQ(model->getNbFrames(), 1u);
    EXPECT_EQ(animated->getNbFrames(), 2u);
    EXPECT_EQ(animated->getFramePeriod(), 150);

    std::vector<Sprite*> const& sprites = SpriteManager::getSprites();
    for (size_t i : {2u, 3u})
        EXPECT_NE(std::find(sprites.begin(), sprites.end(), reinterpret_cast<Sprite*>(addresses[i])), sprites.end());
    EXPECT_NE(addresses[2], addresses[3]) << "each load makes its own sprite";

    script->callLuaGenericFunction("slow");
    EXPECT_EQ(animated->getFramePeriod(), 13333) << "100000 / 7.5, truncated";
    EXPECT_FALSE(animated->isRunning());
    script->callLuaGenericFunction("fast");
    EXPECT_EQ(animated->getFramePeriod(), 33333);
    EXPECT_TRUE(animated->isRunning());

    script->callLuaGenericFunction("keys");
    EXPECT_EQ(var("keys"), 123);
    EXPECT_EQ(var("same"), -999);
}

TEST_F(LuaFuncsTest, GetKeyReadsTheKeyAtTheCharactersByteValue)
{
    load(R"(function lua_loop()
  setGlobalVar("200", getKey("\200")) setGlobalVar("0", getKey("\0")) setGlobalVar("255", getKey("\255"))
  setGlobalVar("A", getKey("A")) setGlobalVar("a", getKey("a"))
end)");
    for (int key = 0; key < 256; ++key)
        keyboardManager->keys[key] = key == 200 || key == 0 || key == 'A';
    script->callLuaGenericFunction("lua_loop");
    for (int key = 0; key < 256; ++key)
        keyboardManager->keys[key] = false;
    EXPECT_EQ(var("200"), 1);
    EXPECT_EQ(var("0"), 1);
    EXPECT_EQ(var("255"), 0);
    EXPECT_EQ(var("A"), 1);
    EXPECT_EQ(var("a"), 0);
}

TEST_F(LuaFuncsTest, TimeAndFramePeriodComeFromTheEngineClocks)
{
    load(R"(function lua_loop()
  setGlobalVar("time", getTime())
  setGlobalVar("period", getPeriodDuration(1, "the count is not looked at"))
end)");
    deviceManager->loopEvent();
    deviceManager->loopEvent();
    int const before = Utils::getTime();
    script->callLuaGenericFunction("lua_loop");
    int const after = Utils::getTime();
    EXPECT_GE(var("time"), before);
    EXPECT_LE(var("time"), after);
    EXPECT_EQ(var("period"), deviceManager->getLastFramePeriod());
    EXPECT_GT(var("period"), 0);
}

TEST_F(LuaFuncsTest, DrawingPositionMovesByFractionsOfAUnit)
{
    load("function lua_loop() move3DPosition(1.5, -2.25, 0.125) end");
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    script->callLuaGenericFunction("lua_loop");
    float matrix[16] = {};
    glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
    EXPECT_FLOAT_EQ(matrix[12], 1.5f);
    EXPECT_FLOAT_EQ(matrix[13], -2.25f);
    EXPECT_FLOAT_EQ(matrix[14], 0.125f);
}

TEST_F(LuaFuncsTest, LoadingAFileAgainStartsAFreshInterpreterButKeepsTheGameVariablesAndQuit)
{
    load(R"(kept = 1
function onlyInFirst() end
setGlobalVar("v", 3) quitGame() loadGame("pending.sav"))");
    std::string const second = folder + "/second.lua";
    TestSupport::writeFile(second, "function readKept() if kept ~= nil then setGlobalVar(\"leak\", 1) end end\n");
    script->loadFile(second);
    EXPECT_EQ(var("v"), 3);
    EXPECT_TRUE(script->isQuitGame());
    script->callLuaGenericFunction("readKept");
    EXPECT_EQ(var("leak"), -999) << "globals of the first file are gone";
    expectScriptFailure(TestSupport::runInChildSharingWindow([&] { script->callLuaGenericFunction("onlyInFirst"); }),
                        "lua ('calling function onlyInFirst'): attempt to call a nil value");

    // A new script object empties the variables and clears quit; the load request stays.
    load("");
    EXPECT_TRUE(script->getVariablesAndValues().empty());
    EXPECT_FALSE(script->isQuitGame());
    EXPECT_EQ(script->getLoadGameFile(), "pending.sav");
}

TEST_F(LuaFuncsTest, VariableNamesAreOrderedByTheirBytesAndReplacedInPlace)
{
    load(R"(setGlobalVar("a2", 1) setGlobalVar("~", 1) setGlobalVar("a10", 1) setGlobalVar("B", 1)
setGlobalVar("a", 1) setGlobalVar("_", 1) setGlobalVar("\128", 1))");
    script->setVariableAndValue("a", 5);
    script->setVariableAndValue("a", 6);
    std::vector<std::string> names;
    for (LuaFuncs::VariablesAndValues::value_type const& entry : script->getVariablesAndValues())
        names.push_back(entry.first);
    std::vector<std::string> const expected = {"B", "_", "a", "a10", "a2", "~", "\x80"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(var("a"), 6);
}

TEST_F(LuaFuncsTest, ObjectTypeCountMustBeANumberAndIsTruncatedTowardZero)
{
    load("function lua_getNbObjects() return -3.7 end");
    EXPECT_EQ(script->getNbObjects(), -3);
    for (char const* result : {"", "true", "nil", "\"seven\""})
    {
        SCOPED_TRACE(result);
        expectCheck(TestSupport::runInChildSharingWindow([&] {
                        load(std::string("function lua_getNbObjects() return ") + result + " end");
                        script->getNbObjects();
                    }),
                    "lua_isnumber(lua, -1)");
    }
    expectScriptFailure(TestSupport::runInChildSharingWindow([&] {
                            load("function lua_loop() end");
                            script->getNbObjects();
                        }),
                        "lua ('calling function lua_getNbObjects'): attempt to call a nil value");
}

TEST_F(LuaFuncsTest, DrawnObjectsLoadTheirTypeFirstAndSeeTheLastManagedObjectAsCurrent)
{
    loadWorldWithObjects({Float3(100.f, 100.f, 100.f), Float3(200.f, 100.f, 100.f)}, R"(
function lua_load_4() setGlobalVar("loadAt", addToGlobalVar("seq", 1)) end
function lua_unload_4() end
function lua_manage_4()
  addToGlobalVar("managed", 1)
  local x = getCurrentObjectPosition()
  setGlobalVar("lastManaged", x)
end
function lua_draw_4()
  local at = addToGlobalVar("seq", 1)
  if getGlobalVar("managed") > 0 then
    local x = getCurrentObjectPosition()
    setGlobalVar("drawSees" .. at, x)
  end
end)");
    placeCamera(Float3(160.f, 160.f, 160.f));
    world->draw(100.f, false, false);
    EXPECT_EQ(var("loadAt"), 1) << "the type is loaded before the first draw";
    EXPECT_EQ(var("seq"), 3);

    world->manage(script);
    EXPECT_EQ(var("managed"), 2);
    EXPECT_EQ(var("loadAt"), 1) << "not loaded again";
    world->draw(100.f, false, false);
    EXPECT_EQ(var("seq"), 5);
    EXPECT_TRUE(var("lastManaged") == 100 || var("lastManaged") == 200) << var("lastManaged");
    EXPECT_EQ(var("drawSees4"), var("lastManaged"));
    EXPECT_EQ(var("drawSees5"), var("lastManaged"));
}

TEST_F(LuaFuncsTest, MissingObjectFunctionIsReportedByItsFormedName)
{
    loadWorldWithObjects({Float3(10.f, 10.f, 10.f)}, "function lua_load_21() end\n", 12);
    placeCamera(Float3(0.f, 0.f, 0.f));
    expectScriptFailure(TestSupport::runInChildSharingWindow([&] { world->manage(script); }),
                        "lua ('calling function lua_load_12'): attempt to call a nil value");
    load("function lua_load_12() end\n");
    CustomObject_injectLuaFuncs(script);
    expectScriptFailure(TestSupport::runInChildSharingWindow([&] { world->manage(script); }),
                        "lua ('calling function lua_manage_12'): attempt to call a nil value");
}

TEST_F(LuaFuncsTest, ScriptSpritesLoadQuietlyAndHangFromTheirTopLeftCorner)
{
    WorldTestSupport::writeSolidPng(folder + "/red.png", 255, 0, 0, 255);
    testing::internal::CaptureStdout();
    load("sprite = load2DSprite(\"" + folder + "/red.png\")\nfunction lua_loop() draw2DSprite(sprite, 10, 10) end\n");
    std::string const trace = testing::internal::GetCapturedStdout();
    EXPECT_NE(trace.find("Loading image '" + folder + "/red.png'\n"), std::string::npos) << trace;
    EXPECT_EQ(trace.find("done (width="), std::string::npos) << "the loader's own trace stays off\n" << trace;
    deviceManager->getScene2D()->set2DMode();
    deviceManager->clearBackground(colorBlack);
    script->callLuaGenericFunction("lua_loop");
    EXPECT_EQ(TestSupport::readScenePixelRgb(10, 10), Color4(255, 0, 0, 255));
    EXPECT_EQ(TestSupport::readScenePixelRgb(11, 11), Color4(255, 0, 0, 255));
    EXPECT_EQ(TestSupport::readScenePixelRgb(9, 9), Color4(0, 0, 0, 255));
}

TEST_F(LuaFuncsTest, UnloadingTheScriptClosesItOnceEvenWhenTheObjectGoesLater)
{
    load("kept = load2DSprite(\"water.png\")\n");
    testing::internal::CaptureStdout();
    script->unloadFile();
    delete script;
    script = NULL;
    std::vector<std::string> const printed = lines(testing::internal::GetCapturedStdout());
    EXPECT_EQ(std::count(printed.begin(), printed.end(), "Closing script."), 1);
    EXPECT_EQ(SpriteManager::getImageUseCount("water.png"), 0) << "the sprite it kept went with it";
}

TEST_F(LuaFuncsTest, TextLandsWhereTheFontPutsItAtTheTruncatedOrCentredPosition)
{
    Font const font(deviceManager, "default_font.png", 16, false);
    TestSupport::writeFile(scriptPath(), R"(function placed() drawText("Wig", 10.9, -0.5) end
function centredA() drawTextCenter("A") end
function centredWi() drawTextCenter("Wi") end
function centredLong() drawTextCenter("Wiggle, wiggle!") end)");
    script = new LuaFuncs(scriptPath(), &font, NULL);
    deviceManager->getScene2D()->set2DMode();
    auto const drawn = [](std::function<void()> const& draw) {
        deviceManager->clearBackground(colorBlack);
        draw();
        return TestSupport::readWindowPixels();
    };
    EXPECT_TRUE(drawn([&] { script->callLuaGenericFunction("placed"); }) ==
                drawn([&] { font.drawText(Int2(10, 0), "Wig", Float2(1.f, 1.f), -1, false); }));

    Int2 const screen = deviceManager->getScene2D()->getVirtualSize();
    std::pair<char const*, char const*> const centred[] = {
        {"centredA", "A"}, {"centredWi", "Wi"}, {"centredLong", "Wiggle, wiggle!"}};
    for (std::pair<char const*, char const*> const& text : centred)
    {
        int const width = font.getWidth(text.second, -1, 1.0f);
        SCOPED_TRACE(std::string(text.second) + ", " + std::to_string(width) + " wide");
        Int2 const at((screen.x() - width) / 2, (screen.y() - font.getHeight()) / 2);
        EXPECT_TRUE(drawn([&] { script->callLuaGenericFunction(text.first); }) ==
                    drawn([&] { font.drawText(at, text.second, Float2(1.f, 1.f), -1, false); }));
    }
}
