#include "LuaManager.h"

#include "Application.h"
#include "DeviceManager.h"
#include "Font.h"
#include "Image.h"
#include "IndexedWorld.h"
#include "KeyboardManager.h"
#include "Player.h"
#include "Scene2D.h"
#include "Sprite.h"
#include "SpriteManager.h"
#include "TestSupport.h"
#include "World.h"
#include "WorldTestSupport.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

// Game saves as the main loop writes and reads them: the player's 24-byte
// record, then the script's global variables (a count, then for each a name
// length, the name and the value, all 32-bit little-endian).
namespace
{
std::string int32(int32_t value)
{
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
    return bytes;
}

std::string float32(float value)
{
    int32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    return int32(bits);
}

std::string variable(std::string const& name, int32_t value)
{
    return int32(static_cast<int32_t>(name.size())) + name + int32(value);
}

std::string readFile(std::string const& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class LuaManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DISPLAY();
        WorldTestSupport::enterGameFolder(WorldTestSupport::emptyWorld());
        TestSupport::writeFile("world.lua", script());
        manager = new LuaManager("game_tests");
    }

    void TearDown() override { delete manager; }

    virtual std::string script() const
    {
        return "function lua_onInitGame() setPlayerMovementNone() end\n"
               "function lua_onUninitGame() end\n"
               "function lua_getNbObjects() return 0 end\n"
               "function lua_loop() end\n";
    }

    // The player's record of a game save: position, camera yaw and pitch, movement type.
    static std::string playerRecord()
    {
        return float32(1.f) + float32(2.f) + float32(3.f) + float32(45.f) + float32(-20.f) + int32(3);
    }

    // Loads the bytes as a game save and writes the game back into a new save.
    std::string loadThenSave(std::string const& bytes)
    {
        TestSupport::writeFile("in.sav", bytes);
        manager->loadGameSave("in.sav");
        manager->saveGameSave("out.sav");
        return readFile("out.sav");
    }

    LuaManager* manager = NULL;
};
}

TEST_F(LuaManagerTest, SaveWithoutVariablesIs28BytesAndAWholeSaveLoadsBackExactly)
{
    std::string const noVariables = playerRecord() + int32(0);
    ASSERT_EQ(noVariables.size(), 28u);
    EXPECT_EQ(loadThenSave(noVariables), noVariables);
    EXPECT_EQ(manager->getWorld()->getPlayer().getPosition(), Float3(1.f, 2.f, 3.f));
    // Names come back in byte order whatever order the file had.
    std::string const variables = int32(2) + variable("B", 2) + variable("a", -7);
    EXPECT_EQ(loadThenSave(playerRecord() + variables), playerRecord() + variables);
    std::string const unordered = int32(2) + variable("a", -7) + variable("B", 2);
    EXPECT_EQ(loadThenSave(playerRecord() + unordered), playerRecord() + variables);
}

TEST_F(LuaManagerTest, CutOrCorruptVariablesLoadOnlyTheWholeEntriesThere)
{
    std::string const twoWhole = variable("coins", 7) + variable("keys", 2);
    std::string const expected = playerRecord() + int32(2) + twoWhole;
    // A count larger than what follows, a last entry cut in its name or in its value.
    EXPECT_EQ(loadThenSave(playerRecord() + int32(3) + twoWhole + int32(5) + "lev"), expected);
    EXPECT_EQ(loadThenSave(playerRecord() + int32(3) + twoWhole + int32(5) + "level" + "\x01\x02"), expected);
    // Huge counts and lengths stop at the end of the file without allocating for them.
    EXPECT_EQ(loadThenSave(playerRecord() + int32(INT32_MAX) + twoWhole), expected);
    EXPECT_EQ(loadThenSave(playerRecord() + int32(3) + twoWhole + int32(INT32_MAX) + "x"), expected);
    // A negative length or count, and a file that ends after the player's record: no variables.
    EXPECT_EQ(loadThenSave(playerRecord() + int32(1) + int32(-4) + "abcd" + int32(1)), playerRecord() + int32(0));
    EXPECT_EQ(loadThenSave(playerRecord() + int32(-1)), playerRecord() + int32(0));
    EXPECT_EQ(loadThenSave(playerRecord()), playerRecord() + int32(0));
}

TEST_F(LuaManagerTest, SaveIntoAFolderThatDoesNotExistIsReportedAndNothingIsWritten)
{
    testing::internal::CaptureStderr();
    manager->saveGameSave("no/such/folder/game.sav");
    std::string const errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("Could not create the game save file no/such/folder/game.sav"), std::string::npos) << errors;
}

// An object of type 0 asks for a save when first managed; the loop asks for one in its first frame.
class LuaManagerObjectTest : public LuaManagerTest
{
protected:
    std::string script() const override
    {
        return "function lua_onInitGame() setPlayerMovementNone() end\n"
               "function lua_onUninitGame() end\n"
               "function lua_getNbObjects() return 1 end\n"
               "function lua_load_0() end\n"
               "function lua_unload_0() end\n"
               "function lua_draw_0() end\n"
               "objectSaved = false\n"
               "function lua_manage_0()\n"
               "  if not objectSaved then saveGame(\"object.sav\") objectSaved = true end\n"
               "end\n"
               "frame = 0\n"
               "function lua_loop()\n"
               "  frame = frame + 1\n"
               "  if frame == 1 then saveGame(\"loop.sav\") end\n"
               "end\n";
    }
};

