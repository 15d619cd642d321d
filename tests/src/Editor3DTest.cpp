#include "Camera.h"
#include "CubeType.h"
#include "DeviceManager.h"
#include "Editor3D.h"
#include "EditorBox.h"
#include "IndexedWorld.h"
#include "KeyboardManager.h"
#include "Scene2D.h"
#include "Scene3D.h"
#include "TestSupport.h"
#include "WorldIndexator.h"
#include "WorldRegion.h"
#include "WorldTestSupport.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using WorldTestSupport::EditedWorld;
using WorldTestSupport::GridBox;

namespace
{
int const NB_OBJECT_TYPES = 3;
int const MAX_FRAMES = 300;

// The code the window delivers for an xdotool key name.
int codeOfKeyName(std::string const& name)
{
    static std::map<std::string, int> const named = {
        {"space", ' '},
        {"period", '.'},
        {"Return", KeyboardManager::KEYASCII_ENTER},
        {"Escape", KeyboardManager::KEYASCII_ESCAPE},
        {"BackSpace", EditText::KEY_BACKSPACE},
        {"Delete", KeyboardManager::KEYASCII_DEL},
        {"Left", KeyboardManager::KEYASCII_LEFT},
        {"Right", KeyboardManager::KEYASCII_RIGHT},
        {"Up", KeyboardManager::KEYASCII_UP},
        {"Down", KeyboardManager::KEYASCII_DOWN},
        {"Prior", KeyboardManager::KEYASCII_PAGEUP},
        {"Next", KeyboardManager::KEYASCII_PAGEDOWN},
        {"F2", KeyboardManager::KEYASCII_F2},
        {"F3", KeyboardManager::KEYASCII_F3},
    };
    auto const found = named.find(name);
    return found != named.end() ? found->second : name[0];
}

// A world in the editor inside a real window fed by real X input: each frame's
// key and mouse events go to the editor as the game hands them over, after the
// pump, so held keys are read from the key table at that moment.
class EditorKeys : public ::testing::Test
{
protected:
    void open(int nbCubeTypes)
    {
        REQUIRE_DISPLAY();
        edited.reset(new EditedWorld("editor key test", nbCubeTypes));
        pump(5);
        std::string const window = TestSupport::findWindow("editor key test");
        ASSERT_FALSE(window.empty());
        ASSERT_TRUE(TestSupport::takeInput(window, Int2(400, 300)));
        pump(5);
    }

    Editor3D& editor() { return *edited->editor; }
    IndexedWorld& world() { return *edited->world; }

    // One frame; returns the codes of the keys pressed during it.
    std::vector<int> pumpOneFrame()
    {
        deviceManager->loopEvent();
        std::vector<int> const keys = deviceManager->getKeyboardManager()->keyEvents;
        bool result = true;
        for (int const code : keys)
        {
            editor().injectKeyEvent(static_cast<unsigned char>(code), NB_OBJECT_TYPES, result);
            EXPECT_FALSE(result);
        }
        for (MouseEvent const& event : deviceManager->getMouseEvents())
            editor().injectMouseEvent(event, NB_OBJECT_TYPES, result);
        return keys;
    }

    void pump(int frames)
    {
        for (int i = 0; i < frames; ++i)
            pumpOneFrame();
    }

    bool pumpUntil(std::function<bool()> const& condition)
    {
        for (int i = 0; i < MAX_FRAMES; ++i)
        {
            pumpOneFrame();
            if (condition())
                return true;
        }
        return false;
    }

    // Pumps until these codes have arrived in this order; held keys may repeat in between.
    void pumpUntilKeys(std::vector<int> const& codes)
    {
        size_t next = 0;
        std::vector<int> seen;
        for (int frame = 0; frame < MAX_FRAMES && next < codes.size(); ++frame)
            for (int const code : pumpOneFrame())
            {
                seen.push_back(code);
                if (next < codes.size() && code == codes[next])
                    ++next;
            }
        ASSERT_EQ(next, codes.size()) << "not every key arrived: " << testing::PrintToString(seen);
    }

    // Presses and releases each key of a space-separated list of xdotool key names.
    void press(std::string const& names)
    {
        ASSERT_TRUE(TestSupport::xdotool("key " + names)) << names;
        std::istringstream words(names);
        std::vector<int> codes;
        for (std::string word; words >> word;)
            codes.push_back(codeOfKeyName(word));
        pumpUntilKeys(codes);
    }

    void typeText(std::string const& text)
    {
        ASSERT_TRUE(TestSupport::xdotool("type '" + text + "'")) << text;
        pumpUntilKeys(std::vector<int>(text.begin(), text.end()));
    }

    void hold(std::string const& name)
    {
        ASSERT_TRUE(TestSupport::xdotool("keydown " + name));
        int const code = codeOfKeyName(name);
        ASSERT_TRUE(pumpUntil([code] { return deviceManager->getKeyboardManager()->keys[code]; })) << name;
    }

