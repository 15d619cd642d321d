#include "DeviceManager.h"
#include "EditorBox.h"
#include "Font.h"
#include "MouseEvent.h"
#include "Scene2D.h"
#include "Sprite.h"
#include "SpriteManager.h"
#include "TestSupport.h"
#include "WorldTestSupport.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{
MouseEvent press(int x, int y, int button = GLManager::MOUSE_LEFT_BUTTON)
{
    return MouseEvent(Int2(x, y), button, GLManager::MOUSE_BUTTON_DOWN);
}

MouseEvent dragTo(int x, int y)
{
    return MouseEvent(Int2(x, y), -1, GLManager::MOUSE_MOVED_BUTTON_HELD);
}

MouseEvent release(int x, int y)
{
    return MouseEvent(Int2(x, y), GLManager::MOUSE_LEFT_BUTTON, GLManager::MOUSE_BUTTON_UP);
}

class EditorBoxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DISPLAY();
        WorldTestSupport::enterWorldFolderWithWindow({}, "editor box test");
        WorldTestSupport::writeSolidPng("red.png", 255, 0, 0, 255);
        WorldTestSupport::writeSolidPng("green.png", 0, 255, 0, 255);
        font.reset(new Font(deviceManager, GAME_DATA_DIR "/default_font.png", 16, false));
    }

    void TearDown() override
    {
        font.reset();
        if (deviceManager != NULL)
            DeviceManager::deleteInstance();
    }

    void drawOnBlack(EditorBox& box)
    {
        deviceManager->getScene2D()->set2DMode();
        glClearColor(0.f, 0.f, 0.f, 1.f);
        glClear(GL_COLOR_BUFFER_BIT);
        box.draw(*font);
    }

    int textWidth(std::string const& text) const { return font->getWidth(text.c_str(), -1, 1.f); }

    std::unique_ptr<Font> font;
};
}

TEST_F(EditorBoxTest, OpensAtItsPlaceOrBesideItsParent)
{
    EditorBox first("Menu", NULL);
    EXPECT_EQ(first.getPosition(), Int2(100, 50));
    EXPECT_EQ(first.getWidth(), 50);
    EXPECT_EQ(first.getSelectedButton(), -1);
    first.manageAndGetButton(press(110, 60));
    first.manageAndGetButton(dragTo(300, 210));
    EditorBox const child("Help", &first);
    EXPECT_EQ(child.getPosition(), Int2(340, 250)) << "50 right and 50 below the parent where it is now";
}

TEST_F(EditorBoxTest, PressesAreSortedByStrictBoundsBeforeAnyDraw)
{
    // At (100, 50), 50 wide: title bar y 50..80, cross x 130..150 y 50..70,
    // buttons y 80..130 and 130..180.
    EditorBox box("Menu", NULL);
    box.addButton("first");
    box.addButton("second");
    EXPECT_EQ(box.getHeight(), 130);
    struct Case
    {
        int x, y;
        int expected;
        bool drags;
    };
    Case const cases[] = {
        {100, 60, EditorBox::NOTHING, false}, // left edge
        {150, 60, EditorBox::NOTHING, false}, // right edge
        {101, 50, EditorBox::NOTHING, false}, // top edge
        {101, 51, EditorBox::NOTHING, true},  // title bar
        {130, 55, EditorBox::NOTHING, true},  // left edge of the cross: title bar only
        {131, 55, EditorBox::CLOSE, true},    // the cross also starts a drag
        {149, 69, EditorBox::CLOSE, true},
        {140, 70, EditorBox::NOTHING, true}, // below the cross
        {101, 80, EditorBox::NOTHING, false}, // between title bar and first button
        {101, 81, 0, false},
        {149, 129, 0, false},
        {120, 130, 1, false},
        {120, 179, 1, false},
        {120, 180, EditorBox::NOTHING, false}, // bottom edge
        {150, 100, EditorBox::NOTHING, false},
    };
    for (Case const& c : cases)
    {
        EXPECT_EQ(box.manageAndGetButton(press(c.x, c.y)), c.expected) << c.x << ", " << c.y;
        EXPECT_EQ(box.getIsDragging(), c.drags) << c.x << ", " << c.y;
        box.manageAndGetButton(release(c.x, c.y));
        EXPECT_FALSE(box.getIsDragging());
    }
    // The right button presses too; the middle button and the wheel do not.
    EXPECT_EQ(box.manageAndGetButton(press(120, 150, GLManager::MOUSE_RIGHT_BUTTON)), 1);
    EXPECT_EQ(box.getSelectedButton(), 1);
    EXPECT_EQ(box.manageAndGetButton(release(120, 150)), EditorBox::NOTHING);
    EXPECT_EQ(box.getSelectedButton(), -1);
    for (int const button : {GLManager::MOUSE_MIDDLE_BUTTON, GLManager::MOUSE_WHEEL_UP, GLManager::MOUSE_WHEEL_DOWN})
    {
        EXPECT_EQ(box.manageAndGetButton(press(120, 100, button)), EditorBox::NOTHING);
        EXPECT_EQ(box.manageAndGetButton(press(120, 60, button)), EditorBox::NOTHING);
        EXPECT_FALSE(box.getIsDragging());
    }
}

