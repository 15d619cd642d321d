#ifndef POSITIONBOX_H
#define POSITIONBOX_H

// An axis-aligned integer rectangle in window units.

#include <ostream>

class PositionBox
{
public:
    PositionBox() = default;
    PositionBox(int x0, int y0, int x1, int y1);

    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
};

std::ostream& operator<<(std::ostream& out, PositionBox const& box);

#endif