    void release(std::string const& name)
    {
        ASSERT_TRUE(TestSupport::xdotool("keyup " + name));
        int const code = codeOfKeyName(name);
        ASSERT_TRUE(pumpUntil([code] { return !deviceManager->getKeyboardManager()->keys[code]; })) << name;
    }

    // A key pressed while another is held down.
    void pressHolding(std::string const& held, std::string const& names)
    {
        hold(held);
        press(names);
        release(held);
    }

    void holdLeftButton()
    {
        ASSERT_TRUE(TestSupport::xdotool("mousedown 1"));
        ASSERT_TRUE(pumpUntil([] { return deviceManager->getMouseButton(GLManager::MOUSE_LEFT_BUTTON); }));
    }

    void releaseLeftButton()
    {
        ASSERT_TRUE(TestSupport::xdotool("mouseup 1"));
        ASSERT_TRUE(pumpUntil([] { return !deviceManager->getMouseButton(GLManager::MOUSE_LEFT_BUTTON); }));
    }

    // Opens the cube type dialog: F3 + q creates, F3 + m modifies.
    void openDialog(std::string const& key)
    {
        pressHolding("F3", key);
        ASSERT_EQ(editor().getDialogState(), 1);
    }

    // Answers the six texture prompts: each types after what the field holds.
    void answerTextures(std::vector<std::string> const& typed)
    {
        for (std::string const& text : typed)
        {
            if (!text.empty())
                typeText(text);
            press("Return");
        }
    }

    std::vector<std::string> faceNames(int type)
    {
        std::vector<std::string> names;
        for (int face = 0; face < CubeType::NB_FACES; ++face)
            names.push_back(world().getCubeType(type)->getTextureFilename(face));
        return names;
    }

    TestSupport::InputLock inputLock;
    std::unique_ptr<EditedWorld> edited;
};

// The same world without input, for what needs no keys.
class EditorWorld : public ::testing::Test
{
protected:
    void open(int nbCubeTypes)
    {
        REQUIRE_DISPLAY();
        edited.reset(new EditedWorld("editor test", nbCubeTypes));
    }

    Editor3D& editor() { return *edited->editor; }
    IndexedWorld& world() { return *edited->world; }

    std::unique_ptr<EditedWorld> edited;
};

// Red pixels of the window, and whether all others are black (edges may be
// blended with the background, so a darker red still counts as red).
int countRedPixels(bool& onlyRedOrBlack)
{
    std::vector<unsigned char> const pixels = TestSupport::readWindowPixels();
    int red = 0;
    onlyRedOrBlack = true;
    for (size_t i = 0; i < pixels.size(); i += 4)
    {
        int const r = pixels[i];
        int const g = pixels[i + 1];
        int const b = pixels[i + 2];
        if (r > 200 && g < 60 && b < 60)
            ++red;
        else if (r + g + b > 30 && !(r > 2 * g && r > 2 * b))
            onlyRedOrBlack = false;
    }
    return red;
}
}

TEST_F(EditorKeys, ArrowsPagesAndF2MoveTheCursorByCubesOrWholeRegions)
{
    open(1);
    press("Left Up Prior");
    EXPECT_EQ(editor().getCursorIndex(), Int3(1, 1, 1));
    press("Next Next Right Down");
    EXPECT_EQ(editor().getCursorIndex(), Int3(0, -1, 0));
    pressHolding("F2", "Left Prior");
    EXPECT_EQ(editor().getCursorIndex(), Int3(32, 31, 0)) << "F2 jumps a region per key";
    press("Right");
    EXPECT_EQ(editor().getCursorIndex(), Int3(31, 31, 0)) << "released, F2 no longer jumps";
    press("i");
    EXPECT_EQ(editor().getCursorIndex(), Int3(0, 0, 0));
    press("w 7 period");
    EXPECT_EQ(editor().getCursorIndex(), Int3(0, 0, 0)) << "other keys do not move the cursor";
}

TEST_F(EditorKeys, SpaceAddsTheSelectedBoxSplitAtRegionBorders)
{
    open(1);
    // Corners sharing y and z: nothing is added and the selection closes.
    press("space Right Right");
    EXPECT_TRUE(editor().getIsSelecting());
    EXPECT_EQ(editor().getSelectionStartIndex(), Int3(0, 0, 0));
    press("space");
    EXPECT_FALSE(editor().getIsSelecting());
    EXPECT_TRUE(WorldTestSupport::gridBoxesOf(world()).empty());

    // (-2, 0, 0) to (2, 1, 1) crosses the border x = 0: one zone on each side.
    press("space Left Left Left Left Prior Up space");
    std::vector<GridBox> const acrossTheOrigin = {GridBox{Int3(-2, 0, 0), Int3(0, 1, 1), 0},
                                                  GridBox{Int3(0, 0, 0), Int3(2, 1, 1), 0}};
    EXPECT_EQ(WorldTestSupport::gridBoxesOf(world()), acrossTheOrigin);

    // (30, 0, 0) to (32, 1, 1) ends on the border x = 32: a single zone.
    press("i");
    pressHolding("F2", "Left");
    press("Right Right space Left Left Prior Up space");
    std::vector<GridBox> expected = acrossTheOrigin;
    expected.push_back(GridBox{Int3(30, 0, 0), Int3(32, 1, 1), 0});
    EXPECT_EQ(WorldTestSupport::gridBoxesOf(world()), expected);
}

