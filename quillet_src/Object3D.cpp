#include "Object3D.h"

bool Object3D::isThere3DIntersectionPoint(Float3 const& /*p*/) const
{
    return false;
}

bool Object3D::isThere3DIntersection2(Float3 const& /*from*/, Float3 const& /*to*/, Float3& /*out*/) const
{
    return false;
}

Object3D::~Object3D() = default;
