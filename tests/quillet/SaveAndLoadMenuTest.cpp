#include "DeviceManager.h"
#include "Font.h"
#include "GLManager.h"
#include "Scene2D.h"
#include "KeyboardManager.h"
#include "SaveAndLoadMenu.h"
#include "TestPictures.h"
#include "TestSupport.h"

#include <GL/gl.h>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace
{
// A window, a font whose lines are TestPictures::FONT_HEIGHT high, and a folder
// holding two files. The mouse is driven through the window's input state.
class FileMenuWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DISPLAY();
        DeviceManager::newInstance("quillet_tests", "quillet file menu test", 800, 600, false);
        fontFolder = TestSupport::makeTemporaryFolder();
        TestSupport::writeFile(fontFolder + "/font.tga", TestPictures::fontStripTga());
        font.reset(new Font(deviceManager, (fontFolder + "/font.tga").c_str(), 4, false));
        folder = TestSupport::makeTemporaryFolder();
        TestSupport::writeFile(folder + "/one.dat", "1");
        TestSupport::writeFile(folder + "/two.dat", "2");
        menu.reset(new SaveAndLoadMenu(deviceManager, *font));
        menu->setPosition(Int2(100, 200));
        menu->setExtension(".dat");
        menu->setOrUpdateFileListFromFolder(folder.c_str());
        mouseButton[GLManager::MOUSE_LEFT_BUTTON] = false;
    }

    void TearDown() override
    {
        menu.reset();
        font.reset();
        if (deviceManager != NULL)
            DeviceManager::deleteInstance();
    }

    // The mouse over the middle of a row (row -1 is above the list).
    static void mouseOverRow(int row)
    {
        mousePosition = Int2(110, 200 + row * TestPictures::FONT_HEIGHT + TestPictures::FONT_HEIGHT / 2);
    }

    // The lit pixels of the menu drawn white on black.
    int litPixelsOfMenu()
    {
        deviceManager->getScene2D()->set2DMode();
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glClearColor(0.f, 0.f, 0.f, 1.f);
        glClear(GL_COLOR_BUFFER_BIT);
        glColor4f(1.f, 1.f, 1.f, 1.f);
        menu->draw();
        std::vector<unsigned char> const pixels = TestSupport::readWindowPixels();
        int lit = 0;
        for (size_t i = 0; i < pixels.size(); i += 4)
            lit += pixels[i] > 100 ? 1 : 0;
        return lit;
    }

    static void setButton(bool down) { mouseButton[GLManager::MOUSE_LEFT_BUTTON] = down; }

    // Null becomes "(none)" so that results compare as strings.
    static std::string resultOf(char const* path) { return path != NULL ? path : "(none)"; }

    // Opens the menu and clicks its new-file row, then types name and Enter.
    std::string typeNewName(std::string const& name)
    {
        menu->setNewFileLabel("New file");
        setButton(false);
        menu->open();
        mouseOverRow(2);
        setButton(true);
        EXPECT_EQ("(none)", resultOf(menu->manageAndGetFileOrNull()));
        EXPECT_TRUE(menu->isEditing());
        for (char key : name)
            menu->injectKeyEvent(static_cast<unsigned char>(key));
        menu->injectKeyEvent(KeyboardManager::KEYASCII_ENTER);
        return resultOf(menu->manageAndGetFileOrNull());
    }

    std::string fontFolder;
    std::string folder;
    std::unique_ptr<Font> font;
    std::unique_ptr<SaveAndLoadMenu> menu;
};
}

TEST_F(FileMenuWindow, ListsTheFolderAndFindsTheRowUnderTheMouse)
{
    std::vector<std::string> names = menu->getFileNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::vector<std::string>({"one.dat", "two.dat"}), names);
    mousePosition = Int2(0, 200);
    EXPECT_EQ(0, menu->getSelectedFileWithMouse());
    mousePosition = Int2(0, 215);
    EXPECT_EQ(0, menu->getSelectedFileWithMouse());
    mousePosition = Int2(0, 216);
    EXPECT_EQ(1, menu->getSelectedFileWithMouse());
    // Just above the list is not its first row.
    mousePosition = Int2(0, 199);
    EXPECT_EQ(-1, menu->getSelectedFileWithMouse());
    mousePosition = Int2(0, 184);
    EXPECT_EQ(-1, menu->getSelectedFileWithMouse());
    mousePosition = Int2(0, 183);
    EXPECT_EQ(-2, menu->getSelectedFileWithMouse());

    menu->setOrUpdateFileListFromFolder((folder + "/none").c_str());
    EXPECT_TRUE(menu->getFileNames().empty());
    menu->setOrUpdateFileListFromFolder(NULL);
    EXPECT_TRUE(menu->getFileNames().empty());
    menu->open();
    setButton(true);
    mouseOverRow(0);
    EXPECT_EQ("(none)", resultOf(menu->manageAndGetFileOrNull())); // no folder: nothing to choose
}