TEST_F(EditorKeys, CommandsNeedingACubeTypeDoNothingWithoutOne)
{
    open(0);
    press("space Left Up Prior space");
    EXPECT_FALSE(editor().getIsSelecting());
    pressHolding("F3", "m");
    EXPECT_EQ(editor().getDialogState(), 0);
    pressHolding("F3", "r");
    EXPECT_EQ(editor().getCurrentCubeType(), 0) << "never a negative cube type";
    press("r");
    EXPECT_EQ(editor().getCurrentCubeType(), 0);
    testing::internal::CaptureStderr();
    press("g");
    std::string const errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors, "ERROR : Cannot generate cubes of cube types 1 and 2: the world has 0 cube types\n");
    EXPECT_TRUE(WorldTestSupport::gridBoxesOf(world()).empty());
}

TEST_F(EditorKeys, HeldLeftButtonSnapsTheYawToAQuadrantThatTurnsTheArrows)
{
    open(1);
    Camera& camera = deviceManager->getScene3D()->getCamera();
    holdLeftButton();
    camera.setAngleY(-100.f);
    editor().updateCameraEditingMode();
    EXPECT_EQ(editor().getCameraQuadrant(), 3);
    press("Up");
    EXPECT_EQ(editor().getCursorIndex(), Int3(1, 0, 0)) << "up moves along +x in quadrant 3";

    // Each yaw snaps to the nearest quarter (halfway goes to the lower); the
    // arrows up, down, left, right then step as the camera sees them.
    struct Case
    {
        float yaw;
        int quadrant;
        Int3 up, down, left, right;
    };
    Case const cases[] = {
        {-180.f, 0, Int3(0, 0, 1), Int3(0, 0, -1), Int3(1, 0, 0), Int3(-1, 0, 0)},
        {-135.f, 0, Int3(0, 0, 1), Int3(0, 0, -1), Int3(1, 0, 0), Int3(-1, 0, 0)},
        {-260.f, 1, Int3(-1, 0, 0), Int3(1, 0, 0), Int3(0, 0, 1), Int3(0, 0, -1)},
        {10.f, 2, Int3(0, 0, -1), Int3(0, 0, 1), Int3(-1, 0, 0), Int3(1, 0, 0)},
        {-460.f, 3, Int3(1, 0, 0), Int3(-1, 0, 0), Int3(0, 0, -1), Int3(0, 0, 1)},
        {1000.f, 3, Int3(1, 0, 0), Int3(-1, 0, 0), Int3(0, 0, -1), Int3(0, 0, 1)},
    };
    for (Case const& c : cases)
    {
        camera.setAngleY(c.yaw);
        editor().updateCameraEditingMode();
        EXPECT_EQ(editor().getCameraQuadrant(), c.quadrant) << "yaw " << c.yaw;
        EXPECT_FLOAT_EQ(editor().getCameraAngle().y(), float(c.quadrant * 90 + 180));
        EXPECT_EQ(editor().getDirectionModifierFromDirectionKey_(KeyboardManager::KEYASCII_UP), c.up);
        EXPECT_EQ(editor().getDirectionModifierFromDirectionKey_(KeyboardManager::KEYASCII_DOWN), c.down);
        EXPECT_EQ(editor().getDirectionModifierFromDirectionKey_(KeyboardManager::KEYASCII_LEFT), c.left);
        EXPECT_EQ(editor().getDirectionModifierFromDirectionKey_(KeyboardManager::KEYASCII_RIGHT), c.right);
        EXPECT_EQ(editor().getDirectionModifierFromDirectionKey_(KeyboardManager::KEYASCII_PAGEUP), Int3(0, 1, 0));
    }

    // Released at yaw -100, the camera turns back over the next frames to
    // pitch -30 and the snapped yaw -90, orbiting the cursor at its distance.
    camera.setAngleY(-100.f);
    editor().updateCameraEditingMode();
    releaseLeftButton();
    for (int frame = 0; frame < 60; ++frame)
    {
        deviceManager->loopEvent();
        editor().updateCameraEditingMode();
    }
    EXPECT_NEAR(camera.getAngleX(), -30.f, 0.5f);
    EXPECT_NEAR(std::remainder(camera.getAngleY() + 90.f, 360.f), 0.f, 0.5f);
    Float3 const cursor = Editor3D::getRealFromCubeZoneIndex(editor().getCursorIndex());
    Float3 const offset = camera.getPosition() - cursor;
    EXPECT_NEAR(std::sqrt(offset.x() * offset.x() + offset.y() * offset.y() + offset.z() * offset.z()), 30.f, 0.01f);
    EXPECT_EQ(editor().getCameraQuadrant(), 3) << "the quadrant stays once the button is up";
}

