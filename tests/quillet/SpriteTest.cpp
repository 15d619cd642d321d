#include "DeviceManager.h"
#include "Image.h"
#include "PictureWriter.h"
#include "Scene2D.h"
#include "Sprite.h"
#include "SpriteManager.h"
#include "TestSupport.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
// A PNG of width x height whose top half is top and bottom half bottom; when
// splitColumns, the left half is top and the right half bottom instead.
std::string twoColourPng(int width, int height, Color4 const& top, Color4 const& bottom, bool splitColumns = false)
{
    std::vector<unsigned char> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            bool const first = splitColumns ? x < width / 2 : y < height / 2;
            Color4 const& c = first ? top : bottom;
            pixels.insert(pixels.end(), {c[0], c[1], c[2], c[3]});
        }
    return PictureWriter::encodePng(width, height, true, pixels);
}

Color4 const GREEN(0, 255, 0, 255);

// Opens the real window in a temporary folder holding the test pictures; every
// sprite a test creates must be removed before the manager goes.
class SpriteWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DISPLAY();
        // A forked child cannot use the parent's window: contract failures are
        // checked in a fresh process that opens its own.
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        folder = TestSupport::makeTemporaryFolder();
        ASSERT_EQ(chdir(folder.c_str()), 0);
        TestSupport::writeFile("wide.png", twoColourPng(64, 32, colorRed, GREEN));
        TestSupport::writeFile("other.png", twoColourPng(64, 32, colorBlue, colorWhite));
        TestSupport::writeFile("square.png", twoColourPng(16, 16, colorRed, GREEN));
        TestSupport::writeFile("columns.png", twoColourPng(16, 16, colorRed, colorBlue, true));
        TestSupport::writeFile(SpriteManager::DEFAULT_IMAGE_NAME, twoColourPng(2, 2, colorWhite, colorWhite));
        DeviceManager::newInstance("quillet_tests", "quillet sprite test", 800, 600, false);
        deviceManager->loopEvent();
        manager = deviceManager->getSpriteManager();
    }

    void TearDown() override
    {
        if (deviceManager == NULL)
            return;
        while (!SpriteManager::getSprites().empty())
            manager->removeSprite(SpriteManager::getSprites().front());
        DeviceManager::deleteInstance();
    }

    Sprite* animated(std::vector<char const*> const& names)
    {
        return manager->createAnimatedSprite(names, 1, false);
    }

    static void expectCorners(AdvancedBox const& box, std::vector<Int2> const& expected)
    {
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(box.corners[i], expected[i]) << "corner " << i;
    }

    std::string folder;
    SpriteManager* manager = NULL;
};
}

// ---------------------------------------------------------------- image bank

TEST_F(SpriteWindow, OneFileIsLoadedOnceAndFreedWithItsLastSprite)
{
    testing::internal::CaptureStdout();
    Sprite* const first = manager->createSprite("wide.png", 1, false);
    Sprite* const second = manager->createSprite("wide.png", 2, false);
    std::string const loading = testing::internal::GetCapturedStdout();
    EXPECT_EQ(loading.find("Loading image 'wide.png'"), loading.rfind("Loading image 'wide.png'")) << loading;
    EXPECT_NE(loading.find("Loading image 'wide.png'"), std::string::npos) << loading;
    EXPECT_EQ(first->getImages()[0], second->getImages()[0]);
    EXPECT_EQ(SpriteManager::getImageUseCount("wide.png"), 2);
    GLuint const texture = GLuint(first->getImages()[0]->getTextureId());

    testing::internal::CaptureStdout();
    manager->removeSprite(first);
    EXPECT_EQ(testing::internal::GetCapturedStdout().find("Freeing image '"), std::string::npos);
    EXPECT_EQ(SpriteManager::getImageUseCount("wide.png"), 1);
    EXPECT_TRUE(glIsTexture(texture));

    testing::internal::CaptureStdout();
    manager->removeSprite(second);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Freeing image 'wide.png'"), std::string::npos);
    EXPECT_EQ(SpriteManager::getImageUseCount("wide.png"), 0);
    EXPECT_FALSE(glIsTexture(texture));

    // Removing a sprite already removed, or releasing an unknown image, does nothing.
    manager->removeSprite(second);
    manager->letImage(NULL);
    EXPECT_TRUE(SpriteManager::getSprites().empty());
}

