#include "FontStrip.h"
#include "GeneratedData.h"

#include <gtest/gtest.h>

namespace
{
struct InkRun
{
    int first; // first column with ink
    int end;   // first empty column after it
};

// Runs of columns holding any pixel with non-zero alpha.
std::vector<InkRun> inkRuns(Canvas const& strip)
{
    std::vector<InkRun> runs;
    bool inRun = false;
    for (int x = 0; x < strip.getWidth(); ++x)
    {
        bool ink = false;
        for (int y = 0; y < strip.getHeight() && !ink; ++y)
            ink = strip.getPixel(x, y).w() != 0;
        if (ink && !inRun)
            runs.push_back({x, x});
        if (!ink && inRun)
            runs.back().end = x;
        inRun = ink;
    }
    if (inRun)
        runs.back().end = strip.getWidth();
    return runs;
}
}

TEST(FontStrip, HoldsOneGlyphPerCharacterWithCellsClearOfTheirNeighbours)
{
    Canvas const strip = GeneratedData::picture("default_font.png");
    std::vector<InkRun> const runs = inkRuns(strip);
    ASSERT_EQ(runs.size(), 94u);
    // A glyph's cell reaches one column before its ink and three after it.
    EXPECT_GE(runs.front().first, 1);
    for (size_t i = 0; i + 1 < runs.size(); ++i)
        EXPECT_GE(runs[i + 1].first - runs[i].end, FontStrip::GAP) << "after character " << char(33 + i);
    EXPECT_LE(runs.back().end + 3, strip.getWidth());
    // Widths look like the letters: i narrow, W and M wide, '"' one glyph.
    auto width = [&](char c) { return runs[c - 33].end - runs[c - 33].first; };
    EXPECT_LT(width('i'), width('n'));
    EXPECT_LT(width('n'), width('W'));
    EXPECT_GT(width('M'), 2 * width('l'));
    EXPECT_GT(width('"'), 3);
}

TEST(FontStrip, InkIsWhiteAndFitsTheLine)
{
    Canvas const strip = GeneratedData::picture("default_font.png");
    EXPECT_EQ(strip.getHeight(), FontStrip::HEIGHT);
    int inkRows[FontStrip::HEIGHT] = {};
    for (int y = 0; y < strip.getHeight(); ++y)
        for (int x = 0; x < strip.getWidth(); ++x)
        {
            Color4 const p = strip.getPixel(x, y);
            ASSERT_TRUE(p.x() == 255 && p.y() == 255 && p.z() == 255) << "at " << x << ", " << y;
            inkRows[y] += p.w() > 128 ? 1 : 0;
        }
    // Nothing cut at the top or bottom edge of the line.
    EXPECT_EQ(inkRows[0], 0);
    EXPECT_EQ(inkRows[FontStrip::HEIGHT - 1], 0);
}
