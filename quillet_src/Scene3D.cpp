#include "Scene3D.h"

#include "DeviceManager.h"
#include "Errors.h"
#include "MathManager.h"
#include "Object3D.h"
#include "Scene2D.h"
#include "Core.h"
#include "GLPlatform.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>
#include <cctype>
#include <cmath>

float openglColorWhite[4] = {1.f, 1.f, 1.f, 1.f};
float openglColorDiffuse[4] = {0.8f, 0.8f, 0.8f, 0.8f};
float openglColorSpecular[4] = {1.f, 1.f, 1.f, 1.f};
float openglColorAmbient[4] = {0.5f, 0.5f, 0.5f, 1.f};
int sizeRenderToTexture = 1024;

namespace
{
float const NEAR_PLANE_DISTANCE = 0.1f;
// A frame this long (in microseconds) closes a smooth turn at once.
float const SMOOTH_TURN_PERIOD = 100000.f;
// Corners further than this behind the camera count as behind it.
float const BEHIND_DISTANCE = 5.f;

Float3 const FACE_NORMALS[6] = {Float3(0.f, 1.f, 0.f),  Float3(0.f, -1.f, 0.f), Float3(0.f, 0.f, 1.f),
                                Float3(0.f, 0.f, -1.f), Float3(-1.f, 0.f, 0.f), Float3(1.f, 0.f, 0.f)};
// The axis each face lies across: y for top and bottom, z for front and back, x for the sides.
int const FACE_AXES[6] = {1, 1, 2, 2, 0, 0};

// Corners of each face as signs of the half extents, wound counter-clockwise seen from outside.
float const FACE_CORNER_SIGNS[6][4][3] = {
    {{-1, 1, -1}, {-1, 1, 1}, {1, 1, 1}, {1, 1, -1}},     {{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}},
    {{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}},     {{-1, 1, -1}, {1, 1, -1}, {1, -1, -1}, {-1, -1, -1}},
    {{-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}}, {{1, -1, -1}, {1, 1, -1}, {1, 1, 1}, {1, -1, 1}}};

// Texture coordinates of each corner: per component, 0 or the repeat along
// the named axis (0 x, 1 y, 2 z; -1 means the coordinate is 0).
struct TexCorner
{
    int u;
    int v;
};
TexCorner const MAPPING_A[6][4] = {{{0, 2}, {0, -1}, {-1, -1}, {-1, 2}}, {{0, 2}, {-1, 2}, {-1, -1}, {0, -1}},
                                   {{-1, 1}, {0, 1}, {0, -1}, {-1, -1}}, {{0, -1}, {-1, -1}, {-1, 1}, {0, 1}},
                                   {{-1, 1}, {2, 1}, {2, -1}, {-1, -1}}, {{2, 1}, {2, -1}, {-1, -1}, {-1, 1}}};
TexCorner const MAPPING_B[6][4] = {{{-1, 2}, {-1, -1}, {0, -1}, {0, 2}}, {{-1, -1}, {0, -1}, {0, 2}, {-1, 2}},
                                   {{-1, -1}, {0, -1}, {0, 1}, {-1, 1}}, {{0, 1}, {-1, 1}, {-1, -1}, {0, -1}},
                                   {{-1, -1}, {2, -1}, {2, 1}, {-1, 1}}, {{2, -1}, {2, 1}, {-1, 1}, {-1, -1}}};

float repeatAlong(Float3 const& repeat, int axis)
{
    return axis < 0 ? 0.f : repeat[axis];
}

void vertex(Int2 const& corner, float z)
{
    glVertex3f(float(corner.x()), float(corner.y()), z);
}

// The width / height of the 2-D scene, which the horizontal field of view
// follows; 4:3 while no 2-D scene exists.
float virtualAspectRatio()
{
    if (scene2D == NULL)
        return 4.f / 3.f;
    Int2 const size = scene2D->getVirtualSize();
    return float(size.x()) / float(size.y());
}
}

