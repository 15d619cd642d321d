#include "SkyBox.h"

#include "Camera.h"
#include "DeviceManager.h"
#include "Errors.h"
#include "Image.h"
#include "Scene3D.h"
#include "Sprite.h"
#include "SpriteManager.h"

SkyBox::SkyBox(char const* top, char const* bottom, char const* left, char const* right, char const* front,
               char const* back, float size)
    : sprites{NULL, NULL, NULL, NULL, NULL, NULL}, textures{0, 0, 0, 0, 0, 0}, size(size, size, size)
{
    ASSERT(deviceManager != NULL, NULL);
    char const* const slots[NB_FACES] = {bottom, top, left, right, front, back};
    SpriteManager* const manager = deviceManager->getSpriteManager();
    for (int face = 0; face < NB_FACES; ++face)
    {
        sprites[face] = manager->createSprite(slots[face], 1, false);
        textures[face] = static_cast<unsigned>(sprites[face]->getImages()[0]->getTextureId());
    }
}

SkyBox::~SkyBox()
{
    SpriteManager* const manager = deviceManager->getSpriteManager();
    for (Sprite* sprite : sprites)
        manager->removeSprite(sprite);
}

void SkyBox::draw()
{
    Scene3D* const scene = deviceManager->getScene3D();
    deviceManager->setColor(colorWhite);
    scene->pushPosition();
    scene->setPosition(scene->getCamera().getPosition());
    scene->drawCube(size, textures, Float3(1.f, 1.f, 1.f), true);
    scene->popPosition();
}

void SkyBox::drawFogLayer(float layerSize, unsigned char alpha)
{
    deviceManager->setColor(Color4(colorWhite.x(), colorWhite.y(), colorWhite.z(), alpha));
    Float3 const doubled(2.f * layerSize, 2.f * layerSize, 2.f * layerSize);
    deviceManager->getScene3D()->drawCube(doubled, textures, Float3(1.f, 1.f, 1.f), true);
    deviceManager->setColor(colorWhite);
}

void SkyBox::setSize(float newSize)
{
    size = Float3(newSize, newSize, newSize);
}

Float3 SkyBox::getSize() const
{
    return size;
}

unsigned const* SkyBox::getTextures() const
{
    return textures;
}
