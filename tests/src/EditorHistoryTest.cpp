#include "CubeType.h"
#include "DeviceManager.h"
#include "Editor3D.h"
#include "EditorHistory.h"
#include "IndexedWorld.h"
#include "KeyboardManager.h"
#include "TestSupport.h"
#include "WorldIndexator.h"
#include "WorldRegion.h"
#include "WorldTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

using WorldTestSupport::EditedWorld;

namespace
{
int const NB_OBJECT_TYPES = 2;

// The editor's commands sent as the keys that run them, modifiers set in the
// key table as if held, on a world with the textures of two cube types.
class EditorUndo : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DISPLAY();
        edited.reset(new EditedWorld("editor undo test", 2));
    }

    Editor3D& editor() { return *edited->editor; }
    IndexedWorld& world() { return *edited->world; }

    void key(int code)
    {
        bool result = true;
        editor().injectKeyEvent(static_cast<unsigned char>(code), NB_OBJECT_TYPES, result);
    }

    void keyHolding(int held, int code)
    {
        bool* const keys = deviceManager->getKeyboardManager()->keys;
        keys[held] = true;
        key(code);
        keys[held] = false;
    }

    void type(std::string const& text)
    {
        for (char const c : text)
            key(c);
    }

    // The cube type dialog answered in full: six texture names of one of the
    // two sets, then the repeat and collidable answers.
    void runDialog(int openKey, int textureSet, std::string const& answers)
    {
        keyHolding(KeyboardManager::KEYASCII_F3, openKey);
        if (editor().getDialogState() != 1)
            return;
        for (std::string const& name : EditedWorld::namesOfType(textureSet))
        {
            while (!editor().getDialogText().empty())
                key(EditText::KEY_BACKSPACE);
            type(name);
            key(KeyboardManager::KEYASCII_ENTER);
        }
        type(answers);
    }

    std::string worldFile()
    {
        world().saveWorldToFile("snapshot.dat");
        return TestSupport::readFile("snapshot.dat");
    }

    void moveCursorRandomly(std::mt19937& random)
    {
        static int const moves[] = {KeyboardManager::KEYASCII_LEFT, KeyboardManager::KEYASCII_RIGHT,
                                    KeyboardManager::KEYASCII_UP,   KeyboardManager::KEYASCII_DOWN,
                                    KeyboardManager::KEYASCII_PAGEUP, KeyboardManager::KEYASCII_PAGEDOWN};
        int const count = int(random() % 4);
        for (int i = 0; i < count; ++i)
        {
            int const move = moves[random() % 6];
            // Now and then a jump of a whole region.
            if (random() % 8 == 0)
                keyHolding(KeyboardManager::KEYASCII_F2, move);
            else
                key(move);
        }
    }

    // One command of the editor that may change the world, picked at random,
    // with the cursor moved about before it.
    void runRandomCommand(std::mt19937& random)
    {
        moveCursorRandomly(random);
        int const F2 = KeyboardManager::KEYASCII_F2;
        int const F3 = KeyboardManager::KEYASCII_F3;
        switch (random() % 20)
        {
        case 0:
        case 1:
        case 2:
            // A box: space, a few moves, space.
            if (!editor().getIsSelecting())
                key(' ');
            for (int i = 0; i < 3; ++i)
                moveCursorRandomly(random);
            key(' ');
            break;
        case 3:
        case 4:
            key('x');
            break;
        case 5:
            key(KeyboardManager::KEYASCII_DEL);
            break;
        case 6:
            key('d');
            break;
        case 7:
            keyHolding(F2, 'd');
            break;
        case 8:
            if (random() % 3 == 0)
                keyHolding(F2, KeyboardManager::KEYASCII_DEL);
            else
                key('s');
            break;
        case 9:
        case 10:
            keyHolding('0' + int(random() % 5), 'g');
            break;
        case 11:
            key('h');
            break;
        case 12:
            if (random() % 4 == 0)
                keyHolding(F2, 'h');
            else
                keyHolding(F2, 'g'); // no height map here: nothing happens
            break;
        case 13:
            key('l');
            break;
        case 14:
            key('r');
            break;
        case 15:
            if (random() % 3 == 0)
                keyHolding(F3, 'r');
            else
                runDialog('q', int(random() % 2), "nnyy");
            break;
        case 16:
            runDialog('q', int(random() % 2), "yny" + std::string(1, random() % 2 ? 'y' : 'n'));
            break;
        case 17:
            runDialog('m', int(random() % 2), "nyn" + std::string(1, random() % 2 ? 'y' : 'n'));
            break;
        case 18:
            keyHolding(F3, KeyboardManager::KEYASCII_PAGEUP);
            break;
        default:
            key('i');
            break;
        }
    }

    // One manage step of the regions around the origin, in which the script
    // carries every object of type 1 30 units along +x.
    void moveObjectsOfTypeOneAlongX()
    {
        RecordingLuaFuncs lua;
        lua.onCall = [](RecordingLuaFuncs& self, std::string const& name) {
            if (name == "lua_manage_1")
                self.getCurrentObject()->setPosition(self.getCurrentObject()->getPosition() +
                                                     Float3(30.f, 0.f, 0.f));
        };
        CustomObject_injectLuaFuncs(&lua);
        world().getWorldIndexator()->setViewDistance(320.f);
        world().getWorldIndexator()->manageAround(Float3(0.f, 0.f, 0.f));
        CustomObject_injectLuaFuncs(NULL);
    }

    // The x of every script object of the world, in ascending order.
    std::vector<float> objectXs()
    {
        WorldIndexator const& index = *world().getWorldIndexator();
        std::vector<float> xs;
        for (Int3 cell(0, 0, 0); cell.x() < index.getTableRegionSize().x(); ++cell.x())
            for (cell.y() = 0; cell.y() < index.getTableRegionSize().y(); ++cell.y())
                for (cell.z() = 0; cell.z() < index.getTableRegionSize().z(); ++cell.z())
                    for (CustomObject const& object : index.getWorldRegionFromTableRegionIndex(cell)->getCustomObjects())
                        xs.push_back(object.getPosition().x());
        std::sort(xs.begin(), xs.end());
        return xs;
    }

    // The number of zones in the region holding the point.
    size_t zonesAt(Float3 const& point)
    {
        WorldIndexator const& index = *world().getWorldIndexator();
        return index.getWorldRegionFromTableRegionIndex(index.getTableRegionIndexFromRealPosition(point))
            ->getCubeZones()
            .size();
    }

    std::unique_ptr<EditedWorld> edited;
};
}