Scene3D::Scene3D()
    : fieldOfView(110.f), quadric(gluNewQuadric()), lightingEnabled(false), debugYaw(0.f), lastMousePosition(0, 0),
      aspectRatio(4.f / 3.f), viewMatrix{}, lightPositions{}, lightEnabled{}, lightDistance{},
      farPlaneDistance(10000.f), camera(), fogMaxDistance(150.f), openGLStateApplied(false)
{
    for (int i = 0; i < NB_LIGHTS; ++i)
    {
        lightPositions[i][3] = 1.f;
        lightDistance[i] = 1.f;
    }
    gluQuadricTexture(quadric, GL_TRUE);
    gluQuadricDrawStyle(quadric, GLU_FILL);
    gluQuadricOrientation(quadric, GLU_INSIDE);
    gluQuadricNormals(quadric, GLU_NONE);
    if (GLPlatform::hasCurrentContext())
        applyInitialOpenGLState_();
}

Scene3D::~Scene3D()
{
    gluDeleteQuadric(quadric);
}

void Scene3D::applyInitialOpenGLState_()
{
    openGLStateApplied = true;
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, openglColorDiffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, openglColorSpecular);
    glMaterialfv(GL_FRONT, GL_AMBIENT, openglColorAmbient);
    glMaterialf(GL_FRONT, GL_SHININESS, 20.f);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glShadeModel(GL_SMOOTH);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, openglColorAmbient);
    // Lights configured before the window existed keep their switch.
    for (int i = 0; i < NB_LIGHTS; ++i)
    {
        if (lightEnabled[i])
            glEnable(GL_LIGHT0 + i);
        else
            glDisable(GL_LIGHT0 + i);
    }
}

// ---------------------------------------------------------------- projection and camera

void Scene3D::setFOV(float degrees)
{
    fieldOfView = degrees;
}

float Scene3D::getFOV() const
{
    return fieldOfView;
}

float Scene3D::getHorizontalFOV() const
{
    return fieldOfView * virtualAspectRatio();
}

void Scene3D::setAspectRatio(float ratio)
{
    aspectRatio = ratio;
}

float Scene3D::getAspectRatio() const
{
    return aspectRatio;
}

void Scene3D::setFarPlaneDistance(float distance)
{
    farPlaneDistance = distance;
}

float Scene3D::getFarPlaneDistance() const
{
    return farPlaneDistance;
}

Camera& Scene3D::getCamera()
{
    return camera;
}

Camera const& Scene3D::getCamera() const
{
    return camera;
}

void Scene3D::set3DMode()
{
    if (!openGLStateApplied)
        applyInitialOpenGLState_();
    setLighting(lightingEnabled);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glCullFace(GL_BACK);
    setWireframeMode(false);
}

void Scene3D::updateCamera()
{
    set3DMode();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfView, aspectRatio, NEAR_PLANE_DISTANCE, farPlaneDistance);
    glMatrixMode(GL_MODELVIEW);
    // The view is the camera's rotation after a translation by -position,
    // composed here rather than read back from OpenGL.
    camera.getMatrix(viewMatrix);
    Float3 const p = camera.getPosition();
    for (int row = 0; row < 3; ++row)
        viewMatrix[12 + row] = -(viewMatrix[row] * p.x() + viewMatrix[4 + row] * p.y() + viewMatrix[8 + row] * p.z());
    glLoadMatrixf(viewMatrix);
    updateLight();
}

void Scene3D::updateCameraLookAtMode(Float3 const& target, float distance)
{
    camera.setPosition(target);
    float const theta = camera.getAngleX() * MathManager::PI_OVER_180 + MathManager::PI / 2.f;
    float const phi = MathManager::PI / 2.f - camera.getAngleY() * MathManager::PI_OVER_180;
    camera.move(Core::get3DCoordinatesFromSphericalCoordinates(distance, theta, phi));
    updateCamera();
}