TEST_F(LuaManagerObjectTest, SaveAskedByAnObjectIsMadeInItsFrameAndOneAskedByTheLoopInTheNext)
{
    manager->getWorld()->getIndexedWorld().addCustomObject(Float3(5.f, 5.f, 5.f), 0);
    testing::internal::CaptureStdout();
    manager->manageAndDraw();
    EXPECT_FALSE(readFile("object.sav").empty()) << "the object's save waited for another frame";
    EXPECT_TRUE(readFile("loop.sav").empty()) << "the loop's save was made before the next frame's request step";
    manager->manageAndDraw();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(readFile("loop.sav").size(), 28u);
}

// The game loop seen from outside: what it prints, the order in which the
// script's entry points run, where each frame's input goes, what the menus
// draw and answer, and when game saves and loads happen.
namespace
{
int const ESCAPE = KeyboardManager::KEYASCII_ESCAPE;
std::string const NB = "lua print: nb\n";

// Input for the next frame, handed over from inside the window pump the way
// the toolkit's callbacks hand keys and mouse events to the frame: a timer due
// at once runs in the pump after the window's own events, which it drops (the
// pointer of the shared display may cross the window), so that the frame gets
// exactly the test's input.
struct FrameInput
{
    std::vector<int> heldKeys; // pressed and left down, before the typed ones
    std::vector<int> keys;     // pressed and let go
    std::vector<MouseEvent> mouse;
    bool hasPointer = false;
    Int2 pointer;
};

FrameInput pendingInput;
bool inputDelivered = false;

void deliverFrameInput(int)
{
    KeyboardManager* const keyboard = deviceManager->getKeyboardManager();
    keyboard->keyEvents.clear();
    mouseEvents.clear();
    for (int const code : pendingInput.heldKeys)
        keyboard->keyPressed(code);
    for (int const code : pendingInput.keys)
    {
        keyboard->keyPressed(code);
        keyboard->keyReleased(code);
    }
    for (MouseEvent const& event : pendingInput.mouse)
        mouseEvents.push_back(event);
    if (pendingInput.hasPointer)
        mousePosition = pendingInput.pointer;
    pendingInput = FrameInput();
    inputDelivered = true;
}

FrameInput typed(std::vector<int> const& codes)
{
    FrameInput input;
    input.keys = codes;
    return input;
}

FrameInput mouse(Int2 const& position, int button, int state)
{
    FrameInput input;
    input.mouse.push_back(MouseEvent(position, button, state));
    return input;
}

FrameInput leftPress(Int2 const& position)
{
    return mouse(position, GLManager::MOUSE_LEFT_BUTTON, GLManager::MOUSE_BUTTON_DOWN);
}

FrameInput pointerAt(Int2 const& position)
{
    FrameInput input;
    input.hasPointer = true;
    input.pointer = position;
    return input;
}

// A game script whose entry points say when they run; the object type 0 does too.
std::string tracingScript(std::string const& onInit = "setPlayerMovementNone()", std::string const& loop = "")
{
    return "function lua_onInitGame() print(\"init\") " + onInit + " end\n"
           "function lua_onUninitGame() print(\"uninit\") end\n"
           "function lua_getNbObjects() print(\"nb\") return 1 end\n"
           "function lua_load_0() print(\"load0\") end\n"
           "function lua_unload_0() print(\"unload0\") end\n"
           "function lua_manage_0() print(\"manage0\") end\n"
           "function lua_draw_0() end\n"
           "frame = 0\n"
           "function lua_loop() frame = frame + 1 print(\"loop\") " +
           loop + " end\n";
}

int occurrences(std::string const& text, std::string const& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

testing::AssertionResult appearInOrder(std::string const& trace, std::vector<std::string> const& parts)
{
    size_t from = 0;
    for (std::string const& part : parts)
    {
        size_t const at = trace.find(part, from);
        if (at == std::string::npos)
            return testing::AssertionFailure() << "\"" << part << "\" is not after offset " << from << " of:\n"
                                               << trace;
        from = at + part.size();
    }
    return testing::AssertionSuccess();
}

int32_t int32At(std::string const& bytes, size_t offset)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes.at(offset + i));
    return static_cast<int32_t>(value);
}

// The script global variables a game save holds, after the player's 24 bytes.
std::map<std::string, int32_t> variablesOfSave(std::string const& bytes)
{
    std::map<std::string, int32_t> variables;
    size_t at = 24;
    int32_t const count = int32At(bytes, at);
    at += 4;
    for (int32_t i = 0; i < count; ++i)
    {
        int32_t const length = int32At(bytes, at);
        std::string const name = bytes.substr(at + 4, static_cast<size_t>(length));
        at += 4 + static_cast<size_t>(length);
        variables[name] = int32At(bytes, at);
        at += 4;
    }
    return variables;
}

