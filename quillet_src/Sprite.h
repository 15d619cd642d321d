#ifndef SPRITE_H
#define SPRITE_H

// One picture, or an animation of pictures of one size, placed in window
// units: a position with a sub-pixel remainder, a hot spot (the picture's
// point that sits at the position and about which it turns), a scale, an angle
// and flips. It draws flat through the 2-D scene, or in the 3-D world as a
// face, a five-sided box or a cylinder. The images are shared and owned by the
// sprite manager's image bank; sprites are created and removed only through
// the SpriteManager.

#include "AdvancedBox.h"
#include "BasicVector.h"

#include <ostream>
#include <vector>

class Image;

class Sprite
{
public:
    // hotSpotAlignment: 1 top-left, 2 centre, 3 bottom-right, 4 middle of the
    // left side, 5 middle of the right side.
    Sprite(std::vector<Image*> const& images, int hotSpotAlignment);
    Sprite(Sprite const&) = delete;
    Sprite& operator=(Sprite const&) = delete;

    // Drawing; each step the animation afterwards.
    void draw();
    void drawAsFaceIn3DWorld();
    // The front shows this sprite's first image, the top and bottom those of the two others.
    void drawAsCubeIn3DWorld(Sprite const* topSprite, Sprite const* bottomSprite, int halfDepth);
    void drawAsCylinderIn3DWorld(int slices);

    // Animation
    void manageAnimation();
    void setAnimationRun(bool run);
    bool getAnimationRun() const;
    void restartAnimation();
    void setAnimationSpeed(unsigned parPeriodOneFrame);
    void setAnimationRange(unsigned idFirstImage, unsigned idLastImage);

    // Placement
    // Moves by a fraction of a pixel; whole pixels go to the position.
    void moveX(float delta);
    void moveY(float delta);
    // Scales evenly to the largest size fitting within maxSize.
    void setSizeDelimiters(Int2 const& maxSize);
    // Fixes the box until the next move.
    void setAdvancedBox(AdvancedBox const& box);
    AdvancedBox getAdvancedBox() const;
    void setShiftCorners(int shiftCorners23, int shiftCorners01);

    Int2 getPosition() const;
    // Places the sprite on a whole pixel.
    void setPosition(Int2 const& position);
    // Moves by whole pixels, keeping the sub-pixel remainder.
    void movePosition(Int2 const& delta);
    Float2 getPositionInPixel() const;
    Int2 getHotSpot() const;
    void setHotSpot(Int2 const& hotSpot);
    Float2 getScale() const;
    void setScale(Float2 const& scale);
    float getAngle() const;
    void setAngle(float degrees);
    bool getFlipX() const;
    void setFlipX(bool flip);
    bool getFlipY() const;
    void setFlipY(bool flip);
    // The first image's size times the scale, truncated.
    Int2 getSize() const;

    int getCurrentImageIndex() const;
    Image* getCurrentImage() const;
    std::vector<Image*> const& getImages() const;

    // Drops the pixels of every image; the textures stay.
    void freeUselessMemory();

private:
    unsigned getFirstTexture_() const;
    void movedTo_();

    std::vector<Image*> images;
    bool animationRunning;
    Int2 position;
    // The fractional part of the position, each component in [0, 1).
    Float2 posInPixel;
    Int2 hotSpot;
    bool flipX;
    bool flipY;
    Float2 scale;
    float angle;
    int timeLastFrameChange;
    int currentImage;
    int periodOneFrame;
    int idFirstImage;
    int idLastImage;
    AdvancedBox box;
    // While set, the box is recomputed from the placement at every use.
    bool boxFollowsPosition;
    int shiftCorners23;
    int shiftCorners01;
};

std::ostream& operator<<(std::ostream& out, Sprite const& sprite);

#endif
