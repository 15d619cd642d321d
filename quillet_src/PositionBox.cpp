#include "PositionBox.h"

PositionBox::PositionBox(int x0_, int y0_, int x1_, int y1_) : x0(x0_), y0(y0_), x1(x1_), y1(y1_)
{
}

std::ostream& operator<<(std::ostream& out, PositionBox const& box)
{
    return out << "PositionBox (x0=" << box.x0 << ";y0=" << box.y0 << ";x1=" << box.x1 << ";y1=" << box.y1 << ")";
}