TEST_F(EditorUndo, EveryCommandIsUndoneToTheFileBeforeItAndRedoneToTheFileAfter)
{
    testing::internal::CaptureStdout();
    std::string const empty = worldFile();
    key(Editor3D::KEY_UNDO);
    key(Editor3D::KEY_REDO);
    EXPECT_EQ(worldFile(), empty) << "nothing to undo or redo";

    std::mt19937 random(16);
    int changes = 0;
    for (int command = 0; command < 240; ++command)
    {
        std::string const before = worldFile();
        runRandomCommand(random);
        std::string const after = worldFile();
        key(Editor3D::KEY_UNDO);
        if (before != after)
        {
            ++changes;
            ASSERT_EQ(worldFile(), before) << "undo of command " << command;
        }
        key(Editor3D::KEY_REDO);
        ASSERT_EQ(worldFile(), after) << "redo of command " << command;
    }
    testing::internal::GetCapturedStdout();
    EXPECT_GT(changes, 90) << "many commands changed the world";
}

TEST_F(EditorUndo, StepsUndoneInTurnGoBackThroughEveryStateAndRedoneComeForward)
{
    testing::internal::CaptureStdout();
    std::mt19937 random(7);
    std::vector<std::string> states = {worldFile()};
    while (states.size() < 60)
    {
        size_t const steps = editor().getHistory().getNbUndoSteps();
        runRandomCommand(random);
        if (editor().getHistory().getNbUndoSteps() > steps)
            states.push_back(worldFile());
    }
    for (size_t state = states.size() - 1; state > 0; --state)
    {
        key(Editor3D::KEY_UNDO);
        ASSERT_EQ(worldFile(), states[state - 1]) << "undo to state " << state - 1;
    }
    EXPECT_EQ(editor().getHistory().getNbUndoSteps(), 0u);
    key(Editor3D::KEY_UNDO);
    EXPECT_EQ(worldFile(), states[0]) << "undo past the oldest step does nothing";
    for (size_t state = 1; state < states.size(); ++state)
    {
        key(Editor3D::KEY_REDO);
        ASSERT_EQ(worldFile(), states[state]) << "redo to state " << state;
    }
    key(Editor3D::KEY_REDO);
    EXPECT_EQ(worldFile(), states.back()) << "redo past the newest step does nothing";
    testing::internal::GetCapturedStdout();
}