void Scene3D::setSlowlyCameraAngle(Float3 const& targetAngles)
{
    Float3 diff = camera.getRotation() - targetAngles;
    for (int i = 0; i < 3; ++i)
    {
        if (diff[i] > 180.f)
            diff[i] -= 360.f;
        if (diff[i] < -180.f)
            diff[i] += 360.f;
    }
    float const share = std::min(float(periodFrame) / SMOOTH_TURN_PERIOD, 1.f);
    camera.setRotation(targetAngles + diff * (1.f - share));
}

void Scene3D::injectMouseMotionForCameraAngle(Int2 const& mousePosition, bool rotate)
{
    if (rotate)
    {
        camera.rotateX(float(lastMousePosition.y() - mousePosition.y()));
        camera.rotateY(float(-(mousePosition.x() - lastMousePosition.x())));
    }
    lastMousePosition = mousePosition;
}

float Scene3D::updateCameraDebugFPSVisionAndManageFall(Object3D* obstacle)
{
    set3DMode();
    Float3 const position = camera.getPosition();
    Float3 const below = position - Float3(0.f, 3.f, 0.f);
    Float3 hit;
    float fell = 0.f;
    if (!obstacle->isThere3DIntersection(position, below, hit))
    {
        camera.setPosition(below);
        fell = 1.f;
    }
    Float3 const eye = camera.getPosition();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfView, aspectRatio, NEAR_PLANE_DISTANCE, 100000.0);
    glRotatef(-debugYaw, 0.f, 1.f, 0.f);
    glTranslatef(-eye.x(), -eye.y(), -eye.z());
    glTranslatef(0.f, -10.f, 0.f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    updateLight();
    return fell;
}

// ---------------------------------------------------------------- matrix helpers

void Scene3D::setPosition(Float3 const& p)
{
    glLoadMatrixf(viewMatrix);
    glTranslatef(p.x(), p.y(), p.z());
}

void Scene3D::movePosition(Float3 const& delta)
{
    glTranslatef(delta.x(), delta.y(), delta.z());
}

void Scene3D::rotatePosition(float angleX, float angleY, float angleZ)
{
    glRotatef(angleX, 1.f, 0.f, 0.f);
    glRotatef(angleY, 0.f, 1.f, 0.f);
    glRotatef(angleZ, 0.f, 0.f, 1.f);
}

void Scene3D::pushPosition()
{
    glPushMatrix();
}

void Scene3D::popPosition()
{
    glPopMatrix();
}

// ---------------------------------------------------------------- render state

void Scene3D::setWireframeMode(bool on)
{
    if (on)
    {
        glDisable(GL_TEXTURE_2D);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        glDisable(GL_CULL_FACE);
        return;
    }
    glEnable(GL_TEXTURE_2D);
    glPolygonMode(GL_BACK, GL_LINE);
    glPolygonMode(GL_FRONT, GL_FILL);
    glEnable(GL_CULL_FACE);
}

void Scene3D::setLighting(bool on)
{
    lightingEnabled = on;
    if (on)
        glEnable(GL_LIGHTING);
    else
        glDisable(GL_LIGHTING);
    gluQuadricNormals(quadric, on ? GLU_FLAT : GLU_NONE);
}

void Scene3D::setBlendingAndAlphaTest(bool on)
{
    if (on)
    {
        glEnable(GL_BLEND);
        glEnable(GL_ALPHA_TEST);
    }
    else
    {
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
    }
}

bool Scene3D::getLighting() const
{
    return lightingEnabled;
}

void Scene3D::configureLight(int index, bool enabled, Float3 const& position, float distance)
{
    ASSERT(index >= 0 && index < NB_LIGHTS, "Scene3D::configureLight: the light index must be 0 to 7");
    lightPositions[index][0] = position.x();
    lightPositions[index][1] = position.y();
    lightPositions[index][2] = position.z();
    lightDistance[index] = distance;
    lightEnabled[index] = enabled;
    if (enabled)
        glEnable(GL_LIGHT0 + index);
    else
        glDisable(GL_LIGHT0 + index);
}