TEST_F(EditorKeys, WheelMovesTheCameraBetweenZeroAndThreeHundred)
{
    open(1);
    ASSERT_TRUE(TestSupport::xdotool("click --repeat 3 --delay 30 4"));
    EXPECT_TRUE(pumpUntil([this] { return editor().getCameraDistance() == 0.f; }));
    pump(10);
    EXPECT_FLOAT_EQ(editor().getCameraDistance(), 0.f) << "30 - 15 - 15, then no further";
    ASSERT_TRUE(TestSupport::xdotool("click --repeat 21 --delay 30 5"));
    EXPECT_TRUE(pumpUntil([this] { return editor().getCameraDistance() == 300.f; }));
    pump(10);
    EXPECT_FLOAT_EQ(editor().getCameraDistance(), 300.f);
}

TEST_F(EditorKeys, PageKeysWithTOrF3ChangeTheCurrentTypesWithinTheirRange)
{
    open(2);
    hold("t");
    press("Prior Prior Prior");
    EXPECT_EQ(editor().getCurrentObjectType(), NB_OBJECT_TYPES - 1) << "stops at the last object type";
    press("Next Next Next");
    EXPECT_EQ(editor().getCurrentObjectType(), 0) << "t + Page Down at object type 0 changes nothing";
    press("Prior");
    release("t");
    hold("F3");
    press("Prior Prior");
    EXPECT_EQ(editor().getCurrentCubeType(), 1) << "F3 + Page Up at the last type changes nothing";
    press("Next Next");
    EXPECT_EQ(editor().getCurrentCubeType(), 0);
    release("F3");
    EXPECT_EQ(editor().getCursorIndex(), Int3(0, 0, 0)) << "the type keys do not move the cursor";

    // 'x' places an object of the current object type at the cursor's point.
    press("Left x");
    WorldRegion const* const region = world().getWorldIndexator()->getWorldRegionFromTableRegionIndex(
        Int3(0, 0, 0) - world().getWorldIndexator()->getTableRegionOrigin());
    ASSERT_EQ(region->getCustomObjects().size(), 1u);
    EXPECT_EQ(region->getCustomObjects()[0].getId(), 1);
    EXPECT_EQ(region->getCustomObjects()[0].getPosition(), Float3(10.f, 0.f, 0.f));
}

TEST_F(EditorKeys, RSelectsTheTypeBeforeTheLastAndWithF3RemovesTheLast)
{
    open(3);
    pressHolding("F3", "Prior Prior");
    ASSERT_EQ(editor().getCurrentCubeType(), 2);
    press("r");
    EXPECT_EQ(editor().getCurrentCubeType(), 1);
    EXPECT_EQ(world().getNbCubeType(), 3) << "without F3 no type is removed";
    hold("F3");
    press("r");
    EXPECT_EQ(world().getNbCubeType(), 2);
    EXPECT_EQ(editor().getCurrentCubeType(), 1);
    press("r");
    EXPECT_EQ(world().getNbCubeType(), 1);
    EXPECT_EQ(editor().getCurrentCubeType(), 0) << "one type left: 0";
    press("r r");
    EXPECT_EQ(world().getNbCubeType(), 0);
    EXPECT_EQ(editor().getCurrentCubeType(), 0);
    release("F3");
}

TEST_F(EditorKeys, DialogAddsATypeWithEachAnswerOnTheFaceItsPromptNames)
{
    open(2);
    openDialog("q");
    EXPECT_FALSE(editor().getIsModifyingCubeType());
    typeText("t1_1.png");
    press("Return");
    EXPECT_EQ(editor().getDialogState(), 2);
    EXPECT_EQ(editor().getDialogText(), "t1_1.png") << "the field keeps the last answer";
    press("BackSpace BackSpace BackSpace BackSpace BackSpace");
    answerTextures({"2.png"});
    for (char face = '3'; face <= '6'; ++face)
    {
        press("BackSpace BackSpace BackSpace BackSpace BackSpace");
        answerTextures({std::string(1, face) + ".png"});
    }
    ASSERT_EQ(editor().getDialogState(), 7);
    press("y");
    press("x");
    EXPECT_EQ(editor().getDialogState(), 8) << "only y and n answer";
    press("n Y");
    ASSERT_EQ(editor().getDialogState(), 10);
    press("n");
    EXPECT_EQ(editor().getDialogState(), 0);

    ASSERT_EQ(world().getNbCubeType(), 3);
    EXPECT_EQ(editor().getCurrentCubeType(), 2) << "the new type becomes the current one";
    EXPECT_EQ(faceNames(2), WorldTestSupport::sixNames("t1_"));
    CubeType* const added = world().getCubeType(2);
    EXPECT_TRUE(added->getRepeatTexture(0));
    EXPECT_FALSE(added->getRepeatTexture(1));
    EXPECT_TRUE(added->getRepeatTexture(2));
    EXPECT_FALSE(added->getIsCollidable());
}

