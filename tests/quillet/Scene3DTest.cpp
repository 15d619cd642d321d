#include "DeviceManager.h"
#include "GLManager.h"
#include "MathManager.h"
#include "ObjModel.h"
#include "Scene3D.h"
#include "TestSupport.h"

#include <GL/gl.h>
#include <cmath>
#include <gtest/gtest.h>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace
{
float const HALF_FOV = 60.f * MathManager::PI_OVER_180;

// The four corners of a quad in world units.
struct Quad
{
    Float3 corners[4];
};

Quad quad(Float3 a, Float3 b, Float3 c, Float3 d)
{
    return Quad{{a, b, c, d}};
}

// Opens the real window; the scene and a solid-colour texture factory come with it.
class Scene3DWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DISPLAY();
        DeviceManager::newInstance("quillet_tests", "quillet scene test", 800, 600, false);
        deviceManager->loopEvent();
        scene = deviceManager->getScene3D();
    }

    void TearDown() override
    {
        if (deviceManager != NULL)
            DeviceManager::deleteInstance();
    }

    unsigned solidTexture(Color4 const& color)
    {
        std::vector<unsigned char> pixels;
        for (int i = 0; i < 4 * 4; ++i)
            pixels.insert(pixels.end(), {color[0], color[1], color[2], color[3]});
        return unsigned(deviceManager->loadTexture(4, 4, pixels.data(), true));
    }

    // Camera at eye looking down -z (or turned by rotation), black background, ready to draw.
    void beginFrame(Float3 const& eye, Float3 const& rotation = Float3(0.f, 0.f, 0.f))
    {
        scene->getCamera().setPosition(eye);
        scene->getCamera().setRotation(rotation);
        scene->updateCamera();
        deviceManager->clearBackground(colorBlack);
        deviceManager->setColor(colorWhite);
    }

    Scene3D* scene = NULL;
};
}

// ---------------------------------------------------------------- visibility of faces (no window)

TEST(FaceVisibility, FaceWhollyBehindTheCameraIsHidden)
{
    Camera camera;
    Quad const behind = quad(Float3(-5, -5, 10), Float3(5, -5, 10), Float3(5, 5, 10), Float3(-5, 5, 10));
    EXPECT_FALSE(Scene3D::isFaceVisible(camera, behind.corners, HALF_FOV));
    // Turned round, the camera sees it.
    camera.setRotation(Float3(0.f, 180.f, 0.f));
    EXPECT_TRUE(Scene3D::isFaceVisible(camera, behind.corners, HALF_FOV));
}

TEST(FaceVisibility, OneCornerInTheFieldOfViewIsEnough)
{
    Camera camera;
    // Three corners far to the right, one just right of the viewing direction.
    Quad const face = quad(Float3(1, 0, -10), Float3(100, 0, -10), Float3(100, 5, -1), Float3(100, 5, -10));
    EXPECT_TRUE(Scene3D::isFaceVisible(camera, face.corners, HALF_FOV));
    // Wholly to the right of the view: hidden.
    Quad const aside = quad(Float3(50, 0, -10), Float3(100, 0, -10), Float3(100, 5, -1), Float3(50, 5, -1));
    EXPECT_FALSE(Scene3D::isFaceVisible(camera, aside.corners, HALF_FOV));
    // The vertical angle plays no part.
    Quad const high = quad(Float3(0, 500, -10), Float3(1, 500, -10), Float3(1, 501, -10), Float3(0, 501, -10));
    EXPECT_TRUE(Scene3D::isFaceVisible(camera, high.corners, HALF_FOV));
}