TEST_F(SpriteWindow, FilesAreSharedByExactNameAndTheDefaultPictureServesNullNames)
{
    Sprite* const plain = manager->createSprite(NULL, 1, false);
    EXPECT_EQ(plain->getImages()[0]->getFileName(), "whiteTexture.png");
    EXPECT_EQ(SpriteManager::getImageUseCount("whiteTexture.png"), 1);
    Sprite* const a = manager->createSprite("wide.png", 1, false);
    Sprite* const b = manager->createSprite("./wide.png", 1, false);
    EXPECT_NE(a->getImages()[0], b->getImages()[0]);
    // Animated sprites count one use per frame.
    Sprite* const frames = animated({"wide.png", "other.png", "wide.png"});
    EXPECT_EQ(SpriteManager::getImageUseCount("wide.png"), 3);
    manager->removeSprite(frames);
    EXPECT_EQ(SpriteManager::getImageUseCount("wide.png"), 1);
    EXPECT_EQ(SpriteManager::getImageUseCount("other.png"), 0);
}

TEST_F(SpriteWindow, AnimationFramesOfDifferentSizesAreRefused)
{
    EXPECT_EXIT(animated({"wide.png", "square.png"}), testing::ExitedWithCode(1),
                "newimage->getWidth\\(\\) == firstImageWidth.*images have different widths for the same sprite");
}

TEST_F(SpriteWindow, ListOrderAndReport)
{
    Sprite* const a = manager->createSprite("wide.png", 1, false);
    Sprite* const b = manager->createSprite("other.png", 1, false);
    Sprite* const c = manager->createSprite("wide.png", 1, false);
    manager->setOnForeground(a);
    EXPECT_EQ(SpriteManager::getSprites(), (std::vector<Sprite*>{b, c, a}));
    manager->setOnBackground(c);
    EXPECT_EQ(SpriteManager::getSprites(), (std::vector<Sprite*>{c, b, a}));
    manager->eraseSpriteEntry(b);
    EXPECT_EQ(SpriteManager::getSprites(), (std::vector<Sprite*>{c, a}));

    a->moveX(-0.25f);
    manager->scrollSprites(Int2(5, 7));
    EXPECT_EQ(a->getPosition(), Int2(4, 7));
    EXPECT_EQ(a->getPositionInPixel(), Float2(0.75f, 0.f));

    std::ostringstream report;
    manager->printInfos(report);
    std::ostringstream expected;
    Image const* const wide = a->getImages()[0];
    Image const* const other = b->getImages()[0];
    expected << "Sprites :\n - Sprite (x=5;y=7;image=" << wide << ")\n - Sprite (x=4.75;y=7;image=" << wide
             << ")\nImages :\n - other.png (" << other << "): used by 1 sprite(s)\n - wide.png (" << wide
             << "): used by 2 sprite(s)\n";
    EXPECT_EQ(report.str(), expected.str());
    // The unlisted sprite is no longer the manager's to remove.
    manager->removeSprite(b);
    EXPECT_EQ(SpriteManager::getImageUseCount("other.png"), 1);
    manager->letImage(b->getImages()[0]);
    delete b;
}

TEST_F(SpriteWindow, ManagerGoingWithSpritesLeftIsAContractFailure)
{
    EXPECT_EXIT(
        {
            manager->createSprite("wide.png", 1, false);
            DeviceManager::deleteInstance();
        },
        testing::ExitedWithCode(1), "sprites.size\\(\\) == 0");
}

// ---------------------------------------------------------------- placement

TEST_F(SpriteWindow, SubPixelMovesCarryWholePixels)
{
    Sprite* const sprite = manager->createSprite("wide.png", 1, false);
    sprite->setPosition(Int2(10, 20));
    // A fraction that rounds to exactly 1 still leaves [0, 1).
    sprite->moveY(-1e-9f);
    EXPECT_EQ(sprite->getPosition().y(), 20);
    EXPECT_EQ(sprite->getPositionInPixel().y(), 0.f);
    sprite->moveX(-0.25f);
    EXPECT_EQ(sprite->getPosition().x(), 9);
    EXPECT_EQ(sprite->getPositionInPixel().x(), 0.75f);
    sprite->moveX(0.5f);
    EXPECT_EQ(sprite->getPosition().x(), 10);
    EXPECT_EQ(sprite->getPositionInPixel().x(), 0.25f);
    sprite->moveY(-2.5f);
    EXPECT_EQ(sprite->getPosition().y(), 17);
    EXPECT_EQ(sprite->getPositionInPixel().y(), 0.5f);
    std::ostringstream text;
    text << *sprite;
    EXPECT_EQ(text.str().substr(0, 20), "Sprite (x=10.25;y=17");
}