TEST_F(EditorUndo, TheNewestHundredStepsAreKeptAndANewCommandEndsRedo)
{
    auto const objectCount = [this] {
        WorldIndexator const* const index = world().getWorldIndexator();
        return index->getWorldRegionFromTableRegionIndex(Int3(0, 0, 0) - index->getTableRegionOrigin())
            ->getCustomObjects()
            .size();
    };
    for (int i = 0; i < 105; ++i)
        key('x');
    EXPECT_EQ(editor().getHistory().getNbUndoSteps(), EditorHistory::MAX_STEPS);
    for (int i = 0; i < 101; ++i)
        key(Editor3D::KEY_UNDO);
    EXPECT_EQ(objectCount(), 5u);
    EXPECT_EQ(editor().getHistory().getNbRedoSteps(), EditorHistory::MAX_STEPS);
    key(Editor3D::KEY_REDO);
    EXPECT_EQ(objectCount(), 6u);
    key('x');
    EXPECT_EQ(editor().getHistory().getNbRedoSteps(), 0u);
    key(Editor3D::KEY_REDO);
    EXPECT_EQ(objectCount(), 7u);

    // Commands that change nothing are no steps.
    key(KeyboardManager::KEYASCII_LEFT);
    size_t const steps = editor().getHistory().getNbUndoSteps();
    key(KeyboardManager::KEYASCII_DEL);
    key('d');
    key('r');
    EXPECT_EQ(editor().getHistory().getNbUndoSteps(), steps + 1) << "only 'd' removed something";
}

TEST_F(EditorUndo, UndoingTypeChangesKeepsTheCurrentTypeAmongTheTypes)
{
    testing::internal::CaptureStdout();
    runDialog('q', 0, "nnny");
    ASSERT_EQ(world().getNbCubeType(), 3);
    EXPECT_EQ(editor().getCurrentCubeType(), 2);
    key(Editor3D::KEY_UNDO);
    EXPECT_EQ(world().getNbCubeType(), 2);
    EXPECT_EQ(editor().getCurrentCubeType(), 1);
    key(Editor3D::KEY_REDO);
    ASSERT_EQ(world().getNbCubeType(), 3);
    EXPECT_EQ(world().getCubeType(2)->getTextureFilename(0), "t0_1.png");
    EXPECT_FALSE(world().getCubeType(2)->getRepeatTexture(0));
    EXPECT_TRUE(world().getCubeType(2)->getIsCollidable());
    testing::internal::GetCapturedStdout();
}

// A script object that leaves a region of a step for another region before
// the step is undone lives on where it went, once, through undo and redo.
TEST_F(EditorUndo, ObjectsThatMovedAwayAreNotBroughtBackTwice)
{
    WorldIndexator& index = *world().getWorldIndexator();
    ASSERT_TRUE(index.addElement(CustomObject(Float3(300.f, 5.f, 5.f), 1)));
    EditorHistory history(&world());
    history.beginStep();
    history.touchRegionAt(Float3(300.f, 5.f, 5.f));
    ASSERT_TRUE(index.addElement(CubeZone(Float3(305.f, 5.f, 5.f), Float3(10.f, 10.f, 10.f), 0)));
    history.endStep(true);

    // Its script carries it across the region border at 320.
    moveObjectsOfTypeOneAlongX();
    ASSERT_EQ(objectXs(), std::vector<float>{330.f});
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(zonesAt(Float3(305.f, 5.f, 5.f)), 0u);
    EXPECT_EQ(objectXs(), std::vector<float>{330.f});
    ASSERT_TRUE(history.redo());
    EXPECT_EQ(objectXs(), std::vector<float>{330.f});
    EXPECT_EQ(zonesAt(Float3(305.f, 5.f, 5.f)), 1u);
}

