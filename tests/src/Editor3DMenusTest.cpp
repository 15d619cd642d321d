#include "CubeType.h"
#include "CubeZone.h"
#include "DeviceManager.h"
#include "Editor3D.h"
#include "EditorBox.h"
#include "IndexedWorld.h"
#include "KeyboardManager.h"
#include "MouseEvent.h"
#include "Scene2D.h"
#include "Sprite.h"
#include "SpriteManager.h"
#include "TestSupport.h"
#include "WorldIndexator.h"
#include "WorldRegion.h"
#include "WorldTestSupport.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

using WorldTestSupport::EditedWorld;
using WorldTestSupport::GridBox;

namespace
{
int const NB_OBJECT_TYPES = 3;
// Entries of the "Menu" window.
int const CUBE_TYPES = 1;
int const OBJECT_TYPES = 2;
int const GENERATION = 3;
int const DELETION = 4;
int const SHADOWS = 5;
int const SAVE_AND_LOAD = 6;

// A world in the editor fed with mouse events as the game world hands them
// over; the overlay is drawn after each click, as every frame draws it, so the
// windows know their widths.
class EditorMenus : public ::testing::Test
{
protected:
    void open(int nbCubeTypes)
    {
        REQUIRE_DISPLAY();
        edited.reset(new EditedWorld("editor menu test", nbCubeTypes));
        mkdir("menus", 0755);
        WorldTestSupport::writeSolidPng("menus/editor_box.png", 0, 0, 255, 255);
        draw();
    }

    Editor3D& editor() { return *edited->editor; }
    IndexedWorld& world() { return *edited->world; }
    std::vector<EditorBox*> const& boxes() { return editor().getEditorBoxes(); }
    int screenWidth() const { return deviceManager->getScene2D()->getVirtualSize().x(); }

    void draw()
    {
        deviceManager->getScene2D()->set2DMode();
        glClearColor(0.f, 0.f, 0.f, 1.f);
        glClear(GL_COLOR_BUFFER_BIT);
        editor().drawEditor2D(*edited->font, NB_OBJECT_TYPES);
    }

    void send(MouseEvent const& event)
    {
        bool result = true;
        editor().injectMouseEvent(event, NB_OBJECT_TYPES, result);
        EXPECT_TRUE(result) << "the mouse leaves the result alone";
    }

    void click(Int2 const& at, int button = GLManager::MOUSE_LEFT_BUTTON)
    {
        send(MouseEvent(at, button, GLManager::MOUSE_BUTTON_DOWN));
        send(MouseEvent(at, button, GLManager::MOUSE_BUTTON_UP));
        draw();
    }

    void clickCorner() { click(Int2(screenWidth() - 50, 10)); }

    // The middle of a window's button.
    static Int2 buttonPoint(EditorBox const& box, int button)
    {
        return box.getPosition() + Int2(15, EditorBox::TITLE_BAR_HEIGHT + EditorBox::BUTTON_HEIGHT * button + 25);
    }

    void clickButton(EditorBox const& box, int button) { click(buttonPoint(box, button)); }

    // Opens "Menu" and one of its entries; the entry's window is the newest.
    EditorBox& openFromMenu(int entry)
    {
        clickCorner();
        clickButton(*boxes().back(), entry);
        return *boxes().back();
    }

    // Opens a window and presses one of its buttons, then closes the window.
    void runButton(int entry, int button)
    {
        EditorBox& window = openFromMenu(entry);
        clickButton(window, button);
        click(boxes().back()->getPosition() + Int2(boxes().back()->getWidth() - 5, 5));
        ASSERT_TRUE(boxes().empty());
    }

    std::vector<GridBox> gridBoxes() { return WorldTestSupport::gridBoxesOf(world()); }

