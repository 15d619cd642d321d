#include "DeviceManager.h"
#include "EditText.h"
#include "Font.h"
#include "KeyboardManager.h"
#include "Scene2D.h"
#include "TestPictures.h"
#include "TestSupport.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace
{
unsigned char const BACKSPACE = 8;
unsigned char const DEL = KeyboardManager::KEYASCII_DEL;
unsigned char const LEFT = KeyboardManager::KEYASCII_LEFT;
unsigned char const RIGHT = KeyboardManager::KEYASCII_RIGHT;
unsigned char const HOME = 11;

// A window and a font made from a strip the test writes.
class TextFieldWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DISPLAY();
        DeviceManager::newInstance("quillet_tests", "quillet text field test", 800, 600, false);
        std::string const path = TestSupport::makeTemporaryFolder() + "/font.tga";
        TestSupport::writeFile(path, TestPictures::fontStripTga());
        font.reset(new Font(deviceManager, path.c_str(), 4, false));
    }

    void TearDown() override
    {
        font.reset();
        if (deviceManager != NULL)
            DeviceManager::deleteInstance();
    }

    static void type(EditText& field, std::string const& keys)
    {
        for (char key : keys)
            field.injectKeyEvent(static_cast<unsigned char>(key));
    }

    // The field drawn white on black; the cursor is hidden unless asked for.
    static std::vector<unsigned char> pixelsOf(EditText& field)
    {
        deviceManager->getScene2D()->set2DMode();
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glClearColor(0.f, 0.f, 0.f, 1.f);
        glClear(GL_COLOR_BUFFER_BIT);
        glColor4f(1.f, 1.f, 1.f, 1.f);
        field.draw(1.f);
        return TestSupport::readWindowPixels();
    }

    static int litPixels(std::vector<unsigned char> const& pixels)
    {
        int lit = 0;
        for (size_t i = 0; i < pixels.size(); i += 4)
            lit += pixels[i] > 100 ? 1 : 0;
        return lit;
    }

    std::unique_ptr<Font> font;
};
}

TEST_F(TextFieldWindow, KeysEditAndMoveAtTheCursor)
{
    EditText field(false, -1, Int2(10, 10), font.get(), false, false);
    type(field, "abc");
    EXPECT_EQ("abc", field.getText());
    EXPECT_EQ(3, field.getCursor());
    field.injectKeyEvent(DEL); // at the end: nothing
    EXPECT_EQ("abc", field.getText());
    type(field, {static_cast<char>(LEFT), static_cast<char>(LEFT), 'X'});
    EXPECT_EQ("aXbc", field.getText());
    EXPECT_EQ(2, field.getCursor());
    field.injectKeyEvent(BACKSPACE);
    EXPECT_EQ("abc", field.getText());
    field.injectKeyEvent(DEL);
    EXPECT_EQ("ac", field.getText());
    EXPECT_EQ(1, field.getCursor());
    field.injectKeyEvent(HOME);
    EXPECT_EQ(0, field.getCursor());
    field.injectKeyEvent(BACKSPACE); // at the start: nothing
    field.injectKeyEvent(LEFT);
    EXPECT_EQ("ac", field.getText());
    EXPECT_EQ(0, field.getCursor());
    type(field, std::string(5, static_cast<char>(RIGHT)));
    EXPECT_EQ(2, field.getCursor());
    // Keys the font cannot draw, and line feeds, are not typed.
    type(field, std::string("\r\n\t") + static_cast<char>(200));
    EXPECT_EQ("ac", field.getText());
    type(field, " !~");
    EXPECT_EQ("ac !~", field.getText());

    field.setActive(false);
    type(field, {'z', static_cast<char>(BACKSPACE), static_cast<char>(HOME)});
    EXPECT_EQ("ac !~", field.getText());
    EXPECT_EQ(5, field.getCursor());
}