Sprite const* spriteOfPicture(std::string const& fileName)
{
    for (Sprite const* sprite : SpriteManager::getSprites())
        if (!sprite->getImages().empty() && sprite->getImages()[0]->getFileName() == fileName)
            return sprite;
    return NULL;
}

// The RGB of the pixels of a block of a picture read back from the window, in
// scene coordinates (origin top-left).
std::vector<Color4> blockOf(std::vector<unsigned char> const& pixels, Int2 const& corner, Int2 const& size)
{
    std::vector<Color4> block;
    for (int y = corner.y(); y < corner.y() + size.y(); ++y)
        for (int x = corner.x(); x < corner.x() + size.x(); ++x)
        {
            size_t const at = (static_cast<size_t>(599 - y) * 800 + static_cast<size_t>(x)) * 4;
            block.push_back(Color4(pixels[at], pixels[at + 1], pixels[at + 2], 255));
        }
    return block;
}

class LuaManagerLoopTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DISPLAY();
        WorldTestSupport::enterGameFolder(WorldTestSupport::emptyWorld());
    }

    void TearDown() override { stop(); }

    // Starts the game with this script; returns what start-up printed.
    std::string start(std::string const& script)
    {
        TestSupport::writeFile("world.lua", script);
        testing::internal::CaptureStdout();
        manager = new LuaManager("game_tests");
        return testing::internal::GetCapturedStdout();
    }

    // Ends the game; returns what shut-down printed.
    std::string stop()
    {
        if (manager == NULL)
            return "";
        testing::internal::CaptureStdout();
        delete manager;
        manager = NULL;
        return testing::internal::GetCapturedStdout();
    }

    // One frame with that input; returns what the frame printed.
    std::string frame(FrameInput const& input = FrameInput())
    {
        pendingInput = input;
        inputDelivered = false;
        glutTimerFunc(0, deliverFrameInput, 0);
        testing::internal::CaptureStdout();
        manager->manageAndDraw();
        std::string const trace = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(inputDelivered) << "the pump did not hand over the test's input";
        return trace;
    }

    std::string menu() const
    {
        if (manager->getIsMainMenuVisible())
            return manager->getIsOptionsMenuVisible() ? "both menus" : "main menu";
        return manager->getIsOptionsMenuVisible() ? "options menu" : "playing";
    }

    World& world() const { return *manager->getWorld(); }

    std::map<std::string, int32_t> variablesNow() const
    {
        manager->saveGameSave("probe.sav");
        return variablesOfSave(readFile("probe.sav"));
    }

    LuaManager* manager = NULL;
};
}

TEST_F(LuaManagerLoopTest, StartUpTracesItsStepsInOrderAndOpensAWindowWithTheThreeMenuPictures)
{
    std::string const trace = start(tracingScript());
    EXPECT_EQ(trace.find("================ Initializing ...\n"), 0u) << trace;
    // The font, the menu pictures, the loading picture shown then let go, then the world and the script.
    EXPECT_TRUE(appearInOrder(trace, {"================ Initializing ...\n", "Loading image 'default_font.png'\n",
                                      "Loading image 'menus/main_menu.png'\n",
                                      "Loading image 'menus/options_menu.png'\n",
                                      "Loading image 'menus/menu_mouse.png'\n", "Loading image 'loading.png'\n",
                                      "Freeing image 'loading.png'\n", "==== Loading world from file 'world.dat'",
                                      "==== Loading player\n",
                                      "==== Player loaded\n", "==== Loading skybox\n", "==== Skybox loaded\n",
                                      "==== Reload script file\n", "Loading script 'world.lua'",
                                      "lua print: init\n", "==== Script file reloaded\n",
                                      "================ Initialized, first draw ...\n"}));
    std::string const last = "================ Initialized, first draw ...\n";
    EXPECT_EQ(trace.rfind(last), trace.size() - last.size()) << trace;
    EXPECT_EQ(occurrences(trace, "lua print: init\n"), 1);
    EXPECT_EQ(occurrences(trace, "lua print: uninit\n"), 0) << "no script was loaded before";

    EXPECT_TRUE(manager->getIsRunning());
    EXPECT_EQ(menu(), "playing");
    EXPECT_EQ(deviceManager->getWindowRealSize(), Int2(800, 600));
    EXPECT_FALSE(deviceManager->isFullscreen());
    EXPECT_EQ(deviceManager->getScene2D()->getVirtualSize(), Int2(800, 600));
    EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_NONE);

    // The loading picture is gone; the menu pictures stay, hot spot at their top-left corner.
    EXPECT_EQ(SpriteManager::getImageUseCount("loading.png"), 0);
    for (char const* picture : {"menus/main_menu.png", "menus/options_menu.png", "menus/menu_mouse.png"})
    {
        EXPECT_EQ(SpriteManager::getImageUseCount(picture), 1) << picture;
        Sprite const* const sprite = spriteOfPicture(picture);
        ASSERT_NE(sprite, nullptr) << picture;
        EXPECT_EQ(sprite->getHotSpot(), Int2(0, 0)) << picture;
    }
    EXPECT_EQ(spriteOfPicture("menus/main_menu.png")->getPosition(), Int2(0, 0));
    EXPECT_EQ(spriteOfPicture("menus/options_menu.png")->getPosition(), Int2(0, 0));
}

