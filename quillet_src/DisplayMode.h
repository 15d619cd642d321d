#ifndef DISPLAYMODE_H
#define DISPLAYMODE_H

// What a change of display mode does, worked out apart from the system calls
// that carry it out: which kind of change a request makes, the display-mode
// record asked of the system, where the window goes, the trace lines printed
// and the window flags afterwards. Only the Windows build switches the
// desktop's mode; the Linux build uses the desktop-sized fullscreen alone.

#include "BasicVector.h"

#include <string>

class DisplayMode
{
public:
    enum class Change
    {
        None,              // nothing to do
        DesktopFullscreen, // the window toolkit's desktop-sized fullscreen
        SwitchDisplay,     // the desktop switched to the requested size, the window over it
        RestoreDisplay,    // the desktop back to its own mode, the window at the requested size
    };

    // The fields of the system's display-mode record that a switch sets.
    struct Record
    {
        int bitsPerPixel = 0;
        int width = 0;
        int height = 0;
        // Which fields are given: bits per pixel, width and height.
        unsigned long fields = 0;
    };

    static constexpr int BITS_PER_PIXEL = 32;
    static constexpr unsigned long FIELDS_BITS_WIDTH_HEIGHT = 0x1c0000;

    // The window state that requests read and change.
    struct Flags
    {
        bool fullscreenMode = false;
        // Fullscreen came from the toolkit's desktop-sized call: no way back from it.
        bool modeFullscreenGlut = false;
        // The desktop runs in a mode switched to for the window.
        bool displaySwitched = false;
    };

    struct Plan
    {
        Change change = Change::None;
        Record record;
        // Where the active window is placed, and its size.
        Int2 windowPosition;
        Int2 windowSize;
        // The trace line announcing the change, printed before the system call.
        std::string announcement;
        Flags flagsAfter;
    };

    // The plan of GLManager::setMode(fullscreen, width, height) from the current flags.
    static Plan plan(bool fullscreen, int width, int height, Flags const& flags);

    // Printed when the current settings of the display cannot be read; the switch goes on.
    static std::string enumSettingsFailedLine(unsigned long error);
    // Printed when a window is found to place over the new mode.
    static char const* const WINDOW_FOUND_LINE;
};

#endif
