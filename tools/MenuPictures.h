#ifndef MENUPICTURES_H
#define MENUPICTURES_H

// The pictures of the game's own screens: the main and options menus (drawn
// in the top-left 800 x 600 of a 1024 x 1024 picture, transparent elsewhere,
// with a button under each place the menus react to a click), the mouse
// cursor (tip at the top-left pixel), the loading picture, the editor's
// help picture listing its keys and the demo game's square, opaque title
// picture (shown stretched to the window's height).

#include "Canvas.h"

namespace MenuPictures
{
Canvas makeMainMenu();
Canvas makeOptionsMenu();
Canvas makeCursor();
Canvas makeLoading();
Canvas makeEditorHelp();
Canvas makeTitle();
}

#endif