// Steps copying a crowded region take their zones' room; past the budget the
// oldest are forgotten, and the newest stays whatever its size.
TEST_F(EditorUndo, StepsBeyondTheMemoryBudgetAreForgottenOldestFirst)
{
    WorldIndexator& index = *world().getWorldIndexator();
    for (int i = 0; i < 1000; ++i)
        ASSERT_TRUE(index.addElement(
            CubeZone(Float3(5.f + 10.f * (i % 10), 5.f + 10.f * (i / 10 % 10), 5.f + 10.f * (i / 100)),
                     Float3(10.f, 10.f, 10.f), 0)));
    auto addZoneAsAStep = [&index](EditorHistory& history, int n) {
        history.beginStep();
        history.touchRegionAt(Float3(5.f, 5.f, 5.f));
        ASSERT_TRUE(index.addElement(CubeZone(Float3(205.f + 10.f * n, 5.f, 5.f), Float3(10.f, 10.f, 10.f), 0)));
        history.endStep(true);
    };
    size_t const zoneBytes = 1000 * sizeof(CubeZone);

    EditorHistory history(&world(), zoneBytes * 5 / 2 + 4000);
    for (int n = 0; n < 3; ++n)
        addZoneAsAStep(history, n);
    EXPECT_EQ(history.getNbUndoSteps(), 2u);
    EXPECT_GT(history.getKeptBytes(), 2 * zoneBytes);
    EXPECT_LE(history.getKeptBytes(), zoneBytes * 5 / 2 + 4000);
    EXPECT_TRUE(history.undo());
    EXPECT_TRUE(history.undo());
    EXPECT_FALSE(history.undo());
    // Undone back to the state after the first step: 1001 zones.
    EXPECT_EQ(zonesAt(Float3(5.f, 5.f, 5.f)), 1001u);
    // A new command forgets what could be redone, and its room with it.
    addZoneAsAStep(history, 3);
    EXPECT_EQ(history.getNbRedoSteps(), 0u);
    EXPECT_EQ(history.getNbUndoSteps(), 1u);
    EXPECT_LT(history.getKeptBytes(), 2 * zoneBytes);

    EditorHistory tight(&world(), 1);
    addZoneAsAStep(tight, 4);
    addZoneAsAStep(tight, 5);
    EXPECT_EQ(tight.getNbUndoSteps(), 1u);
    EXPECT_TRUE(tight.undo());
    EXPECT_TRUE(tight.redo());
}

// Objects that came into a step's regions after its command, from outside or
// from another of its regions, stay where they are, once, through undo and redo.
TEST_F(EditorUndo, ObjectsThatMovedInStayThroughUndoAndRedo)
{
    WorldIndexator& index = *world().getWorldIndexator();
    // One comes from x < 0, outside the step, into the region from 0 to 320;
    // the other goes from that region into the next one, both in the step.
    ASSERT_TRUE(index.addElement(CustomObject(Float3(-10.f, 5.f, 5.f), 1)));
    ASSERT_TRUE(index.addElement(CustomObject(Float3(300.f, 5.f, 5.f), 1)));
    EditorHistory history(&world());
    history.beginStep();
    history.touchRegionAt(Float3(5.f, 5.f, 5.f));
    history.touchRegionAt(Float3(330.f, 5.f, 5.f));
    ASSERT_TRUE(index.addElement(CubeZone(Float3(105.f, 5.f, 5.f), Float3(10.f, 10.f, 10.f), 0)));
    history.endStep(true);

    moveObjectsOfTypeOneAlongX();
    std::vector<float> const moved{20.f, 330.f};
    ASSERT_EQ(objectXs(), moved);
    for (int round = 0; round < 2; ++round)
    {
        ASSERT_TRUE(history.undo());
        EXPECT_EQ(zonesAt(Float3(5.f, 5.f, 5.f)), 0u);
        EXPECT_EQ(objectXs(), moved) << "undo, round " << round;
        ASSERT_TRUE(history.redo());
        EXPECT_EQ(zonesAt(Float3(5.f, 5.f, 5.f)), 1u);
        EXPECT_EQ(objectXs(), moved) << "redo, round " << round;
    }
}
