#ifndef FONTSTRIP_H
#define FONTSTRIP_H

// The default font picture: the glyphs of the characters 33 to 126, left to
// right on one line, white ink whose alpha is the coverage, each glyph apart
// from the next by GAP fully transparent columns. The engine cuts glyphs at
// empty columns and gives each cell one column before the ink and three after
// it, so GAP = 4 keeps every cell clear of its neighbours' ink; a glyph made
// of separate strokes (such as '"') gets its inner empty columns bridged by
// an invisible alpha-1 pixel, so it still measures as one glyph.

#include "Canvas.h"
#include "TextRenderer.h"

namespace FontStrip
{
int const FIRST_CHARACTER = 33;
int const LAST_CHARACTER = 126;
int const HEIGHT = 32;
int const GAP = 4;
// The strip for the given face, as wide as the next power of two that holds
// every glyph; false (reported) when the glyphs do not fit HEIGHT.
bool make(TextRenderer const& text, Canvas& strip);
}

#endif