TEST_F(SpriteWindow, HotSpotIsThePointPlacedAtThePositionAndTheRotationCentre)
{
    Sprite* const sprite = manager->createSprite("wide.png", 2, false);
    EXPECT_EQ(sprite->getHotSpot(), Int2(32, 16));
    sprite->setPosition(Int2(100, 100));
    expectCorners(sprite->getAdvancedBox(), {Int2(132, 116), Int2(68, 116), Int2(68, 84), Int2(132, 84)});
    sprite->setAngle(90.f);
    expectCorners(sprite->getAdvancedBox(), {Int2(84, 132), Int2(84, 68), Int2(116, 68), Int2(116, 132)});
    // Scaled, the picture's centre still sits at the position.
    sprite->setAngle(0.f);
    sprite->setScale(Float2(0.5f, 0.5f));
    expectCorners(sprite->getAdvancedBox(), {Int2(116, 108), Int2(84, 108), Int2(84, 92), Int2(116, 92)});

    Sprite* const corner = manager->createSprite("wide.png", 3, false);
    EXPECT_EQ(corner->getHotSpot(), Int2(64, 32));
    EXPECT_EQ(manager->createSprite("wide.png", 4, false)->getHotSpot(), Int2(0, 16));
    EXPECT_EQ(manager->createSprite("wide.png", 5, false)->getHotSpot(), Int2(64, 16));
}

TEST_F(SpriteWindow, UnknownHotSpotAlignmentIsFatal)
{
    EXPECT_EXIT(manager->createSprite("wide.png", 6, false), testing::ExitedWithCode(1),
                "Sprite::Sprite : unknown value of hotSpotAlignment");
}

TEST_F(SpriteWindow, SizeFittingAndFixedBoxes)
{
    Sprite* const sprite = manager->createSprite("wide.png", 1, false);
    sprite->setSizeDelimiters(Int2(30, 30));
    EXPECT_EQ(sprite->getScale(), Float2(0.46875f, 0.46875f));
    EXPECT_EQ(sprite->getSize(), Int2(30, 15));

    AdvancedBox fixed;
    fixed.calculate(Int2(0, 0), Int2(5, 5), Int2(0, 0), 0.f, 0, 0);
    sprite->setAdvancedBox(fixed);
    sprite->setSizeDelimiters(Int2(30, 30));
    expectCorners(sprite->getAdvancedBox(), {Int2(30, 15), Int2(0, 15), Int2(0, 0), Int2(30, 0)});
    sprite->setAdvancedBox(fixed);
    EXPECT_EQ(sprite->getAdvancedBox().corners[0], Int2(5, 5));
    sprite->moveX(1.f);
    EXPECT_EQ(sprite->getAdvancedBox().corners[0], Int2(31, 15));
}

// ---------------------------------------------------------------- animation

TEST_F(SpriteWindow, AnimationStepsThroughItsRangeAndWraps)
{
    Sprite* const sprite = animated({"wide.png", "other.png", "wide.png", "other.png"});
    EXPECT_TRUE(sprite->getAnimationRun());
    EXPECT_FALSE(manager->createSprite("wide.png", 1, false)->getAnimationRun());
    sprite->setAnimationRange(2, 3);
    EXPECT_EQ(sprite->getCurrentImageIndex(), 2);
    sprite->setAnimationSpeed(1);
    std::vector<int> seen;
    for (int i = 0; i < 4; ++i)
    {
        usleep(5000);
        sprite->manageAnimation();
        seen.push_back(sprite->getCurrentImageIndex());
    }
    EXPECT_EQ(seen, (std::vector<int>{3, 2, 3, 2}));
    sprite->setAnimationRun(false);
    usleep(5000);
    sprite->manageAnimation();
    EXPECT_EQ(sprite->getCurrentImageIndex(), 2);
    sprite->setAnimationRange(0, 1);
    EXPECT_EQ(sprite->getCurrentImageIndex(), 0);
    sprite->setAnimationRange(0, 3);
    sprite->setAnimationRun(true);
    sprite->setAnimationSpeed(60000);
    sprite->manageAnimation();
    sprite->manageAnimation();
    EXPECT_LE(sprite->getCurrentImageIndex(), 1);
    // The longest period stops the animation rather than racing it.
    sprite->setAnimationSpeed(4294967295u);
    int const shown = sprite->getCurrentImageIndex();
    usleep(2000);
    sprite->manageAnimation();
    EXPECT_EQ(sprite->getCurrentImageIndex(), shown);
}