    std::unique_ptr<EditedWorld> edited;
};

bool hasShadows(CubeZone const& zone)
{
    for (int face = 0; face < CubeZone::NB_SHADOW_FACES; ++face)
        if (zone.getIsFaceInShadow(face) || !zone.getShadowTriangles(face).empty())
            return true;
    return false;
}

WorldRegion const& regionAt(IndexedWorld const& world, Int3 const& absoluteRegion)
{
    WorldIndexator const* const index = world.getWorldIndexator();
    return *index->getWorldRegionFromTableRegionIndex(absoluteRegion - index->getTableRegionOrigin());
}
}

TEST_F(EditorMenus, EachCornerPressOpensAMenuAndTheOlderWindowTakesTheEntry)
{
    open(1);
    int const width = screenWidth();
    click(Int2(width - 100, 10));
    click(Int2(width - 99, 30));
    EXPECT_TRUE(boxes().empty()) << "the corner button is x > W - 100 and y <= 29";
    click(Int2(width - 99, 29));
    send(MouseEvent(Int2(width - 1, 0), GLManager::MOUSE_WHEEL_UP, GLManager::MOUSE_BUTTON_DOWN));
    draw();
    EXPECT_FLOAT_EQ(editor().getCameraDistance(), 15.f) << "the wheel still zooms";
    ASSERT_EQ(boxes().size(), 2u) << "any button opens one more, even with one open";
    EditorBox* const older = boxes()[0];
    EditorBox* const newer = boxes()[1];
    for (EditorBox const* const box : {older, newer})
    {
        EXPECT_EQ(box->getTitle(), "Menu");
        EXPECT_EQ(box->getPosition(), Int2(100, 50));
        EXPECT_EQ(box->getButtons(), (std::vector<std::string>{"Help", "Cube aggregate types", "Script object types",
                                                               "Generate random cubes", "Delete cubes and objects",
                                                               "Shadows calculation", "Save and load"}));
    }
    clickButton(*older, SAVE_AND_LOAD);
    ASSERT_EQ(boxes().size(), 2u);
    EXPECT_EQ(boxes()[0], newer) << "the older window was replaced";
    EXPECT_EQ(boxes()[1]->getTitle(), "Save and load");
    EXPECT_EQ(boxes()[1]->getPosition(), Int2(150, 100));
    EXPECT_EQ(boxes()[1]->getButtons(),
              (std::vector<std::string>{"Save world into world.dat [s]", "Load world from world.dat [l]"}));
}

TEST_F(EditorMenus, CrossClosesTheWindowAndNoDragFollows)
{
    open(1);
    clickCorner();
    clickCorner();
    EditorBox* const newer = boxes()[1];
    Int2 const cross = boxes()[0]->getPosition() + Int2(boxes()[0]->getWidth() - 5, 5);
    send(MouseEvent(cross, GLManager::MOUSE_LEFT_BUTTON, GLManager::MOUSE_BUTTON_DOWN));
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0], newer);
    send(MouseEvent(cross + Int2(100, 100), -1, GLManager::MOUSE_MOVED_BUTTON_HELD));
    EXPECT_EQ(newer->getPosition(), Int2(100, 50)) << "the window under the cross got no press";
    EXPECT_FALSE(newer->getIsDragging());

    // A drag of the title bar moves the oldest window under the pointer only.
    clickCorner();
    send(MouseEvent(Int2(110, 60), GLManager::MOUSE_LEFT_BUTTON, GLManager::MOUSE_BUTTON_DOWN));
    send(MouseEvent(Int2(310, 160), -1, GLManager::MOUSE_MOVED_BUTTON_HELD));
    send(MouseEvent(Int2(310, 160), GLManager::MOUSE_LEFT_BUTTON, GLManager::MOUSE_BUTTON_UP));
    EXPECT_EQ(boxes()[0]->getPosition(), Int2(300, 150));
    EXPECT_EQ(boxes()[1]->getPosition(), Int2(100, 50)) << "while one window is dragged the others get nothing";
}

