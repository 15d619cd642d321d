#ifndef FONT_H
#define FONT_H

// A bitmap font cut out of one RGBA picture: the glyphs of characters 33 to 126
// stand left to right in the strip, separated by fully transparent columns.
// The font owns its image (whose pixels are dropped once the glyphs are
// measured; the texture stays) and draws text through the 2-D scene. Made
// without a device manager (tools, no window) it measures text but cannot draw.

#include "BasicVector.h"

class DeviceManager;
class Image;

class Font
{
public:
    static constexpr int CHARACTER_COUNT = 256;
    static constexpr int FIRST_GLYPH = 33;
    static constexpr int LAST_GLYPH = 126;

    Font(DeviceManager* dm, char const* imageFile, int spaceWidth, bool verbose);
    ~Font();
    Font(Font const&) = delete;
    Font& operator=(Font const&) = delete;

    // Space, line feed and characters with a glyph.
    bool isSupported(char c) const;
    // Width of the widest line of the first length characters (-1: all).
    int getWidth(char const* text, int length, float scale) const;
    // Returns the pen position after the text.
    Int2 drawText(Int2 const& position, char const* text, Float2 const& scale, int length, bool bold) const;
    void drawTextAtCenterOfScreen(char const* text, Float2 const& scale, bool bold, int length) const;
    // Draws word by word, starting a new line before a word that would reach maxWidth.
    Int2 drawTextWithLineReturn(Int2 const& position, char const* text, unsigned maxWidth, Float2 const& scale,
                                bool bold, int length) const;
    // Measures the glyphs of firstChar..lastChar from column on; leaves the final scan position in column.
    void fillTabPosIndex(int firstChar, int lastChar, int& column, bool verbose);

    int getGlyphX(unsigned char c) const;
    int getGlyphWidth(unsigned char c) const;
    int getHeight() const;

    // The measuring on bare RGBA pixels: a glyph starts at the inked column just
    // before column; its cell starts one column before its ink and ends three after.
    static void measureGlyphs(unsigned char const* rgba, Int2 const& size, int firstChar, int lastChar, int& column,
                              int glyphX[CHARACTER_COUNT], int glyphWidth[CHARACTER_COUNT], bool verbose);
    // One past the first inked column at or after column (the image width when none).
    static int findInkedColumn(unsigned char const* rgba, Int2 const& size, int column);

private:
    int getTextLength_(char const* text, int length) const;

    Image* image = NULL;
    // First image column of each character's cell, -1 when it has no glyph.
    int glyphX[CHARACTER_COUNT];
    // Cell width in image columns, -1 when no glyph.
    int glyphWidth[CHARACTER_COUNT];
    int spaceWidth = 0;
    DeviceManager* deviceManager = NULL;
};

#endif
