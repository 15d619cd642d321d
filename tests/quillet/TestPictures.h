#ifndef TESTPICTURES_H
#define TESTPICTURES_H

// Small pictures made by the tests themselves, as uncompressed TGA bytes:
// plain colours for textures and a font strip for text.

#include "BasicVector.h"

#include <string>

namespace TestPictures
{
// A 4 x 4 picture of one colour.
std::string plainTga(Color4 const& colour);
// A 512 x 16 strip holding a glyph for each of the characters 33 to 126: two
// inked columns each, one empty column between them, so every glyph cell is
// FONT_GLYPH_WIDTH columns wide.
std::string fontStripTga();
constexpr int FONT_GLYPH_WIDTH = 6;
constexpr int FONT_HEIGHT = 16;
}

#endif
