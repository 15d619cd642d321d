#include "Camera.h"
#include "DeviceManager.h"
#include "Scene3D.h"
#include "SkyBox.h"
#include "SpriteManager.h"
#include "TestPictures.h"
#include "TestSupport.h"

#include <GL/gl.h>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace
{
struct Side
{
    char const* name;
    Float3 direction;
    Color4 colour;
};

// One colour per picture, each on the side it is named for.
Side const sides[6] = {
    {"top", Float3(0.f, 1.f, 0.f), Color4(255, 0, 0, 255)},     {"bottom", Float3(0.f, -1.f, 0.f), Color4(0, 255, 0, 255)},
    {"left", Float3(0.f, 0.f, -1.f), Color4(0, 0, 255, 255)},   {"right", Float3(0.f, 0.f, 1.f), Color4(255, 255, 0, 255)},
    {"front", Float3(1.f, 0.f, 0.f), Color4(255, 0, 255, 255)}, {"back", Float3(-1.f, 0.f, 0.f), Color4(0, 255, 255, 255)},
};

// Turns the camera so that it looks along direction (found by trying the
// quarter turns: the camera's own conventions decide which one it is).
bool lookAlong(Camera& camera, Float3 const& direction)
{
    float const turns[6][2] = {{0.f, 0.f}, {0.f, 90.f}, {0.f, 180.f}, {0.f, -90.f}, {89.f, 0.f}, {-89.f, 0.f}};
    for (auto const& turn : turns)
    {
        camera.setRotation(Float3(turn[0], turn[1], 0.f));
        Float3 const seen = camera.convertPositionInCameraCoordinates(camera.getPosition() + direction);
        if (seen.z() < -0.99f)
            return true;
    }
    return false;
}
}

TEST(SkyBox, EachPictureLandsOnItsNamedSideAroundTheEye)
{
    REQUIRE_DISPLAY();
    DeviceManager::newInstance("quillet_tests", "quillet sky box test", 800, 600, false);
    std::string const folder = TestSupport::makeTemporaryFolder();
    std::string paths[6];
    for (int i = 0; i < 6; ++i)
    {
        paths[i] = folder + "/" + sides[i].name + ".tga";
        TestSupport::writeFile(paths[i], TestPictures::plainTga(sides[i].colour));
    }
    SkyBox* sky = new SkyBox(paths[0].c_str(), paths[1].c_str(), paths[2].c_str(), paths[3].c_str(),
                             paths[4].c_str(), paths[5].c_str(), 100.f);
    EXPECT_EQ(Float3(100.f, 100.f, 100.f), sky->getSize());
    EXPECT_EQ(1, SpriteManager::getImageUseCount(paths[0]));

    Scene3D* const scene = deviceManager->getScene3D();
    // Far from the origin: the box follows the eye.
    scene->getCamera().setPosition(Float3(5000.f, -300.f, 1234.f));
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    for (Side const& side : sides)
    {
        ASSERT_TRUE(lookAlong(scene->getCamera(), side.direction)) << side.name;
        scene->updateCamera();
        glClearColor(0.f, 0.f, 0.f, 1.f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        sky->draw();
        Color4 const pixel = TestSupport::readPixel(400, 300);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(side.colour[c], pixel[c], 8) << side.name << " channel " << c;
    }

    sky->setSize(40.f);
    EXPECT_EQ(Float3(40.f, 40.f, 40.f), sky->getSize());
    delete sky;
    EXPECT_EQ(0, SpriteManager::getImageUseCount(paths[0]));
    DeviceManager::deleteInstance();
}

TEST(SkyBox, FogLayerIsDrawnInWhiteOfItsAlphaThenWhiteIsBack)
{
    REQUIRE_DISPLAY();
    DeviceManager::newInstance("quillet_tests", "quillet sky fog test", 800, 600, false);
    std::string const folder = TestSupport::makeTemporaryFolder();
    std::string const white = folder + "/white.tga";
    TestSupport::writeFile(white, TestPictures::plainTga(Color4(255, 255, 255, 255)));
    SkyBox* sky = new SkyBox(white.c_str(), white.c_str(), white.c_str(), white.c_str(), white.c_str(), white.c_str(),
                             10.f);
    Scene3D* const scene = deviceManager->getScene3D();
    scene->getCamera().setPosition(Float3(0.f, 0.f, 0.f));
    scene->getCamera().setRotation(Float3(0.f, 0.f, 0.f));
    scene->updateCamera();
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glClearColor(0.f, 0.f, 0.f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // Around the eye at the current matrix: half-transparent white over black.
    sky->drawFogLayer(10.f, 128);
    Color4 const pixel = TestSupport::readPixel(400, 300);
    EXPECT_NEAR(128, pixel[0], 8);
    EXPECT_EQ(colorWhite, deviceManager->getColor());
    delete sky;
    DeviceManager::deleteInstance();
}
