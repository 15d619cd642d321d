#include "Animated3DModel.h"
#include "DeviceManager.h"
#include "ObjMesh.h"
#include "ObjMeshReader.h"
#include "ObjModel.h"
#include "SpriteManager.h"
#include "TestPictures.h"
#include "TestSupport.h"

#include <GL/gl.h>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
// An OBJ square of the given half side, flat in z = 0 or (horizontal) in y =
// height; its face numbers its vertices from first.
std::string squareObj(float half, bool horizontal = false, float height = 0.f, int first = 1)
{
    std::string face = "f";
    for (int i = 0; i < 4; ++i)
        face += " " + std::to_string(first + i);
    std::string const h = std::to_string(half);
    std::string const m = std::to_string(-half);
    std::string const y = std::to_string(height);
    if (horizontal)
        return "v " + m + " " + y + " " + m + "\nv " + m + " " + y + " " + h + "\nv " + h + " " + y + " " + h +
               "\nv " + h + " " + y + " " + m + "\n" + face + "\n";
    return "v " + m + " " + m + " 0\nv " + h + " " + m + " 0\nv " + h + " " + h + " 0\nv " + m + " " + h +
           " 0\n" + face + "\n";
}

// Opens the real window for one test; models need its OpenGL context.
class ModelWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DISPLAY();
        DeviceManager::newInstance("quillet_tests", "quillet model test", 800, 600, false);
        folder = TestSupport::makeTemporaryFolder();
    }

    void TearDown() override
    {
        if (deviceManager != NULL)
            DeviceManager::deleteInstance();
    }

    std::string write(std::string const& name, std::string const& text)
    {
        TestSupport::writeFile(folder + "/" + name, text);
        return folder + "/" + name;
    }

    // Draws the model white on black through an orthographic view of
    // [-100, 100] x [-100, 100] and counts the lit pixels.
    static int litPixelsOf(Object3D const& model)
    {
        glViewport(0, 0, 800, 600);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-100.0, 100.0, -100.0, 100.0, -10.0, 10.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glClearColor(0.f, 0.f, 0.f, 1.f);
        glClear(GL_COLOR_BUFFER_BIT);
        glColor4f(1.f, 1.f, 1.f, 1.f);
        model.drawNoPos();
        std::vector<unsigned char> const pixels = TestSupport::readWindowPixels();
        int lit = 0;
        for (size_t i = 0; i < pixels.size(); i += 4)
            lit += pixels[i] > 128 ? 1 : 0;
        return lit;
    }

    std::string folder;
};
}

