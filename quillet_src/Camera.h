#ifndef CAMERA_H
#define CAMERA_H

// The viewpoint of the 3-D scene: a position, an orientation held as a
// quaternion together with the accumulated pitch (angleX) and yaw (angleY) in
// degrees, and the view rotation matrix derived from them. The camera owns its
// state record; it never touches OpenGL, so its maths runs without a window.

#include "BasicVector.h"

class Camera
{
public:
    Camera();
    ~Camera();
    Camera(Camera const&) = delete;
    Camera& operator=(Camera const&) = delete;

    Float3 getPosition() const;
    void setPosition(Float3 const& position);
    void setPosition(float x, float y, float z);
    void move(Float3 const& delta);

    float getAngleX() const;
    float getAngleY() const;
    // (angleX, angleY, 0): the camera never rolls.
    Float3 getRotation() const;

    // Incremental pitch and yaw in degrees.
    void rotateX(float degrees);
    void rotateY(float degrees);
    // Absolute pitch or yaw; the other angle is kept.
    void setAngleX(float degrees);
    void setAngleY(float degrees);
    // Absolute orientation: pitch rot.x, yaw rot.y; rot.z must be 0.
    void setRotation(Float3 const& rot);

    // The 16-float column-major view rotation (the inverse of the orientation);
    // nothing is written when m is null.
    void getMatrix(float* m) const;
    // p relative to the camera, in camera axes (x right, y up, -z forward).
    Float3 convertPositionInCameraCoordinates(Float3 const& p) const;

private:
    struct State
    {
        Float3 position;
        // Orientation as (x, y, z, w).
        float quaternion[4] = {0.f, 0.f, 0.f, 1.f};
        float angleX = 0.f;
        float angleY = 0.f;
    };

    // Composes the unit rotation of degrees about axis into the orientation;
    // onTheLeft selects world-axis (yaw) rather than camera-axis (pitch) turns.
    void composeRotation_(Float3 const& axis, float degrees, bool onTheLeft);
    void updateRotationMatrix();

    State* state;
    // Kept beside the quaternion because the per-face visibility test converts
    // many points per frame with it.
    float rotationMatrix[16];
};

#endif