void Scene3D::updateLight()
{
    for (int i = 0; i < NB_LIGHTS; ++i)
    {
        if (!lightEnabled[i])
            continue;
        GLenum const light = GL_LIGHT0 + i;
        bool const attenuated = lightDistance[i] > 0.f;
        glLightf(light, GL_CONSTANT_ATTENUATION, 1.f);
        glLightf(light, GL_LINEAR_ATTENUATION, attenuated ? 1.f / lightDistance[i] : 0.f);
        glLightf(light, GL_QUADRATIC_ATTENUATION, attenuated ? 0.00005f : 0.f);
        glLightfv(light, GL_DIFFUSE, openglColorDiffuse);
        glLightfv(light, GL_SPECULAR, openglColorSpecular);
        glLightfv(light, GL_AMBIENT, openglColorAmbient);
    }
    // Positions are taken in the current view, so this follows the camera update.
    for (int i = 0; i < NB_LIGHTS; ++i)
        if (lightEnabled[i])
            glLightfv(GL_LIGHT0 + i, GL_POSITION, lightPositions[i]);
}

// ---------------------------------------------------------------- fog

void Scene3D::setFogEnable(float maxDistance, Color4 const& color, bool exponential)
{
    fogMaxDistance = maxDistance;
    glEnable(GL_FOG);
    glHint(GL_FOG_HINT, GL_NICEST);
    glFogf(GL_FOG_START, 0.75f * maxDistance);
    glFogf(GL_FOG_END, maxDistance);
    glFogf(GL_FOG_DENSITY, exponential ? 0.001f : 0.35f);
    glFogi(GL_FOG_MODE, exponential ? GL_EXP2 : GL_LINEAR);
    // Divided by 256, so that full intensity stays just below 1.
    float const fogColor[4] = {color[0] / 256.f, color[1] / 256.f, color[2] / 256.f, color[3] / 256.f};
    glFogfv(GL_FOG_COLOR, fogColor);
}

void Scene3D::setFogDisable()
{
    glDisable(GL_FOG);
}

bool Scene3D::isFogEnabled() const
{
    return glIsEnabled(GL_FOG) == GL_TRUE;
}

float Scene3D::getFogMaxDistance() const
{
    return fogMaxDistance;
}

void Scene3D::adjustFog(float divisor, float factor)
{
    glFogf(GL_FOG_START, 0.75f * fogMaxDistance * factor / divisor);
    glFogf(GL_FOG_END, factor * fogMaxDistance / divisor);
}

// ---------------------------------------------------------------- display lists and textures

unsigned Scene3D::createAndBeginDrawList()
{
    GLuint const id = glGenLists(1);
    glNewList(id, GL_COMPILE_AND_EXECUTE);
    return id;
}

void Scene3D::endDrawList()
{
    glEndList();
}

void Scene3D::callDrawList(unsigned id)
{
    glCallList(id);
}

void Scene3D::removeDrawList(unsigned id)
{
    glDeleteLists(id, 1);
}

unsigned Scene3D::generateNewTexture()
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    return texture;
}

// ---------------------------------------------------------------- render to texture

void Scene3D::startRenderToTexture(int size)
{
    sizeRenderToTexture = size;
    updateCamera();
    deviceManager->clearBackground(Color4(0, 0, 0, 0));
    glViewport(0, 0, size, size);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfView, 1.0, NEAR_PLANE_DISTANCE, farPlaneDistance);
    glMatrixMode(GL_MODELVIEW);
    glReadBuffer(GL_BACK_LEFT);
}

void Scene3D::stopRenderToTexture(unsigned textureId)
{
    glBindTexture(GL_TEXTURE_2D, textureId);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glFlush();
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 0, 0, sizeRenderToTexture, sizeRenderToTexture, 0);
    Int2 const window = deviceManager->getWindowRealSize();
    glViewport(0, 0, window.x(), window.y());
}

// ---------------------------------------------------------------- primitives

void Scene3D::draw3DSegment(Float3 const& a, Float3 const& b)
{
    bool const wasTextured = glIsEnabled(GL_TEXTURE_2D) == GL_TRUE;
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_LINES);
    glVertex3f(a.x(), a.y(), a.z());
    glVertex3f(b.x(), b.y(), b.z());
    glEnd();
    if (wasTextured)
        glEnable(GL_TEXTURE_2D);
}

