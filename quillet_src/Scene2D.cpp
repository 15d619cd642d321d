#include "Scene2D.h"

#include "Errors.h"

#include <GL/gl.h>
#include <GL/glu.h>

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
