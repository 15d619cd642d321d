#include "MathManager.h"

#include "Errors.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace MathManager
{
float fastInverseSqrt(float x)
{
    int32_t i = 0;
    memcpy(&i, &x, sizeof(i));
    i = 0x5F3759DF - (i >> 1);
    float y = 0.f;
    memcpy(&y, &i, sizeof(y));
    return y * (1.5f - 0.5f * x * y * y);
}

float fastSin(float x)
{
    return 1.2732395f * x - 0.40528473f * x * std::fabs(x);
}

float fastSinMorePrecise(float x)
{
    float const y = fastSin(x);
    return y + 0.225f * (y * std::fabs(y) - y);
}

float fastCos(float x)
{
    return fastSin(x + 1.5707964f);
}

float accurateSqrt(float x)
{
    return std::sqrt(x);
}

float getAngleInPiRange(float angleInRadians)
{
    ASSERT(angleInRadians != std::numeric_limits< float >::infinity() && angleInRadians != -std::numeric_limits< float >::infinity(),
           "angleInRadians != std::numeric_limits< float >::infinity() && "
           "angleInRadians != -std::numeric_limits< float >::infinity()");
    float result = angleInRadians;
    if (angleInRadians >= PI)
    {
        int const k = static_cast<int>((angleInRadians + PI) / PI_X2);
        result = angleInRadians - PI_X2 * k;
    }
    else if (angleInRadians < -PI)
    {
        int const k = static_cast<int>((angleInRadians - PI) / -PI_X2);
        result = angleInRadians + PI_X2 * k;
    }
    if (!(result >= -PI && result < PI))
        return 0.f;
    return result;
}
}