void Scene3D::drawCylinder(unsigned texture, float radius, float height, int slices, int stacks)
{
    glPushMatrix();
    glBindTexture(GL_TEXTURE_2D, texture);
    gluCylinder(quadric, 2.0 * radius, 2.0 * radius, height, slices, stacks);
    glPopMatrix();
}

void Scene3D::drawCylinderWithIntPos(unsigned texture, Int2 const& position, float angle, float radius,
                                     float height, int slices, int stacks)
{
    glPushMatrix();
    glTranslatef(float(position.x()), float(position.y()), 0.f);
    glRotatef(-90.f, 1.f, 0.f, 0.f);
    glRotatef(-angle, 0.f, 1.f, 0.f);
    glTranslatef(0.f, 0.f, -0.5f * height);
    drawCylinder(texture, radius, height, slices, stacks);
    glPopMatrix();
}

// ---------------------------------------------------------------- debug keys

void Scene3D::injectKeyForDebug(unsigned char key)
{
    switch (std::tolower(key))
    {
    case 'h': camera.move(Float3(10.f, 0.f, 0.f)); break;
    case 'k': camera.move(Float3(-10.f, 0.f, 0.f)); break;
    case 'u': camera.move(Float3(0.f, 10.f, 0.f)); break;
    case 'j': camera.move(Float3(0.f, -10.f, 0.f)); break;
    case 'o': camera.move(Float3(10.f, 0.f, -10.f)); break;
    case 'l': camera.move(Float3(10.f, 0.f, 10.f)); break;
    default: break;
    }
}

void Scene3D::injectKeyForDebugCollision(unsigned char key, Object3D* obstacle)
{
    Float3 const oldPosition = camera.getPosition();
    injectKeyForDebug(key);
    Float3 hit;
    if (obstacle->isThere3DIntersection(oldPosition, camera.getPosition(), hit))
        camera.setPosition(oldPosition);
}

void Scene3D::injectKeyForDebugFPSCollision(unsigned char key, Object3D* obstacle)
{
    int const lower = std::tolower(key);
    switch (lower)
    {
    case 'h': debugYaw += 10.f; break;
    case 'k': debugYaw -= 10.f; break;
    case 'e': camera.move(Float3(0.f, 500.f, 0.f)); return;
    case 'z': camera.move(Float3(0.f, 50.f, 0.f)); return;
    case 'i': camera.setPosition(Float3(0.f, 0.f, 0.f)); return;
    default: break;
    }
    float const a = (90.f + debugYaw) * MathManager::PI / 180.f;
    Float3 newPosition = camera.getPosition();
    if (lower == 'u')
        newPosition += Float3(10.f * std::cos(a), 0.f, -10.f * std::sin(a));
    else if (lower == 'j')
        newPosition += Float3(-10.f * std::cos(a), 0.f, 10.f * std::sin(a));
    Float3 hit;
    if (obstacle->isThere3DIntersection(camera.getPosition(), newPosition, hit))
    {
        // Try stepping up onto the obstacle before giving up the move.
        Float3 const step(0.f, 5.f, 0.f);
        newPosition += step;
        camera.move(step);
        if (obstacle->isThere3DIntersection(camera.getPosition(), newPosition, hit))
        {
            camera.move(-step);
            return;
        }
    }
    camera.setPosition(newPosition);
}

// ---------------------------------------------------------------- boxes and faces

void Scene3D::getFace(int face, Float3 const& halfExtents, Float3 const& repeat, bool mappingB, Float3* corners,
                      Float2* texCoords)
{
    ASSERT(face >= 0 && face < 6, "Scene3D::getFace: the face index must be 0 to 5");
    TexCorner const* const mapping = mappingB ? MAPPING_B[face] : MAPPING_A[face];
    for (int i = 0; i < 4; ++i)
    {
        float const* const sign = FACE_CORNER_SIGNS[face][i];
        corners[i] = Float3(sign[0] * halfExtents.x(), sign[1] * halfExtents.y(), sign[2] * halfExtents.z());
        texCoords[i] = Float2(repeatAlong(repeat, mapping[i].u), repeatAlong(repeat, mapping[i].v));
    }
}