TEST_F(EditorMenus, CubeTypeSelectionListsEveryTypeWithItsTopFace)
{
    open(3);
    // The overlay shows the current type's faces, which count as users of their pictures too.
    auto const topFaceUsers = [this](int type) {
        return SpriteManager::getImageUseCount("cube_textures/" + world().getCubeType(type)->getTextureFilename(0));
    };
    int const usersBefore[3] = {topFaceUsers(0), topFaceUsers(1), topFaceUsers(2)};
    EditorBox& types = openFromMenu(CUBE_TYPES);
    clickButton(types, 0);
    EditorBox& selection = *boxes().back();
    EXPECT_EQ(selection.getTitle(), "Select a cube type");
    EXPECT_EQ(selection.getButtons(), (std::vector<std::string>{"1", "2", "3"}));
    for (int type = 0; type < 3; ++type)
    {
        ASSERT_NE(selection.getButtonPicture(type), nullptr);
        EXPECT_EQ(topFaceUsers(type), usersBefore[type] + 1) << "type " << type;
    }
    clickButton(selection, 2);
    EXPECT_EQ(editor().getCurrentCubeType(), 2);
    clickButton(selection, 0);
    EXPECT_EQ(editor().getCurrentCubeType(), 0);
    // The window closed, its pictures are given back (the second type was never shown).
    click(selection.getPosition() + Int2(selection.getWidth() - 5, 5));
    EXPECT_EQ(topFaceUsers(1), 0);
}

TEST_F(EditorMenus, CubeTypeButtonsMoveWithinTheTypesRemoveAndOpenTheDialog)
{
    open(3);
    EditorBox& types = openFromMenu(CUBE_TYPES);
    clickButton(types, 1);
    EXPECT_EQ(editor().getCurrentCubeType(), 0) << "no type before the first";
    for (int i = 0; i < 3; ++i)
        clickButton(types, 2);
    EXPECT_EQ(editor().getCurrentCubeType(), 2) << "no type after the last";
    clickButton(types, 1);
    clickButton(types, 2);
    // Removing the last type leaves the current one beyond it until the overlay lowers it.
    editor().drawEditor2D(*edited->font, NB_OBJECT_TYPES);
    send(MouseEvent(buttonPoint(types, 3), GLManager::MOUSE_LEFT_BUTTON, GLManager::MOUSE_BUTTON_DOWN));
    EXPECT_EQ(world().getNbCubeType(), 2);
    EXPECT_EQ(editor().getCurrentCubeType(), 2);
    draw();
    EXPECT_EQ(editor().getCurrentCubeType(), 1);
    EXPECT_TRUE(world().getCubeType(1)->getIsUsedByEditor());

    clickButton(types, 4);
    EXPECT_EQ(editor().getDialogState(), 1);
    EXPECT_TRUE(editor().getIsModifyingCubeType());
    clickButton(types, 5);
    EXPECT_TRUE(editor().getIsModifyingCubeType()) << "an open dialog is not reopened";
    bool result = true;
    editor().injectKeyEvent(KeyboardManager::KEYASCII_ESCAPE, NB_OBJECT_TYPES, result);
    clickButton(types, 5);
    EXPECT_EQ(editor().getDialogState(), 1);
    EXPECT_FALSE(editor().getIsModifyingCubeType());
    editor().injectKeyEvent(KeyboardManager::KEYASCII_ESCAPE, NB_OBJECT_TYPES, result);

    clickButton(types, 3);
    clickButton(types, 3);
    clickButton(types, 3);
    EXPECT_EQ(world().getNbCubeType(), 0) << "removing stops at no type";
    clickButton(types, 4);
    EXPECT_EQ(editor().getDialogState(), 0) << "no type to modify";
}

