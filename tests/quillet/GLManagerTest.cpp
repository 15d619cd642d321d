#include "DeviceManager.h"
#include "GLManager.h"
#include "KeyboardManager.h"
#include "Scene2D.h"
#include "Scene3D.h"
#include "TestSupport.h"
#include "Utils.h"

#include <GL/freeglut.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
// Opens the real window for one test and closes its device manager after it.
class GLManagerWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DISPLAY();
        DeviceManager::newInstance("quillet_tests", "quillet input test", 800, 600, false);
        for (int i = 0; i < 5; ++i)
            deviceManager->loopEvent();
        unsigned long const window = TestSupport::findWindow("quillet input test");
        windowId = std::to_string(window);
        ASSERT_TRUE(TestSupport::takeInputFocus(window));
        pumpUntil([] { return false; }, 5);
    }

    void TearDown() override
    {
        if (deviceManager != NULL)
            DeviceManager::deleteInstance();
    }

    static void xdotool(std::string const& arguments)
    {
        ASSERT_TRUE(TestSupport::xdotool(arguments)) << "xdotool " << arguments;
    }

    // Pumps frames until the condition holds, collecting every key and mouse event seen.
    bool pumpUntil(std::function<bool()> const& condition, int maxFrames = 200)
    {
        for (int i = 0; i < maxFrames; ++i)
        {
            deviceManager->loopEvent();
            std::vector<int> const& keys = deviceManager->getKeyboardManager()->keyEvents;
            seenKeys.insert(seenKeys.end(), keys.begin(), keys.end());
            std::vector<MouseEvent> const& mouse = deviceManager->getMouseEvents();
            seenMouse.insert(seenMouse.end(), mouse.begin(), mouse.end());
            if (condition())
                return true;
        }
        return false;
    }

    bool sawKey(int code) const { return std::find(seenKeys.begin(), seenKeys.end(), code) != seenKeys.end(); }

    bool sawButton(int button, int state) const
    {
        return std::any_of(seenMouse.begin(), seenMouse.end(),
                           [=](MouseEvent const& e) { return e.button == button && e.state == state; });
    }

    TestSupport::InputLock inputLock;
    std::string windowId;
    std::vector<int> seenKeys;
    std::vector<MouseEvent> seenMouse;
};
}

TEST_F(GLManagerWindow, OpensTheWindowAndWritesTheExtensionReport)
{
    EXPECT_EQ(deviceManager->getWindowRealSize(), Int2(800, 600));
    EXPECT_FALSE(deviceManager->isWindowDestroyed());
    EXPECT_NE(deviceManager->getScene2D(), nullptr);
    EXPECT_NE(deviceManager->getScene3D(), nullptr);
    EXPECT_NE(deviceManager->getSpriteManager(), nullptr);
    std::string const report = TestSupport::readFile("extensions.txt");
    EXPECT_EQ(report.rfind("supported:", 0), 0u);
    EXPECT_EQ(report.substr(report.size() - 2), " :");
    EXPECT_NE(report.find("GL_ARB_vertex_buffer_object"), std::string::npos);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_FOG));
}

TEST_F(GLManagerWindow, LettersKeepTheirCaseAndReleasesUpdateTheKeyTable)
{
    static std::vector<int> observed;
    deviceManager->getKeyboardManager()->setKeyPressedEventFunction([](int code) { observed.push_back(code); });
    xdotool("key --clearmodifiers a");
    xdotool("key --clearmodifiers A");
    ASSERT_TRUE(pumpUntil([&] { return sawKey('a') && sawKey('A'); }));
    EXPECT_EQ(observed, seenKeys) << "the press observer sees every listed press";
    KeyboardManager const* keyboard = deviceManager->getKeyboardManager();
    xdotool("keydown b");
    ASSERT_TRUE(pumpUntil([&] { return keyboard->keys['b']; }));
    // A held key stays down across frames.
    pumpUntil([] { return false; }, 3);
    EXPECT_TRUE(keyboard->keys['b']);
    xdotool("keyup b");
    EXPECT_TRUE(pumpUntil([&] { return !keyboard->keys['b']; }));
}

