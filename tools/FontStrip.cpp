#include "FontStrip.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{
// The glyph's columns that hold ink: [first, last]; first > last for none.
void inkColumns(TextRenderer::Glyph const& glyph, int& first, int& last)
{
    first = glyph.width;
    last = -1;
    for (int x = 0; x < glyph.width; ++x)
        for (int y = 0; y < glyph.rows; ++y)
            if (glyph.coverage[static_cast<size_t>(y) * glyph.width + x] > 0)
            {
                first = std::min(first, x);
                last = std::max(last, x);
            }
}

bool columnHasInk(TextRenderer::Glyph const& glyph, int x)
{
    for (int y = 0; y < glyph.rows; ++y)
        if (glyph.coverage[static_cast<size_t>(y) * glyph.width + x] > 0)
            return true;
    return false;
}
}

namespace FontStrip
{
bool make(TextRenderer const& text, Canvas& strip)
{
    std::vector<TextRenderer::Glyph> glyphs;
    int width = 2; // the first cell starts one column before the first ink
    int highest = 0, lowest = 0;
    for (int c = FIRST_CHARACTER; c <= LAST_CHARACTER; ++c)
    {
        glyphs.push_back(text.renderGlyph(static_cast<char>(c)));
        int first = 0, last = 0;
        inkColumns(glyphs.back(), first, last);
        if (first > last)
        {
            fprintf(stderr, "ERROR : the font has no ink for the character '%c'\n", c);
            return false;
        }
        width += last - first + 1 + GAP;
        highest = std::max(highest, glyphs.back().top);
        lowest = std::max(lowest, glyphs.back().rows - glyphs.back().top);
    }
    if (highest + lowest > HEIGHT)
    {
        fprintf(stderr, "ERROR : the glyphs are %d pixels tall, the font strip only %d\n", highest + lowest, HEIGHT);
        return false;
    }
    int stripWidth = 2;
    while (stripWidth < width)
        stripWidth *= 2;
    // Transparent pixels are white too, so filtering never darkens the ink's edges.
    strip = Canvas(stripWidth, HEIGHT, Color4(255, 255, 255, 0));
    int const baseline = (HEIGHT - highest - lowest) / 2 + highest;
    int x = 2;
    for (TextRenderer::Glyph const& glyph : glyphs)
    {
        int first = 0, last = 0;
        inkColumns(glyph, first, last);
        for (int column = first; column <= last; ++column)
        {
            int const top = baseline - glyph.top;
            for (int row = 0; row < glyph.rows; ++row)
                strip.setPixel(x + column - first, top + row,
                               Color4(255, 255, 255, glyph.coverage[static_cast<size_t>(row) * glyph.width + column]));
            if (!columnHasInk(glyph, column))
                strip.setPixel(x + column - first, baseline - 1, Color4(255, 255, 255, 1));
        }
        x += last - first + 1 + GAP;
    }
    return true;
}
}