void Scene3D::getVerticesAndTexCoordCube(Float3* vertices, Float2* texCoords, Float3 const& repeat,
                                         Float3 const& halfExtents)
{
    for (int face = 0; face < 6; ++face)
        getFace(face, halfExtents, repeat, true, vertices + 4 * face, texCoords + 4 * face);
}

bool Scene3D::isFaceVisible(Camera const& camera, Float3 const* corners, float halfFovRadians)
{
    bool behind = false;
    bool outside = false;
    // A face can span the whole view with its corners beyond both edges: one
    // corner in front of the camera on one side, the other in front or only
    // just behind (within BEHIND_DISTANCE) on the other side.
    bool outsideLeftInFront = false;
    bool outsideRightInFront = false;
    bool outsideLeftNear = false;
    bool outsideRightNear = false;
    for (int i = 0; i < 4; ++i)
    {
        Float3 const c = camera.convertPositionInCameraCoordinates(corners[i]);
        Float3 const spherical = Core::getSphericalCoordinatesFrom3DCoordinates(c);
        // Horizontal angle from the viewing direction, positive to the right.
        float const angle = MathManager::getAngleInPiRange(MathManager::PI / 2.f + spherical.z());
        if (c.z() > BEHIND_DISTANCE)
        {
            behind = true;
            if (outside)
                return true;
            continue;
        }
        if (-halfFovRadians < angle && angle < halfFovRadians)
            return true;
        outside = true;
        if (behind)
            return true;
        bool const inFront = c.z() < 0.f;
        outsideLeftNear = outsideLeftNear || angle < 0.f;
        outsideRightNear = outsideRightNear || angle > 0.f;
        outsideLeftInFront = outsideLeftInFront || (inFront && angle < 0.f);
        outsideRightInFront = outsideRightInFront || (inFront && angle > 0.f);
        if ((outsideLeftInFront && outsideRightNear) || (outsideRightInFront && outsideLeftNear))
            return true;
    }
    return false;
}

void Scene3D::emitFace_(int face, Float3 const& halfExtents, Float3 const& repeat, bool mappingB, float side)
{
    Float3 corners[4];
    Float2 texCoords[4];
    getFace(face, halfExtents, repeat, mappingB, corners, texCoords);
    Float3 const& normal = FACE_NORMALS[face];
    glNormal3f(normal.x(), normal.y(), normal.z());
    int const axis = FACE_AXES[face];
    for (int i = 0; i < 4; ++i)
    {
        // An inverted box puts each face on the opposite side, seen from inside.
        corners[i][axis] *= side;
        glTexCoord2f(texCoords[i].x(), texCoords[i].y());
        glVertex3f(corners[i].x(), corners[i].y(), corners[i].z());
    }
}

void Scene3D::drawBox_(Float3 const& size, unsigned const* textures, Float3 const& repeat, bool inverted,
                       bool mappingB)
{
    Float3 const halfExtents = size * 0.5f;
    float const side = inverted ? -1.f : 1.f;
    if (textures == NULL)
        setWireframeMode(true);
    else
        glBindTexture(GL_TEXTURE_2D, textures[0]);
    glBegin(GL_QUADS);
    for (int face = 0; face < 6; ++face)
    {
        // Consecutive faces of one texture share a single batch.
        if (textures != NULL && face > 0 && textures[face] != textures[face - 1])
        {
            glEnd();
            glBindTexture(GL_TEXTURE_2D, textures[face]);
            glBegin(GL_QUADS);
        }
        emitFace_(face, halfExtents, repeat, mappingB, side);
    }
    glEnd();
    if (textures == NULL)
        setWireframeMode(false);
}

void Scene3D::drawCube(Float3 const& size, unsigned const* textures, Float3 const& repeat, bool inverted)
{
    drawBox_(size, textures, repeat, inverted, false);
}

