#include "Core.h"

#include "MathManager.h"

#include <cmath>

namespace Core
{
float dotProduct(Float3 const& a, Float3 const& b)
{
    return a.x() * b.x() + a.y() * b.y() + a.z() * b.z();
}

Float3 crossProduct(Float3 const& a, Float3 const& b)
{
    return Float3(a.y() * b.z() - a.z() * b.y(), a.z() * b.x() - a.x() * b.z(), a.x() * b.y() - a.y() * b.x());
}

Float3 crossProduct(Float2 const& a, Float2 const& b)
{
    return Float3(0.f, 0.f, a.x() * b.y() - a.y() * b.x());
}

Float3 middleBetweenTwoPoints(Float3 const& a, Float3 const& b)
{
    return (a + b) * 0.5f;
}

float distanceBetween(Float3 const& a, Float3 const& b)
{
    Float3 const d = a - b;
    return std::sqrt(d.x() * d.x() + d.y() * d.y() + d.z() * d.z());
}

float distanceBetweenInt2(Int2 const& a, Int2 const& b)
{
    int const dx = a.x() - b.x();
    int const dy = a.y() - b.y();
    return std::sqrt(static_cast<float>(dx * dx + dy * dy));
}

Float3 get3DCoordinatesFromSphericalCoordinates(float r, float theta, float phi)
{
    return Float3(r * std::sin(theta) * std::cos(phi), r * std::cos(theta), r * std::sin(theta) * std::sin(phi));
}

Float3 getSphericalCoordinatesFrom3DCoordinates(Float3 const& v)
{
    if (v.x() == 0.f && v.z() == 0.f)
        return Float3(0.f, 0.f, 0.f);
    float const r = std::sqrt(v.x() * v.x() + v.y() * v.y() + v.z() * v.z());
    float phi = std::acos(v.x() / std::sqrt(v.x() * v.x() + v.z() * v.z()));
    if (v.z() < 0.f)
        phi = MathManager::PI_X2 - phi;
    float const theta = std::acos(v.y() / r);
    return Float3(r, theta, phi);
}
}
