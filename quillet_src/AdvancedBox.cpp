#include "AdvancedBox.h"

#include "Errors.h"
#include "MathManager.h"

#include <algorithm>
#include <cmath>

namespace
{
int roundHalfAwayFromZero(float v)
{
    return static_cast<int>(v >= 0.f ? std::floor(v + 0.5f) : std::ceil(v - 0.5f));
}

bool isAxisAligned(Int2 const* c)
{
    return c[0].y() == c[1].y() && c[1].x() == c[2].x() && c[3].x() == c[0].x() && c[1].x() < c[3].x() &&
           c[2].y() < c[0].y();
}

bool isWithin(float value, int a, int b)
{
    return value >= std::min(a, b) && value <= std::max(a, b);
}

bool fitsInInt(float v)
{
    return v > -2147483648.f && v < 2147483648.f;
}

// Where the lines through the two edges meet, truncated to integers; false when both are vertical.
bool lineIntersection(Int2 const& a0, Int2 const& a1, Int2 const& b0, Int2 const& b1, int& x, int& y)
{
    bool const aVertical = a0.x() == a1.x();
    bool const bVertical = b0.x() == b1.x();
    if (aVertical && bVertical)
        return false;
    float const slopeA = aVertical ? 0.f : float(a1.y() - a0.y()) / float(a1.x() - a0.x());
    float const slopeB = bVertical ? 0.f : float(b1.y() - b0.y()) / float(b1.x() - b0.x());
    float const interceptA = a0.y() - slopeA * a0.x();
    float const interceptB = b0.y() - slopeB * b0.x();
    float fx = 0.f;
    float fy = 0.f;
    if (aVertical)
    {
        fx = float(a0.x());
        fy = slopeB * fx + interceptB;
    }
    else if (bVertical)
    {
        fx = float(b0.x());
        fy = slopeA * fx + interceptA;
    }
    else
    {
        if (slopeA == slopeB)
            return false; // parallel lines never meet
        fx = (interceptB - interceptA) / (slopeA - slopeB);
        fy = slopeA * fx + interceptA;
    }
    // Nearly parallel lines meet far outside both edges, beyond what an int holds.
    if (!fitsInInt(fx) || !fitsInInt(fy))
        return false;
    x = static_cast<int>(fx);
    y = static_cast<int>(fy);
    return true;
}
}

Int2 getRotatedPoint(int x, int y, float angleRadians, int centerX, int centerY, int shiftX)
{
    float const dx = float(x - centerX);
    float const dy = float(y - centerY);
    float const angle = std::atan2(dy, dx) + angleRadians;
    float const distance = 1.f / MathManager::fastInverseSqrt(dx * dx + dy * dy);
    float const nx = std::cos(angle) * distance;
    float const ny = std::sin(angle) * distance;
    return Int2(roundHalfAwayFromZero(nx) + centerX + shiftX, roundHalfAwayFromZero(ny) + centerY);
}

void AdvancedBox::calculate(Int2 const& position, Int2 const& size, Int2 const& center, float angleDegrees,
                            int shiftCorners23, int shiftCorners01)
{
    float const angle = angleDegrees * MathManager::PI / 180.f;
    Int2 const relative[4] = {Int2(size.x() - center.x(), size.y() - center.y()),
                              Int2(-center.x(), size.y() - center.y()), Int2(-center.x(), -center.y()),
                              Int2(size.x() - center.x(), -center.y())};
    int const shifts[4] = {shiftCorners01, shiftCorners01, shiftCorners23, shiftCorners23};
    for (int i = 0; i < 4; ++i)
    {
        Int2 const corner = position + relative[i];
        corners[i] = getRotatedPoint(corner.x(), corner.y(), angle, position.x(), position.y(), shifts[i]);
    }
}

bool AdvancedBox::isThereIntersectionSlow(Int2 const& p) const
{
    if (isAxisAligned(corners))
        return corners[1].x() < p.x() && p.x() < corners[3].x() && corners[2].y() < p.y() && p.y() < corners[0].y();

    for (int i = 0; i < 4; ++i)
    {
        Int2 const& c1 = corners[i];
        Int2 const& c2 = corners[(i + 1) % 4];
        float anglePointBox1 = std::atan2(float(-(c1.y() - p.y())), float(c1.x() - p.x()));
        float anglePointBox2 = std::atan2(float(-(c2.y() - p.y())), float(c2.x() - p.x()));
        if (anglePointBox1 > anglePointBox2 + MathManager::PI)
            anglePointBox1 -= MathManager::PI_X2;
        else if (anglePointBox2 > anglePointBox1 + MathManager::PI)
            anglePointBox2 -= MathManager::PI_X2;
        ASSERT(anglePointBox1 <= anglePointBox2 + MathManager::PI, NULL);
        ASSERT(anglePointBox2 <= anglePointBox1 + MathManager::PI, NULL);
        if (anglePointBox2 >= anglePointBox1)
            return false;
    }
    return true;
}

bool AdvancedBox::isThereIntersectionSlow(AdvancedBox const& other) const
{
    for (int i = 0; i < 4; ++i)
        if (other.isThereIntersectionSlow(corners[i]))
            return true;
    for (int i = 0; i < 4; ++i)
        if (isThereIntersectionSlow(other.corners[i]))
            return true;
    return false;
}

bool AdvancedBox::isThereIntersectionFast(AdvancedBox const& other) const
{
    for (int i = 0; i < 4; ++i)
    {
        Int2 const& a0 = corners[i];
        Int2 const& a1 = corners[(i + 1) % 4];
        for (int j = 0; j < 4; ++j)
        {
            Int2 const& b0 = other.corners[j];
            Int2 const& b1 = other.corners[(j + 1) % 4];
            int x = 0;
            int y = 0;
            if (!lineIntersection(a0, a1, b0, b1, x, y))
                continue;
            if (isWithin(float(x), a0.x(), a1.x()) && isWithin(float(y), a0.y(), a1.y()) &&
                isWithin(float(x), b0.x(), b1.x()) && isWithin(float(y), b0.y(), b1.y()))
                return true;
        }
    }
    return false;
}
