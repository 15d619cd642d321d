#ifndef ADVANCEDBOX_H
#define ADVANCEDBOX_H

// A possibly rotated and slanted rectangle in window units, held as its four
// corners, with the point and overlap tests used by sprites.

#include "BasicVector.h"

// Rotates (x, y) about (centerX, centerY) and adds shiftX to the resulting x;
// coordinates are rounded half away from zero.
Int2 getRotatedPoint(int x, int y, float angleRadians, int centerX, int centerY, int shiftX);

class AdvancedBox
{
public:
    // position is the rotation centre; center is the rectangle's point that sits there.
    void calculate(Int2 const& position, Int2 const& size, Int2 const& center, float angleDegrees,
                   int shiftCorners23, int shiftCorners01);

    // The point strictly inside the box.
    bool isThereIntersectionSlow(Int2 const& point) const;
    // A corner of either box inside the other.
    bool isThereIntersectionSlow(AdvancedBox const& other) const;
    // Two edges crossing; a box wholly inside the other does not count.
    bool isThereIntersectionFast(AdvancedBox const& other) const;

    Int2 corners[4];
};

#endif
