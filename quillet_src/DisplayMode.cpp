#include "DisplayMode.h"

char const* const DisplayMode::WINDOW_FOUND_LINE = "Found window handle";

namespace
{
std::string sizeText(int width, int height)
{
    return std::to_string(width) + "x" + std::to_string(height);
}
}

DisplayMode::Plan DisplayMode::plan(bool fullscreen, int width, int height, Flags const& flags)
{
    Plan result;
    result.flagsAfter = flags;
    if (fullscreen && width == -1 && height == -1)
    {
        result.change = Change::DesktopFullscreen;
        result.flagsAfter.modeFullscreenGlut = true;
        result.flagsAfter.fullscreenMode = true;
        return result;
    }
    if (fullscreen)
    {
        result.change = Change::SwitchDisplay;
        result.record.bitsPerPixel = BITS_PER_PIXEL;
        result.record.width = width;
        result.record.height = height;
        result.record.fields = FIELDS_BITS_WIDTH_HEIGHT;
        result.windowPosition = Int2(0, 0);
        result.windowSize = Int2(width, height);
        result.announcement = "Set to fullscreen mode " + sizeText(width, height) + "\n";
        result.flagsAfter.fullscreenMode = true;
        result.flagsAfter.displaySwitched = true;
        return result;
    }
    // The toolkit's fullscreen has no way back.
    if (flags.modeFullscreenGlut)
        return result;
    result.change = Change::RestoreDisplay;
    result.windowPosition = Int2(10, 10);
    result.windowSize = Int2(width, height);
    result.announcement = "Set to windowed mode " + sizeText(width, height);
    result.flagsAfter.fullscreenMode = false;
    result.flagsAfter.displaySwitched = false;
    return result;
}

std::string DisplayMode::enumSettingsFailedLine(unsigned long error)
{
    return "EnumDisplaySettings failed:" + std::to_string(error) + "\n";
}