TEST(FaceVisibility, FaceReachingFromBehindToOutsideTheViewIsShown)
{
    Camera camera;
    // A wall running along the camera on its right, from behind to ahead.
    Quad const wall = quad(Float3(10, -5, 50), Float3(10, -5, -50), Float3(10, 5, -50), Float3(10, 5, 50));
    EXPECT_TRUE(Scene3D::isFaceVisible(camera, wall.corners, HALF_FOV));
    // A corner only slightly behind (within 5 units) does not count as behind.
    Quad const near = quad(Float3(10, -5, 4), Float3(10, -5, -1), Float3(10, 5, -1), Float3(10, 5, 4));
    EXPECT_FALSE(Scene3D::isFaceVisible(camera, near.corners, HALF_FOV));
}

// A wall filling the view, its corners beyond both edges, must not vanish.
TEST(FaceVisibility, FaceWiderThanTheViewInFrontIsShown)
{
    Camera camera;
    Quad const wall = quad(Float3(-1000, -5, -10), Float3(1000, -5, -10), Float3(1000, 5, -10), Float3(-1000, 5, -10));
    EXPECT_TRUE(Scene3D::isFaceVisible(camera, wall.corners, HALF_FOV));
    // Beyond both edges but only by being behind the camera's plane: still hidden.
    Quad const behindSides = quad(Float3(-1000, -5, 3), Float3(1000, -5, 3), Float3(1000, 5, 3), Float3(-1000, 5, 3));
    EXPECT_FALSE(Scene3D::isFaceVisible(camera, behindSides.corners, HALF_FOV));
    // A wall crossing the middle of the view 1.4 units ahead, from beyond the
    // left edge to a corner just behind the camera on the right.
    Quad const slanted = quad(Float3(-100, -5, -50), Float3(5, -5, 1), Float3(5, 5, 1), Float3(-100, 5, -50));
    EXPECT_TRUE(Scene3D::isFaceVisible(camera, slanted.corners, HALF_FOV));
}

// ---------------------------------------------------------------- box geometry (no window)

TEST(BoxGeometry, CubeArraysHoldEachFaceOnItsSideWoundOutwards)
{
    Float3 vertices[24];
    Float2 texCoords[24];
    Scene3D::getVerticesAndTexCoordCube(vertices, texCoords, Float3(2.f, 3.f, 4.f), Float3(1.f, 2.f, 3.f));
    Float3 const normals[6] = {Float3(0, 1, 0),  Float3(0, -1, 0), Float3(0, 0, 1),
                               Float3(0, 0, -1), Float3(-1, 0, 0), Float3(1, 0, 0)};
    Float3 const half(1.f, 2.f, 3.f);
    for (int face = 0; face < 6; ++face)
    {
        Float3 const* v = vertices + 4 * face;
        Float3 const e1 = v[1] - v[0];
        Float3 const e2 = v[2] - v[1];
        Float3 const cross(e1.y() * e2.z() - e1.z() * e2.y(), e1.z() * e2.x() - e1.x() * e2.z(),
                           e1.x() * e2.y() - e1.y() * e2.x());
        float const outwards = cross.x() * normals[face].x() + cross.y() * normals[face].y() +
                               cross.z() * normals[face].z();
        EXPECT_GT(outwards, 0.f) << "face " << face << " is not counter-clockwise from outside";
        for (int i = 0; i < 4; ++i)
            for (int axis = 0; axis < 3; ++axis)
            {
                if (normals[face][axis] != 0.f)
                {
                    EXPECT_EQ(v[i][axis], normals[face][axis] * half[axis]) << "face " << face;
                }
            }
    }
    // Mapping of the second kind: the top face repeats along x and z.
    EXPECT_EQ(texCoords[0], Float2(0.f, 4.f));
    EXPECT_EQ(texCoords[2], Float2(2.f, 0.f));
    // The right face repeats along z and y.
    EXPECT_EQ(texCoords[21], Float2(4.f, 3.f));
}