TEST_F(EditorKeys, AnyKeyEndsTheLastPromptAndOnlyYOrNChangesTheCollidableAnswer)
{
    open(1);
    std::vector<std::string> const sameTexture = {"t0_1.png", "", "", "", "", ""};
    // Before any answer, cube types are collidable.
    openDialog("q");
    answerTextures(sameTexture);
    press("y y y");
    press("z");
    EXPECT_EQ(editor().getDialogState(), 0);
    ASSERT_EQ(world().getNbCubeType(), 2);
    EXPECT_EQ(faceNames(1), std::vector<std::string>(6, "t0_1.png"));
    EXPECT_TRUE(world().getCubeType(1)->getIsCollidable());

    openDialog("q");
    answerTextures(sameTexture);
    press("n n n n");
    EXPECT_FALSE(world().getCubeType(2)->getIsCollidable());
    // Left with another key, the answer is the previous dialog's.
    openDialog("q");
    answerTextures({"", "", "", "", "", ""});
    press("n n n Escape");
    EXPECT_EQ(world().getNbCubeType(), 3) << "Escape at the last prompt closes without a type";
    openDialog("q");
    EXPECT_EQ(editor().getDialogText(), "") << "a new dialog starts with an empty field";
    answerTextures(sameTexture);
    press("n n n Return");
    ASSERT_EQ(world().getNbCubeType(), 4);
    EXPECT_FALSE(world().getCubeType(3)->getIsCollidable());
}

TEST_F(EditorKeys, EscapeAtAnyPromptLeavesTheWorldUnchanged)
{
    open(1);
    openDialog("q");
    answerTextures({"t0_1.png", "", ""});
    ASSERT_EQ(editor().getDialogState(), 4);
    press("Escape");
    EXPECT_EQ(editor().getDialogState(), 0);
    EXPECT_EQ(world().getNbCubeType(), 1);
    press("Left");
    EXPECT_EQ(editor().getCursorIndex(), Int3(1, 0, 0)) << "keys are commands again";

    openDialog("m");
    answerTextures({"t0_2.png", "", "", "", "", ""});
    press("y Escape");
    EXPECT_EQ(editor().getDialogState(), 0);
    EXPECT_EQ(faceNames(0)[0], "t0_3.png") << "the type is not modified";
}

TEST_F(EditorKeys, MissingOrUnusableTexturesAreReportedAndNothingChanges)
{
    open(1);
    WorldTestSupport::writeSolidPng("cube_textures/only_here.png", 10, 20, 30, 255);
    TestSupport::writeFile("cube_textures/notes.txt", "text");
    TestSupport::writeFile("cube_shadowed_textures/notes.txt", "text");
    struct Case
    {
        std::string firstAnswer;
        std::string message;
    };
    Case const cases[] = {
        {"nothere.png", "Could not create new cube aggregate type, missing file : cube_textures/nothere.png\n"},
        // Shadowed textures are loaded with the others: without one the type could not be drawn.
        {"only_here.png",
         "Could not create new cube aggregate type, missing file : cube_shadowed_textures/only_here.png\n"},
        // An empty name is the folder itself.
        {"", "Could not create new cube aggregate type, missing file : cube_textures/\n"},
        {"notes.txt", "Could not create new cube aggregate type, not a PNG, JPEG or TGA picture : "
                      "cube_textures/notes.txt\n"},
    };
    for (Case const& c : cases)
    {
        openDialog("q");
        answerTextures({c.firstAnswer, "", "", "", "", ""});
        press("y y y");
        testing::internal::CaptureStdout();
        press("y");
        std::string const output = testing::internal::GetCapturedStdout();
        EXPECT_EQ(output, c.message);
        EXPECT_EQ(editor().getDialogState(), 0);
        EXPECT_EQ(world().getNbCubeType(), 1);
    }
    // The same check guards modifying a type.
    openDialog("m");
    answerTextures({"nothere.png", "", "", "", "", ""});
    testing::internal::CaptureStdout();
    press("n n n n");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Could not modify cube aggregate type, missing file : cube_textures/nothere.png\n");
    EXPECT_EQ(faceNames(0)[0], "t0_3.png");
}

TEST_F(EditorKeys, F3MModifiesTheCurrentTypeInFaceOrder)
{
    open(2);
    pressHolding("F3", "Prior");
    openDialog("m");
    EXPECT_TRUE(editor().getIsModifyingCubeType());
    typeText("t0_1.png");
    press("Return");
    for (char face = '2'; face <= '6'; ++face)
    {
        press("BackSpace BackSpace BackSpace BackSpace BackSpace");
        answerTextures({std::string(1, face) + ".png"});
    }
    press("n y n y");
    EXPECT_EQ(world().getNbCubeType(), 2);
    EXPECT_EQ(faceNames(1), WorldTestSupport::sixNames("t0_"));
    EXPECT_TRUE(world().getCubeType(1)->getRepeatTexture(1));
    EXPECT_TRUE(world().getCubeType(1)->getIsCollidable());
    EXPECT_EQ(faceNames(0), (std::vector<std::string>{"t0_3.png", "t0_4.png", "t0_1.png", "t0_2.png", "t0_5.png",
                                                       "t0_6.png"}))
        << "the other type keeps its faces";
}

