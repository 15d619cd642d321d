#include "CubeTextures.h"

#include "Noise.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace
{
int const N = CubeTextures::SIZE;
float const PI = 3.14159265f;

unsigned char channel(float value)
{
    return static_cast<unsigned char>(std::lround(std::min(255.0f, std::max(0.0f, value))));
}

Color4 shade(Color4 const& base, float factor, unsigned char alpha = 255)
{
    return Color4(channel(base.x() * factor), channel(base.y() * factor), channel(base.z() * factor), alpha);
}

Canvas paint(std::function<Color4(int, int)> const& pixel)
{
    Canvas canvas(N, N, Color4(0, 0, 0, 255));
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x)
            canvas.setPixel(x, y, pixel(x, y));
    return canvas;
}

float u(int x)
{
    return x / float(N);
}

Color4 dirtPixel(Noise const& noise, int x, int y)
{
    float const n = noise.tiledFractal(u(x), u(y), 4, 5);
    Color4 c = shade(Color4(124, 88, 58, 255), 0.7f + 0.6f * n);
    if (noise.at(x, y, 1) > 0.975f)
        c = shade(Color4(150, 140, 125, 255), 0.8f + 0.4f * n); // small pebbles
    return c;
}

Canvas makeGrassTop()
{
    Noise const noise(101);
    return paint([&](int x, int y) {
        float const n = noise.tiledFractal(u(x), u(y), 4, 5);
        float const blade = noise.at(x, y, 7);
        Color4 c = shade(Color4(78, 146, 54, 255), 0.72f + 0.5f * n);
        if (blade > 0.92f)
            c = shade(Color4(120, 190, 80, 255), 0.8f + 0.3f * n);
        else if (blade < 0.05f)
            c = shade(Color4(50, 100, 36, 255), 0.9f + 0.2f * n);
        return c;
    });
}

Canvas makeGrassSide()
{
    Noise const noise(102);
    Noise const top(101);
    return paint([&](int x, int y) {
        // The grass edge hangs down unevenly; its noise wraps along x only.
        float const edge = N * (0.16f + 0.14f * noise.tiled(u(x) * 16.0f, 0.5f, 16));
        if (y < edge)
        {
            float const n = top.tiledFractal(u(x), u(y), 4, 5);
            return shade(Color4(78, 146, 54, 255), 0.72f + 0.5f * n);
        }
        if (y < edge + 2.0f)
            return shade(Color4(60, 100, 40, 255), 1.0f);
        return dirtPixel(noise, x, y);
    });
}

Canvas makeDirt()
{
    Noise const noise(103);
    return paint([&](int x, int y) { return dirtPixel(noise, x, y); });
}

Canvas makeStone()
{
    Noise const noise(104);
    Noise const cracks(105);
    return paint([&](int x, int y) {
        float const n = noise.tiledFractal(u(x), u(y), 4, 5);
        float const k = cracks.tiledFractal(u(x), u(y), 4, 3);
        float const grey = 95.0f + 90.0f * n;
        Color4 c(channel(grey), channel(grey), channel(grey + 6.0f), 255);
        if (std::fabs(k - 0.5f) < 0.012f)
            c = shade(c, 0.6f); // thin dark veins
        return c;
    });
}

// Tileable cells: each of the cells x cells squares holds one jittered centre;
// distances wrap around the tile, so stones at opposite edges continue.
struct CellDistances
{
    float nearest;
    float second;
    int cell;
};

CellDistances cellDistances(Noise const& noise, int x, int y, int cells)
{
    float const cellSize = N / float(cells);
    CellDistances result{1e9f, 1e9f, 0};
    int const cx = static_cast<int>(x / cellSize), cy = static_cast<int>(y / cellSize);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
        {
            int const gx = cx + dx, gy = cy + dy;
            int const wx = (gx + cells) % cells, wy = (gy + cells) % cells;
            float const px = (gx + 0.15f + 0.7f * noise.at(wx, wy, 0)) * cellSize;
            float const py = (gy + 0.15f + 0.7f * noise.at(wx, wy, 1)) * cellSize;
            float const d = std::hypot(x + 0.5f - px, y + 0.5f - py);
            if (d < result.nearest)
            {
                result.second = result.nearest;
                result.nearest = d;
                result.cell = wx + wy * cells;
            }
            else if (d < result.second)
                result.second = d;
        }
    return result;
}

Canvas makeCobblestone()
{
    Noise const noise(106);
    return paint([&](int x, int y) {
        CellDistances const d = cellDistances(noise, x, y, 4);
        float const n = noise.tiledFractal(u(x), u(y), 8, 3);
        if (d.second - d.nearest < 3.0f)
            return shade(Color4(70, 68, 64, 255), 0.8f + 0.4f * n); // mortar
        float const tone = 0.75f + 0.35f * noise.at(d.cell, 0, 2);
        float const rounded = 1.0f - std::min(0.25f, d.nearest / N); // lighter in the middle
        return shade(Color4(140, 138, 132, 255), tone * rounded * (0.85f + 0.3f * n));
    });
}

