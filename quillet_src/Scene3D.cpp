#include "Scene3D.h"

void Scene3D::setAspectRatio(float ratio)
{
    aspectRatio = ratio;
}

float Scene3D::getAspectRatio() const
{
    return aspectRatio;
}
