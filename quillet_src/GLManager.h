#ifndef GLMANAGER_H
#define GLMANAGER_H

// The one OpenGL window of the program and everything that comes through it:
// the fixed OpenGL state, the per-frame mouse and keyboard event lists and
// state tables, the frame pump that swaps buffers and paces frames near 100 per
// second, and texture upload. The window state lives in the globals below; the
// object itself owns the scenes and managers it creates.

#include "BasicVector.h"
#include "MouseEvent.h"

#include <cstdint>
#include <string>
#include <vector>

class Scene2D;
class Scene3D;
class SpriteManager;
class KeyboardManager;

extern Scene2D* scene2D;
extern Scene3D* scene3D;
extern SpriteManager* spriteManager;
extern KeyboardManager* keyboardManager;
extern Int2 windowSize;
extern bool fullscreenMode;
extern bool modeFullscreenGlut;
#ifdef _WIN32
// The desktop runs in a display mode switched to for the window (fullscreen at an explicit size).
extern bool displayModeSwitched;
#endif
extern Int2 mouseRealPosition;
extern Int2 mousePosition;
extern bool mouseButton[3];
extern std::vector<MouseEvent> mouseEvents;
extern void (*mouseEventFunction)(int button, int state, int x, int y);
extern void (*mouseMotionFunction)(Int2 const& windowPosition, bool buttonHeld);
// When the previous pump ended (pacing), the same for the frame period, and the last period.
extern int64_t clockTime;
extern int64_t timeLastFrame;
extern int64_t periodFrame;

class GLManager
{
public:
    static constexpr int MOUSE_LEFT_BUTTON = 0;
    static constexpr int MOUSE_MIDDLE_BUTTON = 1;
    static constexpr int MOUSE_RIGHT_BUTTON = 2;
    static constexpr int MOUSE_WHEEL_UP = 3;
    static constexpr int MOUSE_WHEEL_DOWN = 4;
    static constexpr int MOUSE_BUTTON_DOWN = 0;
    static constexpr int MOUSE_BUTTON_UP = 1;
    static constexpr int MOUSE_MOVED_BUTTON_HELD = 2;
    static constexpr int MOUSE_MOVED_NO_BUTTON = 3;
    // Frames never count as longer than this, however long they took.
    static constexpr int64_t MAX_FRAME_PERIOD = 200000;

    GLManager();
    virtual ~GLManager();

    void init(std::string const& programPath, char const* windowTitle, int width, int height, bool fullscreen);
    // One frame: swap, deliver pending input, pace; returns the microseconds of the swap.
    int loopEvent();

    std::vector<MouseEvent> const& getMouseEvents() const;
    int64_t getLastFramePeriod() const;
    Int2 getMousePosition() const;
    bool getMouseButton(int button) const;
    void setMousePressedEventFunction(void (*function)(int button, int state, int x, int y));
    void setMouseMotionEventFunction(void (*function)(Int2 const& windowPosition, bool buttonHeld));
    Int2 getWindowRealSize() const;
    bool isFullscreen() const;
    bool isWindowDestroyed() const;
    Scene2D* getScene2D() const;
    Scene3D* getScene3D() const;
    SpriteManager* getSpriteManager() const;
    KeyboardManager* getKeyboardManager() const;

    void setMode(bool fullscreen, int width, int height);
    void setMouseCursorVisible(bool visible);
    void setMousePosition(Int2 const& position);
    Color4 getColor() const;
    void setColor(Color4 const& color);
    void setColor(unsigned char alpha, unsigned char red, unsigned char green, unsigned char blue);
    void clearBackground(Color4 const& color);

    // Uploads width x height pixels with their whole mipmap chain; data stays the caller's.
    int loadTexture(int width, int height, unsigned char* data, bool alpha);
    void unloadTexture(int texture);

    // Milliseconds the pump sleeps when the previous one ended elapsedUs ago.
    static int pacingSleepMs(int64_t elapsedUs);
    // The frame period as stored: the measured one, at most MAX_FRAME_PERIOD.
    static int64_t clampFramePeriod(int64_t periodUs);
};

#endif