TEST_F(GLManagerWindow, SpecialKeysArriveWithTheirCodes)
{
    xdotool("key F1 F12 Right Left Up Down Prior Next Escape Return Tab Delete Home");
    ASSERT_TRUE(pumpUntil([&] { return sawKey(KeyboardManager::KEYASCII_TABULATION); }));
    pumpUntil([] { return false; }, 5);
    std::vector<int> const expected = {256, 267, 28, 29, 30, 31, 33, 34, 27, 13, 9, 127};
    std::vector<int> const seen = seenKeys;
    EXPECT_EQ(seen, expected) << "Home must be ignored";
}

TEST_F(GLManagerWindow, ClicksAndWheelStepsArriveAsMouseEvents)
{
    xdotool("mousemove --window " + windowId + " 120 80");
    ASSERT_TRUE(pumpUntil([&] { return deviceManager->getMousePosition() == Int2(120, 80); }));
    xdotool("mousedown 1");
    ASSERT_TRUE(pumpUntil([&] { return deviceManager->getMouseButton(GLManager::MOUSE_LEFT_BUTTON); }));
    xdotool("mouseup 1");
    ASSERT_TRUE(pumpUntil([&] { return !deviceManager->getMouseButton(GLManager::MOUSE_LEFT_BUTTON); }));
    EXPECT_TRUE(sawButton(GLManager::MOUSE_LEFT_BUTTON, GLManager::MOUSE_BUTTON_DOWN));
    EXPECT_TRUE(sawButton(GLManager::MOUSE_LEFT_BUTTON, GLManager::MOUSE_BUTTON_UP));
    // A click does not move the virtual position.
    EXPECT_EQ(deviceManager->getMousePosition(), Int2(120, 80));

    xdotool("click 4"); // X button 4 is a wheel step up: the toolkit's button 3
    xdotool("click 5");
    ASSERT_TRUE(pumpUntil([&] { return sawButton(GLManager::MOUSE_WHEEL_DOWN, GLManager::MOUSE_BUTTON_UP); }));
    EXPECT_TRUE(sawButton(GLManager::MOUSE_WHEEL_UP, GLManager::MOUSE_BUTTON_DOWN));
    EXPECT_TRUE(sawButton(GLManager::MOUSE_WHEEL_UP, GLManager::MOUSE_BUTTON_UP));
    EXPECT_FALSE(deviceManager->getMouseButton(3));
    EXPECT_FALSE(deviceManager->getMouseButton(4));
}

TEST_F(GLManagerWindow, PumpPacesFramesAndClampsThePeriod)
{
    int64_t const before = Utils::getMicrosecondTime();
    for (int i = 0; i < 10; ++i)
        deviceManager->loopEvent();
    // Ten pumps back to back take at least about ten periods of 10 ms.
    EXPECT_GE(Utils::getMicrosecondTime() - before, 90000);
    // Whatever the caller did since the last pump (nothing, 3 ms or 12 ms of
    // work), the pause tops the gap up to 10 ms at least.
    for (unsigned const workMs : {0u, 3u, 12u, 3u})
    {
        Utils::sleepMs(workMs);
        deviceManager->loopEvent();
        EXPECT_GE(deviceManager->getLastFramePeriod(), 10000) << "after " << workMs << " ms of work";
        EXPECT_LE(deviceManager->getLastFramePeriod(), GLManager::MAX_FRAME_PERIOD);
    }
    Utils::sleepMs(300);
    deviceManager->loopEvent();
    EXPECT_EQ(deviceManager->getLastFramePeriod(), GLManager::MAX_FRAME_PERIOD);
}