TEST_F(EditorKeys, SaveWritesTheWorldFileAndLoadBringsItBack)
{
    open(2);
    press("space Left Left Up Prior space");
    pressHolding("F3", "Prior");
    pressHolding("F2", "Right");
    press("space Right Prior Prior Down space");
    std::vector<GridBox> const saved = WorldTestSupport::gridBoxesOf(world());
    ASSERT_EQ(saved.size(), 2u);
    press("s");

    press("i space Left Prior Up space");
    ASSERT_EQ(WorldTestSupport::gridBoxesOf(world()).size(), 3u);
    press("l");
    EXPECT_EQ(WorldTestSupport::gridBoxesOf(world()), saved);
    EXPECT_EQ(world().getNbCubeType(), 2);
    EXPECT_EQ(editor().getCurrentCubeType(), 0) << "loading selects the first type";
}

TEST_F(EditorKeys, DeletionKeysRemoveAtTheCursorInTheRegionOrEverywhere)
{
    open(1);
    ASSERT_TRUE(editor().addCubeZone(Int3(0, 0, 0), Int3(2, 2, 2), 0));
    ASSERT_TRUE(editor().addCubeZone(Int3(5, 0, 0), Int3(6, 1, 1), 0));
    ASSERT_TRUE(editor().addCubeZone(Int3(10, 0, 0), Int3(11, 1, 1), 0));
    ASSERT_TRUE(editor().addCubeZone(Int3(-3, 0, 0), Int3(-2, 1, 1), 0));
    press("Left Up Prior Delete");
    EXPECT_EQ(WorldTestSupport::gridBoxesOf(world()).size(), 3u) << "the zone holding the cursor";
    press("d");
    std::vector<GridBox> boxes = WorldTestSupport::gridBoxesOf(world());
    ASSERT_EQ(boxes.size(), 2u) << "the nearest zone of the cursor's region";
    EXPECT_EQ(boxes[1].low, Int3(10, 0, 0));
    pressHolding("F2", "d");
    boxes = WorldTestSupport::gridBoxesOf(world());
    ASSERT_EQ(boxes.size(), 1u) << "the cursor's region emptied";
    EXPECT_EQ(boxes[0].low, Int3(-3, 0, 0));
    pressHolding("F2", "Delete");
    EXPECT_TRUE(WorldTestSupport::gridBoxesOf(world()).empty());
    EXPECT_EQ(world().getNbCubeType(), 1);
}

TEST_F(EditorKeys, GHeldWithADigitPicksTheGenerationTypeLowestDigitFirst)
{
    open(2);
    testing::internal::CaptureStdout();
    press("g");
    hold("3");
    hold("1");
    press("g");
    release("1");
    press("g");
    release("3");
    std::string const output = testing::internal::GetCapturedStdout();
    std::string const at = "Generate random at BasicVector<3,?(sizeof=4)> (0;0;0;)";
    EXPECT_NE(output.find(at + " (type 0)\n" + at + " (type 1)\n" + at + " (type 3)\n"), std::string::npos)
        << output;
    EXPECT_FALSE(WorldTestSupport::gridBoxesOf(world()).empty());

    // With the last type current, the top type would not exist: refused.
    world().clearAll();
    pressHolding("F3", "Prior");
    testing::internal::CaptureStderr();
    press("g");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ERROR : Cannot generate cubes of cube types 2 and 3: the world has 2 cube types\n");
    EXPECT_TRUE(WorldTestSupport::gridBoxesOf(world()).empty());

    // F2 + g without the height map: an error line, nothing added.
    pressHolding("F3", "Next");
    testing::internal::CaptureStderr();
    pressHolding("F2", "g");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ERROR : Cannot generate the world: the height map 'world_heightmap.png' is missing\n");
    EXPECT_TRUE(WorldTestSupport::gridBoxesOf(world()).empty());
}

TEST_F(EditorKeys, OverlayShowsTheCurrentTypesFacesAndLowersATypeBeyondTheLast)
{
    open(3);
    // Every face texture of every type in a colour of its own.
    std::map<std::string, Color4> colours;
    for (int type = 0; type < 3; ++type)
        for (int face = 0; face < 6; ++face)
        {
            std::string const name = EditedWorld::namesOfType(type)[face];
            Color4 const colour(40 * face + 20, 80 * type + 20, 200, 255);
            WorldTestSupport::writeSolidPng("cube_textures/" + name, colour.x(), colour.y(), colour.z(), 255);
            colours[name] = colour;
        }
    pressHolding("F3", "Prior Prior");
    // Removed behind the editor's back, as a menu or a script may do.
    world().removeLastCubeType();

    Scene2D* const scene = deviceManager->getScene2D();
    auto const drawOverlay = [&] {
        scene->set2DMode();
        glClearColor(0.f, 0.f, 0.f, 1.f);
        glClear(GL_COLOR_BUFFER_BIT);
        editor().drawEditor2D(*edited->font, NB_OBJECT_TYPES);
    };
    deviceManager->setColor(colorBlue);
    drawOverlay();
    EXPECT_EQ(editor().getCurrentCubeType(), 1);
    EXPECT_EQ(deviceManager->getColor(), colorBlue) << "the colour is restored";
    for (int face = 0; face < 6; ++face)
        EXPECT_EQ(TestSupport::readScenePixelRgb(35, 85 + 60 * face),
                  colours[world().getCubeType(1)->getTextureFilename(face)])
            << "face " << face;
    EXPECT_TRUE(world().getCubeType(1)->getIsUsedByEditor());
    EXPECT_FALSE(world().getCubeType(0)->getIsUsedByEditor());

    // While the dialog is open only the dialog is drawn.
    openDialog("q");
    drawOverlay();
    EXPECT_EQ(TestSupport::readScenePixelRgb(35, 385), Color4(0, 0, 0, 255));
}