TEST_F(ModelWindow, SameFileIsLoadedOnceAndSharedByName)
{
    std::string const path = write("square.obj", squareObj(10.f));
    size_t const before = objModelLibrary.size();
    testing::internal::CaptureStdout();
    ObjModel* first = new ObjModel(path, 1.f, 0.f, 0);
    ObjModel* second = new ObjModel(path, 5.f, 0.f, 0); // the scale of a shared load is ignored
    std::string const loading = testing::internal::GetCapturedStdout();
    ASSERT_EQ(before + 1, objModelLibrary.size());
    EXPECT_EQ(first->getLibraryIndex(), second->getLibraryIndex());
    ObjModelLibraryElement const& element = objModelLibrary[first->getLibraryIndex()];
    EXPECT_EQ(2, element.nbUses);
    // Between the two lines of the load, the drawing's warnings: this square has no texture nor material.
    EXPECT_EQ(0u, loading.find("Loading model '" + path + "' ... \n"));
    std::string const end = "...loading model done\nGetting model '" + path + "'\n";
    EXPECT_EQ(loading.size() - end.size(), loading.rfind(end));
    EXPECT_EQ(Float3(10.f, 10.f, 0.f), element.mesh->vertices[3]);

    size_t const index = first->getLibraryIndex();
    testing::internal::CaptureStdout();
    delete second;
    delete first;
    std::string const unloading = testing::internal::GetCapturedStdout();
    EXPECT_EQ("Ungetting model '" + path + "'\nUnloading model " + path + " ...\n... unloading model done\n", unloading);
    EXPECT_EQ("", objModelLibrary[index].fileName);
    EXPECT_EQ(NULL, objModelLibrary[index].mesh);

    // The emptied element is never found again: a new load appends.
    testing::internal::CaptureStdout();
    ObjModel again(path, 1.f, 0.f, 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(index + 1, again.getLibraryIndex());
}

TEST_F(ModelWindow, CollisionWeldMakesASmallModelUnhittableButItStillDrawsWhole)
{
    std::string const path = write("floor.obj", squareObj(50.f, true) + squareObj(50.f, false, 0.f, 5));
    testing::internal::CaptureStdout();
    ObjModel exact(path, 1.f, 0.f, 0);
    std::string const otherPath = write("floor2.obj", squareObj(50.f, true) + squareObj(50.f, false, 0.f, 5));
    ObjModel welded(otherPath, 1.f, 0.f, 1000);
    testing::internal::GetCapturedStdout();

    Float3 out;
    EXPECT_TRUE(exact.isThere3DIntersection(Float3(0.f, 5.f, 7.f), Float3(0.f, -5.f, 7.f), out));
    EXPECT_NEAR(0.f, out.y(), 1e-5f);
    EXPECT_FALSE(welded.isThere3DIntersection(Float3(0.f, 5.f, 7.f), Float3(0.f, -5.f, 7.f), out));
    EXPECT_EQ(1u, objModelLibrary[welded.getLibraryIndex()].mesh->getNumVertices());

    // The upright square covers half of each axis of the view: a quarter of the window.
    int const expected = 400 * 300;
    EXPECT_NEAR(expected, litPixelsOf(exact), 1000);
    EXPECT_NEAR(expected, litPixelsOf(welded), 1000);
}

TEST_F(ModelWindow, MaterialTextureIsLoadedDrawnAndGivenBack)
{
    write("red.tga", TestPictures::plainTga(Color4(255, 0, 0, 255)));
    write("green.tga", TestPictures::plainTga(Color4(0, 255, 0, 255)));
    write("paint.mtl", "newmtl paint\nmap_Kd green.tga\nmap_Ka -s 2 2 1 red.tga\n");
    std::string const path = write("painted.obj", "mtllib paint.mtl\n" + squareObj(50.f, false, 0.f, 1) +
                                                      "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nusemtl paint\n"
                                                      "f 1/1 2/2 3/3 4/4\n");
    testing::internal::CaptureStdout();
    ObjModel* model = new ObjModel(path, 1.f, 0.f, 1000);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(1, SpriteManager::getImageUseCount(folder + "/red.tga"));
    EXPECT_EQ(0, SpriteManager::getImageUseCount(folder + "/green.tga")); // map_Ka won

    litPixelsOf(*model);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glClear(GL_COLOR_BUFFER_BIT);
    model->drawNoPos();
    Color4 const pixel = TestSupport::readPixel(400, 300);
    EXPECT_GT(pixel[0], 200);
    EXPECT_LT(pixel[1], 50);

    testing::internal::CaptureStdout();
    delete model;
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(0, SpriteManager::getImageUseCount(folder + "/red.tga"));
}

TEST(ObjModelFile, MissingTextureIsFatalAtTheLineThatNamesIt)
{
    REQUIRE_DISPLAY();
    std::string const folder = TestSupport::makeTemporaryFolder();
    TestSupport::writeFile(folder + "/m.mtl", "newmtl m\nmap_Kd nothing.tga\n");
    TestSupport::writeFile(folder + "/m.obj", "mtllib m.mtl\n" + squareObj(1.f));
    TestSupport::ChildResult const result = TestSupport::runInChild([&folder] {
        DeviceManager::newInstance("quillet_tests", "missing texture", 320, 240, false);
        ObjModel model(folder + "/m.obj", 1.f, 0.f, 0);
    });
    EXPECT_EQ(1, result.exitStatus);
    EXPECT_NE(std::string::npos, result.errors.find("Message: '" + folder + "/m.mtl' line 2: texture file '" + folder +
                                                    "/nothing.tga' does not exist"));
}

TEST_F(ModelWindow, ScaleAppliesToWhatIsDrawn)
{
    std::string const path = write("scaled.obj", squareObj(25.f));
    testing::internal::CaptureStdout();
    ObjModel doubled(path, 2.f, 0.5f, 1000);
    testing::internal::GetCapturedStdout();
    EXPECT_NEAR(400 * 300, litPixelsOf(doubled), 1000);
}

TEST_F(ModelWindow, AnimationPlaysBackwardThroughItsFramesByDefault)
{
    std::vector<std::string> const files = {write("f0.obj", squareObj(10.f)), write("f1.obj", squareObj(20.f)),
                                            write("f2.obj", squareObj(30.f))};
    testing::internal::CaptureStdout();
    Animated3DModel model(files, 1.f);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(3u, model.getNbFrames());
    EXPECT_EQ(500, model.getFramePeriod());
    EXPECT_FALSE(model.isForward());
    EXPECT_TRUE(model.isRunning());

    std::vector<unsigned> shown = {model.getCurrentFrame()};
    int now = 1;
    for (int i = 0; i < 3; ++i, now += 501)
    {
        model.advanceAnimation(now);
        model.advanceAnimation(now + 500); // not yet past the next change
        shown.push_back(model.getCurrentFrame());
    }
    EXPECT_EQ(std::vector<unsigned>({0, 2, 1, 0}), shown);

    model.setForward(true);
    model.advanceAnimation(now += 501);
    EXPECT_EQ(1u, model.getCurrentFrame());
    model.setRunning(false);
    model.advanceAnimation(now += 501);
    EXPECT_EQ(1u, model.getCurrentFrame());

    // The drawn frame is the current one.
    EXPECT_NEAR(160 * 120, litPixelsOf(model.getFrame(1)), 500);
    EXPECT_NEAR(160 * 120, litPixelsOf(model), 500);
}

TEST_F(ModelWindow, AnimationRangeKeepsTheFramesWithinIt)
{
    std::vector<std::string> files;
    for (int i = 0; i < 4; ++i)
        files.push_back(write("r" + std::to_string(i) + ".obj", squareObj(10.f)));
    testing::internal::CaptureStdout();
    Animated3DModel model(files, 1.f);
    testing::internal::GetCapturedStdout();
    model.setAnimationMinAndMaxIds(1, 2); // frame 0 is outside: it becomes 1
    EXPECT_EQ(1u, model.getCurrentFrame());
    model.setForward(true);
    int now = 1;
    std::vector<unsigned> shown;
    for (int i = 0; i < 4; ++i, now += 501)
    {
        model.advanceAnimation(now);
        shown.push_back(model.getCurrentFrame());
    }
    EXPECT_EQ(std::vector<unsigned>({2, 1, 2, 1}), shown);
    model.setAnimationFrame(2);
    EXPECT_EQ(2u, model.getCurrentFrame());
}

TEST(Animated3DModelChecks, FramesOutsideTheModelAreFatal)
{
    REQUIRE_DISPLAY();
    std::string const folder = TestSupport::makeTemporaryFolder();
    std::vector<std::string> files;
    for (int i = 0; i < 3; ++i)
    {
        files.push_back(folder + "/c" + std::to_string(i) + ".obj");
        TestSupport::writeFile(files.back(), squareObj(10.f));
    }
    struct Case
    {
        std::function<void(Animated3DModel&)> call;
        std::string condition;
    };
    Case const cases[] = {
        {[](Animated3DModel& m) { m.setAnimationFrame(3); }, "idFrame <= maxId"},
        {[](Animated3DModel& m) { m.setAnimationMinAndMaxIds(0, 3); }, "idFrameMax < frames.size()"},
        {[](Animated3DModel& m) { m.setAnimationMinAndMaxIds(1, 1); }, "idFrameMin < idFrameMax && idFrameMin >= 0"},
        {[](Animated3DModel& m) {
             m.setAnimationMinAndMaxIds(0, 1);
             m.setAnimationFrame(2);
         },
         "idFrame <= maxId"},
    };
    for (Case const& c : cases)
    {
        // The window is opened in the child: a child must not share the parent's X connection.
        TestSupport::ChildResult const result = TestSupport::runInChild([&files, &c] {
            DeviceManager::newInstance("quillet_tests", "model checks", 320, 240, false);
            Animated3DModel model(files, 1.f);
            c.call(model);
        });
        EXPECT_EQ(1, result.exitStatus) << c.condition;
        EXPECT_NE(std::string::npos, result.errors.find("Condition: " + c.condition + "\n")) << c.condition;
    }
}

TEST_F(ModelWindow, AnimationCollidesWithItsCurrentFrame)
{
    // Large enough for the collision weld of 1000 to keep the corners apart.
    std::vector<std::string> const files = {write("low.obj", squareObj(5000.f, true, 0.f)),
                                            write("high.obj", squareObj(5000.f, true, 100.f))};
    testing::internal::CaptureStdout();
    Animated3DModel model(files, 1.f);
    testing::internal::GetCapturedStdout();
    Float3 out;
    ASSERT_TRUE(model.isThere3DIntersection(Float3(0.f, 500.f, 0.f), Float3(0.f, -500.f, 0.f), out));
    EXPECT_NEAR(0.f, out.y(), 1e-3f);
    model.setAnimationFrame(1);
    ASSERT_TRUE(model.isThere3DIntersection(Float3(0.f, 500.f, 0.f), Float3(0.f, -500.f, 0.f), out));
    EXPECT_NEAR(100.f, out.y(), 1e-3f);
}

// Bad files end the program with a report naming the file and the line.
TEST(ObjModelFile, BadFilesAreFatalWithFileAndLine)
{
    std::string const folder = TestSupport::makeTemporaryFolder();
    std::string const bad = folder + "/bad.obj";
    TestSupport::writeFile(bad, "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4\n");
    TestSupport::ChildResult const index = TestSupport::runInChild([&bad] { glmReadOBJ(bad); });
    EXPECT_EQ(1, index.exitStatus);
    EXPECT_NE(std::string::npos,
              index.errors.find("Message: '" + bad + "' line 4: index 4 is outside the 3 vertices of the file"));

    std::string const token = folder + "/token.obj";
    TestSupport::writeFile(token, "# fine\nvq 1 2 3\n");
    TestSupport::ChildResult const unknown = TestSupport::runInChild([&token] { glmReadOBJ(token); });
    EXPECT_EQ(1, unknown.exitStatus);
    EXPECT_NE(std::string::npos,
              unknown.errors.find("Message: '" + token + "' line 2: glmFirstPass(): Unknown token \"vq\"."));

    TestSupport::ChildResult const missing = TestSupport::runInChild([&folder] { glmReadOBJ(folder + "/none.obj"); });
    EXPECT_EQ(1, missing.exitStatus);
    EXPECT_NE(std::string::npos, missing.errors.find("Condition: file\nMessage: glmReadOBJ() failed: can't open data "
                                                     "file:" + folder + "/none.obj"));

    std::string const noLibrary = folder + "/nolib.obj";
    TestSupport::writeFile(noLibrary, "mtllib gone.mtl\n");
    TestSupport::ChildResult const library = TestSupport::runInChild([&noLibrary] { glmReadOBJ(noLibrary); });
    EXPECT_EQ(1, library.exitStatus);
    EXPECT_NE(std::string::npos, library.errors.find("Condition: file\nMessage: glmReadMTL() failed: can't open "
                                                     "material file \"" + folder + "/gone.mtl\"."));

    TestSupport::ChildResult const emptyName = TestSupport::runInChild([] { ObjModel model("", 1.f, 0.f, 0); });
    EXPECT_NE(std::string::npos, emptyName.errors.find("Condition: parFilename != \"\""));
    TestSupport::ChildResult const welds = TestSupport::runInChild([&bad] { ObjModel model(bad, 1.f, 2.f, 1); });
    EXPECT_NE(std::string::npos, welds.errors.find("Condition: parCollisionMeshWeld >= parMeshWeld"));
}
