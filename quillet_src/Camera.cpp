#include "Camera.h"

#include "Errors.h"
#include "MathManager.h"

#include <cmath>

Camera::Camera() : state(new State()), rotationMatrix{}
{
    updateRotationMatrix();
}

Camera::~Camera()
{
    delete state;
}

Float3 Camera::getPosition() const
{
    return state->position;
}

void Camera::setPosition(Float3 const& position)
{
    state->position = position;
}

void Camera::setPosition(float x, float y, float z)
{
    state->position = Float3(x, y, z);
}

void Camera::move(Float3 const& delta)
{
    state->position += delta;
}

float Camera::getAngleX() const
{
    return state->angleX;
}

float Camera::getAngleY() const
{
    return state->angleY;
}

Float3 Camera::getRotation() const
{
    return Float3(state->angleX, state->angleY, 0.f);
}

// Pitch turns about the camera's own x axis (composed on the right) and yaw
// about the world's vertical axis (composed on the left), so the orientation
// always equals yaw(angleY) * pitch(angleX) whatever the order of the calls:
// the horizon never tilts and the view agrees with the stored angles.
void Camera::rotateX(float degrees)
{
    composeRotation_(Float3(1.f, 0.f, 0.f), degrees, false);
    state->angleX += degrees;
    updateRotationMatrix();
}

void Camera::rotateY(float degrees)
{
    composeRotation_(Float3(0.f, 1.f, 0.f), degrees, true);
    state->angleY += degrees;
    updateRotationMatrix();
}

void Camera::setAngleX(float degrees)
{
    rotateX(-state->angleX);
    state->angleX = 0.f;
    rotateX(degrees);
}

void Camera::setAngleY(float degrees)
{
    rotateY(-state->angleY);
    state->angleY = 0.f;
    rotateY(degrees);
}

void Camera::setRotation(Float3 const& rot)
{
    float* const q = state->quaternion;
    q[0] = q[1] = q[2] = 0.f;
    q[3] = 1.f;
    state->angleX = 0.f;
    state->angleY = 0.f;
    rotateX(rot.x());
    rotateY(rot.y());
    ASSERT(rot.z() == 0.f, NULL);
}

void Camera::getMatrix(float* m) const
{
    if (m == NULL)
        return;
    // The conjugate quaternion: the view undoes the camera's orientation.
    float const a = -state->quaternion[0];
    float const b = -state->quaternion[1];
    float const c = -state->quaternion[2];
    float const w = state->quaternion[3];
    m[0] = 1.f - 2.f * (b * b + c * c);
    m[1] = 2.f * (a * b + w * c);
    m[2] = 2.f * (a * c - w * b);
    m[3] = 0.f;
    m[4] = 2.f * (a * b - w * c);
    m[5] = 1.f - 2.f * (a * a + c * c);
    m[6] = 2.f * (b * c + w * a);
    m[7] = 0.f;
    m[8] = 2.f * (a * c + w * b);
    m[9] = 2.f * (b * c - w * a);
    m[10] = 1.f - 2.f * (a * a + b * b);
    m[11] = 0.f;
    m[12] = m[13] = m[14] = 0.f;
    m[15] = 1.f;
}

Float3 Camera::convertPositionInCameraCoordinates(Float3 const& p) const
{
    Float3 const d = p - state->position;
    float const* const m = rotationMatrix;
    return Float3(m[0] * d.x() + m[4] * d.y() + m[8] * d.z(), m[1] * d.x() + m[5] * d.y() + m[9] * d.z(),
                  m[2] * d.x() + m[6] * d.y() + m[10] * d.z());
}

void Camera::composeRotation_(Float3 const& axis, float degrees, bool onTheLeft)
{
    float const length = MathManager::accurateSqrt(axis.x() * axis.x() + axis.y() * axis.y() + axis.z() * axis.z());
    float const half = degrees * MathManager::PI_OVER_180 * 0.5f;
    float const s = std::sin(half) / length;
    float const r[4] = {axis.x() * s, axis.y() * s, axis.z() * s, std::cos(half)};
    float const* const q = state->quaternion;
    float const* const left = onTheLeft ? r : q;
    float const* const right = onTheLeft ? q : r;
    // Hamilton product left * right.
    float product[4] = {
        left[3] * right[0] + left[0] * right[3] + left[1] * right[2] - left[2] * right[1],
        left[3] * right[1] - left[0] * right[2] + left[1] * right[3] + left[2] * right[0],
        left[3] * right[2] + left[0] * right[1] - left[1] * right[0] + left[2] * right[3],
        left[3] * right[3] - left[0] * right[0] - left[1] * right[1] - left[2] * right[2]};
    // Renormalised so that thousands of small mouse turns do not scale the view.
    float const norm = MathManager::accurateSqrt(product[0] * product[0] + product[1] * product[1] +
                                                 product[2] * product[2] + product[3] * product[3]);
    for (int i = 0; i < 4; ++i)
        state->quaternion[i] = product[i] / norm;
}

// The per-face visibility test reads this copy; it is the same matrix the
// projection uses, so what is tested is what is seen.
void Camera::updateRotationMatrix()
{
    getMatrix(rotationMatrix);
}
