#include "Sprite.h"

#include "Errors.h"
#include "GLManager.h"
#include "Image.h"
#include "Scene2D.h"
#include "Scene3D.h"
#include "Utils.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace
{
// Splits the whole pixels off a sub-pixel coordinate: afterwards fraction is in [0, 1).
void carryWholePixels(int& whole, float& fraction)
{
    if (fraction >= 0.f && fraction < 1.f)
        return;
    double const k = std::floor(double(fraction));
    ASSERT(std::fabs(k) < double(std::numeric_limits<int>::max()) / 2,
           "Sprite::moveX/moveY: the move leaves the range of window coordinates");
    whole += int(k);
    fraction -= float(k);
    // Rounding can leave the fraction just outside the range.
    if (fraction < 0.f)
    {
        fraction += 1.f;
        whole -= 1;
    }
    else if (fraction >= 1.f)
    {
        fraction -= 1.f;
        whole += 1;
    }
}
}

Sprite::Sprite(std::vector<Image*> const& images, int hotSpotAlignment)
    : images(images), animationRunning(images.size() > 1), position(0, 0), posInPixel(0.f, 0.f), hotSpot(0, 0),
      flipX(false), flipY(false), scale(1.f, 1.f), angle(0.f), timeLastFrameChange(0), currentImage(0),
      periodOneFrame(100), idFirstImage(0), idLastImage(int(images.size()) - 1), box(), boxFollowsPosition(true),
      shiftCorners23(0), shiftCorners01(0)
{
    ASSERT(images.size() >= 1, NULL);
    int const w = images[0]->getWidth();
    int const h = images[0]->getHeight();
    switch (hotSpotAlignment)
    {
    case 1: hotSpot = Int2(0, 0); break;
    case 2: hotSpot = Int2(w / 2, h / 2); break;
    case 3: hotSpot = Int2(w, h); break;
    case 4: hotSpot = Int2(0, h / 2); break;
    case 5: hotSpot = Int2(w, h / 2); break;
    default: FATAL_ERROR("Sprite::Sprite : unknown value of hotSpotAlignment");
    }
}

// ---------------------------------------------------------------- drawing

void Sprite::draw()
{
    ASSERT(images[currentImage]!= NULL, NULL);
    scene2D->drawTextureRotated(unsigned(images[currentImage]->getTextureId()), getAdvancedBox(), flipX, flipY);
    manageAnimation();
}

void Sprite::drawAsFaceIn3DWorld()
{
    ASSERT(images[currentImage]!= NULL, NULL);
    scene3D->drawFaceWithIntPos(unsigned(images[currentImage]->getTextureId()), getAdvancedBox(), flipX, flipY);
    manageAnimation();
}

void Sprite::drawAsCubeIn3DWorld(Sprite const* topSprite, Sprite const* bottomSprite, int halfDepth)
{
    ASSERT(topSprite != NULL && bottomSprite != NULL, "Sprite::drawAsCubeIn3DWorld: a side sprite is missing");
    scene3D->drawCube5FacesWithIntPos(getFirstTexture_(), topSprite->getFirstTexture_(),
                                      bottomSprite->getFirstTexture_(), getAdvancedBox(), halfDepth);
    manageAnimation();
}

void Sprite::drawAsCylinderIn3DWorld(int slices)
{
    Int2 const size = getSize();
    scene3D->drawCylinderWithIntPos(getFirstTexture_(), position, angle, float(size.x() / 4), float(size.y()),
                                    slices, 1);
}

unsigned Sprite::getFirstTexture_() const
{
    return unsigned(images[0]->getTextureId());
}

// ---------------------------------------------------------------- animation

void Sprite::manageAnimation()
{
    if (!animationRunning)
        return;
    int const now = Utils::getTime();
    // Summed wide: a long period must not overflow into the past.
    if (int64_t(now) <= int64_t(timeLastFrameChange) + periodOneFrame)
        return;
    timeLastFrameChange = now;
    ++currentImage;
    if (currentImage > idLastImage)
        currentImage = idFirstImage;
}

void Sprite::setAnimationRun(bool run)
{
    animationRunning = run;
}

bool Sprite::getAnimationRun() const
{
    return animationRunning;
}

void Sprite::restartAnimation()
{
    currentImage = idFirstImage;
}

void Sprite::setAnimationSpeed(unsigned parPeriodOneFrame)
{
    ASSERT(parPeriodOneFrame != 0, NULL);
    // Periods beyond what an int holds would turn negative: they never change the image anyway.
    periodOneFrame = int(std::min(parPeriodOneFrame, unsigned(std::numeric_limits<int>::max())));
}