TEST_F(EditorMenus, ObjectTypeButtonsStayWithinTheScriptsTypes)
{
    open(1);
    EditorBox& objects = openFromMenu(OBJECT_TYPES);
    EXPECT_EQ(objects.getButtons(), (std::vector<std::string>{"Previous script object type [t+PgUp]",
                                                              "Next script object type [t+PgDown]"}));
    clickButton(objects, 0);
    EXPECT_EQ(editor().getCurrentObjectType(), 0);
    for (int i = 0; i < 4; ++i)
        clickButton(objects, 1);
    EXPECT_EQ(editor().getCurrentObjectType(), NB_OBJECT_TYPES - 1);
    clickButton(objects, 0);
    EXPECT_EQ(editor().getCurrentObjectType(), NB_OBJECT_TYPES - 2);
}

TEST_F(EditorMenus, GenerationButtonsGenerateAtTheCursorOrReportTheMissingHeightMap)
{
    open(2);
    for (int type = 0; type <= 4; ++type)
    {
        world().clearAll();
        testing::internal::CaptureStdout();
        runButton(GENERATION, type);
        std::string const output = testing::internal::GetCapturedStdout();
        EXPECT_NE(output.find("Generate random at BasicVector<3,?(sizeof=4)> (0;0;0;) (type " +
                              std::to_string(type) + ")\n"),
                  std::string::npos)
            << output;
        EXPECT_FALSE(gridBoxes().empty());
    }

    world().clearAll();
    EditorBox& generation = openFromMenu(GENERATION);
    Int2 const place = generation.getPosition();
    testing::internal::CaptureStderr();
    clickButton(generation, 5);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("world_heightmap.png"), std::string::npos);
    ASSERT_EQ(boxes().size(), 1u) << "the generation window was replaced";
    EXPECT_EQ(boxes()[0]->getTitle(), "Missing heightmap file!");
    EXPECT_EQ(boxes()[0]->getPosition(), place + Int2(50, 50));
    EXPECT_EQ(boxes()[0]->getButtons(), std::vector<std::string>{"Ok"});
    clickButton(*boxes()[0], 0);
    EXPECT_TRUE(boxes().empty());
    EXPECT_TRUE(gridBoxes().empty());

    // With the map, the landscape is made and the window stays; one undo takes it all away.
    WorldTestSupport::writeSolidPng("world_heightmap.png", 40, 40, 40, 255);
    TestSupport::writeFile("before.dat", "");
    world().saveWorldToFile("before.dat");
    testing::internal::CaptureStdout();
    EditorBox& again = openFromMenu(GENERATION);
    clickButton(again, 5);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(boxes().back(), &again);
    EXPECT_GT(gridBoxes().size(), 1000u);
    bool result = false;
    editor().injectKeyEvent(Editor3D::KEY_UNDO, NB_OBJECT_TYPES, result);
    world().saveWorldToFile("after_undo.dat");
    EXPECT_EQ(TestSupport::readFile("after_undo.dat"), TestSupport::readFile("before.dat"));
}

TEST_F(EditorMenus, DeletionButtonsRemoveAtTheCursorInItsRegionOrEverywhere)
{
    open(1);
    ASSERT_TRUE(editor().addCubeZone(Int3(0, 0, 0), Int3(2, 2, 2), 0));
    ASSERT_TRUE(editor().addCubeZone(Int3(5, 0, 0), Int3(6, 1, 1), 0));
    ASSERT_TRUE(editor().addCubeZone(Int3(10, 0, 0), Int3(11, 1, 1), 0));
    ASSERT_TRUE(editor().addCubeZone(Int3(-3, 0, 0), Int3(-2, 1, 1), 0));
    bool result = false;
    for (int const key : {KeyboardManager::KEYASCII_LEFT, KeyboardManager::KEYASCII_UP, KeyboardManager::KEYASCII_PAGEUP})
        editor().injectKeyEvent(static_cast<unsigned char>(key), NB_OBJECT_TYPES, result);
    ASSERT_EQ(editor().getCursorIndex(), Int3(1, 1, 1));
    EditorBox& deletion = openFromMenu(DELETION);
    clickButton(deletion, 0);
    EXPECT_EQ(gridBoxes().size(), 3u) << "the zone holding the cursor";
    clickButton(deletion, 1);
    std::vector<GridBox> boxesLeft = gridBoxes();
    ASSERT_EQ(boxesLeft.size(), 2u) << "the nearest zone of the cursor's region";
    EXPECT_EQ(boxesLeft[1].low, Int3(10, 0, 0));
    clickButton(deletion, 2);
    boxesLeft = gridBoxes();
    ASSERT_EQ(boxesLeft.size(), 1u) << "the cursor's region emptied";
    EXPECT_EQ(boxesLeft[0].low, Int3(-3, 0, 0));
    clickButton(deletion, 3);
    EXPECT_TRUE(gridBoxes().empty());
    EXPECT_EQ(boxes().size(), 1u) << "world commands leave their window open";
}

