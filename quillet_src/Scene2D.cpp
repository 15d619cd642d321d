#include "Scene2D.h"

#include "Errors.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>

void* const Scene2D::TEXT_8_BY_13_PIXELS = GLUT_BITMAP_8_BY_13;
void* const Scene2D::TEXT_9_BY_15_PIXELS = GLUT_BITMAP_9_BY_15;
void* const Scene2D::TEXT_TIMES_ROMAN_10 = GLUT_BITMAP_TIMES_ROMAN_10;
void* const Scene2D::TEXT_TIMES_ROMAN_24 = GLUT_BITMAP_TIMES_ROMAN_24;
void* const Scene2D::TEXT_HELVETICA_10 = GLUT_BITMAP_HELVETICA_10;
void* const Scene2D::TEXT_HELVETICA_12 = GLUT_BITMAP_HELVETICA_12;
void* const Scene2D::TEXT_HELVETICA_18 = GLUT_BITMAP_HELVETICA_18;

namespace
{
void setColor(Color4 const& color)
{
    glColor4ub(color[0], color[1], color[2], color[3]);
}

void bindTexture(unsigned texture)
{
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
}
}

void Scene2D::set2DMode()
{
    applyProjection_();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glCullFace(GL_FRONT);
}

void Scene2D::injectWindowSize(Int2 const& size)
{
    windowSize = size;
    if (followsWindow)
        virtualSize = size;
    applyProjection_();
}

void Scene2D::setOrtho2DSize(Int2 const& size)
{
    if (followsWindow)
        return;
    virtualSize = size;
    applyProjection_();
}

Int2 Scene2D::convertPositionInWindowToVirtualPosition(Int2 const& position) const
{
    if (followsWindow)
        return position;
    return Int2(int(position.x() * scale.x()), int(position.y() * scale.y()));
}

Int2 Scene2D::getVirtualSize() const
{
    return virtualSize;
}

Int2 Scene2D::getWindowSize() const
{
    return windowSize;
}

void Scene2D::applyProjection_()
{
    ASSERT(windowSize.x() != 0 && windowSize.y() != 0, NULL);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, virtualSize.x(), virtualSize.y(), 0);
    scale = Float2(float(virtualSize.x()) / windowSize.x(), float(virtualSize.y()) / windowSize.y());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void Scene2D::drawString(int x, int y, void const* glutFont, char const* text) const
{
    ASSERT(text != NULL, NULL);
    glDisable(GL_TEXTURE_2D);
    glRasterPos2i(x, y);
    for (char const* c = text; *c != '\0'; ++c)
        glutBitmapCharacter(const_cast<void*>(glutFont), (unsigned char)(*c));
}

void Scene2D::drawTexture(int texture, int x, int y, int w, int h) const
{
    drawFragmentOfTexture(texture, x, y, 0.f, 0.f, 1.f, 1.f, w, h);
}

void Scene2D::drawFragmentOfTexture(int texture, int x, int y, float left, float top, float right, float bottom,
                                    int w, int h) const
{
    bindTexture(unsigned(texture));
    glBegin(GL_POLYGON);
    glTexCoord2f(right, bottom);
    glVertex2i(x + w, y + h);
    glTexCoord2f(left, bottom);
    glVertex2i(x, y + h);
    glTexCoord2f(left, top);
    glVertex2i(x, y);
    glTexCoord2f(right, top);
    glVertex2i(x + w, y);
    glEnd();
}

void Scene2D::drawTextureRotated(unsigned texture, AdvancedBox const& box, bool flipX, bool flipY) const
{
    float const a = flipX ? 1.f : 0.f;
    float const b = flipY ? 1.f : 0.f;
    float const coordinates[4][2] = {{1.f - a, 1.f - b}, {a, 1.f - b}, {a, b}, {1.f - a, b}};
    bindTexture(texture);
    glBegin(GL_POLYGON);
    for (int i = 0; i < 4; ++i)
    {
        glTexCoord2f(coordinates[i][0], coordinates[i][1]);
        glVertex2i(box.corners[i].x(), box.corners[i].y());
    }
    glEnd();
}

void Scene2D::drawTextureRotated(unsigned texture, int x, int y, int w, int h, float angle, int hotX, int hotY,
                                 bool flipX, bool flipY) const
{
    AdvancedBox box;
    box.calculate(Int2(x, y), Int2(w, h), Int2(hotX, hotY), angle, 0, 0);
    drawTextureRotated(texture, box, flipX, flipY);
}

void Scene2D::drawLine(Int2 const& a, Int2 const& b) const
{
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_LINES);
    glVertex2i(a.x(), a.y());
    glVertex2i(b.x(), b.y());
    glEnd();
    glEnable(GL_TEXTURE_2D);
}

void Scene2D::drawLineTwoColors(Int2 const& a, Int2 const& b, Color4 const& ca, Color4 const& cb) const
{
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_LINES);
    setColor(ca);
    glVertex2i(a.x(), a.y());
    setColor(cb);
    glVertex2i(b.x(), b.y());
    glEnd();
}

void Scene2D::drawRectangle(Int2 const& a, Int2 const& b, bool filled) const
{
    glDisable(GL_TEXTURE_2D);
    glBegin(filled ? GL_QUADS : GL_LINE_LOOP);
    glVertex2i(a.x(), a.y());
    glVertex2i(b.x(), a.y());
    glVertex2i(b.x(), b.y());
    glVertex2i(a.x(), b.y());
    glEnd();
}

void Scene2D::drawGradingSquare(int x0, int y0, int x1, int y1, Color4 const& c00, Color4 const& c10,
                                Color4 const& c01, Color4 const& c11) const
{
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    setColor(c00);
    glVertex2i(x0, y0);
    setColor(c10);
    glVertex2i(x1, y0);
    setColor(c11);
    glVertex2i(x1, y1);
    setColor(c01);
    glVertex2i(x0, y1);
    glEnd();
}

void Scene2D::drawBoundingBox(AdvancedBox const& box) const
{
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_POLYGON);
    for (Int2 const& corner : box.corners)
        glVertex2i(corner.x(), corner.y());
    glEnd();
}

Int2 Scene2D::getCentre(AdvancedBox const& box)
{
    Int2 sum;
    for (Int2 const& corner : box.corners)
        sum += corner;
    return Int2(sum.x() / 4, sum.y() / 4);
}

Int2 Scene2D::getBlurredCorner(Int2 const& corner, Int2 const& centre, float blur)
{
    return Int2(corner.x() + int((corner.x() - centre.x()) * blur), corner.y() + int((corner.y() - centre.y()) * blur));
}

void Scene2D::drawBoundingBoxWithBlurredBorder(AdvancedBox const& box, float blur, Color4 const& color) const
{
    Int2 const centre = getCentre(box);
    Color4 faded = color;
    faded[3] = 0;
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i)
    {
        Int2 const& a = box.corners[i];
        Int2 const& b = box.corners[(i + 1) % 4];
        Int2 const outerA = getBlurredCorner(a, centre, blur);
        Int2 const outerB = getBlurredCorner(b, centre, blur);
        // Wound like the box itself, so the culling that keeps the box keeps the border.
        setColor(color);
        glVertex2i(a.x(), a.y());
        setColor(faded);
        glVertex2i(outerA.x(), outerA.y());
        glVertex2i(outerB.x(), outerB.y());
        setColor(color);
        glVertex2i(b.x(), b.y());
    }
    glEnd();
    setColor(color);
    drawBoundingBox(box);
}