void Scene3D::drawCube2(Float3 const& size, unsigned const* textures, Float3 const& repeat, bool inverted,
                        bool strictAlpha)
{
    if (strictAlpha)
        glAlphaFunc(GL_GREATER, 0.9f);
    drawBox_(size, textures, repeat, inverted, true);
    if (strictAlpha)
        glAlphaFunc(GL_GREATER, 0.1f);
}

bool Scene3D::drawCubeFace(Float3 const& size, unsigned texture, Float3 const& repeat, int face,
                           Float3 const& position)
{
    Float3 const halfExtents = size * 0.5f;
    Float3 corners[4];
    Float2 texCoords[4];
    getFace(face, halfExtents, repeat, false, corners, texCoords);
    Float3 worldCorners[4];
    for (int i = 0; i < 4; ++i)
        worldCorners[i] = position + corners[i];
    float const halfFov = getHorizontalFOV() * 0.5f * MathManager::PI_OVER_180;
    bool const visible = isFaceVisible(camera, worldCorners, halfFov);
    if (!visible)
        return false;

    glTranslatef(position.x(), position.y(), position.z());
    if (texture == 0)
        setWireframeMode(true);
    else
        glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    emitFace_(face, halfExtents, repeat, false, 1.f);
    glEnd();
    glTranslatef(-position.x(), -position.y(), -position.z());
    if (texture == 0)
        setWireframeMode(false);
    return true;
}

void Scene3D::drawPlane(Float2 const& size, unsigned texture, Float2 const& repeat, Float3 const& rotation,
                        bool facingDown)
{
    float const hx = size.x() * 0.5f;
    float const hz = size.y() * 0.5f;
    float const rx = repeat.x();
    float const ry = repeat.y();
    if (texture != KEEP_CURRENT_TEXTURE)
        glBindTexture(GL_TEXTURE_2D, texture);
    bool const rotated = rotation != Float3(0.f, 0.f, 0.f);
    if (rotated)
    {
        glPushMatrix();
        rotatePosition(rotation.x(), rotation.y(), rotation.z());
    }
    glBegin(GL_QUADS);
    if (facingDown)
    {
        glNormal3f(0.f, -1.f, 0.f);
        glTexCoord2f(rx, ry); glVertex3f(-hx, 0.f, -hz);
        glTexCoord2f(0.f, ry); glVertex3f(hx, 0.f, -hz);
        glTexCoord2f(0.f, 0.f); glVertex3f(hx, 0.f, hz);
        glTexCoord2f(rx, 0.f); glVertex3f(-hx, 0.f, hz);
    }
    else
    {
        glNormal3f(0.f, 1.f, 0.f);
        glTexCoord2f(rx, ry); glVertex3f(-hx, 0.f, -hz);
        glTexCoord2f(rx, 0.f); glVertex3f(-hx, 0.f, hz);
        glTexCoord2f(0.f, 0.f); glVertex3f(hx, 0.f, hz);
        glTexCoord2f(0.f, ry); glVertex3f(hx, 0.f, -hz);
    }
    glEnd();
    if (rotated)
        glPopMatrix();
}

// ---------------------------------------------------------------- triangle lists

void Scene3D::startDrawingTriangles(int texture)
{
    if (texture < 0)
        glDisable(GL_TEXTURE_2D);
    else
        glBindTexture(GL_TEXTURE_2D, GLuint(texture));
    glBegin(GL_TRIANGLES);
}

void Scene3D::drawTriangles_requireStartDrawing(std::vector<Float3> const& vertices, float scale)
{
    static float const texCoords[3][2] = {{0.f, 0.f}, {1.f, 0.f}, {1.f, 1.f}};
    // Only whole triangles: a trailing incomplete one would corrupt the next batch.
    size_t const usable = vertices.size() - vertices.size() % 3;
    for (size_t i = 0; i < usable; ++i)
    {
        Float3 const v = vertices[i] * scale;
        glTexCoord2fv(texCoords[i % 3]);
        glVertex3f(v.x(), v.y(), v.z());
    }
}

