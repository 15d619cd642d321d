#include "MenuPictures.h"

#include "TextRenderer.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace
{
int const MENU_SIZE = 1024;
char const* const BOLD = "DejaVuSans-Bold.ttf";
char const* const REGULAR = "DejaVuSans.ttf";

Color4 const TRANSPARENT_COLOR(0, 0, 0, 0);
Color4 const WHITE(255, 255, 255, 255);
Color4 const GOLD(255, 214, 110, 255);
Color4 const PALE(200, 214, 235, 255);
Color4 const BACKDROP(8, 16, 34, 150);
Color4 const BACKDROP_EDGE(110, 140, 190, 170);

// A button covering [x0, x1) x [y0, y1): opaque, so it shows over any scene,
// with its label lines centred.
void drawButton(Canvas& canvas, TextRenderer const& text, int x0, int y0, int x1, int y1,
                std::vector<std::string> const& lines)
{
    canvas.drawPanel(x0, y0, x1, y1, 7.0f, 2.0f, Color4(36, 72, 130, 255), Color4(150, 192, 242, 255));
    int const lineHeight = text.getAscent() + 5;
    int const top = y0 + (y1 - y0 - lineHeight * static_cast<int>(lines.size())) / 2;
    for (size_t i = 0; i < lines.size(); ++i)
        text.drawCentred(canvas, lines[i], x0, top + static_cast<int>(i) * lineHeight, x1,
                         top + static_cast<int>(i + 1) * lineHeight, WHITE);
}

// Buttons of the options menu: column c of the 100-pixel columns from x = 50,
// over the rows of 50 pixels that start at rowTop.
void drawColumnButton(Canvas& canvas, TextRenderer const& text, int column, int rowTop,
                      std::vector<std::string> const& lines)
{
    int const left = 50 + 100 * column;
    drawButton(canvas, text, left + 4, rowTop + 3, left + 96, rowTop + 47, lines);
}
}