TEST(BoxGeometry, FirstMappingOfTheFrontFaceIsUprightTexture)
{
    Float3 corners[4];
    Float2 texCoords[4];
    Scene3D::getFace(2, Float3(1.f, 1.f, 1.f), Float3(2.f, 3.f, 4.f), false, corners, texCoords);
    EXPECT_EQ(corners[0], Float3(-1.f, -1.f, 1.f));
    EXPECT_EQ(texCoords[0], Float2(0.f, 3.f));
    EXPECT_EQ(texCoords[2], Float2(2.f, 0.f));
}

// ---------------------------------------------------------------- smooth turn (no window)

TEST(SmoothTurn, TurnsThroughTheShortWayAcross180)
{
    Scene3D scene;
    scene.getCamera().setAngleY(170.f);
    periodFrame = 50000; // half of the closing period
    scene.setSlowlyCameraAngle(Float3(0.f, -170.f, 0.f));
    EXPECT_NEAR(scene.getCamera().getAngleY(), -180.f, 1e-4f);
}

TEST(SmoothTurn, LongFrameClosesTheTurnAtOnce)
{
    Scene3D scene;
    scene.getCamera().setRotation(Float3(-30.f, 45.f, 0.f));
    periodFrame = GLManager::MAX_FRAME_PERIOD;
    scene.setSlowlyCameraAngle(Float3(10.f, -120.f, 0.f));
    EXPECT_EQ(scene.getCamera().getRotation(), Float3(10.f, -120.f, 0.f));
}

TEST(MouseLook, OnePixelTurnsOneDegreeOnlyWhileRotating)
{
    Scene3D scene;
    scene.injectMouseMotionForCameraAngle(Int2(100, 100), false);
    scene.injectMouseMotionForCameraAngle(Int2(110, 95), true);
    EXPECT_EQ(scene.getCamera().getRotation(), Float3(5.f, -10.f, 0.f));
    scene.injectMouseMotionForCameraAngle(Int2(300, 300), false);
    scene.injectMouseMotionForCameraAngle(Int2(301, 300), true);
    EXPECT_EQ(scene.getCamera().getRotation(), Float3(5.f, -11.f, 0.f));
}

// ---------------------------------------------------------------- OpenGL state (window)

TEST_F(Scene3DWindow, SetUpMadeBeforeTheWindowIsAppliedByTheFirstCameraUpdate)
{
    scene->updateCamera();
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    float ambient[4] = {};
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, ambient);
    EXPECT_FLOAT_EQ(ambient[0], 0.5f);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(Scene3DWindow, FogColourIsDividedBy256AndDistancesFollowTheMaximum)
{
    scene->setFogEnable(200.f, Color4(255, 255, 255, 255), false);
    EXPECT_TRUE(scene->isFogEnabled());
    float color[4] = {};
    glGetFloatv(GL_FOG_COLOR, color);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(color[i], 0.99609375f);
    float start = 0.f;
    float end = 0.f;
    glGetFloatv(GL_FOG_START, &start);
    glGetFloatv(GL_FOG_END, &end);
    EXPECT_FLOAT_EQ(start, 150.f);
    EXPECT_FLOAT_EQ(end, 200.f);
    scene->adjustFog(2.f, 3.f);
    glGetFloatv(GL_FOG_START, &start);
    glGetFloatv(GL_FOG_END, &end);
    EXPECT_FLOAT_EQ(start, 225.f);
    EXPECT_FLOAT_EQ(end, 300.f);
    EXPECT_FLOAT_EQ(scene->getFogMaxDistance(), 200.f);
    scene->setFogDisable();
    EXPECT_FALSE(scene->isFogEnabled());
}