void Sprite::setAnimationRange(unsigned idFirstImage, unsigned idLastImage)
{
    ASSERT(idLastImage < images.size(), "Sprite::setAnimationFirstImageAndLastImage: bad idLastImage value");
    ASSERT(idFirstImage <= idLastImage, "Sprite::setAnimationFirstImageAndLastImage: bad values");
    this->idFirstImage = int(idFirstImage);
    this->idLastImage = int(idLastImage);
    if (currentImage < this->idFirstImage || currentImage > this->idLastImage)
        currentImage = this->idFirstImage;
}

// ---------------------------------------------------------------- placement

void Sprite::moveX(float delta)
{
    posInPixel.x() += delta;
    carryWholePixels(position.x(), posInPixel.x());
    ASSERT(posInPixel.x() >= 0.f && posInPixel.x() < 1.f, NULL);
    movedTo_();
}

void Sprite::moveY(float delta)
{
    posInPixel.y() += delta;
    carryWholePixels(position.y(), posInPixel.y());
    ASSERT(posInPixel.y() >= 0.f && posInPixel.y() < 1.f, NULL);
    movedTo_();
}

void Sprite::setSizeDelimiters(Int2 const& maxSize)
{
    float const w = float(images[0]->getWidth());
    float const h = float(images[0]->getHeight());
    float const s = std::min(float(maxSize.x()) / w, float(maxSize.y()) / h);
    scale = Float2(s, s);
    movedTo_();
}

void Sprite::setAdvancedBox(AdvancedBox const& box)
{
    this->box = box;
    boxFollowsPosition = false;
}

// The hot spot is a point of the picture, so it scales with it.
AdvancedBox Sprite::getAdvancedBox() const
{
    if (!boxFollowsPosition)
        return box;
    Int2 const scaledHotSpot(int(float(hotSpot.x()) * scale.x()), int(float(hotSpot.y()) * scale.y()));
    AdvancedBox computed;
    computed.calculate(position, getSize(), scaledHotSpot, angle, shiftCorners23, shiftCorners01);
    return computed;
}

void Sprite::setShiftCorners(int shiftCorners23, int shiftCorners01)
{
    this->shiftCorners23 = shiftCorners23;
    this->shiftCorners01 = shiftCorners01;
    movedTo_();
}

void Sprite::movedTo_()
{
    boxFollowsPosition = true;
}

Int2 Sprite::getPosition() const
{
    return position;
}

void Sprite::setPosition(Int2 const& position)
{
    this->position = position;
    posInPixel = Float2(0.f, 0.f);
    movedTo_();
}

void Sprite::movePosition(Int2 const& delta)
{
    position += delta;
    movedTo_();
}

Float2 Sprite::getPositionInPixel() const
{
    return posInPixel;
}

Int2 Sprite::getHotSpot() const
{
    return hotSpot;
}

void Sprite::setHotSpot(Int2 const& hotSpot)
{
    this->hotSpot = hotSpot;
    movedTo_();
}

Float2 Sprite::getScale() const
{
    return scale;
}

void Sprite::setScale(Float2 const& scale)
{
    this->scale = scale;
    movedTo_();
}

float Sprite::getAngle() const
{
    return angle;
}

void Sprite::setAngle(float degrees)
{
    angle = degrees;
    movedTo_();
}

bool Sprite::getFlipX() const
{
    return flipX;
}

void Sprite::setFlipX(bool flip)
{
    flipX = flip;
}

bool Sprite::getFlipY() const
{
    return flipY;
}

void Sprite::setFlipY(bool flip)
{
    flipY = flip;
}

Int2 Sprite::getSize() const
{
    return Int2(int(float(images[0]->getWidth()) * scale.x()), int(float(images[0]->getHeight()) * scale.y()));
}

int Sprite::getCurrentImageIndex() const
{
    return currentImage;
}

Image* Sprite::getCurrentImage() const
{
    return images[currentImage];
}

std::vector<Image*> const& Sprite::getImages() const
{
    return images;
}

void Sprite::freeUselessMemory()
{
    for (Image* image : images)
        image->freeUselessMemory();
}

std::ostream& operator<<(std::ostream& out, Sprite const& sprite)
{
    Int2 const position = sprite.getPosition();
    Float2 const fraction = sprite.getPositionInPixel();
    return out << "Sprite (x=" << float(position.x()) + fraction.x() << ";y=" << float(position.y()) + fraction.y()
               << ";image=" << static_cast<void const*>(sprite.getImages()[0]) << ")";
}