TEST_F(GLManagerWindow, TextureUploads)
{
    unsigned char pixels[4 * 4 * 4];
    for (int i = 0; i < 4 * 4 * 4; ++i)
        pixels[i] = static_cast<unsigned char>(i * 3);
    int const texture = deviceManager->loadTexture(4, 4, pixels, true);
    EXPECT_GT(texture, 0);
    EXPECT_TRUE(glIsTexture(texture));

    unsigned char stored[4 * 4 * 4] = {0};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, stored);
    EXPECT_EQ(0, memcmp(pixels, stored, sizeof pixels)) << "level 0 holds the picture as given";
    GLint lastLevelWidth = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 2, GL_TEXTURE_WIDTH, &lastLevelWidth);
    EXPECT_EQ(1, lastLevelWidth) << "the whole mipmap chain is built";
    GLint parameter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &parameter);
    EXPECT_EQ(GL_LINEAR_MIPMAP_NEAREST, parameter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &parameter);
    EXPECT_EQ(GL_LINEAR, parameter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &parameter);
    EXPECT_EQ(GL_REPEAT, parameter);
    deviceManager->unloadTexture(texture);
    EXPECT_FALSE(glIsTexture(texture));

    // Without alpha the same bytes are read as RGB, three to a pixel.
    int const opaque = deviceManager->loadTexture(2, 2, pixels, false);
    unsigned char rgb[2 * 2 * 3] = {0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    EXPECT_EQ(0, memcmp(pixels, rgb, sizeof rgb));
    GLint format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(GL_RGB, format);
    deviceManager->unloadTexture(opaque);
}

TEST_F(GLManagerWindow, WarpedPointerArrivesAsMotionAndTheCursorCanHide)
{
    deviceManager->setMousePosition(Int2(300, 200));
    ASSERT_TRUE(pumpUntil([] { return deviceManager->getMousePosition() == Int2(300, 200); }));
    EXPECT_TRUE(sawButton(-1, GLManager::MOUSE_MOVED_NO_BUTTON));
    deviceManager->setMouseCursorVisible(false);
    EXPECT_EQ(GLUT_CURSOR_NONE, glutGet(GLUT_WINDOW_CURSOR));
    deviceManager->setMouseCursorVisible(true);
    EXPECT_EQ(GLUT_CURSOR_RIGHT_ARROW, glutGet(GLUT_WINDOW_CURSOR));
}

TEST(GLManager, NullTexturePointerIsFatal)
{
    REQUIRE_DISPLAY();
    // The window is opened in the child: a child must not share the parent's X connection.
    TestSupport::ChildResult const result = TestSupport::runInChild([] {
        DeviceManager::newInstance("quillet_tests", "null texture", 320, 240, false);
        deviceManager->loadTexture(4, 4, NULL, false);
    });
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.errors.find("Condition: data != NULL"), std::string::npos);
    EXPECT_NE(result.errors.find("__FILE__ quillet_src/GLManager.cpp"), std::string::npos);
}

TEST(GLManager, FailedMipmapBuildIsFatal)
{
    REQUIRE_DISPLAY();
    TestSupport::ChildResult const result = TestSupport::runInChild([] {
        DeviceManager::newInstance("quillet_tests", "bad texture", 320, 240, false);
        unsigned char pixel[4] = {0, 0, 0, 0};
        deviceManager->loadTexture(0, 1, pixel, true);
    });
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.errors.find("Condition: mipmapres == 0\n"), std::string::npos) << result.errors;
}

TEST_F(GLManagerWindow, ColoursAndClearingReachOpenGL)
{
    deviceManager->setColor(128, 255, 0, 0);
    EXPECT_EQ(deviceManager->getColor(), Color4(255, 0, 0, 128));
    deviceManager->clearBackground(Color4(0, 0, 255, 255));
    Color4 const pixel = TestSupport::readPixel(10, 10);
    EXPECT_EQ(pixel[0], 0);
    EXPECT_EQ(pixel[1], 0);
    EXPECT_EQ(pixel[2], 255);
}