TEST_F(EditorBoxTest, TitleBarDragMovesTheWindowUntilRelease)
{
    EditorBox box("Menu", NULL);
    box.addButton("only");
    EXPECT_EQ(box.manageAndGetButton(dragTo(300, 300)), EditorBox::NOTHING) << "no drag before a press";
    EXPECT_EQ(box.manageAndGetButton(press(110, 60)), EditorBox::NOTHING);
    EXPECT_EQ(box.manageAndGetButton(MouseEvent(Int2(400, 400), -1, GLManager::MOUSE_MOVED_NO_BUTTON)),
              EditorBox::NOTHING);
    EXPECT_EQ(box.getPosition(), Int2(100, 50)) << "a motion without a button is not a drag";
    EXPECT_EQ(box.manageAndGetButton(dragTo(250, 20)), EditorBox::DRAGGING);
    EXPECT_EQ(box.getPosition(), Int2(240, 10)) << "the grabbed point stays under the pointer";
    box.manageAndGetButton(release(250, 20));
    EXPECT_EQ(box.manageAndGetButton(dragTo(500, 500)), EditorBox::NOTHING);
    EXPECT_EQ(box.getPosition(), Int2(240, 10));
    // Its buttons moved with it.
    EXPECT_EQ(box.manageAndGetButton(press(245, 45)), 0);
}

TEST_F(EditorBoxTest, WidthFollowsTheTitleOrTheWidestLabel)
{
    EditorBox narrow("Cube aggregate types", NULL);
    narrow.addButton("1");
    drawOnBlack(narrow);
    EXPECT_EQ(narrow.getWidth(), textWidth("Cube aggregate types") + 40);

    std::string const wide = "Cubes on 10x10x10 regions, using 'world_heightmap.png' [F2+g]";
    EditorBox widened("Generate random cubes", NULL);
    widened.addButton("short");
    widened.addButton(wide);
    drawOnBlack(widened);
    EXPECT_EQ(widened.getWidth(), textWidth(wide) + 20);
    // The new width moves the cross to the right end.
    int const right = 100 + widened.getWidth();
    EXPECT_EQ(widened.manageAndGetButton(press(right - 1, 51)), EditorBox::CLOSE);
    EXPECT_EQ(widened.manageAndGetButton(press(right - 21, 55)), EditorBox::NOTHING);
    EXPECT_EQ(widened.manageAndGetButton(press(right - 2, 100)), 0);
}

TEST_F(EditorBoxTest, PicturesAreDrawnAfterTheirLabelAndBelowTheWindowThenGivenBack)
{
    {
        EditorBox box("Select a cube type", NULL);
        box.addButton("1", "red.png");
        box.addButton("2");
        box.addButton("3", "red.png");
        box.setBoxPicture("green.png");
        EXPECT_EQ(SpriteManager::getImageUseCount("red.png"), 2);
        EXPECT_EQ(SpriteManager::getImageUseCount("green.png"), 1);
        ASSERT_NE(box.getButtonPicture(0), nullptr);
        EXPECT_EQ(box.getButtonPicture(1), nullptr);
        EXPECT_EQ(box.getButtonPicture(0)->getSize(), Int2(30, 30)) << "the 2 x 2 picture fitted to 30 x 30";
        EXPECT_EQ(box.getBoxPicture()->getSize(), Int2(2, 2)) << "the box picture keeps its size";

        drawOnBlack(box);
        // Button 2's picture: from (100 + 15 + width of "3", 50 + 35 + 100), 30 x 30.
        int const left = 115 + textWidth("3");
        EXPECT_EQ(TestSupport::readScenePixelRgb(left + 2, 187), Color4(255, 0, 0, 255));
        EXPECT_EQ(TestSupport::readScenePixelRgb(left + 27, 212), Color4(255, 0, 0, 255));
        EXPECT_NE(TestSupport::readScenePixelRgb(left + 15, 137), Color4(255, 0, 0, 255)) << "button 1 has none";
        // The box picture hangs under the window: (100, 50 + 180).
        EXPECT_EQ(TestSupport::readScenePixelRgb(101, 231), Color4(0, 255, 0, 255));
    }
    EXPECT_EQ(SpriteManager::getImageUseCount("red.png"), 0);
    EXPECT_EQ(SpriteManager::getImageUseCount("green.png"), 0);
    EXPECT_TRUE(SpriteManager::getSprites().empty());
}

TEST_F(EditorBoxTest, DrawingShadesTheWindowAndShiftsThePressedButton)
{
    EditorBox box("Save and load", NULL);
    box.addButton("a");
    box.addButton("b");
    drawOnBlack(box);
    deviceManager->getScene2D()->set2DMode();
    glClearColor(1.f, 1.f, 1.f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT);
    box.manageAndGetButton(press(120, 150));
    box.draw(*font);
    int const right = 100 + box.getWidth();
    // Half-black window on white, buttons darker still; the pressed one is 5 to the right.
    Color4 const white(255, 255, 255, 255);
    Color4 const window = TestSupport::readScenePixelRgb(102, 100);
    EXPECT_NEAR(window.x(), 127, 2);
    Color4 const button = TestSupport::readScenePixelRgb(right - 12, 100);
    EXPECT_NEAR(button.x(), 64, 2);
    EXPECT_EQ(TestSupport::readScenePixelRgb(right - 8, 100), window) << "button 0 ends 10 from the right";
    EXPECT_EQ(TestSupport::readScenePixelRgb(right - 8, 150), button) << "button 1 pressed: shifted by 5";
    EXPECT_EQ(TestSupport::readScenePixelRgb(112, 150), window);
    EXPECT_EQ(TestSupport::readScenePixelRgb(right + 3, 150), white);
    EXPECT_EQ(TestSupport::readScenePixelRgb(102, 175), window) << "the gap under each button";
    EXPECT_EQ(deviceManager->getColor(), colorWhite);
}
