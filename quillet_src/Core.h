#ifndef CORE_H
#define CORE_H

// Vector helpers on Float3 and Int2; spherical coordinates use y as the polar
// axis and radians.

#include "BasicVector.h"

namespace Core
{
float dotProduct(Float3 const& a, Float3 const& b);
Float3 crossProduct(Float3 const& a, Float3 const& b);
Float3 crossProduct(Float2 const& a, Float2 const& b);
Float3 middleBetweenTwoPoints(Float3 const& a, Float3 const& b);
float distanceBetween(Float3 const& a, Float3 const& b);
float distanceBetweenInt2(Int2 const& a, Int2 const& b);
// (r sin(theta) cos(phi), r cos(theta), r sin(theta) sin(phi))
Float3 get3DCoordinatesFromSphericalCoordinates(float r, float theta, float phi);
// (r, theta, phi) with phi in [0, 2 pi); a point on the y axis gives (0, 0, 0).
Float3 getSphericalCoordinatesFrom3DCoordinates(Float3 const& v);
}

#endif