TEST_F(Scene3DWindow, LightWithoutDistanceHasNoAttenuation)
{
    scene->configureLight(0, true, Float3(0.f, 10.f, 0.f), 0.f);
    scene->configureLight(3, true, Float3(0.f, 10.f, 0.f), 50.f);
    scene->updateCamera();
    float linear = -1.f;
    float quadratic = -1.f;
    glGetLightfv(GL_LIGHT0, GL_LINEAR_ATTENUATION, &linear);
    glGetLightfv(GL_LIGHT0, GL_QUADRATIC_ATTENUATION, &quadratic);
    EXPECT_EQ(linear, 0.f);
    EXPECT_EQ(quadratic, 0.f);
    glGetLightfv(GL_LIGHT3, GL_LINEAR_ATTENUATION, &linear);
    glGetLightfv(GL_LIGHT3, GL_QUADRATIC_ATTENUATION, &quadratic);
    EXPECT_FLOAT_EQ(linear, 0.02f);
    EXPECT_FLOAT_EQ(quadratic, 0.00005f);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT3));
    scene->configureLight(3, false, Float3(0.f, 0.f, 0.f), 1.f);
    EXPECT_FALSE(glIsEnabled(GL_LIGHT3));
}

TEST_F(Scene3DWindow, SegmentRestoresTexturingOnlyWhenItWasOn)
{
    scene->updateCamera();
    glDisable(GL_TEXTURE_2D);
    scene->draw3DSegment(Float3(0.f, 0.f, 0.f), Float3(1.f, 1.f, 1.f));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    glEnable(GL_TEXTURE_2D);
    scene->draw3DSegment(Float3(0.f, 0.f, 0.f), Float3(1.f, 1.f, 1.f));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

// ---------------------------------------------------------------- drawing for real (window)

TEST_F(Scene3DWindow, TexturedBoxShowsItsFrontFaceInTheMiddle)
{
    unsigned const red = solidTexture(colorRed);
    unsigned const blue = solidTexture(colorBlue);
    unsigned const textures[6] = {blue, blue, red, blue, blue, blue};
    beginFrame(Float3(0.f, 0.f, 30.f));
    scene->setPosition(Float3(0.f, 0.f, 0.f));
    scene->drawCube(Float3(10.f, 10.f, 10.f), textures, Float3(1.f, 1.f, 1.f), false);
    EXPECT_EQ(TestSupport::readPixelRgb(400, 300), Color4(255, 0, 0, 255));
    EXPECT_EQ(TestSupport::readPixelRgb(5, 5), Color4(0, 0, 0, 255));
    // Moved to the right of the view, the box leaves the middle black.
    beginFrame(Float3(0.f, 0.f, 30.f));
    scene->setPosition(Float3(20.f, 0.f, 0.f));
    scene->drawCube(Float3(10.f, 10.f, 10.f), textures, Float3(1.f, 1.f, 1.f), false);
    EXPECT_EQ(TestSupport::readPixelRgb(400, 300), Color4(0, 0, 0, 255));
    EXPECT_EQ(TestSupport::readPixelRgb(568, 300), Color4(255, 0, 0, 255));
}

TEST_F(Scene3DWindow, InvertedBoxIsSeenFromInside)
{
    unsigned const red = solidTexture(colorRed);
    unsigned const yellow = solidTexture(colorYellow);
    unsigned const textures[6] = {yellow, yellow, red, yellow, yellow, yellow};
    beginFrame(Float3(0.f, 0.f, 0.f));
    scene->setPosition(Float3(0.f, 0.f, 0.f));
    scene->drawCube2(Float3(100.f, 100.f, 100.f), textures, Float3(1.f, 1.f, 1.f), true, false);
    // Looking down -z from the centre shows the front face, moved to the far side.
    EXPECT_EQ(TestSupport::readPixelRgb(400, 300), Color4(255, 0, 0, 255));
}

TEST_F(Scene3DWindow, FaceOutOfViewIsSkippedAndFaceInViewDrawnAtItsPosition)
{
    unsigned const green = solidTexture(Color4(0, 255, 0, 255));
    beginFrame(Float3(0.f, 0.f, 30.f));
    scene->setPosition(Float3(0.f, 0.f, 0.f));
    EXPECT_FALSE(scene->drawCubeFace(Float3(10.f, 10.f, 10.f), green, Float3(1.f, 1.f, 1.f), 2,
                                     Float3(0.f, 0.f, 60.f)));
    EXPECT_EQ(TestSupport::readPixelRgb(400, 300), Color4(0, 0, 0, 255));
    EXPECT_TRUE(scene->drawCubeFace(Float3(10.f, 10.f, 10.f), green, Float3(1.f, 1.f, 1.f), 2,
                                    Float3(0.f, 0.f, -5.f)));
    EXPECT_EQ(TestSupport::readPixelRgb(400, 300), Color4(0, 255, 0, 255));
}

// The third-person camera sits behind and above its target and looks at it.
TEST_F(Scene3DWindow, LookAtModeKeepsTheTargetInTheMiddle)
{
    unsigned const red = solidTexture(colorRed);
    unsigned const textures[6] = {red, red, red, red, red, red};
    Camera& camera = scene->getCamera();
    camera.setRotation(Float3(-30.f, 40.f, 0.f));
    Float3 const target(100.f, 20.f, -50.f);
    scene->updateCameraLookAtMode(target, 60.f);
    Float3 const offset = camera.getPosition() - target;
    EXPECT_NEAR(offset.y(), 30.f, 1e-3f);
    EXPECT_NEAR(offset.x() * offset.x() + offset.y() * offset.y() + offset.z() * offset.z(), 3600.f, 0.1f);
    deviceManager->clearBackground(colorBlack);
    deviceManager->setColor(colorWhite);
    scene->setPosition(target);
    scene->drawCube(Float3(2.f, 2.f, 2.f), textures, Float3(1.f, 1.f, 1.f), false);
    EXPECT_EQ(TestSupport::readPixelRgb(400, 300), Color4(255, 0, 0, 255));
    EXPECT_EQ(TestSupport::readPixelRgb(400, 200), Color4(0, 0, 0, 255));
}

// Water draws both sides of one plane: each side must show only from above or below.
TEST_F(Scene3DWindow, PlaneShowsOnlyOnTheSideItFaces)
{
    unsigned const green = solidTexture(Color4(0, 255, 0, 255));
    Float3 const lookingDown(-90.f, 0.f, 0.f);
    Float3 const lookingUp(90.f, 0.f, 0.f);
    struct Case
    {
        Float3 eye;
        Float3 rotation;
        bool facingDown;
        Color4 expected;
    };
    Case const cases[] = {
        {Float3(0.f, 30.f, 0.f), lookingDown, false, Color4(0, 255, 0, 255)},
        {Float3(0.f, 30.f, 0.f), lookingDown, true, Color4(0, 0, 0, 255)},
        {Float3(0.f, -30.f, 0.f), lookingUp, true, Color4(0, 255, 0, 255)},
        {Float3(0.f, -30.f, 0.f), lookingUp, false, Color4(0, 0, 0, 255)},
    };
    for (Case const& c : cases)
    {
        beginFrame(c.eye, c.rotation);
        scene->setPosition(Float3(0.f, 0.f, 0.f));
        scene->drawPlane(Float2(40.f, 40.f), green, Float2(1.f, 1.f), Float3(0.f, 0.f, 0.f), c.facingDown);
        EXPECT_EQ(TestSupport::readPixelRgb(400, 300), c.expected) << "from y " << c.eye.y() << ", facing down " << c.facingDown;
    }
    // All bits set keeps the texture already bound.
    unsigned const red = solidTexture(colorRed);
    beginFrame(Float3(0.f, 30.f, 0.f), lookingDown);
    glBindTexture(GL_TEXTURE_2D, red);
    scene->setPosition(Float3(0.f, 0.f, 0.f));
    scene->drawPlane(Float2(40.f, 40.f), Scene3D::KEEP_CURRENT_TEXTURE, Float2(1.f, 1.f), Float3(0.f, 0.f, 0.f), false);
    EXPECT_EQ(TestSupport::readPixelRgb(400, 300), Color4(255, 0, 0, 255));
}

TEST_F(Scene3DWindow, TriangleListsAreScaledAndUntexturedOnlyWhenAsked)
{
    unsigned const red = solidTexture(colorRed);
    std::vector<Float3> const triangle = {Float3(-5.f, -5.f, 0.f), Float3(5.f, -5.f, 0.f), Float3(0.f, 5.f, 0.f)};
    // (0, 7) seen from 30 units: inside the triangle only once it is doubled.
    int const aboveApex = 300 + int(300.f * 7.f / (30.f * std::tan(55.f * MathManager::PI_OVER_180)));
    beginFrame(Float3(0.f, 0.f, 30.f));
    scene->setPosition(Float3(0.f, 0.f, 0.f));
    glBindTexture(GL_TEXTURE_2D, red);
    scene->drawTriangles(triangle, -1, 1.f);
    EXPECT_EQ(TestSupport::readPixelRgb(400, 300), Color4(255, 255, 255, 255)); // untextured: the current colour
    EXPECT_EQ(TestSupport::readPixelRgb(400, aboveApex), Color4(0, 0, 0, 255));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));

    beginFrame(Float3(0.f, 0.f, 30.f));
    scene->setPosition(Float3(0.f, 0.f, 0.f));
    scene->drawTriangles(triangle, int(red), 2.f);
    EXPECT_EQ(TestSupport::readPixelRgb(400, 300), Color4(255, 0, 0, 255));
    EXPECT_EQ(TestSupport::readPixelRgb(400, aboveApex), Color4(255, 0, 0, 255));
}

