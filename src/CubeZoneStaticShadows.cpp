#include "CubeZoneStaticShadows.h"

namespace CubeZoneStaticShadows
{
void calculateStaticShadows(std::vector<CubeZone const*> const& /*occluders: cast shadows not computed yet*/,
                            CubeZone const& zone, std::vector<Float3> triangles[CubeZone::NB_SHADOW_FACES],
                            bool inShadow[CubeZone::NB_SHADOW_FACES], Float3 const& light)
{
    Float3 const half = zone.getSize() * 0.5f;
    Float3 const minCorner = zone.getPosition() - half;
    Float3 const maxCorner = zone.getPosition() + half;
    for (int axis = 0; axis < 3; ++axis)
    {
        // A face whose plane the light does not lie outside of looks away from it.
        inShadow[2 * axis] = minCorner[axis] <= light[axis];
        inShadow[2 * axis + 1] = light[axis] <= maxCorner[axis];
    }
    for (int k = 0; k < CubeZone::NB_SHADOW_FACES; ++k)
        triangles[k].clear();
}
}