TEST_F(SpriteWindow, AnimationSettingsOutOfRangeAreFatal)
{
    struct Case
    {
        unsigned first;
        unsigned last;
        char const* text;
    };
    for (Case const& c : {Case{1, 3, "Sprite::setAnimationFirstImageAndLastImage: bad idLastImage value"},
                          Case{2, 1, "Sprite::setAnimationFirstImageAndLastImage: bad values"}})
    {
        EXPECT_EXIT(animated({"wide.png", "other.png", "wide.png"})->setAnimationRange(c.first, c.last),
                    testing::ExitedWithCode(1), c.text);
    }
    EXPECT_EXIT(manager->createSprite("wide.png", 1, false)->setAnimationSpeed(0), testing::ExitedWithCode(1),
                "parPeriodOneFrame != 0");
}

// ---------------------------------------------------------------- drawing for real

TEST_F(SpriteWindow, FlatSpriteAppearsUprightAtItsPlaceAndFlips)
{
    Sprite* const sprite = manager->createSprite("square.png", 1, false);
    Sprite* const columns = manager->createSprite("columns.png", 2, false);
    sprite->setPosition(Int2(100, 200));
    sprite->setScale(Float2(4.f, 4.f)); // 64 x 64 pixels
    columns->setPosition(Int2(400, 300));
    columns->setScale(Float2(4.f, 4.f));
    scene2D->set2DMode();
    deviceManager->clearBackground(colorBlack);
    deviceManager->setColor(colorWhite);
    manager->drawAll();
    // The picture's top rows (red) are at the top of the window.
    EXPECT_EQ(TestSupport::readScenePixelRgb(120, 210), Color4(255, 0, 0, 255));
    EXPECT_EQ(TestSupport::readScenePixelRgb(120, 250), Color4(0, 255, 0, 255));
    EXPECT_EQ(TestSupport::readScenePixelRgb(90, 210), Color4(0, 0, 0, 255));
    EXPECT_EQ(TestSupport::readScenePixelRgb(120, 270), Color4(0, 0, 0, 255));
    // Centred on its hot spot: red left, blue right.
    EXPECT_EQ(TestSupport::readScenePixelRgb(380, 300), Color4(255, 0, 0, 255));
    EXPECT_EQ(TestSupport::readScenePixelRgb(420, 300), Color4(0, 0, 255, 255));

    sprite->setFlipY(true);
    columns->setFlipX(true);
    deviceManager->clearBackground(colorBlack);
    manager->drawAll();
    EXPECT_EQ(TestSupport::readScenePixelRgb(120, 210), Color4(0, 255, 0, 255));
    EXPECT_EQ(TestSupport::readScenePixelRgb(120, 250), Color4(255, 0, 0, 255));
    EXPECT_EQ(TestSupport::readScenePixelRgb(380, 300), Color4(0, 0, 255, 255));
    EXPECT_EQ(TestSupport::readScenePixelRgb(420, 300), Color4(255, 0, 0, 255));
}

// ---------------------------------------------------------------- drawing in the 3-D world