TEST(GLManager, PacingSleepsTheRestOfTenMilliseconds)
{
    EXPECT_EQ(GLManager::pacingSleepMs(3000), 7);
    EXPECT_EQ(GLManager::pacingSleepMs(12000), 0);
    EXPECT_EQ(GLManager::pacingSleepMs(9999), 1);
    EXPECT_EQ(GLManager::pacingSleepMs(10000), 0);
    EXPECT_EQ(GLManager::pacingSleepMs(0), 10);
    EXPECT_EQ(GLManager::pacingSleepMs(-500), 10);
    // A clock set back by an hour costs one ordinary pause, not an hour.
    EXPECT_EQ(GLManager::pacingSleepMs(-3600LL * 1000000), 10);
    EXPECT_EQ(GLManager::clampFramePeriod(15000), 15000);
    EXPECT_EQ(GLManager::clampFramePeriod(5000000), 200000);
}

TEST(DeviceManager, SecondInstanceAndDeletingNoneAreFatal)
{
    TestSupport::ChildResult const deleteNone = TestSupport::runInChild([] { DeviceManager::deleteInstance(); });
    EXPECT_EQ(deleteNone.exitStatus, 1);
    EXPECT_NE(deleteNone.errors.find("Condition: deviceManager != NULL"), std::string::npos);
    EXPECT_NE(deleteNone.errors.find("__FILE__ quillet_src/DeviceManager.cpp"), std::string::npos);

    REQUIRE_DISPLAY();
    TestSupport::ChildResult const twice = TestSupport::runInChild([] {
        DeviceManager::newInstance("quillet_tests", "first", 320, 240, false);
        DeviceManager::newInstance("quillet_tests", "second", 320, 240, false);
    });
    EXPECT_EQ(twice.exitStatus, 1);
    EXPECT_NE(twice.errors.find("Condition: deviceManager == NULL"), std::string::npos);
}

TEST_F(GLManagerWindow, DraggingAndHoveringArriveAsMotionEventsAndReachTheObservers)
{
    static std::vector<MouseEvent> clicks;
    static std::vector<MouseEvent> motions;
    deviceManager->setMousePressedEventFunction(
        [](int button, int state, int x, int y) { clicks.push_back(MouseEvent(Int2(x, y), button, state)); });
    deviceManager->setMouseMotionEventFunction([](Int2 const& position, bool buttonHeld) {
        motions.push_back(MouseEvent(position, -1, buttonHeld ? 2 : 3));
    });
    seenMouse.clear();
    xdotool("mousemove --window " + windowId + " 200 150");
    ASSERT_TRUE(pumpUntil([&] { return sawButton(-1, GLManager::MOUSE_MOVED_NO_BUTTON) &&
                                       deviceManager->getMousePosition() == Int2(200, 150); }));
    xdotool("mousedown 1");
    xdotool("mousemove --window " + windowId + " 260 190");
    ASSERT_TRUE(pumpUntil([&] { return sawButton(-1, GLManager::MOUSE_MOVED_BUTTON_HELD) &&
                                       deviceManager->getMousePosition() == Int2(260, 190); }));
    EXPECT_TRUE(deviceManager->getMouseButton(GLManager::MOUSE_LEFT_BUTTON));
    xdotool("mouseup 1");
    ASSERT_TRUE(pumpUntil([&] { return !deviceManager->getMouseButton(GLManager::MOUSE_LEFT_BUTTON); }));

    MouseEvent const& lastMotion = motions.back();
    EXPECT_EQ(lastMotion.position, Int2(260, 190));
    EXPECT_EQ(lastMotion.state, GLManager::MOUSE_MOVED_BUTTON_HELD);
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[0].state, GLUT_DOWN);
    EXPECT_EQ(clicks[1].state, GLUT_UP);
    EXPECT_EQ(clicks[1].position, Int2(260, 190));
    // The lists hold what the observers saw, in the same order.
    size_t seenMotions = 0;
    for (MouseEvent const& event : seenMouse)
    {
        if (event.button != -1)
            continue;
        ASSERT_LT(seenMotions, motions.size());
        EXPECT_EQ(event.position, motions[seenMotions++].position);
    }
    EXPECT_EQ(seenMotions, motions.size());
}