TEST_F(EditorMenus, ShadowButtonsShadeTheCursorsRegionOrAll)
{
    open(1);
    // In regions 0 and 1 along x, a slab with a smaller box above it.
    for (int const x : {0, 32})
    {
        ASSERT_TRUE(editor().addCubeZone(Int3(x, 0, 0), Int3(x + 8, 1, 8), 0));
        ASSERT_TRUE(editor().addCubeZone(Int3(x + 2, 3, 2), Int3(x + 4, 4, 4), 0));
    }
    EditorBox& shadows = openFromMenu(SHADOWS);
    testing::internal::CaptureStdout();
    clickButton(shadows, 0);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Calculating shadows done."), std::string::npos);
    EXPECT_TRUE(hasShadows(regionAt(world(), Int3(0, 0, 0)).getCubeZones()[0]));
    EXPECT_FALSE(hasShadows(regionAt(world(), Int3(1, 0, 0)).getCubeZones()[0]));
    testing::internal::CaptureStdout();
    clickButton(shadows, 1);
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(hasShadows(regionAt(world(), Int3(1, 0, 0)).getCubeZones()[0]));
}

TEST_F(EditorMenus, SaveAndLoadButtonsWriteAndReadTheWorldFileKeepingTheCubeType)
{
    open(2);
    ASSERT_TRUE(editor().addCubeZone(Int3(0, 0, 0), Int3(2, 2, 2), 1));
    world().saveWorldToFile("expected.dat");
    std::vector<GridBox> const saved = gridBoxes();
    EditorBox& files = openFromMenu(SAVE_AND_LOAD);
    clickButton(files, 0);
    EXPECT_EQ(TestSupport::readFile("world.dat"), TestSupport::readFile("expected.dat"));

    ASSERT_TRUE(editor().addCubeZone(Int3(5, 0, 0), Int3(6, 1, 1), 0));
    EditorBox& types = openFromMenu(CUBE_TYPES);
    clickButton(types, 2);
    clickButton(files, 1);
    EXPECT_EQ(gridBoxes(), saved);
    EXPECT_EQ(editor().getCurrentCubeType(), 1) << "the menu's load keeps the current type";
}

TEST_F(EditorMenus, HelpShowsItsPictureUnderTheTitleBar)
{
    open(1);
    clickCorner();
    clickButton(*boxes()[0], 0);
    ASSERT_EQ(boxes().size(), 1u);
    EditorBox const& help = *boxes()[0];
    EXPECT_EQ(help.getTitle(), "Help");
    EXPECT_TRUE(help.getButtons().empty());
    EXPECT_EQ(SpriteManager::getImageUseCount("menus/editor_box.png"), 1);
    EXPECT_EQ(TestSupport::readScenePixelRgb(151, 131), Color4(0, 0, 255, 255)) << "picture at (150, 130)";
    EXPECT_EQ(TestSupport::readScenePixelRgb(screenWidth() - 98, 28).x(), 0) << "the corner button is drawn";
    // A press inside the picture is no button of the window.
    click(Int2(152, 132));
    EXPECT_EQ(boxes().size(), 1u);
}
