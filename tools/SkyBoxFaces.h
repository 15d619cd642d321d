#ifndef SKYBOXFACES_H
#define SKYBOXFACES_H

// The six pictures of the sky box. The sky is one function of the view
// direction (a blue dome, clouds, a sun, haze below the horizon); each face
// picture samples it at the directions that its pixels cover once the box is
// drawn around the camera, so neighbouring faces agree along their edges.
//
// The sky box draws an inverted cube with the texture corners of the box
// faces; its pictures end up on these sides, with a pixel at texture
// coordinates (s, t) in [0, 1] (t = 0 the top row) seen in the direction:
//   top    (1 - 2s, +1, 1 - 2t)     bottom (1 - 2s, -1, 1 - 2t)
//   left   (2s - 1, 1 - 2t, -1)     right  (1 - 2s, 1 - 2t, +1)
//   front  (+1, 1 - 2t, 2s - 1)     back   (-1, 1 - 2t, 1 - 2s)

#include "Canvas.h"

#include <string>

namespace SkyBoxFaces
{
int const SIZE = 256;
// face is one of "top", "bottom", "left", "right", "front", "back".
Canvas makeFace(std::string const& face);
// The direction seen at texture coordinates (s, t) of a face (not normalised).
Float3 directionOf(std::string const& face, float s, float t);
}

#endif