TEST_F(GLManagerWindow, ResizedWindowIsFoundByPollingAndReachesBothScenes)
{
    testing::internal::CaptureStdout();
    xdotool("windowsize --sync " + windowId + " 640 480");
    bool const found = pumpUntil([] { return deviceManager->getWindowRealSize() == Int2(640, 480); });
    std::string const output = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(found) << output;
    EXPECT_NE(output.find("Rescaling to (640,480)\n"), std::string::npos) << output;
    EXPECT_EQ(deviceManager->getScene2D()->getWindowSize(), Int2(640, 480));
    EXPECT_FLOAT_EQ(deviceManager->getScene3D()->getAspectRatio(), 640.f / 480.f);
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 480);
}

TEST_F(GLManagerWindow, DeletingTheDeviceManagerDeletesWhatItMade)
{
    DeviceManager::deleteInstance();
    EXPECT_EQ(deviceManager, nullptr);
    EXPECT_EQ(scene2D, nullptr);
    EXPECT_EQ(scene3D, nullptr);
    EXPECT_EQ(spriteManager, nullptr);
    EXPECT_EQ(keyboardManager, nullptr);
}

TEST(GLManager, OnlyTheDesktopSizedFullscreenIsReachable)
{
    REQUIRE_DISPLAY();
    // The full-screen window covers the others: keep them from taking input meanwhile.
    TestSupport::InputLock const inputLock;
    TestSupport::ChildResult const result = TestSupport::runInChild([] {
        DeviceManager::newInstance("quillet_tests", "fullscreen test", 320, 240, false);
        deviceManager->setMode(true, 800, 600);
        deviceManager->setMode(false, -1, -1);
        for (int i = 0; i < 5; ++i)
            deviceManager->loopEvent();
        if (deviceManager->isFullscreen() || deviceManager->getWindowRealSize() != Int2(320, 240))
            exit(2);
        deviceManager->setMode(true, -1, -1);
        if (!deviceManager->isFullscreen() || !modeFullscreenGlut)
            exit(3);
        Int2 const screen(glutGet(GLUT_SCREEN_WIDTH), glutGet(GLUT_SCREEN_HEIGHT));
        for (int i = 0; i < 300 && deviceManager->getWindowRealSize() != screen; ++i)
            deviceManager->loopEvent();
        exit(deviceManager->getWindowRealSize() == screen ? 0 : 4);
    });
    EXPECT_EQ(result.exitStatus, 0) << result.output << result.errors;
}

TEST(KeyboardManager, ClearingTheKeysKeepsTheFunctionKeys)
{
    KeyboardManager keyboard;
    keyboard.keyPressed('x');
    keyboard.keyPressed(KeyboardManager::KEYASCII_PAGEUP);
    keyboard.keyPressed(KeyboardManager::KEYASCII_F5);
    keyboard.keyPressed(KeyboardManager::KEYASCII_F12);
    keyboard.initKeysAsNotPressed();
    EXPECT_FALSE(keyboard.keys['x']);
    EXPECT_FALSE(keyboard.keys[KeyboardManager::KEYASCII_PAGEUP]);
    EXPECT_TRUE(keyboard.keys[KeyboardManager::KEYASCII_F5]);
    EXPECT_TRUE(keyboard.keys[KeyboardManager::KEYASCII_F12]);
    EXPECT_EQ(keyboard.keyEvents, (std::vector<int>{'x', 33, 260, 267})) << "clearing the keys keeps the events";
    for (int const ignored : {GLUT_KEY_HOME, GLUT_KEY_END, GLUT_KEY_INSERT})
        EXPECT_EQ(KeyboardManager::codeOfSpecialKey(ignored), -1);
}
