#include "Canvas.h"

#include <algorithm>
#include <cmath>

namespace
{
uint8_t toByte(float value)
{
    return static_cast<uint8_t>(std::lround(std::min(255.0f, std::max(0.0f, value))));
}
}

Canvas::Canvas(int width, int height, Color4 const& fill)
    : width(width), height(height), pixels(static_cast<size_t>(width) * height * 4, 0)
{
    for (size_t i = 0; i < pixels.size(); i += 4)
        for (int c = 0; c < 4; ++c)
            pixels[i + c] = fill[c];
}

Color4 Canvas::getPixel(int x, int y) const
{
    size_t const i = (static_cast<size_t>(y) * width + x) * 4;
    return Color4(pixels[i], pixels[i + 1], pixels[i + 2], pixels[i + 3]);
}

void Canvas::setPixel(int x, int y, Color4 const& color)
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return;
    size_t const i = (static_cast<size_t>(y) * width + x) * 4;
    for (int c = 0; c < 4; ++c)
        pixels[i + c] = color[c];
}

void Canvas::blendPixel(int x, int y, Color4 const& color, float coverage)
{
    if (x < 0 || y < 0 || x >= width || y >= height || coverage <= 0.0f)
        return;
    float const sourceAlpha = color.w() / 255.0f * std::min(1.0f, coverage);
    Color4 const under = getPixel(x, y);
    float const underAlpha = under.w() / 255.0f;
    float const outAlpha = sourceAlpha + underAlpha * (1.0f - sourceAlpha);
    if (outAlpha <= 0.0f)
        return;
    Color4 result(0, 0, 0, toByte(outAlpha * 255.0f));
    for (int c = 0; c < 3; ++c)
        result[c] = toByte((color[c] * sourceAlpha + under[c] * underAlpha * (1.0f - sourceAlpha)) / outAlpha);
    setPixel(x, y, result);
}

void Canvas::fillRect(int x0, int y0, int x1, int y1, Color4 const& color)
{
    for (int y = std::max(0, y0); y < std::min(height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(width, x1); ++x)
            blendPixel(x, y, color, 1.0f);
}

float Canvas::coverageFromDistance(float signedDistance)
{
    return std::min(1.0f, std::max(0.0f, 0.5f - signedDistance));
}

float Canvas::roundedRectDistance(float px, float py, int x0, int y0, int x1, int y1, float radius) const
{
    float const halfX = (x1 - x0) * 0.5f;
    float const halfY = (y1 - y0) * 0.5f;
    float const r = std::min(radius, std::min(halfX, halfY));
    float const qx = std::fabs(px - (x0 + halfX)) - halfX + r;
    float const qy = std::fabs(py - (y0 + halfY)) - halfY + r;
    float const outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - r;
}

void Canvas::fillRoundedRect(int x0, int y0, int x1, int y1, float radius, Color4 const& color)
{
    for (int y = std::max(0, y0); y < std::min(height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(width, x1); ++x)
            blendPixel(x, y, color,
                       coverageFromDistance(roundedRectDistance(x + 0.5f, y + 0.5f, x0, y0, x1, y1, radius)));
}

void Canvas::drawPanel(int x0, int y0, int x1, int y1, float radius, float border, Color4 const& fill,
                       Color4 const& edge)
{
    for (int y = std::max(0, y0); y < std::min(height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(width, x1); ++x)
        {
            float const distance = roundedRectDistance(x + 0.5f, y + 0.5f, x0, y0, x1, y1, radius);
            float const outer = coverageFromDistance(distance);
            float const inner = coverageFromDistance(distance + border);
            blendPixel(x, y, edge, outer - inner);
            blendPixel(x, y, fill, inner);
        }
}

void Canvas::drawLine(Float2 const& a, Float2 const& b, float thickness, Color4 const& color)
{
    float const reach = thickness * 0.5f + 1.0f;
    int const left = static_cast<int>(std::floor(std::min(a.x(), b.x()) - reach));
    int const right = static_cast<int>(std::ceil(std::max(a.x(), b.x()) + reach));
    int const top = static_cast<int>(std::floor(std::min(a.y(), b.y()) - reach));
    int const bottom = static_cast<int>(std::ceil(std::max(a.y(), b.y()) + reach));
    Float2 const direction = b - a;
    float const lengthSquared = direction.x() * direction.x() + direction.y() * direction.y();
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
        {
            Float2 const p(x + 0.5f - a.x(), y + 0.5f - a.y());
            float t = lengthSquared > 0.0f ? (p.x() * direction.x() + p.y() * direction.y()) / lengthSquared : 0.0f;
            t = std::min(1.0f, std::max(0.0f, t));
            float const distance = std::hypot(p.x() - t * direction.x(), p.y() - t * direction.y());
            blendPixel(x, y, color, coverageFromDistance(distance - thickness * 0.5f));
        }
}

void Canvas::fillDisc(Float2 const& centre, float radius, Color4 const& color)
{
    for (int y = static_cast<int>(centre.y() - radius - 1); y <= static_cast<int>(centre.y() + radius + 1); ++y)
        for (int x = static_cast<int>(centre.x() - radius - 1); x <= static_cast<int>(centre.x() + radius + 1); ++x)
        {
            float const distance = std::hypot(x + 0.5f - centre.x(), y + 0.5f - centre.y());
            blendPixel(x, y, color, coverageFromDistance(distance - radius));
        }
}

void Canvas::fillPolygon(std::vector<Float2> const& corners, Color4 const& color)
{
    if (corners.size() < 3)
        return;
    float minX = corners[0].x(), maxX = corners[0].x(), minY = corners[0].y(), maxY = corners[0].y();
    for (Float2 const& c : corners)
    {
        minX = std::min(minX, c.x());
        maxX = std::max(maxX, c.x());
        minY = std::min(minY, c.y());
        maxY = std::max(maxY, c.y());
    }
    int const samplesPerAxis = 4;
    for (int y = static_cast<int>(std::floor(minY)); y <= static_cast<int>(std::ceil(maxY)); ++y)
        for (int x = static_cast<int>(std::floor(minX)); x <= static_cast<int>(std::ceil(maxX)); ++x)
        {
            int inside = 0;
            for (int sy = 0; sy < samplesPerAxis; ++sy)
                for (int sx = 0; sx < samplesPerAxis; ++sx)
                {
                    float const px = x + (sx + 0.5f) / samplesPerAxis;
                    float const py = y + (sy + 0.5f) / samplesPerAxis;
                    bool odd = false;
                    for (size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++)
                    {
                        Float2 const& p = corners[i];
                        Float2 const& q = corners[j];
                        if ((p.y() > py) != (q.y() > py) &&
                            px < (q.x() - p.x()) * (py - p.y()) / (q.y() - p.y()) + p.x())
                            odd = !odd;
                    }
                    inside += odd ? 1 : 0;
                }
            blendPixel(x, y, color, inside / float(samplesPerAxis * samplesPerAxis));
        }
}

void Canvas::drawCanvas(Canvas const& other, int x, int y)
{
    for (int row = 0; row < other.height; ++row)
        for (int column = 0; column < other.width; ++column)
            blendPixel(x + column, y + row, other.getPixel(column, row), 1.0f);
}

Canvas Canvas::darkened(float factor) const
{
    Canvas result = *this;
    for (size_t i = 0; i < result.pixels.size(); i += 4)
        for (int c = 0; c < 3; ++c)
            result.pixels[i + c] = toByte(pixels[i + c] * factor);
    return result;
}