TEST_F(Scene3DWindow, DisplayListDrawsWhileRecordedAndWhenCalled)
{
    unsigned const red = solidTexture(colorRed);
    unsigned const textures[6] = {red, red, red, red, red, red};
    beginFrame(Float3(0.f, 0.f, 30.f));
    scene->setPosition(Float3(0.f, 0.f, 0.f));
    unsigned const list = scene->createAndBeginDrawList();
    scene->drawCube(Float3(10.f, 10.f, 10.f), textures, Float3(1.f, 1.f, 1.f), false);
    scene->endDrawList();
    EXPECT_EQ(TestSupport::readPixelRgb(400, 300), Color4(255, 0, 0, 255));
    beginFrame(Float3(0.f, 0.f, 30.f));
    EXPECT_EQ(TestSupport::readPixelRgb(400, 300), Color4(0, 0, 0, 255));
    scene->setPosition(Float3(0.f, 0.f, 0.f));
    scene->callDrawList(list);
    EXPECT_EQ(TestSupport::readPixelRgb(400, 300), Color4(255, 0, 0, 255));
    EXPECT_TRUE(glIsList(list));
    scene->removeDrawList(list);
    EXPECT_FALSE(glIsList(list));
}

TEST_F(Scene3DWindow, RenderToTextureCopiesTheSquareViewAndRestoresTheWindowViewport)
{
    unsigned const red = solidTexture(colorRed);
    unsigned const textures[6] = {red, red, red, red, red, red};
    unsigned const target = scene->generateNewTexture();
    scene->getCamera().setPosition(Float3(0.f, 0.f, 30.f));
    scene->getCamera().setRotation(Float3(0.f, 0.f, 0.f));
    scene->startRenderToTexture(128);
    EXPECT_EQ(sizeRenderToTexture, 128);
    deviceManager->setColor(colorWhite);
    scene->setPosition(Float3(0.f, 0.f, 0.f));
    scene->drawCube(Float3(10.f, 10.f, 10.f), textures, Float3(1.f, 1.f, 1.f), false);
    scene->stopRenderToTexture(target);

    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);
    std::vector<unsigned char> pixels(128 * 128 * 4, 7);
    glBindTexture(GL_TEXTURE_2D, target);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    auto texel = [&pixels](int x, int y) {
        unsigned char const* p = &pixels[size_t(4 * (y * 128 + x))];
        return Color4(p[0], p[1], p[2], 255);
    };
    EXPECT_EQ(texel(64, 64), Color4(255, 0, 0, 255)); // the box, in the middle of the square view
    EXPECT_EQ(texel(2, 2), Color4(0, 0, 0, 255));
    EXPECT_EQ(texel(125, 125), Color4(0, 0, 0, 255));
}