TEST_F(TextFieldWindow, DigitsOnlyAndLengthLimit)
{
    EditText field(true, 1, Int2(10, 10), font.get(), false, true);
    type(field, "a5");
    EXPECT_EQ("5", field.getText());
    type(field, "7"); // full
    EXPECT_EQ("5", field.getText());
    field.insertChar('x'); // direct insertion skips the digit rule, not the limit
    EXPECT_EQ("5", field.getText());
    field.eraseText();
    EXPECT_EQ(0, field.getCursor());
    field.insertChar('x');
    EXPECT_EQ("x", field.getText());
    EXPECT_EQ(1, field.getCursor());

    EditText limited(false, 4, Int2(10, 10), font.get(), false, false);
    limited.insertStringAtEnd("abc");
    limited.injectKeyEvent(HOME);
    limited.insertStringAtEnd("de"); // would make 5: nothing appended, cursor to the end
    EXPECT_EQ("abc", limited.getText());
    EXPECT_EQ(3, limited.getCursor());
    limited.insertStringAtEnd("d");
    EXPECT_EQ("abcd", limited.getText());
    type(limited, "e");
    EXPECT_EQ("abcd", limited.getText());
}

TEST_F(TextFieldWindow, FieldWithoutFontTakesNoTypingButShowsGivenText)
{
    EditText field(false, -1, Int2(20, 40), NULL, false, false);
    field.setActive(false); // no cursor in the picture
    EXPECT_EQ(0, litPixels(pixelsOf(field)));
    type(field, "abc");
    EXPECT_EQ("", field.getText());
    field.insertStringAtEnd("hello");
    EXPECT_EQ("hello", field.getText());
    EXPECT_GT(litPixels(pixelsOf(field)), 20);

    EditText password(false, -1, Int2(20, 40), NULL, true, false);
    password.setActive(false);
    password.insertStringAtEnd("secret");
    EXPECT_EQ(0, litPixels(pixelsOf(password)));
}

TEST_F(TextFieldWindow, PasswordShowsOneStarPerCharacter)
{
    EditText password(false, -1, Int2(30, 50), font.get(), true, false);
    EditText stars(false, -1, Int2(30, 50), font.get(), false, false);
    type(password, "abc");
    type(stars, "***");
    password.setActive(false); // no cursor in the picture
    stars.setActive(false);
    std::vector<unsigned char> const hidden = pixelsOf(password);
    EXPECT_GT(litPixels(hidden), 0);
    EXPECT_TRUE(hidden == pixelsOf(stars));
    stars.insertStringAtEnd("*");
    EXPECT_FALSE(hidden == pixelsOf(stars));
}

TEST_F(TextFieldWindow, CursorBlinksEveryHalfSecondWhileActive)
{
    EditText field(false, -1, Int2(30, 50), font.get(), false, false);
    EXPECT_FALSE(field.isCursorShown());
    field.updateCursorBlink(500);
    EXPECT_FALSE(field.isCursorShown());
    field.updateCursorBlink(501);
    EXPECT_TRUE(field.isCursorShown());
    field.updateCursorBlink(1001);
    EXPECT_TRUE(field.isCursorShown());
    field.updateCursorBlink(1002);
    EXPECT_FALSE(field.isCursorShown());

    // Drawn, an active field shows its mark in one half of the blink. A blink
    // far ahead of the clock keeps drawing from flipping it.
    EditText drawn(false, -1, Int2(30, 50), font.get(), false, false);
    type(drawn, "ab"); // the cursor after the text: its mark stands clear of the glyphs
    drawn.setActive(false);
    std::vector<unsigned char> const textOnly = pixelsOf(drawn);
    drawn.setActive(true);
    int const later = 1 << 30;
    drawn.updateCursorBlink(later);
    ASSERT_TRUE(drawn.isCursorShown());
    std::vector<unsigned char> const marked = pixelsOf(drawn);
    EXPECT_GT(litPixels(marked), litPixels(textOnly));
    drawn.updateCursorBlink(later + 501);
    EXPECT_TRUE(textOnly == pixelsOf(drawn));
}

TEST(EditTextChecks, NeedsTheDeviceManagerToDraw)
{
    TestSupport::ChildResult const result = TestSupport::runInChild([] {
        EditText field(false, -1, Int2(0, 0), NULL, false, false);
        field.insertStringAtEnd("typed without a window");
        field.draw(1.f);
    });
    EXPECT_EQ(1, result.exitStatus);
    EXPECT_NE(std::string::npos, result.errors.find("Condition: deviceManager\n"));
    EXPECT_NE(std::string::npos, result.errors.find("quillet_src/EditText"));
}
