#ifndef CUBEZONESTATICSHADOWS_H
#define CUBEZONESTATICSHADOWS_H

// The static shadow computation of one receiving zone under a point light:
// per face (shadow face order -x, +x, -y, +y, -z, +z) either a wholly-in-
// shadow mark, for faces looking away from the light, or flat triangles
// covering the parts other zones darken. For now it gives the faces' own
// shadow marks only; the shadows cast by the occluders come with the static
// shadows work, behind this same function.

#include "BasicVector.h"
#include "CubeZone.h"

#include <vector>

namespace CubeZoneStaticShadows
{
void calculateStaticShadows(std::vector<CubeZone const*> const& occluders, CubeZone const& zone,
                            std::vector<Float3> triangles[CubeZone::NB_SHADOW_FACES],
                            bool inShadow[CubeZone::NB_SHADOW_FACES], Float3 const& light);
}

#endif
