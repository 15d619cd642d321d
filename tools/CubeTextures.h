#ifndef CUBETEXTURES_H
#define CUBETEXTURES_H

// The surface pictures of the world: the cube face textures (each tileable, so
// that the faces of a box of cubes join, and with the picture's top row at the
// top of a side face), their darker variants for faces in static shadow, the
// water texture and the two plain pictures the engine draws with.

#include "Canvas.h"

#include <string>
#include <vector>

namespace CubeTextures
{
struct Texture
{
    std::string fileName; // the same name in both cube texture folders
    Canvas picture;
    bool hasAlpha; // leaves and glass have see-through parts
};

int const SIZE = 128;
// Brightness kept by a face in static shadow.
float const SHADOW_FACTOR = 0.5f;

std::vector<Texture> makeCubeTextures();
Canvas makeWater();
// A plain square of one colour (the default sprite picture, the shadow overlay).
Canvas makePlain(Color4 const& color);
}

#endif
