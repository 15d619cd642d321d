#ifndef MATHMANAGER_H
#define MATHMANAGER_H

// Single-precision constants and fast approximations; angles in radians.

namespace MathManager
{
constexpr float PI = 3.1415927f;
constexpr float PI_X2 = 6.2831855f;
constexpr float PI_OVER_180 = 0.017453292f;
constexpr float ANGLE_180_OVER_PI = 57.295776f;

// Approximate 1 / sqrt(x): bit trick and one Newton step.
float fastInverseSqrt(float x);
// Parabolic sine, valid on [-pi, pi].
float fastSin(float x);
float fastSinMorePrecise(float x);
// fastSin(x + pi / 2): the caller keeps x in [-pi, pi / 2].
float fastCos(float x);
float accurateSqrt(float x);
// The same angle in [-pi, pi); an infinite angle is fatal, NaN gives 0.
float getAngleInPiRange(float angleInRadians);
}

#endif