TEST_F(LuaManagerLoopTest, ShutDownEndsTheScriptThenItsObjectTypesThenTheWorldAndReleasesTheMenuPictures)
{
    start(tracingScript());
    world().getIndexedWorld().addCustomObject(Float3(5.f, 5.f, 5.f), 0);
    ASSERT_TRUE(appearInOrder(frame(), {"lua print: load0\n", "lua print: manage0\n"}));
    std::string const trace = stop();
    // The script, the menu pictures, the world (the player's models, the sky box), the font last.
    EXPECT_TRUE(appearInOrder(trace, {"lua print: uninit\n", "lua print: unload0\n",
                                      "Freeing image 'menus/main_menu.png'\n",
                                      "Freeing image 'menus/options_menu.png'\n",
                                      "Freeing image 'menus/menu_mouse.png'\n", "Unloading model obj_player/",
                                      "Freeing image 'skybox/", "Freeing image 'default_font.png'\n"}));
    std::string const fontLast = "Freeing image 'default_font.png'\n";
    EXPECT_EQ(trace.rfind(fontLast), trace.size() - fontLast.size()) << trace;
    EXPECT_EQ(occurrences(trace, "lua print: loop\n"), 0);
    for (char const* picture : {"menus/main_menu.png", "menus/options_menu.png", "menus/menu_mouse.png"})
        EXPECT_EQ(SpriteManager::getImageUseCount(picture), 0) << picture;
    EXPECT_EQ(deviceManager, nullptr);
}

TEST_F(LuaManagerLoopTest, ReloadingTheScriptEndsTheOldOneAndForgetsItsVariablesBeforeTheNewOneStarts)
{
    start(tracingScript("setPlayerMovementNone() setGlobalVar(\"old\", 1)"));
    world().getIndexedWorld().addCustomObject(Float3(5.f, 5.f, 5.f), 0);
    frame();
    TestSupport::writeFile("other.lua", "function lua_onInitGame() print(\"second init\") end\n"
                                        "function lua_onUninitGame() end\n"
                                        "function lua_getNbObjects() return 0 end\n"
                                        "function lua_loop() end\n");
    testing::internal::CaptureStdout();
    manager->reloadScriptFile("other.lua", manager->getWorld());
    std::string const trace = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(appearInOrder(trace, {"==== Reload script file\n", "lua print: uninit\n", "lua print: unload0\n",
                                      "Loading script 'other.lua'", "lua print: second init\n",
                                      "==== Script file reloaded\n"}));
    EXPECT_TRUE(variablesNow().empty());
}

TEST_F(LuaManagerLoopTest, AFrameTakesInputThenManagesTheWorldThenLoadsThenSavesThenRunsTheLoop)
{
    // The loop asks for a load and a save in one frame; they are carried out in the next.
    start(tracingScript("setPlayerMovementNone() setGlobalVar(\"before\", 9)",
                        "addToGlobalVar(\"loops\", 1) if frame == 1 then loadGame(\"in.sav\") saveGame(\"out.sav\") end"));
    world().getIndexedWorld().addCustomObject(Float3(5.f, 5.f, 5.f), 0);
    std::string const saved = float32(1.f) + float32(2.f) + float32(3.f) + float32(45.f) + float32(-20.f) +
                              int32(Player::MVT_TYPE_NONE) + int32(2) + variable("coins", 12) + variable("level", 3);
    TestSupport::writeFile("in.sav", saved);

    std::string const first = frame();
    EXPECT_TRUE(appearInOrder(first, {"lua print: manage0\n", "lua print: loop\n"}));
    EXPECT_EQ(occurrences(first, "Loading game"), 0);
    EXPECT_EQ(occurrences(first, "Saving game"), 0);

    FrameInput input = typed({'z'});
    input.mouse.push_back(MouseEvent(Int2(10, 10), GLManager::MOUSE_LEFT_BUTTON, GLManager::MOUSE_BUTTON_UP));
    std::string const second = frame(input);
    EXPECT_TRUE(appearInOrder(second, {NB, NB, "lua print: manage0\n", "Loading game from file in.sav",
                                       "Saving game into file out.sav", "lua print: loop\n"}));
    EXPECT_EQ(occurrences(second, NB), 2) << "one per key or mouse event given to the world";
    // The save holds what was just loaded: the load replaced the script's variables.
    EXPECT_EQ(readFile("out.sav"), saved);
    std::map<std::string, int32_t> const expected = {{"coins", 12}, {"level", 3}, {"loops", 1}};
    EXPECT_EQ(variablesNow(), expected) << "the loop ran after the load";
}

TEST_F(LuaManagerLoopTest, TheScriptsFogColourAndWaterSwitchReachTheWorldAtTheNextFrameBeforeTheLoop)
{
    start(tracingScript("setPlayerMovementNone()", "if frame == 1 then setFogColor(10, 20, 30) setWaterEnable(0) end"));
    frame();
    EXPECT_EQ(world().getBackgroundAndFogColor(), Color4(255, 255, 255, 255));
    EXPECT_TRUE(world().getIndexedWorld().getWaterEnable());
    frame();
    EXPECT_EQ(world().getBackgroundAndFogColor(), Color4(10, 20, 30, 255));
    EXPECT_FALSE(world().getIndexedWorld().getWaterEnable());
}