Canvas makeSand()
{
    Noise const noise(107);
    return paint([&](int x, int y) {
        float const n = noise.tiledFractal(u(x), u(y), 4, 4);
        float const ripple = std::sin(2.0f * PI * (3.0f * u(y) + 0.6f * n));
        float const grain = noise.at(x, y, 3) * 0.08f;
        return shade(Color4(222, 202, 146, 255), 0.88f + 0.06f * ripple + 0.1f * n + grain);
    });
}

Canvas makePlanks()
{
    Noise const noise(108);
    int const rows = 4, rowHeight = N / rows;
    return paint([&](int x, int y) {
        int const row = y / rowHeight;
        int const joint = (row * 45 + 17) % N; // each plank row ends somewhere else
        float const tone = 0.85f + 0.25f * noise.at(row, x < joint ? 0 : 1, 4);
        float const n = noise.tiledFractal(u(x), u(y), 4, 3);
        float const grain = std::sin(2.0f * PI * (16.0f * u(y) + 2.0f * n));
        Color4 c = shade(Color4(168, 122, 72, 255), tone * (0.9f + 0.08f * grain));
        bool const seam = y % rowHeight == 0 || y % rowHeight == rowHeight - 1 || x == joint;
        bool const nail = (x == (joint + 4) % N || x == (joint + N - 5) % N) &&
                          (y % rowHeight == 5 || y % rowHeight == rowHeight - 6);
        if (seam)
            c = shade(c, 0.55f);
        if (nail)
            c = Color4(70, 66, 62, 255);
        return c;
    });
}

Canvas makeLeaves()
{
    Noise const noise(109);
    Noise const colour(110);
    return paint([&](int x, int y) {
        float const n = noise.tiledFractal(u(x), u(y), 8, 3);
        if (n < 0.40f)
            return Color4(40, 90, 30, 0); // a gap between the leaves
        float const c = colour.tiledFractal(u(x), u(y), 16, 2);
        return shade(Color4(54, 120, 40, 255), 0.6f + 0.7f * c * (0.7f + 0.5f * n));
    });
}

Canvas makeBrick()
{
    Noise const noise(111);
    int const rows = 4, rowHeight = N / rows, brickWidth = N / 2, mortar = 3;
    return paint([&](int x, int y) {
        int const row = y / rowHeight;
        int const shifted = (x + (row % 2) * brickWidth / 2) % N;
        int const brick = shifted / brickWidth;
        float const n = noise.tiledFractal(u(x), u(y), 8, 3);
        if (y % rowHeight < mortar || shifted % brickWidth < mortar)
            return shade(Color4(196, 190, 178, 255), 0.85f + 0.2f * n);
        float const tone = 0.8f + 0.3f * noise.at(row, brick, 5);
        return shade(Color4(164, 66, 48, 255), tone * (0.85f + 0.3f * n));
    });
}

Canvas makeSnow()
{
    Noise const noise(112);
    return paint([&](int x, int y) {
        float const n = noise.tiledFractal(u(x), u(y), 4, 4);
        Color4 c = shade(Color4(236, 242, 252, 255), 0.92f + 0.08f * n);
        if (noise.at(x, y, 6) > 0.985f)
            c = Color4(255, 255, 255, 255); // glints
        return c;
    });
}

Canvas makeGlass()
{
    int const frame = 5;
    return paint([&](int x, int y) {
        int const edge = std::min(std::min(x, y), std::min(N - 1 - x, N - 1 - y));
        if (edge < frame)
            return edge == 0 || edge == frame - 1 ? Color4(150, 170, 185, 255) : Color4(205, 222, 232, 255);
        int const diagonal = (x + y) % N;
        if ((diagonal > 36 && diagonal < 44) || (diagonal > 52 && diagonal < 55))
            return Color4(235, 245, 255, 110); // reflections
        return Color4(200, 225, 240, 0);
    });
}
}

namespace CubeTextures
{
std::vector<Texture> makeCubeTextures()
{
    return {{"grass_top.png", makeGrassTop(), false},   {"grass_side.png", makeGrassSide(), false},
            {"dirt.png", makeDirt(), false},            {"stone.png", makeStone(), false},
            {"cobblestone.png", makeCobblestone(), false}, {"sand.png", makeSand(), false},
            {"wood_planks.png", makePlanks(), false},   {"leaves.png", makeLeaves(), true},
            {"brick.png", makeBrick(), false},          {"snow.png", makeSnow(), false},
            {"glass.png", makeGlass(), true}};
}

Canvas makeWater()
{
    Noise const noise(120);
    Noise const ridges(121);
    return paint([&](int x, int y) {
        float const n = noise.tiledFractal(u(x), u(y), 4, 4);
        float const wave = std::sin(2.0f * PI * (2.0f * u(x) + 3.0f * u(y) + 1.5f * n));
        float const r = ridges.tiledFractal(u(x), u(y), 4, 3);
        Color4 c = shade(Color4(34, 96, 170, 255), 0.85f + 0.1f * wave + 0.2f * n, 200);
        if (std::fabs(r - 0.5f) < 0.015f)
            c = Color4(150, 200, 235, 215); // light caught on the ripples
        return c;
    });
}

Canvas makePlain(Color4 const& color)
{
    return Canvas(8, 8, color);
}
}