TEST_F(EditorWorld, MarkersAreRedWireframesAndLeaveTheDrawingStateAsFound)
{
    open(1);
    Scene3D* const scene = deviceManager->getScene3D();
    scene->setLighting(false);
    scene->getCamera().setRotation(Float3(-30.f, -180.f, 0.f));
    editor().updateCameraEditingMode();
    auto const drawAndCount = [&](std::function<void()> const& draw, bool& onlyRedOrBlack) {
        glClearColor(0.f, 0.f, 0.f, 1.f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        draw();
        return countRedPixels(onlyRedOrBlack);
    };
    deviceManager->setColor(colorWhite);
    bool onlyRed = false;
    int const cursorOnly = drawAndCount([&] { editor().drawEditor3D(); }, onlyRed);
    EXPECT_GT(cursorOnly, 0);
    EXPECT_TRUE(onlyRed);
    EXPECT_EQ(deviceManager->getColor(), colorWhite);
    GLint polygonMode[2] = {0, 0};
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    EXPECT_EQ(polygonMode[0], GL_FILL) << "wireframe mode is off again";
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));

    // No placement: nothing. A placement running: its two corners and the box between them.
    EXPECT_EQ(drawAndCount([&] { editor().drawOnlyCubeCreation(); }, onlyRed), 0);
    editor().startOnlyCubeCreation(Float3(0.f, 0.f, 0.f));
    for (int i = 0; i < 2; ++i)
        editor().injectKeyEventOnlyCube(KeyboardManager::KEYASCII_LEFT);
    editor().injectKeyEventOnlyCube(KeyboardManager::KEYASCII_UP);
    editor().injectKeyEventOnlyCube(KeyboardManager::KEYASCII_PAGEUP);
    int const placement = drawAndCount([&] { editor().drawOnlyCubeCreation(); }, onlyRed);
    EXPECT_GT(placement, cursorOnly);
    EXPECT_TRUE(onlyRed);
}

TEST_F(EditorWorld, ScriptPlacementFollowsKeysUntilSpaceConfirmsIt)
{
    open(1);
    Int3 first(7, 7, 7);
    Int3 second(7, 7, 7);
    EXPECT_FALSE(editor().injectKeyEventOnlyCube(KeyboardManager::KEYASCII_LEFT)) << "no placement runs";
    EXPECT_FALSE(editor().manageOnlyCubeCreation(first, second));
    EXPECT_EQ(first, Int3(7, 7, 7));

    // Grid indices truncate toward zero.
    editor().startOnlyCubeCreation(Float3(25.f, 9.f, -15.f));
    EXPECT_TRUE(editor().getIsCreatingOnlyCube());
    editor().startOnlyCubeCreation(Float3(500.f, 500.f, 500.f)); // ignored while one runs
    EXPECT_TRUE(editor().injectKeyEventOnlyCube(KeyboardManager::KEYASCII_LEFT));
    EXPECT_TRUE(editor().injectKeyEventOnlyCube(KeyboardManager::KEYASCII_PAGEUP));
    EXPECT_TRUE(editor().injectKeyEventOnlyCube('w'));
    EXPECT_TRUE(editor().injectMouseEventOnlyCube(MouseEvent(Int2(5, 5), -1, GLManager::MOUSE_MOVED_NO_BUTTON)));
    EXPECT_FALSE(editor().manageOnlyCubeCreation(first, second));
    EXPECT_EQ(first, Int3(2, 0, -1));
    EXPECT_EQ(second, Int3(3, 1, -1));
    EXPECT_TRUE(editor().injectKeyEventOnlyCube(' '));
    EXPECT_TRUE(editor().manageOnlyCubeCreation(first, second));
    EXPECT_FALSE(editor().getIsCreatingOnlyCube());
    EXPECT_FALSE(editor().manageOnlyCubeCreation(first, second));
    EXPECT_FALSE(editor().injectMouseEventOnlyCube(MouseEvent(Int2(5, 5), -1, GLManager::MOUSE_MOVED_NO_BUTTON)));

    // Corners equal on one, two or three axes: refused, nothing added.
    EXPECT_FALSE(editor().createOnlyCube(Int3(1, 1, 1), Int3(1, 1, 1), 0));
    EXPECT_FALSE(editor().createOnlyCube(Int3(1, 0, 0), Int3(1, 1, 1), 0));
    EXPECT_FALSE(editor().createOnlyCube(Int3(1, 1, 0), Int3(1, 1, 1), 0));
    EXPECT_FALSE(editor().createOnlyCube(Int3(40, 0, 0), Int3(20, 1, 0), 0));
    EXPECT_TRUE(WorldTestSupport::gridBoxesOf(world()).empty());
    EXPECT_TRUE(editor().createOnlyCube(Int3(3, 1, -1), Int3(-1, 0, 1), 0));
    std::vector<GridBox> const expected = {GridBox{Int3(-1, 0, -1), Int3(0, 1, 0), 0},
                                           GridBox{Int3(-1, 0, 0), Int3(0, 1, 1), 0},
                                           GridBox{Int3(0, 0, -1), Int3(3, 1, 0), 0},
                                           GridBox{Int3(0, 0, 0), Int3(3, 1, 1), 0}};
    EXPECT_EQ(WorldTestSupport::gridBoxesOf(world()), expected);
}

