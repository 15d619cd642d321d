#include "Camera.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace
{
void expectNear(Float3 const& actual, Float3 const& expected)
{
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-5f) << "component " << i;
}
}

TEST(Camera, AbsoluteAnglesAreExactAfterAnyRotations)
{
    Camera camera;
    camera.rotateX(12.345f);
    camera.rotateY(-77.7f);
    camera.rotateX(0.1f);
    camera.rotateX(-400.25f);
    camera.setAngleX(30.f);
    camera.setAngleY(-45.f);
    EXPECT_EQ(camera.getAngleX(), 30.f);
    EXPECT_EQ(camera.getAngleY(), -45.f);
    EXPECT_EQ(camera.getRotation(), Float3(30.f, -45.f, 0.f));
}

TEST(Camera, QuarterYawGivesTheMinus90MatrixAndMapsForwardOntoTheXAxis)
{
    Camera camera;
    camera.setPosition(5.f, 6.f, 7.f);
    camera.setRotation(Float3(0.f, 90.f, 0.f));
    float m[16] = {};
    camera.getMatrix(m);
    // A rotation of -90 degrees about y, column-major.
    float const expected[16] = {0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(m[i], expected[i], 1e-6f) << "element " << i;
    expectNear(camera.convertPositionInCameraCoordinates(Float3(5.f, 6.f, 8.f)), Float3(-1.f, 0.f, 0.f));
}

TEST(Camera, NullMatrixIsIgnored)
{
    Camera camera;
    camera.getMatrix(NULL);
}

// Mouse look alternates pitch and yaw; the view must stay level and agree
// with the stored angles, as if the angles had been set at once.
TEST(Camera, AlternatedTurnsNeverRollTheView)
{
    Camera turned;
    turned.rotateX(10.f);
    turned.rotateY(30.f);
    turned.rotateX(5.f);
    turned.rotateY(60.f);
    turned.rotateX(-20.f);
    Camera direct;
    direct.setRotation(Float3(-5.f, 90.f, 0.f));

    float a[16] = {};
    float b[16] = {};
    turned.getMatrix(a);
    direct.getMatrix(b);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a[i], b[i], 1e-5f) << "element " << i;
    // The world's vertical stays in the camera's vertical plane: no roll.
    EXPECT_NEAR(turned.convertPositionInCameraCoordinates(Float3(0.f, 1.f, 0.f)).x(), 0.f, 1e-6f);
    // Yawed 90 degrees to the left, the camera looks along -x.
    Float3 const ahead = turned.convertPositionInCameraCoordinates(Float3(-1.f, 0.f, 0.f));
    EXPECT_NEAR(ahead.x(), 0.f, 1e-5f);
    EXPECT_LT(ahead.z(), -0.99f);
}

TEST(Camera, ManySmallTurnsKeepTheRotationUnscaled)
{
    Camera camera;
    for (int i = 0; i < 100000; ++i)
    {
        camera.rotateX(0.37f);
        camera.rotateY(-0.53f);
    }
    Float3 const p = camera.convertPositionInCameraCoordinates(Float3(3.f, 4.f, 12.f));
    EXPECT_NEAR(p.x() * p.x() + p.y() * p.y() + p.z() * p.z(), 169.f, 0.01f);
}

TEST(Camera, PositionIsRemovedBeforeRotating)
{
    Camera camera;
    camera.setPosition(Float3(10.f, 0.f, 0.f));
    camera.move(Float3(0.f, 2.f, 0.f));
    EXPECT_EQ(camera.getPosition(), Float3(10.f, 2.f, 0.f));
    camera.setAngleX(90.f);
    // Pitched straight up, a point above the camera is straight ahead.
    expectNear(camera.convertPositionInCameraCoordinates(Float3(10.f, 5.f, 0.f)), Float3(0.f, 0.f, -3.f));
}

TEST(Camera, RollIsRefusedWithTheFatalReport)
{
    TestSupport::ChildResult const result = TestSupport::runInChild([] {
        Camera camera;
        camera.setRotation(Float3(0.f, 10.f, 5.f));
    });
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.errors.find("quillet_src/Camera.cpp"), std::string::npos) << result.errors;
    EXPECT_NE(result.errors.find("rot.z() == 0.f"), std::string::npos) << result.errors;
}
