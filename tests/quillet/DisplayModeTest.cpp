#include "DisplayMode.h"

#include <gtest/gtest.h>

namespace
{
DisplayMode::Flags windowed()
{
    return DisplayMode::Flags();
}

DisplayMode::Plan applyInTurn(DisplayMode::Flags& flags, bool fullscreen, int width, int height)
{
    DisplayMode::Plan const plan = DisplayMode::plan(fullscreen, width, height, flags);
    flags = plan.flagsAfter;
    return plan;
}
}

TEST(DisplayMode, ExplicitFullscreenAsksFor32BitsAtTheSizeAndPlacesTheWindowAtTheCorner)
{
    DisplayMode::Plan const plan = DisplayMode::plan(true, 1280, 1024, windowed());
    EXPECT_EQ(plan.change, DisplayMode::Change::SwitchDisplay);
    EXPECT_EQ(plan.record.bitsPerPixel, 32);
    EXPECT_EQ(plan.record.width, 1280);
    EXPECT_EQ(plan.record.height, 1024);
    EXPECT_EQ(plan.record.fields, 0x1c0000ul);
    EXPECT_EQ(plan.windowPosition, Int2(0, 0));
    EXPECT_EQ(plan.windowSize, Int2(1280, 1024));
    EXPECT_EQ(plan.announcement, "Set to fullscreen mode 1280x1024\n");
    EXPECT_TRUE(plan.flagsAfter.fullscreenMode);
    EXPECT_TRUE(plan.flagsAfter.displaySwitched);
    EXPECT_FALSE(plan.flagsAfter.modeFullscreenGlut);
}

TEST(DisplayMode, WindowedRestoresTheDesktopAndPlacesTheWindowNearTheCorner)
{
    DisplayMode::Flags flags = windowed();
    applyInTurn(flags, true, 640, 480);
    DisplayMode::Plan const plan = applyInTurn(flags, false, 800, 600);
    EXPECT_EQ(plan.change, DisplayMode::Change::RestoreDisplay);
    EXPECT_EQ(plan.windowPosition, Int2(10, 10));
    EXPECT_EQ(plan.windowSize, Int2(800, 600));
    // This trace line has no line end of its own.
    EXPECT_EQ(plan.announcement, "Set to windowed mode 800x600");
    EXPECT_FALSE(flags.fullscreenMode);
    EXPECT_FALSE(flags.displaySwitched);
}

TEST(DisplayMode, DesktopFullscreenUsesTheToolkitAndHasNoWayBack)
{
    DisplayMode::Flags flags = windowed();
    DisplayMode::Plan const toFullscreen = applyInTurn(flags, true, -1, -1);
    EXPECT_EQ(toFullscreen.change, DisplayMode::Change::DesktopFullscreen);
    EXPECT_TRUE(toFullscreen.announcement.empty());
    EXPECT_TRUE(flags.fullscreenMode);
    EXPECT_TRUE(flags.modeFullscreenGlut);

    DisplayMode::Plan const back = applyInTurn(flags, false, 800, 600);
    EXPECT_EQ(back.change, DisplayMode::Change::None);
    EXPECT_TRUE(back.announcement.empty());
    EXPECT_TRUE(flags.fullscreenMode);
    EXPECT_TRUE(flags.modeFullscreenGlut);
}

TEST(DisplayMode, TwoExplicitSizesInARowSwitchTwiceAndPlaceTheWindowEachTime)
{
    DisplayMode::Flags flags = windowed();
    DisplayMode::Plan const first = applyInTurn(flags, true, 1024, 768);
    DisplayMode::Plan const second = applyInTurn(flags, true, 1920, 1200);
    for (DisplayMode::Plan const* plan : {&first, &second})
    {
        EXPECT_EQ(plan->change, DisplayMode::Change::SwitchDisplay);
        EXPECT_EQ(plan->windowPosition, Int2(0, 0));
    }
    EXPECT_EQ(second.record.width, 1920);
    EXPECT_EQ(second.record.height, 1200);
    EXPECT_EQ(second.windowSize, Int2(1920, 1200));
    EXPECT_EQ(second.announcement, "Set to fullscreen mode 1920x1200\n");
    EXPECT_TRUE(flags.fullscreenMode);
}

TEST(DisplayMode, SystemTraceLinesAreExact)
{
    EXPECT_EQ(DisplayMode::enumSettingsFailedLine(1400), "EnumDisplaySettings failed:1400\n");
    EXPECT_STREQ(DisplayMode::WINDOW_FOUND_LINE, "Found window handle");
}