TEST_F(LuaManagerLoopTest, ASaveHoldsThePlayerTheCameraAndTheVariablesInNameOrder)
{
    start(tracingScript("setPlayerMovementNone() setPlayerPosition(1.5, 2.5, -3.25) "
                        "setCameraAngleAndDistance(-20, 45, 30) "
                        "setGlobalVar(\"zeta\", 3) setGlobalVar(\"Alpha\", -5) setGlobalVar(\"beta\", 70000)",
                        "if frame == 1 then saveGame(\"game.sav\") end"));
    frame();
    EXPECT_TRUE(appearInOrder(frame(), {"Saving game into file game.sav\n", "lua print: loop\n"}));
    EXPECT_EQ(readFile("game.sav"), float32(1.5f) + float32(2.5f) + float32(-3.25f) + float32(45.f) +
                                        float32(-20.f) + int32(Player::MVT_TYPE_NONE) + int32(3) +
                                        variable("Alpha", -5) + variable("beta", 70000) + variable("zeta", 3));
}

TEST_F(LuaManagerLoopTest, LoadingAMissingSaveDoesNothingAndPrintsNothing)
{
    start(tracingScript("setPlayerMovementNone() setGlobalVar(\"kept\", 4)",
                        "if frame == 1 then loadGame(\"missing.sav\") end"));
    frame();
    std::string const trace = frame();
    EXPECT_EQ(trace, "lua print: loop\n");
    std::map<std::string, int32_t> const expected = {{"kept", 4}};
    EXPECT_EQ(variablesNow(), expected);
}

TEST_F(LuaManagerTest, ALaterVariableOfTheSameNameInASaveReplacesAnEarlierOne)
{
    EXPECT_EQ(loadThenSave(playerRecord() + int32(3) + variable("k", 1) + variable("j", 5) + variable("k", 2)),
              playerRecord() + int32(2) + variable("j", 5) + variable("k", 2));
}

TEST_F(LuaManagerLoopTest, QuitGameEndsTheGameAfterThatFrameAndASaveAskedWithItIsStillMade)
{
    start(tracingScript("setPlayerMovementNone()", "if frame == 2 then saveGame(\"late.sav\") quitGame() end"));
    frame();
    EXPECT_TRUE(manager->getIsRunning());
    EXPECT_EQ(occurrences(frame(), "lua print: loop\n"), 1);
    EXPECT_FALSE(manager->getIsRunning());
    EXPECT_TRUE(appearInOrder(stop(), {"lua print: uninit\n"}));
    // The game's last wish is not lost.
    EXPECT_EQ(readFile("late.sav").size(), 28u);
}

TEST_F(LuaManagerLoopTest, EscapeOpensTheMainMenuAndStillReachesTheWorldWhileTheFramesLaterKeysAreIgnored)
{
    start(tracingScript());
    world().getIndexedWorld().addCustomObject(Float3(5.f, 5.f, 5.f), 0);
    std::string const trace = frame(typed({ESCAPE, 'a'}));
    EXPECT_EQ(menu(), "main menu");
    EXPECT_FALSE(world().isEditorMode()) << "'a' came after the menu opened";
    EXPECT_EQ(occurrences(trace, NB), 1);
    // The world goes on while the menu is shown; only input is kept from it.
    EXPECT_TRUE(appearInOrder(trace, {"lua print: manage0\n", "lua print: loop\n"}));

    // In the main menu no key reaches the world and only Escape acts.
    std::string const ignored = frame(typed({'a', 'x', KeyboardManager::KEYASCII_F5, KeyboardManager::KEYASCII_ENTER}));
    EXPECT_EQ(occurrences(ignored, NB), 0);
    EXPECT_EQ(menu(), "main menu");
    EXPECT_FALSE(world().isEditorMode());
    std::string const closing = frame(typed({ESCAPE, 'a'}));
    EXPECT_EQ(menu(), "playing");
    EXPECT_EQ(occurrences(closing, NB), 1) << "only the 'a' after the menu closed";
    EXPECT_TRUE(world().isEditorMode());
}

TEST_F(LuaManagerLoopTest, AnyKeyInTheOptionsMenuGoesBackToTheMainMenuWithoutReachingTheWorld)
{
    start(tracingScript());
    frame(typed({ESCAPE}));
    frame(leftPress(Int2(100, 280)));
    ASSERT_EQ(menu(), "options menu");
    std::string const trace = frame(typed({'a'}));
    EXPECT_EQ(menu(), "main menu");
    EXPECT_FALSE(world().isEditorMode());
    EXPECT_EQ(occurrences(trace, NB), 0);
    frame(leftPress(Int2(100, 280)));
    frame(typed({ESCAPE}));
    EXPECT_EQ(menu(), "main menu") << "Escape too only goes back to the main menu";
    // Each key meets the menu left by the one before it.
    frame(leftPress(Int2(100, 280)));
    ASSERT_EQ(menu(), "options menu");
    frame(typed({KeyboardManager::KEYASCII_F1, ESCAPE}));
    EXPECT_EQ(menu(), "playing");
}

