#include "Water.h"

#include "DeviceManager.h"
#include "Errors.h"
#include "Image.h"
#include "Scene2D.h"
#include "Scene3D.h"
#include "Sprite.h"
#include "SpriteManager.h"
#include "Utils.h"

#include <cmath>

namespace
{
char const* const WATER_TEXTURE = "water.png";
float const SURFACE_LEVEL = -1.0f;
int const TIDE_PERIOD_MS = 4000;
// The level sinks by this much per millisecond for half the period, then rises.
float const TIDE_SPEED = 0.001f;
}

Water::Water(float sizeOneCube)
    : planeSize(30.0f), innerSize(0.0f), textureRepeat(0.0f), sizeOneCube(sizeOneCube), sprite(NULL),
      colorUnderWater(0, 104, 255, 128), position(0.0f, SURFACE_LEVEL, 0.0f)
{
    ASSERT(sizeOneCube > 0.0f, "The water needs a positive cube size");
}

Water::~Water()
{
    if (sprite != NULL)
        deviceManager->getSpriteManager()->removeSprite(sprite);
}

void Water::setMinAndMaxViewDistance(float minDistance, float maxDistance)
{
    planeSize = 2.0f * maxDistance;
    innerSize = 2.0f * minDistance;
    textureRepeat = std::trunc((2.0f * maxDistance - 2.0f * minDistance) / sizeOneCube);
}

void Water::setPositionFollow(Float3 const& cameraPosition)
{
    setPositionFollowAtTime(cameraPosition, Utils::getTime());
}

void Water::setPositionFollowAtTime(Float3 const& cameraPosition, int timeMs)
{
    position.x() = snapToGrid_(cameraPosition.x());
    position.z() = snapToGrid_(cameraPosition.z());
    position.y() = getLevelAtTime(timeMs);
}

float Water::getLevelAtTime(int timeMs)
{
    int t = ((timeMs % TIDE_PERIOD_MS) + TIDE_PERIOD_MS) % TIDE_PERIOD_MS;
    if (t > TIDE_PERIOD_MS / 2)
        t = TIDE_PERIOD_MS - t;
    return SURFACE_LEVEL - TIDE_SPEED * static_cast<float>(t);
}

float Water::snapToGrid_(float coordinate) const
{
    // Without distances there is no grid yet: the plane then simply centres on the camera.
    if (textureRepeat <= 0.0f)
        return coordinate;
    return std::trunc(coordinate / textureRepeat) * textureRepeat;
}

void Water::draw() const
{
    ASSERT(deviceManager != NULL, "The water needs the device manager to draw");
    if (sprite == NULL)
        sprite = deviceManager->getSpriteManager()->createSprite(WATER_TEXTURE, 1, false);
    Scene3D* const scene = deviceManager->getScene3D();
    unsigned const texture = static_cast<unsigned>(sprite->getImages()[0]->getTextureId());
    Float2 const size(planeSize, planeSize);
    Float2 const repeat(textureRepeat, textureRepeat);
    Float3 const noRotation(0.0f, 0.0f, 0.0f);
    scene->pushPosition();
    scene->setPosition(position);
    scene->setWireframeMode(false);
    scene->drawPlane(size, texture, repeat, noRotation, true);
    scene->drawPlane(size, texture, repeat, noRotation, false);
    scene->popPosition();
}

void Water::draw2D(Float3 const& cameraPosition) const
{
    if (!isUnderWater(cameraPosition))
        return;
    Color4 const previousColor = deviceManager->getColor();
    deviceManager->setColor(colorUnderWater);
    Scene2D* const scene = deviceManager->getScene2D();
    scene->drawRectangle(Int2(0, 0), scene->getWindowSize(), true);
    deviceManager->setColor(previousColor);
}

bool Water::isUnderWater(Float3 const& cameraPosition) const
{
    return cameraPosition.y() < position.y();
}

float Water::getPlaneSize() const
{
    return planeSize;
}

float Water::getTextureRepeat() const
{
    return textureRepeat;
}

Float3 const& Water::getPosition() const
{
    return position;
}

Color4 const& Water::getColorUnderWater() const
{
    return colorUnderWater;
}
