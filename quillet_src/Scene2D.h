#ifndef SCENE2D_H
#define SCENE2D_H

// The orthographic 2-D scene in window coordinates (origin top left, y down).

#include "BasicVector.h"

class Scene2D
{
public:
    void set2DMode();
    void injectWindowSize(Int2 const& size);
    void setOrtho2DSize(Int2 const& size);
    Int2 convertPositionInWindowToVirtualPosition(Int2 const& position) const;
    Int2 getVirtualSize() const { return virtualSize; }

private:
    void applyProjection_();

    Int2 windowSize = Int2(800, 600);
    Int2 virtualSize = Int2(800, 600);
    bool followsWindow = true;
    Float2 scale = Float2(1.f, 1.f);
};

#endif