TEST_F(LuaManagerLoopTest, EscapeWithTheCubeTypeDialogOpenOnlyClosesTheDialog)
{
    start(tracingScript());
    frame(typed({'a'}));
    ASSERT_TRUE(world().isEditorMode());
    FrameInput openDialog = typed({'q'});
    openDialog.heldKeys = {KeyboardManager::KEYASCII_F3};
    frame(openDialog);
    deviceManager->getKeyboardManager()->keyReleased(KeyboardManager::KEYASCII_F3);
    ASSERT_EQ(world().getEditor().getDialogState(), 1);
    std::string const trace = frame(typed({ESCAPE}));
    EXPECT_EQ(world().getEditor().getDialogState(), 0);
    EXPECT_EQ(menu(), "playing");
    EXPECT_EQ(occurrences(trace, NB), 1);
    frame(typed({ESCAPE}));
    EXPECT_EQ(menu(), "main menu");
}

TEST_F(LuaManagerLoopTest, PlayKeysAndMouseEventsReachTheWorldBeforeItIsManaged)
{
    // A walking player falls in the empty world whenever it is managed.
    start(tracingScript("setPlayerMovementWalk()"));
    frame();
    Float3 const before = world().getPlayer().getPosition();
    frame();
    Float3 const falling = world().getPlayer().getPosition();
    ASSERT_NE(falling, before) << "the player does not move in this world";
    // 'a' turns on editor mode before the world is managed, which freezes the player in that frame.
    frame(typed({'a'}));
    EXPECT_TRUE(world().isEditorMode());
    EXPECT_EQ(world().getPlayer().getPosition(), falling);
    frame(typed({'A'}));
    EXPECT_FALSE(world().isEditorMode());
    EXPECT_NE(world().getPlayer().getPosition(), falling);
    // Function keys and every kind of mouse event go to the world, one count asked for each.
    FrameInput input = typed({KeyboardManager::KEYASCII_F5, KeyboardManager::KEYASCII_F6});
    input.mouse = {MouseEvent(Int2(100, 200), GLManager::MOUSE_RIGHT_BUTTON, GLManager::MOUSE_BUTTON_DOWN),
                   MouseEvent(Int2(100, 200), GLManager::MOUSE_RIGHT_BUTTON, GLManager::MOUSE_BUTTON_UP)};
    EXPECT_EQ(occurrences(frame(input), NB), 4);
    EXPECT_EQ(menu(), "playing");
}

TEST_F(LuaManagerLoopTest, MainMenuButtonsAnswerPressesJustInsideTheirEdgesOnly)
{
    start(tracingScript());
    frame(typed({ESCAPE}));
    ASSERT_EQ(menu(), "main menu");
    // Just outside each edge of the close, editor, options and quit buttons; between two buttons.
    for (Int2 const& position :
         {Int2(200, 30), Int2(270, 30), Int2(235, 15), Int2(235, 55), Int2(50, 180), Int2(150, 180), Int2(100, 150),
          Int2(100, 215), Int2(50, 280), Int2(150, 280), Int2(100, 250), Int2(100, 315), Int2(50, 380),
          Int2(150, 380), Int2(100, 350), Int2(100, 415), Int2(100, 230)})
    {
        std::string const trace = frame(leftPress(position));
        EXPECT_EQ(menu(), "main menu") << position;
        EXPECT_FALSE(world().isEditorMode()) << position;
        EXPECT_TRUE(manager->getIsRunning()) << position;
        EXPECT_EQ(occurrences(trace, NB), 0) << "a press in a menu reached the world";
    }
    // Only presses act: a release or a move over the editor button does nothing.
    frame(mouse(Int2(100, 200), GLManager::MOUSE_LEFT_BUTTON, GLManager::MOUSE_BUTTON_UP));
    frame(mouse(Int2(100, 200), -1, GLManager::MOUSE_MOVED_NO_BUTTON));
    EXPECT_FALSE(world().isEditorMode());

    for (Int2 const& position : {Int2(201, 16), Int2(269, 54)})
    {
        frame(leftPress(position));
        EXPECT_EQ(menu(), "playing") << position;
        frame(typed({ESCAPE}));
    }
    bool editorMode = false;
    for (Int2 const& position : {Int2(51, 151), Int2(149, 214), Int2(100, 200)})
    {
        frame(leftPress(position));
        editorMode = !editorMode;
        EXPECT_EQ(world().isEditorMode(), editorMode) << position;
        EXPECT_EQ(menu(), "main menu") << position;
    }
    frame(mouse(Int2(100, 200), GLManager::MOUSE_RIGHT_BUTTON, GLManager::MOUSE_BUTTON_DOWN));
    EXPECT_EQ(world().isEditorMode(), !editorMode) << "any button's press acts";
    for (Int2 const& position : {Int2(51, 251), Int2(149, 314)})
    {
        frame(leftPress(position));
        EXPECT_EQ(menu(), "options menu") << position;
        frame(typed({' '}));
    }
    frame(leftPress(Int2(149, 414)));
    EXPECT_FALSE(manager->getIsRunning());
    EXPECT_EQ(menu(), "main menu");
}