TEST_F(EditorWorld, SplitAdditionCutsAtEveryBorderAndStopsAtTheFirstRefusal)
{
    open(1);
    // Across the three borders around the origin: eight zones.
    EXPECT_TRUE(editor().addCubeZoneWithRegionLimitCaretaking(Int3(1, 1, 1), Int3(-1, -1, -1), 0));
    EXPECT_EQ(WorldTestSupport::gridBoxesOf(world()).size(), 8u);
    world().clearAll();
    // -1 / 32 is region -1 and 64 ends on a border: regions -1, 0 and 1 along x.
    EXPECT_TRUE(editor().addCubeZoneWithRegionLimitCaretaking(Int3(-1, 0, 0), Int3(64, 1, 1), 0));
    std::vector<GridBox> const alongX = {GridBox{Int3(-1, 0, 0), Int3(0, 1, 1), 0},
                                         GridBox{Int3(0, 0, 0), Int3(32, 1, 1), 0},
                                         GridBox{Int3(32, 0, 0), Int3(64, 1, 1), 0}};
    EXPECT_EQ(WorldTestSupport::gridBoxesOf(world()), alongX);
    // Conversions truncate toward zero both ways.
    EXPECT_EQ(Editor3D::getRealFromCubeZoneIndex(Int3(-3, 0, 7)), Float3(-30.f, 0.f, 70.f));
    EXPECT_EQ(Editor3D::getCubeZoneIndexFromReal(Float3(-39.f, 9.9f, 71.f)), Int3(-3, 0, 7));
    EXPECT_EQ(Editor3D::getCubeZoneIndexFromReal(Float3(NAN, 1e30f, -1e30f)),
              Int3(0, 1000000000, -1000000000));
}

TEST_F(EditorWorld, BoxWithoutExtentBreaksTheAdditionContract)
{
    open(1);
    TestSupport::ChildResult const result =
        TestSupport::runInChildSharingWindow([&] { editor().addCubeZone(Int3(0, 0, 0), Int3(2, 0, 2), 0); });
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.errors.find("__FILE__ src/Editor3D.cpp"), std::string::npos) << result.errors;
    EXPECT_NE(result.errors.find("Condition: positionMin.x() != positionMax.x() && positionMin.y() != "
                                 "positionMax.y() && positionMin.z() != positionMax.z()"),
              std::string::npos)
        << result.errors;
}

TEST_F(EditorKeys, DraggingAMenuWindowWithTheLeftButtonAlsoTurnsTheView)
{
    open(1);
    std::string const window = TestSupport::findWindow("editor key test");
    bool result = false;
    int const width = deviceManager->getScene2D()->getVirtualSize().x();
    editor().injectMouseEvent(MouseEvent(Int2(width - 50, 10), GLManager::MOUSE_LEFT_BUTTON,
                                         GLManager::MOUSE_BUTTON_DOWN),
                              NB_OBJECT_TYPES, result);
    ASSERT_EQ(editor().getEditorBoxes().size(), 1u);
    EditorBox const& menu = *editor().getEditorBoxes()[0];
    ASSERT_TRUE(TestSupport::xdotool("mousemove --window " + window + " 110 60"));
    ASSERT_TRUE(pumpUntil([] { return deviceManager->getMousePosition() == Int2(110, 60); }));
    Camera const& camera = deviceManager->getScene3D()->getCamera();
    float const pitch = camera.getAngleX();
    float const yaw = camera.getAngleY();
    holdLeftButton();
    ASSERT_TRUE(menu.getIsDragging());
    ASSERT_TRUE(TestSupport::xdotool("mousemove --window " + window + " 150 90"));
    EXPECT_TRUE(pumpUntil([&] { return menu.getPosition() == Int2(140, 80); }));
    EXPECT_FLOAT_EQ(camera.getAngleY(), yaw - 40.f) << "one degree per pixel to the right";
    EXPECT_FLOAT_EQ(camera.getAngleX(), pitch - 30.f);
    releaseLeftButton();
    EXPECT_FALSE(menu.getIsDragging());
}
