#include "DeviceManager.h"
#include "Camera.h"
#include "Scene2D.h"
#include "Scene3D.h"
#include "TestSupport.h"
#include "Water.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>
#include <unistd.h>

namespace
{
class WaterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DISPLAY();
        // "water.png" comes from the game's data.
        ASSERT_EQ(chdir(GAME_DATA_DIR), 0);
        DeviceManager::newInstance("game_tests", "water test", 800, 600, false);
        water = new Water(10.0f);
    }

    void TearDown() override
    {
        delete water;
        if (deviceManager != NULL)
            DeviceManager::deleteInstance();
    }

    // The centre pixel after drawing the 2-D pass over black with the camera at y.
    Color4 tintOver(float cameraY)
    {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        deviceManager->getScene2D()->set2DMode();
        deviceManager->setColor(colorWhite);
        water->draw2D(Float3(0.0f, cameraY, 0.0f));
        Color4 const pixel = TestSupport::readPixel(400, 300);
        EXPECT_EQ(deviceManager->getColor(), colorWhite) << "the tint must restore the colour";
        return pixel;
    }

    Water* water = NULL;
};
}

TEST_F(WaterTest, PlaneSpansTheFarDistanceAndFollowsTheCameraInGridSteps)
{
    water->setMinAndMaxViewDistance(100.0f, 500.0f);
    EXPECT_FLOAT_EQ(water->getPlaneSize(), 1000.0f);
    EXPECT_FLOAT_EQ(water->getTextureRepeat(), 80.0f);
    water->setPositionFollowAtTime(Float3(165.0f, 50.0f, -165.0f), 0);
    EXPECT_FLOAT_EQ(water->getPosition().x(), 160.0f);
    // Toward zero on the negative side too, not toward minus infinity.
    EXPECT_FLOAT_EQ(water->getPosition().z(), -160.0f);
    water->setPositionFollowAtTime(Float3(79.9f, 0.0f, 239.0f), 0);
    EXPECT_FLOAT_EQ(water->getPosition().x(), 0.0f);
    EXPECT_FLOAT_EQ(water->getPosition().z(), 160.0f);
    // Repetitions are whole: (2 * 333 - 2 * 10) / 10 = 64.6 gives 64.
    water->setMinAndMaxViewDistance(10.0f, 333.0f);
    EXPECT_FLOAT_EQ(water->getTextureRepeat(), 64.0f);
}

TEST_F(WaterTest, WithoutDistancesThePlaneCentresOnTheCamera)
{
    EXPECT_FLOAT_EQ(water->getTextureRepeat(), 0.0f);
    water->setPositionFollowAtTime(Float3(165.0f, 0.0f, -7.5f), 0);
    EXPECT_FLOAT_EQ(water->getPosition().x(), 165.0f);
    EXPECT_FLOAT_EQ(water->getPosition().z(), -7.5f);
}

TEST_F(WaterTest, TideGoesDownToMinusThreeAndBackEveryFourSeconds)
{
    float const expected[] = {-1.0f, -2.0f, -3.0f, -2.0f, -1.0f};
    for (int i = 0; i <= 4; ++i)
    {
        water->setPositionFollowAtTime(Float3(0.0f, 0.0f, 0.0f), 1000 * i);
        EXPECT_NEAR(water->getPosition().y(), expected[i], 1e-5) << "at " << 1000 * i << " ms";
    }
    EXPECT_NEAR(Water::getLevelAtTime(4500), -1.5f, 1e-5);
    EXPECT_NEAR(Water::getLevelAtTime(2500), -2.5f, 1e-5);
}

TEST_F(WaterTest, TintOnlyBelowTheLevel)
{
    water->setPositionFollowAtTime(Float3(0.0f, 0.0f, 0.0f), 1000); // level -2
    EXPECT_FALSE(water->isUnderWater(Float3(0.0f, -1.5f, 0.0f)));
    EXPECT_FALSE(water->isUnderWater(Float3(0.0f, -2.0f, 0.0f)));
    water->setPositionFollowAtTime(Float3(0.0f, 0.0f, 0.0f), 0); // level -1
    EXPECT_TRUE(water->isUnderWater(Float3(0.0f, -1.5f, 0.0f)));
}

TEST_F(WaterTest, UnderWaterTheScreenIsTintedHalfBlue)
{
    water->setPositionFollowAtTime(Float3(0.0f, 0.0f, 0.0f), 0); // level -1
    Color4 const dry = tintOver(0.0f);
    EXPECT_EQ(dry.x(), 0);
    EXPECT_EQ(dry.y(), 0);
    EXPECT_EQ(dry.z(), 0);
    // (0, 104, 255) at alpha 128 over black.
    Color4 const wet = tintOver(-5.0f);
    EXPECT_NEAR(wet.x(), 0, 2);
    EXPECT_NEAR(wet.y(), 52, 2);
    EXPECT_NEAR(wet.z(), 128, 2);
}

TEST_F(WaterTest, PlaneIsSeenFromAboveAndFromBelow)
{
    Scene3D* const scene = deviceManager->getScene3D();
    // Rows of the picture holding anything but the black background, looking along -z.
    auto litRows = [&](float cameraY) {
        scene->getCamera().setPosition(0.0f, cameraY, 0.0f);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        scene->updateCamera();
        scene->setLighting(false);
        water->setMinAndMaxViewDistance(0.0f, 500.0f);
        water->setPositionFollowAtTime(scene->getCamera().getPosition(), 0);
        water->draw();
        glFinish();
        std::vector<unsigned char> column(600 * 4);
        glReadPixels(400, 0, 1, 600, GL_RGBA, GL_UNSIGNED_BYTE, column.data());
        std::vector<int> rows;
        for (int y = 0; y < 600; ++y)
            if (column[4 * y] + column[4 * y + 1] + column[4 * y + 2] > 0)
                rows.push_back(y);
        return rows;
    };
    // From above, the water fills the lower half (rows count up from the bottom).
    std::vector<int> const above = litRows(20.0f);
    ASSERT_FALSE(above.empty());
    EXPECT_EQ(above.front(), 0);
    EXPECT_LT(above.back(), 300);
    // From below, its underside fills the upper half.
    std::vector<int> const below = litRows(-20.0f);
    ASSERT_FALSE(below.empty());
    EXPECT_GT(below.front(), 300);
    EXPECT_EQ(below.back(), 599);
}