TEST_F(FileMenuWindow, HeldButtonPicksOneFilePerPress)
{
    EXPECT_EQ("(none)", resultOf(menu->manageAndGetFileOrNull())); // closed
    menu->open();
    mouseOverRow(1);
    EXPECT_EQ("(none)", resultOf(menu->manageAndGetFileOrNull())); // button up
    setButton(true);
    std::string const expected = folder + "/" + menu->getFileNames()[1];
    EXPECT_EQ(expected, resultOf(menu->manageAndGetFileOrNull()));
    EXPECT_FALSE(menu->isOpen());

    // Reopened while the same press goes on: no second file.
    menu->open();
    EXPECT_EQ("(none)", resultOf(menu->manageAndGetFileOrNull()));
    EXPECT_EQ("(none)", resultOf(menu->manageAndGetFileOrNull()));
    setButton(false);
    EXPECT_EQ("(none)", resultOf(menu->manageAndGetFileOrNull()));
    mouseOverRow(0);
    setButton(true);
    EXPECT_EQ(folder + "/" + menu->getFileNames()[0], resultOf(menu->manageAndGetFileOrNull()));
}

TEST_F(FileMenuWindow, ClicksOutsideTheRowsDoNothing)
{
    menu->open();
    for (int row : {-1, 2, 3})
    {
        mouseOverRow(row);
        setButton(true);
        EXPECT_EQ("(none)", resultOf(menu->manageAndGetFileOrNull())) << row;
        setButton(false);
        menu->manageAndGetFileOrNull();
    }
    EXPECT_TRUE(menu->isOpen());
    EXPECT_FALSE(menu->isEditing()); // row 2 without a new-file label
}

TEST_F(FileMenuWindow, TypedNamesTakeTheExtensionUnlessTheyEndWithIt)
{
    EXPECT_EQ(folder + "/level.dat", typeNewName("level"));
    EXPECT_FALSE(menu->isOpen());
    EXPECT_EQ(folder + "/level.dat", typeNewName("level.dat"));
    EXPECT_EQ(folder + "/.dat.dat", typeNewName(".dat"));
    EXPECT_EQ("x", SaveAndLoadMenu::withExtension("x", ""));
}

TEST_F(FileMenuWindow, EnterOnAnEmptyNameWaitsForAName)
{
    menu->setNewFileLabel("New file");
    menu->open();
    mouseOverRow(2);
    setButton(true);
    menu->manageAndGetFileOrNull();
    menu->injectKeyEvent(KeyboardManager::KEYASCII_ENTER);
    EXPECT_EQ("(none)", resultOf(menu->manageAndGetFileOrNull()));
    EXPECT_TRUE(menu->isEditing());
    menu->injectKeyEvent('a');
    menu->injectKeyEvent(8); // backspace reaches the name field
    menu->injectKeyEvent('b');
    menu->injectKeyEvent(KeyboardManager::KEYASCII_ENTER);
    EXPECT_EQ(folder + "/b.dat", resultOf(menu->manageAndGetFileOrNull()));
}

TEST_F(FileMenuWindow, EscapeClosesTheMenuEvenWhileEditing)
{
    menu->setNewFileLabel("New file");
    menu->open();
    mouseOverRow(2);
    setButton(true);
    menu->manageAndGetFileOrNull();
    ASSERT_TRUE(menu->isEditing());
    menu->injectKeyEvent('a');
    menu->injectKeyEvent(KeyboardManager::KEYASCII_ESCAPE);
    EXPECT_FALSE(menu->isOpen());
    EXPECT_FALSE(menu->isEditing());
    menu->injectKeyEvent(KeyboardManager::KEYASCII_ENTER); // closed: ignored
    EXPECT_EQ("(none)", resultOf(menu->manageAndGetFileOrNull()));
    menu->open();
    EXPECT_FALSE(menu->isEditing());
    EXPECT_EQ("(none)", resultOf(menu->manageAndGetFileOrNull()));
}

TEST_F(FileMenuWindow, DrawsLargerRowUnderTheMouseAndTheMessageForItsDuration)
{
    EXPECT_EQ(0, litPixelsOfMenu()); // closed, no message
    menu->setNewFileLabel("New file");
    menu->open();
    mouseOverRow(-3);
    int const plain = litPixelsOfMenu();
    EXPECT_GT(plain, 0);
    mouseOverRow(2);
    int const labelHovered = litPixelsOfMenu();
    EXPECT_GT(labelHovered, plain);
    mouseOverRow(0);
    EXPECT_GT(litPixelsOfMenu(), plain);

    menu->setMessage("saved");
    menu->setMessagePosition(Int2(300, 400));
    menu->setMessageDuration(60000);
    setButton(true);
    ASSERT_NE(nullptr, menu->manageAndGetFileOrNull());
    EXPECT_GT(litPixelsOfMenu(), 0); // closed, the message stays

    menu->setMessageDuration(0);
    setButton(false);
    menu->open();
    menu->manageAndGetFileOrNull();
    setButton(true);
    ASSERT_NE(nullptr, menu->manageAndGetFileOrNull());
    EXPECT_EQ(0, litPixelsOfMenu());
}