void Scene3D::stopDrawingTriangles()
{
    glEnd();
    glEnable(GL_TEXTURE_2D);
}

void Scene3D::drawTriangles(std::vector<Float3> const& vertices, int texture, float scale)
{
    startDrawingTriangles(texture);
    drawTriangles_requireStartDrawing(vertices, scale);
    stopDrawingTriangles();
}

// ---------------------------------------------------------------- window-unit drawing

void Scene3D::drawFaceWithIntPos(unsigned texture, AdvancedBox const& box, bool flipX, bool flipY)
{
    float const a = flipX ? 1.f : 0.f;
    float const b = flipY ? 1.f : 0.f;
    Int2 const* const c = box.corners;
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    glNormal3f(0.f, 0.f, 1.f);
    glTexCoord2f(a, 1.f - b); vertex(c[1], 0.f);
    glTexCoord2f(1.f - a, 1.f - b); vertex(c[0], 0.f);
    glTexCoord2f(1.f - a, b); vertex(c[3], 0.f);
    glTexCoord2f(a, b); vertex(c[2], 0.f);
    glEnd();
}

void Scene3D::drawCube5FacesWithIntPos(unsigned frontTexture, unsigned topTexture, unsigned bottomTexture,
                                       AdvancedBox const& box, int halfDepth)
{
    Int2 const* const c = box.corners;
    float const d = float(halfDepth);
    float const depth = 2.f * d;
    // Side normals: the edge vector turned a quarter, scaled by the depth; they
    // point away from the box and are left unnormalised.
    auto sideNormal = [this, depth](Int2 const& from, Int2 const& to, float sign) {
        if (lightingEnabled)
            glNormal3f(sign * depth * float(to.y() - from.y()), -sign * depth * float(to.x() - from.x()), 0.f);
    };
    glEnable(GL_TEXTURE_2D);

    glBindTexture(GL_TEXTURE_2D, topTexture);
    glBegin(GL_QUADS);
    sideNormal(c[2], c[3], 1.f);
    glTexCoord2f(0.f, 1.f); vertex(c[2], -d);
    glTexCoord2f(0.f, 0.f); vertex(c[2], d);
    glTexCoord2f(1.f, 0.f); vertex(c[3], d);
    glTexCoord2f(1.f, 1.f); vertex(c[3], -d);
    glEnd();

    glBindTexture(GL_TEXTURE_2D, bottomTexture);
    glBegin(GL_QUADS);
    sideNormal(c[1], c[0], -1.f);
    glTexCoord2f(1.f, 1.f); vertex(c[1], -d);
    glTexCoord2f(0.f, 1.f); vertex(c[0], -d);
    glTexCoord2f(0.f, 0.f); vertex(c[0], d);
    glTexCoord2f(1.f, 0.f); vertex(c[1], d);
    glEnd();

    glBindTexture(GL_TEXTURE_2D, frontTexture);
    glBegin(GL_QUADS);
    if (lightingEnabled)
        glNormal3f(0.f, 0.f, 1.f);
    glTexCoord2f(0.f, 1.f); vertex(c[1], d);
    glTexCoord2f(1.f, 1.f); vertex(c[0], d);
    glTexCoord2f(1.f, 0.f); vertex(c[3], d);
    glTexCoord2f(0.f, 0.f); vertex(c[2], d);
    sideNormal(c[0], c[3], -1.f);
    glTexCoord2f(1.f, 1.f); vertex(c[0], -d);
    glTexCoord2f(1.f, 0.f); vertex(c[3], -d);
    glTexCoord2f(0.f, 0.f); vertex(c[3], d);
    glTexCoord2f(0.f, 1.f); vertex(c[0], d);
    sideNormal(c[1], c[2], 1.f);
    glTexCoord2f(0.f, 1.f); vertex(c[1], -d);
    glTexCoord2f(1.f, 1.f); vertex(c[1], d);
    glTexCoord2f(1.f, 0.f); vertex(c[2], d);
    glTexCoord2f(0.f, 0.f); vertex(c[2], -d);
    glEnd();
}