namespace
{
// Window units (y down) with depth, back faces culled, as a caller placing
// sprites in a 3-D view would have them.
void beginWindowUnitView()
{
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 800.0, 600.0, 0.0, -200.0, 200.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glClearColor(0.f, 0.f, 0.f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor4f(1.f, 1.f, 1.f, 1.f);
}
}

TEST_F(SpriteWindow, FaceInTheWorldShowsThePictureUprightAndFacingTheViewer)
{
    Sprite* const sprite = manager->createSprite("square.png", 1, false);
    sprite->setPosition(Int2(100, 200));
    sprite->setScale(Float2(4.f, 4.f));
    beginWindowUnitView();
    sprite->drawAsFaceIn3DWorld();
    EXPECT_EQ(TestSupport::readScenePixelRgb(120, 210), Color4(255, 0, 0, 255));
    EXPECT_EQ(TestSupport::readScenePixelRgb(120, 250), Color4(0, 255, 0, 255));
    EXPECT_EQ(TestSupport::readScenePixelRgb(170, 230), Color4(0, 0, 0, 255));
    sprite->setFlipY(true);
    beginWindowUnitView();
    sprite->drawAsFaceIn3DWorld();
    EXPECT_EQ(TestSupport::readScenePixelRgb(120, 210), Color4(0, 255, 0, 255));
}

// The front shows the sprite's picture; turned towards the viewer, the side
// along the top edge shows the top sprite and the side along the bottom edge
// the bottom sprite.
TEST_F(SpriteWindow, FiveSidedBoxPutsEachPictureOnItsSide)
{
    TestSupport::writeFile("yellow.png", twoColourPng(4, 4, colorYellow, colorYellow));
    TestSupport::writeFile("blue.png", twoColourPng(4, 4, colorBlue, colorBlue));
    Sprite* const front = manager->createSprite("square.png", 1, false);
    Sprite* const top = manager->createSprite("yellow.png", 1, false);
    Sprite* const bottom = manager->createSprite("blue.png", 1, false);
    front->setPosition(Int2(368, 268));
    front->setScale(Float2(4.f, 4.f)); // 64 x 64 around (400, 300)
    struct Case
    {
        float turnAboutX;
        Color4 expected;
    };
    for (Case const& c : {Case{0.f, Color4(255, 0, 0, 255)}, Case{-90.f, colorYellow}, Case{90.f, colorBlue}})
    {
        beginWindowUnitView();
        glTranslatef(400.f, 300.f, 0.f);
        glRotatef(c.turnAboutX, 1.f, 0.f, 0.f);
        glTranslatef(-400.f, -300.f, 0.f);
        front->drawAsCubeIn3DWorld(top, bottom, 32);
        EXPECT_EQ(TestSupport::readScenePixelRgb(400, 290), c.expected) << "turned " << c.turnAboutX;
    }
    // Seen from the front, the lower half is the picture's lower half.
    beginWindowUnitView();
    front->drawAsCubeIn3DWorld(top, bottom, 32);
    EXPECT_EQ(TestSupport::readScenePixelRgb(400, 320), Color4(0, 255, 0, 255));
    EXPECT_EQ(TestSupport::readScenePixelRgb(440, 300), Color4(0, 0, 0, 255));
}

// A cylinder as wide as half the picture's width times two and as tall as the
// picture, about the sprite's position, turned in the window by its angle.
TEST_F(SpriteWindow, CylinderStandsAtThePositionTurnedByTheAngle)
{
    Sprite* const sprite = manager->createSprite("wide.png", 1, false);
    sprite->setPosition(Int2(400, 300));
    sprite->setScale(Float2(2.f, 2.f)); // 128 x 64: diameter 128, height 64
    beginWindowUnitView();
    glDisable(GL_CULL_FACE);
    sprite->drawAsCylinderIn3DWorld(24);
    EXPECT_EQ(TestSupport::readScenePixelRgb(400, 280), Color4(255, 0, 0, 255)); // the picture's top half on top
    EXPECT_EQ(TestSupport::readScenePixelRgb(400, 320), Color4(0, 255, 0, 255));
    EXPECT_NE(TestSupport::readScenePixelRgb(450, 300), Color4(0, 0, 0, 255));
    EXPECT_EQ(TestSupport::readScenePixelRgb(400, 345), Color4(0, 0, 0, 255));
    EXPECT_EQ(TestSupport::readScenePixelRgb(480, 300), Color4(0, 0, 0, 255));

    sprite->setAngle(90.f);
    beginWindowUnitView();
    glDisable(GL_CULL_FACE);
    sprite->drawAsCylinderIn3DWorld(24);
    EXPECT_NE(TestSupport::readScenePixelRgb(400, 350), Color4(0, 0, 0, 255));
    EXPECT_EQ(TestSupport::readScenePixelRgb(450, 300), Color4(0, 0, 0, 255));
}
