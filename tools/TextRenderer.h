#ifndef TEXTRENDERER_H
#define TEXTRENDERER_H

// Antialiased text of one face of the DejaVu family (Debian's fonts-dejavu-core)
// at one pixel size, painted through FreeType onto a canvas. Used for the font
// strip and for every label of the generated pictures.

#include "Canvas.h"

#include <string>
#include <vector>

struct FT_LibraryRec_;
struct FT_FaceRec_;

class TextRenderer
{
public:
    // The coverage mask of one rendered character.
    struct Glyph
    {
        int width = 0;
        int rows = 0;
        int left = 0;    // from the pen to the first column
        int top = 0;     // from the baseline up to the first row
        int advance = 0; // pen movement, whole pixels
        std::vector<uint8_t> coverage; // width x rows, top row first
    };

    // fontFile is a file name in the DejaVu folder, such as "DejaVuSans-Bold.ttf".
    TextRenderer(std::string const& fontFile, int pixelSize);
    ~TextRenderer();
    TextRenderer(TextRenderer const&) = delete;
    TextRenderer& operator=(TextRenderer const&) = delete;

    // False when the font could not be opened (the reason was printed).
    bool isReady() const { return face != NULL; }
    Glyph renderGlyph(char c) const;
    int measure(std::string const& text) const;
    // Pixels from the baseline up to the tallest capitals and down to descenders.
    int getAscent() const;
    int getDescent() const;

    // Paints text with its baseline at baselineY; lines are not wrapped.
    void draw(Canvas& canvas, std::string const& text, int x, int baselineY, Color4 const& color) const;
    // Paints text centred in the rectangle [x0, x1) x [y0, y1).
    void drawCentred(Canvas& canvas, std::string const& text, int x0, int y0, int x1, int y1,
                     Color4 const& color) const;

    static char const* const FONT_FOLDER;

private:
    FT_LibraryRec_* library;
    FT_FaceRec_* face;
};

#endif