namespace
{
// An OBJ square at x = constant (a wall across x) or z = constant (a wall across
// z), from y = bottom to y = top and 50 units wide on its other axis.
std::string wallObj(bool acrossX, float at, float bottom, float top)
{
    std::ostringstream text;
    float const side[4][2] = {{-50.f, bottom}, {50.f, bottom}, {50.f, top}, {-50.f, top}};
    for (auto const& corner : side)
    {
        if (acrossX)
            text << "v " << at << " " << corner[1] << " " << corner[0] << "\n";
        else
            text << "v " << corner[0] << " " << corner[1] << " " << at << "\n";
    }
    text << "f 1 2 3 4\n";
    return text.str();
}

// A model of the given OBJ text, loaded without its traces.
ObjModel* modelOf(std::string const& folder, std::string const& name, std::string const& text)
{
    std::string const path = folder + "/" + name;
    TestSupport::writeFile(path, text);
    std::ostringstream quiet;
    std::streambuf* const saved = std::cout.rdbuf(quiet.rdbuf());
    ObjModel* const model = new ObjModel(path, 1.f, 0.f, 0);
    std::cout.rdbuf(saved);
    return model;
}
}

TEST_F(Scene3DWindow, DebugKeysMoveTheCameraUnlessAnObstacleIsInTheWay)
{
    Camera& camera = scene->getCamera();
    camera.setPosition(Float3(0.f, 0.f, 0.f));
    for (unsigned char key : {'H', 'u', 'o', 'x'})
        scene->injectKeyForDebug(key);
    EXPECT_EQ(camera.getPosition(), Float3(20.f, 10.f, -10.f));
    for (unsigned char key : {'k', 'K', 'j', 'l'})
        scene->injectKeyForDebug(key);
    EXPECT_EQ(camera.getPosition(), Float3(10.f, 0.f, 0.f));

    std::string const folder = TestSupport::makeTemporaryFolder();
    ObjModel* const wallAtX15 = modelOf(folder, "x15.obj", wallObj(true, 15.f, -50.f, 50.f));
    camera.setPosition(Float3(0.f, 0.f, 0.f));
    scene->injectKeyForDebugCollision('h', wallAtX15);
    EXPECT_EQ(camera.getPosition(), Float3(10.f, 0.f, 0.f));
    scene->injectKeyForDebugCollision('h', wallAtX15); // would cross the wall
    EXPECT_EQ(camera.getPosition(), Float3(10.f, 0.f, 0.f));

    // First-person moves go forward along the debug yaw; a low wall is stepped over, a high one stops.
    ObjModel* const lowWall = modelOf(folder, "low.obj", wallObj(false, -15.f, -50.f, 2.f));
    ObjModel* const highWall = modelOf(folder, "high.obj", wallObj(false, -15.f, -50.f, 50.f));
    camera.setPosition(Float3(0.f, 0.f, -10.f));
    scene->injectKeyForDebugFPSCollision('u', highWall);
    EXPECT_EQ(camera.getPosition(), Float3(0.f, 0.f, -10.f));
    scene->injectKeyForDebugFPSCollision('u', lowWall);
    EXPECT_NEAR(camera.getPosition().x(), 0.f, 1e-4f);
    EXPECT_EQ(camera.getPosition().y(), 5.f);
    EXPECT_NEAR(camera.getPosition().z(), -20.f, 1e-4f);
    scene->injectKeyForDebugFPSCollision('h', lowWall); // yaw 10 degrees, then no move
    scene->injectKeyForDebugFPSCollision('j', lowWall); // back along the turned direction
    Float3 const back = camera.getPosition();
    EXPECT_NEAR(back.x(), -10.f * std::cos(100.f * MathManager::PI_OVER_180), 1e-4f);
    EXPECT_NEAR(back.z(), -20.f + 10.f * std::sin(100.f * MathManager::PI_OVER_180), 1e-4f);
    scene->injectKeyForDebugFPSCollision('i', lowWall);
    EXPECT_EQ(camera.getPosition(), Float3(0.f, 0.f, 0.f));
    scene->injectKeyForDebugFPSCollision('e', lowWall);
    scene->injectKeyForDebugFPSCollision('z', lowWall);
    EXPECT_EQ(camera.getPosition(), Float3(0.f, 550.f, 0.f));

    // Falling: 3 units per call until the drop would reach the floor.
    std::string const floor = "v -50 0 -50\nv -50 0 50\nv 50 0 50\nv 50 0 -50\nf 1 2 3 4\n";
    ObjModel* const ground = modelOf(folder, "floor.obj", floor);
    camera.setPosition(Float3(0.f, 7.f, 0.f));
    EXPECT_EQ(scene->updateCameraDebugFPSVisionAndManageFall(ground), 1.f);
    EXPECT_EQ(scene->updateCameraDebugFPSVisionAndManageFall(ground), 1.f);
    EXPECT_EQ(camera.getPosition(), Float3(0.f, 1.f, 0.f));
    EXPECT_EQ(scene->updateCameraDebugFPSVisionAndManageFall(ground), 0.f);
    EXPECT_EQ(camera.getPosition(), Float3(0.f, 1.f, 0.f));
    delete ground;
    delete highWall;
    delete lowWall;
    delete wallAtX15;
}

