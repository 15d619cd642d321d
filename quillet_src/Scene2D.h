#ifndef SCENE2D_H
#define SCENE2D_H

// The orthographic 2-D scene: everything drawn in window units that is not a
// sprite. Coordinates have their origin at the window's top-left corner, x to
// the right and y downwards, in units of the virtual size, which follows the
// window size. One scene exists, owned by the GLManager. Primitives draw with
// the current OpenGL colour unless colours are given.

#include "AdvancedBox.h"
#include "BasicVector.h"

class Scene2D
{
public:
    // The GLUT bitmap fonts of drawString.
    static void* const TEXT_8_BY_13_PIXELS;
    static void* const TEXT_9_BY_15_PIXELS;
    static void* const TEXT_TIMES_ROMAN_10;
    static void* const TEXT_TIMES_ROMAN_24;
    static void* const TEXT_HELVETICA_10;
    static void* const TEXT_HELVETICA_12;
    static void* const TEXT_HELVETICA_18;

    // Projection, lighting and depth test off, both faces filled, front faces culled.
    void set2DMode();
    void injectWindowSize(Int2 const& size);
    // Only while the virtual size does not follow the window.
    void setOrtho2DSize(Int2 const& size);
    Int2 convertPositionInWindowToVirtualPosition(Int2 const& position) const;
    Int2 getVirtualSize() const;
    Int2 getWindowSize() const;

    // Bitmap text with its baseline starting at (x, y); leaves texturing off.
    void drawString(int x, int y, void const* glutFont, char const* text) const;
    void drawTexture(int texture, int x, int y, int w, int h) const;
    void drawFragmentOfTexture(int texture, int x, int y, float left, float top, float right, float bottom, int w,
                               int h) const;
    void drawTextureRotated(unsigned texture, AdvancedBox const& box, bool flipX, bool flipY) const;
    void drawTextureRotated(unsigned texture, int x, int y, int w, int h, float angle, int hotX, int hotY, bool flipX,
                            bool flipY) const;
    void drawLine(Int2 const& a, Int2 const& b) const;
    void drawLineTwoColors(Int2 const& a, Int2 const& b, Color4 const& ca, Color4 const& cb) const;
    void drawRectangle(Int2 const& a, Int2 const& b, bool filled) const;
    void drawGradingSquare(int x0, int y0, int x1, int y1, Color4 const& c00, Color4 const& c10, Color4 const& c01,
                           Color4 const& c11) const;
    void drawBoundingBox(AdvancedBox const& box) const;
    // The box filled with color, with a border fading to transparent that reaches
    // blur times the distance from the centre beyond each corner.
    void drawBoundingBoxWithBlurredBorder(AdvancedBox const& box, float blur, Color4 const& color) const;

    // The outer corner of the blurred border for one corner of a box centred on centre.
    static Int2 getBlurredCorner(Int2 const& corner, Int2 const& centre, float blur);
    static Int2 getCentre(AdvancedBox const& box);

private:
    void applyProjection_();

    // Window size in pixels; never zero on a side when the projection is set.
    Int2 windowSize = Int2(640, 480);
    // Extent of the 2-D coordinate space; equal to windowSize while followsWindow.
    Int2 virtualSize = Int2(640, 480);
    // virtualSize / windowSize per axis, to turn window positions into virtual ones.
    Float2 scale = Float2(1.f, 1.f);
    bool followsWindow = true;
};

#endif