TEST_F(LuaManagerLoopTest, QuitButtonEndsTheGameAfterThatFrameFromItsTopLeftCorner)
{
    start(tracingScript());
    frame(typed({ESCAPE}));
    // A later press in the same frame still meets the main menu.
    FrameInput input = leftPress(Int2(51, 351));
    input.mouse.push_back(MouseEvent(Int2(100, 280), GLManager::MOUSE_LEFT_BUTTON, GLManager::MOUSE_BUTTON_DOWN));
    frame(input);
    EXPECT_FALSE(manager->getIsRunning());
    EXPECT_EQ(menu(), "options menu");
    EXPECT_TRUE(appearInOrder(stop(), {"lua print: uninit\n"}));
}

TEST_F(LuaManagerLoopTest, OptionsMenuButtonsAnswerPressesJustInsideTheirEdgesOnly)
{
    start(tracingScript());
    frame(typed({ESCAPE}));
    frame(leftPress(Int2(100, 280)));
    ASSERT_EQ(menu(), "options menu");
    ASSERT_EQ(world().getDistanceVision(), 1100.f);
    ASSERT_TRUE(world().getIndexedWorld().getEnableShadows());
    // Just outside the back, view distance and shadow buttons; the main menu's close button.
    for (Int2 const& position :
         {Int2(200, 30), Int2(270, 30), Int2(235, 10), Int2(235, 50), Int2(235, 52), Int2(50, 375), Int2(250, 375),
          Int2(100, 350), Int2(100, 400), Int2(50, 475), Int2(250, 475), Int2(100, 450), Int2(100, 500),
          Int2(50, 175), Int2(450, 225), Int2(300, 150), Int2(300, 250)})
    {
        std::string const trace = frame(leftPress(position));
        EXPECT_EQ(menu(), "options menu") << position;
        EXPECT_EQ(world().getDistanceVision(), 1100.f) << position;
        EXPECT_TRUE(world().getIndexedWorld().getEnableShadows()) << position;
        EXPECT_EQ(occurrences(trace, NB), 0) << "a press in a menu reached the world";
    }
    frame(leftPress(Int2(201, 11)));
    EXPECT_EQ(menu(), "main menu");
    frame(leftPress(Int2(100, 280)));
    frame(leftPress(Int2(269, 49)));
    EXPECT_EQ(menu(), "main menu");
    frame(leftPress(Int2(100, 280)));

    // View distance: column 0 shortens, column 1 lengthens, by 1.2.
    frame(leftPress(Int2(51, 351)));
    EXPECT_NEAR(world().getDistanceVision(), 1100.f / 1.2f, 0.01f);
    frame(leftPress(Int2(149, 399)));
    EXPECT_NEAR(world().getDistanceVision(), 1100.f / 1.2f / 1.2f, 0.01f);
    frame(leftPress(Int2(150, 351)));
    frame(leftPress(Int2(249, 399)));
    EXPECT_NEAR(world().getDistanceVision(), 1100.f, 0.01f);
    // Shortening stops once the distance is 10 or less; lengthening has no bound.
    world().setDistanceVision(11.f);
    frame(leftPress(Int2(100, 375)));
    EXPECT_NEAR(world().getDistanceVision(), 11.f / 1.2f, 1e-4f);
    frame(leftPress(Int2(100, 375)));
    EXPECT_NEAR(world().getDistanceVision(), 11.f / 1.2f, 1e-4f);
    world().setDistanceVision(10.f);
    frame(leftPress(Int2(100, 375)));
    EXPECT_EQ(world().getDistanceVision(), 10.f);
    world().setDistanceVision(1e6f);
    frame(leftPress(Int2(200, 375)));
    EXPECT_NEAR(world().getDistanceVision(), 1.2e6f, 1.f);

    // Shadows: column 0 off, column 1 on.
    frame(leftPress(Int2(51, 451)));
    EXPECT_FALSE(world().getIndexedWorld().getEnableShadows());
    frame(leftPress(Int2(150, 451)));
    EXPECT_TRUE(world().getIndexedWorld().getEnableShadows());
    frame(leftPress(Int2(149, 499)));
    EXPECT_FALSE(world().getIndexedWorld().getEnableShadows());
    frame(leftPress(Int2(249, 499)));
    EXPECT_TRUE(world().getIndexedWorld().getEnableShadows());
    EXPECT_EQ(menu(), "options menu");
}

TEST_F(LuaManagerLoopTest, OnlyTheDesktopFullScreenButtonChangesTheDisplayHere)
{
    // Full screen covers the other tests' windows: none may drive input meanwhile.
    TestSupport::InputLock const inputLock;
    start(tracingScript());
    frame(typed({ESCAPE}));
    frame(leftPress(Int2(100, 280)));
    ASSERT_EQ(menu(), "options menu");
    // Every display button but column 1 of the first row, each at an edge of its column.
    for (Int2 const& position : {Int2(51, 151), Int2(149, 199), Int2(250, 175), Int2(349, 175), Int2(350, 175),
                                 Int2(449, 199), Int2(51, 201), Int2(150, 225), Int2(249, 249), Int2(250, 225),
                                 Int2(449, 249)})
    {
        frame(leftPress(position));
        EXPECT_FALSE(deviceManager->isFullscreen()) << position;
        EXPECT_EQ(menu(), "options menu") << position;
    }
    frame(leftPress(Int2(150, 151)));
    EXPECT_TRUE(deviceManager->isFullscreen());
    EXPECT_EQ(menu(), "options menu");
}