namespace MenuPictures
{
Canvas makeMainMenu()
{
    Canvas canvas(MENU_SIZE, MENU_SIZE, TRANSPARENT_COLOR);
    TextRenderer const title(BOLD, 36), small(REGULAR, 13), label(BOLD, 16);
    title.draw(canvas, "QUILLET", 296, 52, GOLD);
    small.draw(canvas, "Main menu", 300, 76, PALE);
    // Backdrop of the button column only: the credits and statistics are
    // written from (155, 100) to the right of it.
    canvas.drawPanel(36, 136, 153, 430, 12.0f, 1.5f, BACKDROP, BACKDROP_EDGE);
    drawButton(canvas, label, 201, 16, 270, 55, {"Close"});
    drawButton(canvas, label, 53, 153, 146, 213, {"Editor"});
    drawButton(canvas, label, 53, 253, 146, 313, {"Options"});
    drawButton(canvas, label, 53, 353, 146, 413, {"Quit"});
    small.draw(canvas, "Esc: back to the game", 40, 462, PALE);
    return canvas;
}

Canvas makeOptionsMenu()
{
    Canvas canvas(MENU_SIZE, MENU_SIZE, TRANSPARENT_COLOR);
    TextRenderer const title(BOLD, 32), heading(BOLD, 15), label(BOLD, 12), small(REGULAR, 13);
    title.draw(canvas, "Options", 296, 44, GOLD);
    canvas.drawPanel(36, 104, 466, 512, 12.0f, 1.5f, BACKDROP, BACKDROP_EDGE);
    drawButton(canvas, heading, 201, 11, 270, 50, {"Back"});

    heading.draw(canvas, "Display mode", 54, 142, WHITE);
    drawColumnButton(canvas, label, 0, 150, {"Window", "800x600"});
    drawColumnButton(canvas, label, 1, 150, {"Full screen", "desktop"});
    drawColumnButton(canvas, label, 2, 150, {"Full screen", "640x480"});
    drawColumnButton(canvas, label, 3, 150, {"Full screen", "800x600"});
    drawColumnButton(canvas, label, 0, 200, {"Full screen", "1024x768"});
    drawColumnButton(canvas, label, 1, 200, {"Full screen", "1280x1024"});
    drawColumnButton(canvas, label, 2, 200, {"Full screen", "1280x800"});
    drawColumnButton(canvas, label, 3, 200, {"Full screen", "1920x1200"});

    heading.draw(canvas, "View distance", 54, 342, WHITE);
    drawColumnButton(canvas, label, 0, 350, {"Shorter"});
    drawColumnButton(canvas, label, 1, 350, {"Longer"});

    heading.draw(canvas, "Shadows", 54, 442, WHITE);
    drawColumnButton(canvas, label, 0, 450, {"Off"});
    drawColumnButton(canvas, label, 1, 450, {"On"});

    small.draw(canvas, "Any key: back to the main menu", 40, 548, PALE);
    return canvas;
}

Canvas makeCursor()
{
    Canvas canvas(32, 32, TRANSPARENT_COLOR);
    std::vector<Float2> const arrow = {Float2(0.0f, 0.0f),   Float2(1.0f, 23.5f),  Float2(7.0f, 18.5f),
                                       Float2(11.5f, 27.5f), Float2(15.0f, 26.0f), Float2(10.5f, 17.0f),
                                       Float2(18.0f, 17.0f)};
    canvas.fillPolygon(arrow, WHITE);
    for (size_t i = 0; i < arrow.size(); ++i)
        canvas.drawLine(arrow[i], arrow[(i + 1) % arrow.size()], 1.4f, Color4(0, 0, 0, 255));
    // The hot spot is the top-left pixel: make sure it is solid ink.
    canvas.setPixel(0, 0, Color4(0, 0, 0, 255));
    return canvas;
}

Canvas makeLoading()
{
    int const width = 512, height = 256;
    Canvas canvas(width, height, TRANSPARENT_COLOR);
    canvas.drawPanel(0, 0, width, height, 24.0f, 3.0f, Color4(20, 40, 78, 255), Color4(150, 192, 242, 255));
    // A row of small cubes in the colours of the world.
    Color4 const colours[] = {Color4(78, 146, 54, 255), Color4(124, 88, 58, 255), Color4(130, 130, 136, 255),
                              Color4(222, 202, 146, 255), Color4(164, 66, 48, 255)};
    for (int i = 0; i < 5; ++i)
    {
        int const x = 156 + i * 42;
        canvas.drawPanel(x, 118, x + 32, 150, 4.0f, 2.0f, colours[i], Color4(10, 20, 40, 255));
    }
    TextRenderer const title(BOLD, 54), small(REGULAR, 22);
    title.drawCentred(canvas, "QUILLET", 0, 30, width, 100, GOLD);
    small.drawCentred(canvas, "Loading...", 0, 170, width, 220, WHITE);
    return canvas;
}

Canvas makeEditorHelp()
{
    struct KeyLine
    {
        char const* keys;
        char const* action;
    };
    KeyLine const lines[] = {
        {"Arrows", "move the cursor (along the view)"},
        {"Page Up / Down", "move the cursor up / down"},
        {"F2 + move key", "jump one region"},
        {"Space", "start / finish a box of cubes"},
        {"Del / F2 + Del", "delete here / clear everything"},
        {"d / F2 + d", "delete nearest / clear region"},
        {"g", "random cubes on one region"},
        {"1 to 4 + g", "random hillside 1 to 4"},
        {"F2 + g", "world from world_heightmap.png"},
        {"h / F2 + h", "static shadows: region / all"},
        {"x", "add a script object"},
        {"t + Page Up / Down", "next / previous object type"},
        {"F3 + Page Up / Down", "next / previous cube type"},
        {"F3 + q", "add a new cube type"},
        {"F3 + m", "modify the current cube type"},
        {"F3 + r", "remove the last cube type"},
        {"r", "remove unused regions"},
        {"i", "cursor back to the origin"},
        {"s / l", "save / load world.dat"},
        {"Ctrl + Z / Ctrl + Y", "undo / redo a change of the world"},
        {"Left drag", "turn the view"},
        {"Mouse wheel", "zoom in / out"},
        {"a", "leave the editor"},
        {"Esc", "main menu"},
    };
    // Shown under the help window's title bar at (150, 130): the picture's
    // lower part stays transparent so that the list fits an 800 x 600 window.
    Canvas canvas(512, 512, TRANSPARENT_COLOR);
    canvas.drawPanel(0, 0, 512, 452, 10.0f, 2.0f, Color4(12, 22, 44, 235), BACKDROP_EDGE);
    TextRenderer const title(BOLD, 18), key(BOLD, 12), action(REGULAR, 12);
    title.draw(canvas, "Editor keys", 16, 30, GOLD);
    int baseline = 56;
    for (KeyLine const& line : lines)
    {
        key.draw(canvas, line.keys, 16, baseline, GOLD);
        action.draw(canvas, line.action, 180, baseline, WHITE);
        baseline += 17;
    }
    return canvas;
}

Canvas makeTitle()
{
    int const size = 1024;
    // A night-blue sky over a dark ground: the edges stay dark so that the
    // black bars beside the stretched picture continue it.
    Canvas canvas(size, size, Color4(0, 0, 0, 255));
    for (int y = 0; y < size; ++y)
    {
        float const f = y / float(size);
        int const glow = int(60.0f * (1.0f - std::abs(f - 0.62f) * 2.5f));
        Color4 const row(std::max(0, 10 + glow / 3), std::max(0, 18 + glow / 2), std::max(0, 44 + glow), 255);
        canvas.fillRect(0, y, size, y + 1, row);
    }
    canvas.fillRect(0, 700, size, size, Color4(14, 24, 20, 255));
    // A little stair of cubes, and a coin and a gem above it.
    Color4 const colours[] = {Color4(78, 146, 54, 255), Color4(124, 88, 58, 255), Color4(130, 130, 136, 255),
                              Color4(222, 202, 146, 255), Color4(164, 66, 48, 255)};
    for (int i = 0; i < 5; ++i)
        for (int level = 0; level <= std::min(i, 4 - i); ++level)
        {
            int const x = 282 + i * 92;
            int const y = 608 - level * 92;
            canvas.drawPanel(x, y, x + 88, y + 88, 6.0f, 3.0f, colours[(i + level) % 5], Color4(8, 14, 28, 255));
        }
    canvas.fillDisc(Float2(330.0f, 470.0f), 34.0f, Color4(240, 196, 60, 255));
    canvas.fillDisc(Float2(330.0f, 470.0f), 22.0f, Color4(255, 226, 120, 255));
    canvas.fillPolygon({Float2(694.0f, 420.0f), Float2(730.0f, 460.0f), Float2(694.0f, 520.0f), Float2(658.0f, 460.0f)},
                       Color4(90, 200, 240, 255));
    TextRenderer const title(BOLD, 120), subtitle(REGULAR, 34), prompt(BOLD, 36);
    title.drawCentred(canvas, "QUILLET", 0, 90, size, 250, GOLD);
    subtitle.drawCentred(canvas, "Coins and gems on the plaza", 0, 250, size, 310, PALE);
    prompt.drawCentred(canvas, "Press space to start", 0, 800, size, 860, WHITE);
    return canvas;
}
}
