#ifndef TESTSUPPORT_H
#define TESTSUPPORT_H

// Helpers shared by the unit tests: temporary folders and files, the check
// that a display is there for tests that open a window, and reading back what
// a test drew in its 800 x 600 window.

#include "BasicVector.h"

#include <functional>
#include <string>
#include <vector>

namespace TestSupport
{
// A new empty folder under the system's temporary folder.
std::string makeTemporaryFolder();
void writeFile(std::string const& path, std::string const& bytes);
std::string readFile(std::string const& path);
// What a piece of code did when run in a child process of its own.
struct ChildResult
{
    int exitStatus = -1; // -1 when the child did not exit normally
    std::string output;  // standard output
    std::string errors;  // standard error
};
// Runs body in a forked child, capturing its standard output and error; a body
// that returns exits with status 0. Use it to check fatal reports byte for byte.
ChildResult runInChild(std::function<void()> const& body);
// runInChild for a body that may use the window: the child leaves without the
// exit handlers, which would tear down the window it shares with the test.
ChildResult runInChildSharingWindow(std::function<void()> const& body);

// Held by a test while it sends real key presses or pointer moves: tests run
// two at a time and share the display's keyboard focus and pointer, so those
// that drive input take turns (the end-to-end tests take the same lock).
class InputLock
{
public:
    InputLock();
    ~InputLock();
    InputLock(InputLock const&) = delete;
    InputLock& operator=(InputLock const&) = delete;

private:
    int fd = -1;
};

// runInChild for a body that shares the caller's window: the child leaves
// without the exit handlers, which would tear down the window they share.
ChildResult runInChildSharingWindow(std::function<void()> const& body);

// True when an X display is reachable (the test command starts Xvfb).
bool hasDisplay();

// Runs "xdotool <arguments>"; true when it succeeded.
bool xdotool(std::string const& arguments);
// The X id, as text for xdotool, of the first window titled exactly `title`;
// empty when there is none.
std::string findWindow(std::string const& title);
// Other tests' windows open at the screen's top-left corner: moves this window
// clear of them, gives it the keyboard focus and puts the pointer at `pointer`
// (window pixels) in it, so that real presses and moves reach it alone. Hold an
// InputLock meanwhile. True when every step succeeded.
bool takeInput(std::string const& windowId, Int2 const& pointer);

// The whole 800 x 600 back buffer as RGBA, bottom row first, after glFinish.
std::vector<unsigned char> readWindowPixels();
// One back-buffer pixel as RGBA in window coordinates (origin bottom-left), after glFinish.
Color4 readPixel(int x, int y);
// readPixel with alpha reported as 255, for tests that compare colours only.
Color4 readPixelRgb(int x, int y);
// readPixelRgb at a 2-D scene position (origin top-left, y growing downwards).
Color4 readScenePixelRgb(int x, int y);
}

// A test that needs a window fails at once, with the reason, when no display
// is reachable: the test command always starts one, so this is never skipped.
#define REQUIRE_DISPLAY()                                                                                  \
    do                                                                                                     \
    {                                                                                                      \
        if (!TestSupport::hasDisplay())                                                                    \
            GTEST_FAIL() << "no X display: run the tests through scripts/run_tests.sh";                    \
    } while (0)

#endif