// A box without textures is drawn as its edges only, and leaves the filled, textured state behind.
TEST_F(Scene3DWindow, BoxWithoutTexturesIsAWireframe)
{
    beginFrame(Float3(0.f, 0.f, 30.f));
    scene->setPosition(Float3(0.f, 0.f, 0.f));
    scene->drawCube(Float3(10.f, 10.f, 10.f), NULL, Float3(1.f, 1.f, 1.f), false);
    EXPECT_EQ(TestSupport::readPixelRgb(400, 300), Color4(0, 0, 0, 255));
    // The front face's right edge, x = 5 at 25 units, lies about 42 pixels right of the middle.
    int lit = 0;
    for (int x = 430; x < 456; ++x)
        lit += TestSupport::readPixelRgb(x, 300) == Color4(255, 255, 255, 255) ? 1 : 0;
    EXPECT_GT(lit, 0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    GLint modes[2] = {0, 0};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_FILL); // front faces
}

// Strict alpha hides half-transparent texels while the box is drawn, then the usual threshold is back.
TEST_F(Scene3DWindow, StrictAlphaHidesHalfTransparentTexelsOfTheBoxOnly)
{
    unsigned const halfRed = solidTexture(Color4(255, 0, 0, 128));
    unsigned const textures[6] = {halfRed, halfRed, halfRed, halfRed, halfRed, halfRed};
    ASSERT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    for (bool const strict : {false, true})
    {
        beginFrame(Float3(0.f, 0.f, 30.f));
        scene->setPosition(Float3(0.f, 0.f, 0.f));
        scene->drawCube2(Float3(10.f, 10.f, 10.f), textures, Float3(1.f, 1.f, 1.f), false, strict);
        EXPECT_EQ(TestSupport::readPixelRgb(400, 300).x() > 0, !strict) << "strict " << strict;
        float threshold = 0.f;
        glGetFloatv(GL_ALPHA_TEST_REF, &threshold);
        EXPECT_FLOAT_EQ(threshold, 0.1f);
    }
}
