#ifndef WATER_H
#define WATER_H

// The water: an endless horizontal textured plane just below height 0 that
// follows the camera in whole texture-grid steps and rises and falls over a
// 4-second tide, plus the translucent blue full-screen tint seen while the
// camera is below its surface. It owns its sprite ("water.png"), made on the
// first draw through the device manager's sprite manager, so a world can be
// built and saved without a window.

#include "BasicVector.h"

class Sprite;

class Water
{
public:
    explicit Water(float sizeOneCube);
    ~Water();
    Water(Water const&) = delete;
    Water& operator=(Water const&) = delete;

    // The plane reaches the far distance on every side; the texture repeats
    // once per cube across the ring between the two distances.
    void setMinAndMaxViewDistance(float minDistance, float maxDistance);
    // Follows the camera with the tide of the current clock time.
    void setPositionFollow(Float3 const& cameraPosition);
    // The same at a given clock time, in milliseconds.
    void setPositionFollowAtTime(Float3 const& cameraPosition, int timeMs);

    // Both sides of the plane at the water's position.
    void draw() const;
    // The full-screen tint, only while the camera is below the surface.
    void draw2D(Float3 const& cameraPosition) const;

    bool isUnderWater(Float3 const& cameraPosition) const;
    // The water level at a clock time: from -1.0 down to -3.0 and back every 4 s.
    static float getLevelAtTime(int timeMs);

    float getPlaneSize() const;
    float getTextureRepeat() const;
    Float3 const& getPosition() const;
    Color4 const& getColorUnderWater() const;

private:
    // Snaps one coordinate to the texture grid, toward zero.
    float snapToGrid_(float coordinate) const;

    float planeSize;
    // Kept for the near distance's sake; the plane is drawn whole.
    float innerSize;
    // Whole repetitions, so that it is also the grid step of the plane's
    // position: moving by whole steps keeps the texture still under the camera.
    float textureRepeat;
    float sizeOneCube;
    // Null until the first draw.
    mutable Sprite* sprite;
    Color4 colorUnderWater;
    // y is the water level.
    Float3 position;
};

#endif
