#ifndef HEIGHTMAP_H
#define HEIGHTMAP_H

// The grey height map that the editor turns into a large landscape: red (and
// green and blue, equal) is the height, each 5 levels one cube. Rolling hills
// and valleys, kept away from pure white so peaks stay climbable.

#include "Canvas.h"

namespace HeightMap
{
int const SIZE = 256;
Canvas make();
}

#endif