// The overlay and the cursor over a script that clears to mid grey.
class LuaManagerPictureTest : public LuaManagerLoopTest
{
protected:
    void SetUp() override
    {
        LuaManagerLoopTest::SetUp();
        if (HasFatalFailure())
            return;
        start(tracingScript("setPlayerMovementNone() setFogColor(200, 200, 200)", "clearBackground()"));
    }

    // The colour far from every button, and those of the cursor's hot spot and of its inside.
    void expectPicture(int background, bool cursor, char const* state)
    {
        EXPECT_EQ(TestSupport::readScenePixelRgb(600, 500), Color4(background, background, background, 255)) << state;
        Color4 const hotSpot = cursor ? colorBlack : Color4(background, background, background, 255);
        Color4 const inside = cursor ? colorWhite : Color4(background, background, background, 255);
        EXPECT_EQ(TestSupport::readScenePixelRgb(400, 300), hotSpot) << state;
        EXPECT_EQ(TestSupport::readScenePixelRgb(404, 310), inside) << state;
    }
};

TEST_F(LuaManagerPictureTest, MenusHalfDarkenTheScriptsPictureAndTheCursorShowsOverMenusAndInTheEditor)
{
    frame(pointerAt(Int2(400, 300)));
    expectPicture(200, false, "playing");
    frame(typed({ESCAPE}));
    frame(pointerAt(Int2(400, 300)));
    // Black at alpha 128 over grey 200.
    Color4 const darkened = TestSupport::readScenePixelRgb(600, 500);
    EXPECT_NEAR(darkened.x(), 100, 2);
    EXPECT_EQ(darkened, Color4(darkened.x(), darkened.x(), darkened.x(), 255));
    expectPicture(darkened.x(), true, "main menu");
    frame(leftPress(Int2(100, 280)));
    frame(pointerAt(Int2(400, 300)));
    expectPicture(darkened.x(), true, "options menu");
    frame(typed({'x'}));
    frame(typed({ESCAPE}));
    frame(typed({'a'}));
    frame(pointerAt(Int2(400, 300)));
    ASSERT_TRUE(world().isEditorMode());
    expectPicture(200, true, "editor");
    frame(pointerAt(Int2(500, 100)));
    EXPECT_EQ(TestSupport::readScenePixelRgb(504, 110), colorWhite) << "the cursor follows the pointer";
    expectPicture(200, false, "editor, pointer elsewhere");
}

TEST_F(LuaManagerLoopTest, MainMenuWritesTheCreditsAndFiveStatisticsLinesBelowThem)
{
    // Over black, where the menu picture is clear, the texts stand alone.
    start(tracingScript("setPlayerMovementNone() setFogColor(0, 0, 0)", "clearBackground()"));
    frame(typed({ESCAPE}));
    frame();
    std::vector<unsigned char> const shown = TestSupport::readWindowPixels();
    int64_t const period = deviceManager->getLastFramePeriod();
    std::ostringstream framesPerSecond;
    framesPerSecond << "FPS: " << 1000000.f / static_cast<float>(period);

    // The same texts drawn alone with the game's font, white over black.
    Font const font(deviceManager, "default_font.png", 16, false);
    int const height = font.getHeight();
    std::vector<std::pair<std::string, int>> const lines = {
        {credits, 100},
        {framesPerSecond.str(), 100 + height},
        {"Total: " + std::to_string(period), 100 + 2 * height},
        {"Time swap buffers:", 100 + 3 * height},
        {"Time loopEvent:", 100 + 4 * height},
        {"Time manage:", 100 + 5 * height}};
    deviceManager->getScene2D()->set2DMode();
    deviceManager->clearBackground(colorBlack);
    deviceManager->setColor(colorWhite);
    for (auto const& line : lines)
        font.drawText(Int2(155, line.second), line.first.c_str(), Float2(1.f, 1.f), -1, false);
    std::vector<unsigned char> const alone = TestSupport::readWindowPixels();

    for (auto const& line : lines)
    {
        Int2 const corner(155, line.second);
        Int2 const size(font.getWidth(line.first.c_str(), -1, 1.f), height);
        std::vector<Color4> const expected = blockOf(alone, corner, size);
        std::vector<Color4> const actual = blockOf(shown, corner, size);
        int inked = 0;
        int differences = 0;
        for (size_t i = 0; i < expected.size(); ++i)
        {
            inked += expected[i] != colorBlack;
            differences += expected[i] != actual[i];
        }
        ASSERT_GT(inked, 0) << line.first;
        EXPECT_EQ(differences, 0) << "\"" << line.first << "\" at " << corner;
    }
}
