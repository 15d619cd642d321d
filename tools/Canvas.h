#ifndef CANVAS_H
#define CANVAS_H

// An RGBA picture being painted by the data generator: tightly packed 8-bit
// pixels, top row first, with the few antialiased primitives the game's
// pictures need (rectangles, rounded panels, lines, discs and polygons).
// Painting blends source-over, so translucent panels keep what lies beneath.

#include "BasicVector.h"

#include <cstdint>
#include <vector>

class Canvas
{
public:
    Canvas(int width, int height, Color4 const& fill);

    int getWidth() const { return width; }
    int getHeight() const { return height; }
    // Pixel bytes, width x height x 4, top row first.
    std::vector<uint8_t> const& getPixels() const { return pixels; }

    Color4 getPixel(int x, int y) const;
    // Writes a pixel as is; points outside the picture are ignored.
    void setPixel(int x, int y, Color4 const& color);
    // Source-over blend of color, its alpha scaled by coverage (0..1).
    void blendPixel(int x, int y, Color4 const& color, float coverage);

    // Rectangles cover the pixels [x0, x1) x [y0, y1).
    void fillRect(int x0, int y0, int x1, int y1, Color4 const& color);
    void fillRoundedRect(int x0, int y0, int x1, int y1, float radius, Color4 const& color);
    // A rounded panel with a border of the given thickness drawn inside its edge.
    void drawPanel(int x0, int y0, int x1, int y1, float radius, float border, Color4 const& fill,
                   Color4 const& edge);
    void drawLine(Float2 const& a, Float2 const& b, float thickness, Color4 const& color);
    void fillDisc(Float2 const& centre, float radius, Color4 const& color);
    // Any simple polygon, by the even-odd rule, sampled 4 x 4 times per pixel.
    void fillPolygon(std::vector<Float2> const& corners, Color4 const& color);
    // Paints other over this picture with its top-left corner at (x, y).
    void drawCanvas(Canvas const& other, int x, int y);

    // The same picture with red, green and blue scaled by factor; alpha kept.
    Canvas darkened(float factor) const;

private:
    // Coverage (0..1) of the pixel centred at p by a shape whose signed
    // distance at p is given: negative inside, positive outside.
    static float coverageFromDistance(float signedDistance);
    float roundedRectDistance(float px, float py, int x0, int y0, int x1, int y1, float radius) const;

    int width;
    int height;
    std::vector<uint8_t> pixels;
};

#endif
