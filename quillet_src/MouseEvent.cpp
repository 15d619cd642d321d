#include "MouseEvent.h"

MouseEvent::MouseEvent(Int2 const& position_, int button_, int state_)
    : position(position_), button(button_), state(state_)
{
}
