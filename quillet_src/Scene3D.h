#ifndef SCENE3D_H
#define SCENE3D_H

// The perspective 3-D scene and its camera.

class Scene3D
{
public:
    void setAspectRatio(float ratio);
    float getAspectRatio() const;

private:
    float aspectRatio = 4.f / 3.f;
};

#endif
