#ifndef SKYBOX_H
#define SKYBOX_H

// Six pictures on an inverted cube that is always centred on the eye, so the
// sky never comes nearer. The sky box owns its six sprites (and gives them back
// to the sprite manager when deleted); it keeps their textures in face order
// for drawing.

#include "BasicVector.h"

class Sprite;

class SkyBox
{
public:
    static constexpr int NB_FACES = 6;

    SkyBox(char const* top, char const* bottom, char const* left, char const* right, char const* front,
           char const* back, float size);
    ~SkyBox();
    SkyBox(SkyBox const&) = delete;
    SkyBox& operator=(SkyBox const&) = delete;

    // Around the camera position, in white.
    void draw();
    // A second, twice larger box at the current matrix in white of the given alpha.
    void drawFogLayer(float size, unsigned char alpha);
    void setSize(float size);
    Float3 getSize() const;
    // The textures in face order (0 top, 1 bottom, 2 front, 3 back, 4 left, 5 right).
    unsigned const* getTextures() const;

private:
    // In face order. Seen from inside, a face shows on the side opposite its
    // normal, so each picture sits in the slot of the opposite face.
    Sprite* sprites[NB_FACES];
    unsigned textures[NB_FACES];
    Float3 size;
};

#endif
