#ifndef MOUSEEVENT_H
#define MOUSEEVENT_H

// One mouse event of the current frame: where (window pixels, as the toolkit
// delivered it), which button (-1 for motion) and what happened.

#include "BasicVector.h"

class MouseEvent
{
public:
    MouseEvent() = default;
    MouseEvent(Int2 const& position, int button, int state);

    Int2 position;
    int button = 0;
    // 0 pressed, 1 released, 2 moved with a button held, 3 moved with none held.
    int state = 0;
};

#endif
