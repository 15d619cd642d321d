#ifndef PNGFILE_H
#define PNGFILE_H

// The PNG files of the game data: 8-bit RGB or RGBA, top row first, written
// with fixed settings and no time stamp so that two runs give the same bytes.
// Reading is here too, so that the generator's checks use the same format code.

#include "Canvas.h"

#include <string>

namespace PngFile
{
// Writes the canvas as RGBA when withAlpha, else as RGB (alpha dropped).
// Prints the reason on standard error and returns false on failure.
bool write(std::string const& path, Canvas const& canvas, bool withAlpha);
// Reads an 8-bit RGB or RGBA file into picture (alpha 255 for RGB); hasAlpha
// tells which it was. Prints the reason and returns false for anything else.
bool read(std::string const& path, Canvas& picture, bool& hasAlpha);
}

#endif
