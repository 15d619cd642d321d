#include "Font.h"

#include "DeviceManager.h"
#include "Errors.h"
#include "Image.h"
#include "Scene2D.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace
{
bool isColumnEmpty(unsigned char const* rgba, Int2 const& size, int column)
{
    for (int y = 0; y < size.y(); ++y)
        if (rgba[(size_t(y) * size.x() + column) * 4 + 3] != 0)
            return false;
    return true;
}

// Where one word of the text ends: after a space or line feed, or at the end.
int getWordEnd(char const* text, int start, int length)
{
    int end = start;
    while (end < length && text[end] != ' ' && text[end] != '\n')
        ++end;
    return std::min(end + 1, length);
}
}

Font::Font(DeviceManager* dm, char const* imageFile, int spaceWidth_, bool verbose)
    : spaceWidth(spaceWidth_), deviceManager(dm)
{
    image = new Image(dm, imageFile, verbose);
    ASSERT(image->getIsAlpha(), NULL);
    if (verbose)
        printf("Loading font size=(%d,%d) ...\n", image->getWidth(), image->getHeight());
    std::fill(glyphX, glyphX + CHARACTER_COUNT, -1);
    std::fill(glyphWidth, glyphWidth + CHARACTER_COUNT, -1);
    int column = findInkedColumn(image->getData(), Int2(image->getWidth(), image->getHeight()), 0);
    fillTabPosIndex(FIRST_GLYPH, LAST_GLYPH, column, verbose);
    image->freeUselessMemory();
    if (verbose)
        printf("... done.\n");
    fflush(stdout);
}

Font::~Font()
{
    delete image;
}

int Font::findInkedColumn(unsigned char const* rgba, Int2 const& size, int column)
{
    while (column < size.x())
    {
        bool const inked = !isColumnEmpty(rgba, size, column);
        ++column;
        if (inked)
            return column;
    }
    return column;
}

void Font::measureGlyphs(unsigned char const* rgba, Int2 const& size, int firstChar, int lastChar, int& column,
                         int glyphX[CHARACTER_COUNT], int glyphWidth[CHARACTER_COUNT], bool verbose)
{
    ASSERT(firstChar >= 0 && lastChar < CHARACTER_COUNT, NULL);
    for (int c = firstChar; c <= lastChar; ++c)
    {
        // A strip with fewer glyphs runs out of ink: the remaining characters get none.
        if (column < 1 || column > size.x() || isColumnEmpty(rgba, size, column - 1))
            continue;
        int const cellStart = std::max(0, column - 2);
        glyphX[c] = cellStart;
        if (verbose)
            printf("   x: %c %d\n", c, column);
        while (column < size.x())
        {
            bool const empty = isColumnEmpty(rgba, size, column);
            ++column;
            if (empty)
                break;
        }
        glyphWidth[c] = column - cellStart + 2;
        column = findInkedColumn(rgba, size, column);
    }
}

void Font::fillTabPosIndex(int firstChar, int lastChar, int& column, bool verbose)
{
    ASSERT(image->getData() != NULL, "Font::fillTabPosIndex: the glyph strip's pixels were freed");
    measureGlyphs(image->getData(), Int2(image->getWidth(), image->getHeight()), firstChar, lastChar, column, glyphX,
                  glyphWidth, verbose);
}

bool Font::isSupported(char c) const
{
    return c == ' ' || c == '\n' || glyphX[(unsigned char)(c)] != -1;
}

int Font::getTextLength_(char const* text, int length) const
{
    return length == -1 ? int(strlen(text)) : length;
}

int Font::getWidth(char const* text, int length, float scale) const
{
    ASSERT(text != NULL, NULL);
    int const count = getTextLength_(text, length);
    int widest = 0;
    int current = 0;
    for (int i = 0; i < count; ++i)
    {
        char const c = text[i];
        if (!isSupported(c))
            continue;
        if (c == '\n')
        {
            widest = std::max(widest, current);
            current = 0;
        }
        else if (c == ' ')
            current += int(spaceWidth * scale);
        else
            current += int(glyphWidth[(unsigned char)(c)] * scale);
    }
    return std::max(widest, current);
}

Int2 Font::drawText(Int2 const& position, char const* text, Float2 const& scale, int length, bool bold) const
{
    ASSERT(text != NULL, NULL);
    Int2 pen = position;
    ASSERT(deviceManager != NULL, "a font made without the device manager cannot draw");
    int const count = getTextLength_(text, length);
    Scene2D const* const scene = deviceManager->getScene2D();
    float const imageWidth = float(image->getWidth());
    int const height = int(image->getHeight() * scale.y());
    for (int i = 0; i < count; ++i)
    {
        char const c = text[i];
        if (!isSupported(c))
            continue;
        if (c == ' ')
        {
            pen.x() += int(spaceWidth * scale.x());
            continue;
        }
        if (c == '\n')
        {
            pen.x() = position.x();
            pen.y() += height;
            continue;
        }
        int const x = glyphX[(unsigned char)(c)];
        int const cell = glyphWidth[(unsigned char)(c)];
        int const width = int(cell * scale.x());
        scene->drawFragmentOfTexture(image->getTextureId(), pen.x(), pen.y(), x / imageWidth, 0.f,
                                     (x + cell) / imageWidth, 1.f, width, height);
        if (bold)
            scene->drawFragmentOfTexture(image->getTextureId(), pen.x(), pen.y(), x / imageWidth, 0.f,
                                         (x + cell + 1) / imageWidth, 1.f, width, height);
        pen.x() += width;
    }
    return pen;
}

void Font::drawTextAtCenterOfScreen(char const* text, Float2 const& scale, bool bold, int length) const
{
    ASSERT(text != NULL, NULL);
    ASSERT(deviceManager != NULL, "a font made without the device manager cannot draw");
    Int2 const screen = deviceManager->getScene2D()->getVirtualSize();
    int const width = getWidth(text, -1, 1.f);
    drawText(Int2((screen.x() - width) / 2, (screen.y() - image->getHeight()) / 2), text, scale, length, bold);
}

Int2 Font::drawTextWithLineReturn(Int2 const& position, char const* text, unsigned maxWidth, Float2 const& scale,
                                  bool bold, int length) const
{
    ASSERT(text != NULL, NULL);
    int const count = getTextLength_(text, length);
    int const lineHeight = int(image->getHeight() * scale.y());
    int x = 0;
    int y = 0;
    for (int start = 0; start < count;)
    {
        int const end = getWordEnd(text, start, count);
        int const width = getWidth(text + start, end - start, scale.x());
        if ((long long)(x) + width >= (long long)(maxWidth))
        {
            y += lineHeight;
            x = 0;
        }
        drawText(Int2(position.x() + x, position.y() + y), text + start, scale, end - start, bold);
        if (text[end - 1] == '\n')
        {
            y += lineHeight;
            x = 0;
        }
        else
            x += width;
        start = end;
    }
    return Int2(position.x() + x, position.y() + y);
}

int Font::getGlyphX(unsigned char c) const
{
    return glyphX[c];
}

int Font::getGlyphWidth(unsigned char c) const
{
    return glyphWidth[c];
}

int Font::getHeight() const
{
    return image->getHeight();
}
