#include "TextRenderer.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>

char const* const TextRenderer::FONT_FOLDER = "/usr/share/fonts/truetype/dejavu/";

TextRenderer::TextRenderer(std::string const& fontFile, int pixelSize) : library(NULL), face(NULL)
{
    std::string const path = std::string(FONT_FOLDER) + fontFile;
    if (FT_Init_FreeType(&library) != 0)
    {
        library = NULL;
        fprintf(stderr, "ERROR : cannot start FreeType\n");
        return;
    }
    if (FT_New_Face(library, path.c_str(), 0, &face) != 0 || FT_Set_Pixel_Sizes(face, 0, pixelSize) != 0)
    {
        if (face != NULL)
            FT_Done_Face(face);
        face = NULL;
        fprintf(stderr, "ERROR : cannot open font '%s' (install the package fonts-dejavu-core)\n", path.c_str());
    }
}

TextRenderer::~TextRenderer()
{
    if (face != NULL)
        FT_Done_Face(face);
    if (library != NULL)
        FT_Done_FreeType(library);
}

TextRenderer::Glyph TextRenderer::renderGlyph(char c) const
{
    Glyph glyph;
    if (face == NULL || FT_Load_Char(face, static_cast<unsigned char>(c), FT_LOAD_RENDER) != 0)
        return glyph;
    FT_GlyphSlot const slot = face->glyph;
    glyph.width = static_cast<int>(slot->bitmap.width);
    glyph.rows = static_cast<int>(slot->bitmap.rows);
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.advance = static_cast<int>(slot->advance.x >> 6);
    glyph.coverage.resize(static_cast<size_t>(glyph.width) * glyph.rows);
    for (int y = 0; y < glyph.rows; ++y)
        for (int x = 0; x < glyph.width; ++x)
            glyph.coverage[static_cast<size_t>(y) * glyph.width + x] = slot->bitmap.buffer[y * slot->bitmap.pitch + x];
    return glyph;
}

int TextRenderer::measure(std::string const& text) const
{
    int width = 0;
    for (char c : text)
        width += renderGlyph(c).advance;
    return width;
}

int TextRenderer::getAscent() const
{
    return face != NULL ? renderGlyph('H').top : 0;
}

int TextRenderer::getDescent() const
{
    if (face == NULL)
        return 0;
    Glyph const g = renderGlyph('g');
    return g.rows - g.top;
}

void TextRenderer::draw(Canvas& canvas, std::string const& text, int x, int baselineY, Color4 const& color) const
{
    int pen = x;
    for (char c : text)
    {
        Glyph const glyph = renderGlyph(c);
        for (int row = 0; row < glyph.rows; ++row)
            for (int column = 0; column < glyph.width; ++column)
                canvas.blendPixel(pen + glyph.left + column, baselineY - glyph.top + row, color,
                                  glyph.coverage[static_cast<size_t>(row) * glyph.width + column] / 255.0f);
        pen += glyph.advance;
    }
}

void TextRenderer::drawCentred(Canvas& canvas, std::string const& text, int x0, int y0, int x1, int y1,
                               Color4 const& color) const
{
    int const x = x0 + (x1 - x0 - measure(text)) / 2;
    int const baseline = y0 + (y1 - y0 + getAscent()) / 2;
    draw(canvas, text, x, baseline, color);
}
