#include "DeviceManager.h"
#include "EnhancedVBO.h"
#include "Scene3D.h"
#include "TestSupport.h"
#include "VBO.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <vector>

namespace
{
Float2 const TEX_COORDS[4] = {Float2(0.f, 0.f), Float2(1.f, 0.f), Float2(1.f, 1.f), Float2(0.f, 1.f)};

// A square of side 2·half in the plane z, facing +z.
void addSquare(EnhancedVBO& vbo, float half, float z, int texture)
{
    Float3 const corners[4] = {Float3(-half, -half, z), Float3(half, -half, z), Float3(half, half, z),
                               Float3(-half, half, z)};
    vbo.addQuad(corners, TEX_COORDS, texture);
}

void addTriangle(EnhancedVBO& vbo, int texture)
{
    Float3 const corners[3] = {Float3(0.f, 0.f, 0.f), Float3(1.f, 0.f, 0.f), Float3(1.f, 1.f, 0.f)};
    vbo.addTriangle(corners, TEX_COORDS, texture);
}

struct Batch
{
    int texture;
    bool quads;
    int nbVertices;
};

std::vector<Batch> batchesOf(EnhancedVBO const& vbo)
{
    std::vector<Batch> batches;
    for (VBO const* buffer : vbo.getVBOs())
        batches.push_back(Batch{buffer->getTexture(), buffer->isQuads(), buffer->getNbVertices()});
    return batches;
}
}

TEST(VertexBufferSupport, ExtensionIsFoundOnlyAsAWholeWord)
{
    EXPECT_TRUE(VBO::extensionStringHasVertexBuffers("GL_ARB_vertex_buffer_object"));
    EXPECT_TRUE(VBO::extensionStringHasVertexBuffers("GL_A GL_ARB_vertex_buffer_object GL_B"));
    EXPECT_TRUE(VBO::extensionStringHasVertexBuffers("GL_ARB_vertex_buffer_object_x GL_ARB_vertex_buffer_object"));
    EXPECT_FALSE(VBO::extensionStringHasVertexBuffers("GL_ARB_vertex_buffer_object_x"));
    EXPECT_FALSE(VBO::extensionStringHasVertexBuffers("XGL_ARB_vertex_buffer_object"));
    EXPECT_FALSE(VBO::extensionStringHasVertexBuffers(""));
    EXPECT_FALSE(VBO::extensionStringHasVertexBuffers(NULL));
}

// Without a window there is no vertex-buffer support: the batching is still
// worked out, and drawing or destroying does nothing and fails nothing.
TEST(EnhancedVBO, OpaqueTexturesInAscendingIdThenThoseDisplayedAtLast)
{
    ASSERT_FALSE(isExtensionSupport);
    EnhancedVBO vbo;
    addSquare(vbo, 1.f, 0.f, 7);
    addSquare(vbo, 1.f, 0.f, 3);
    addTriangle(vbo, 5);
    vbo.setTextureDisplayedAtLast(3);
    std::pair<int, int> const result = vbo.finalize();
    EXPECT_EQ(result, std::make_pair(3, 11));
    std::vector<Batch> const batches = batchesOf(vbo);
    ASSERT_EQ(batches.size(), 3u);
    EXPECT_EQ(batches[0].texture, 5);
    EXPECT_FALSE(batches[0].quads);
    EXPECT_EQ(batches[1].texture, 7);
    EXPECT_TRUE(batches[1].quads);
    EXPECT_EQ(batches[2].texture, 3);
    EXPECT_TRUE(batches[2].quads);
    VBO::resetDrawCallCount();
    vbo.draw();
    EXPECT_EQ(VBO::getDrawCallCount(), 0);
}

TEST(EnhancedVBO, TranslucentTexturesComeBetweenOpaqueOnesAndThoseDisplayedAtLast)
{
    EnhancedVBO vbo;
    addSquare(vbo, 1.f, 0.f, 9);
    addSquare(vbo, 1.f, 0.f, 2);
    addSquare(vbo, 1.f, 0.f, 4);
    addTriangle(vbo, 6);
    vbo.setTextureTranslucent(2);
    vbo.setTextureDisplayedAtLast(6);
    // Displayed at last wins over translucent.
    vbo.setTextureTranslucent(6);
    EXPECT_EQ(vbo.finalize(), std::make_pair(4, 15));
    std::vector<int> textures;
    for (Batch const& batch : batchesOf(vbo))
        textures.push_back(batch.texture);
    EXPECT_EQ(textures, (std::vector<int>{4, 9, 2, 6}));
}

TEST(EnhancedVBO, QuadsAndTrianglesOfOneTextureMakeTwoBuffers)
{
    EnhancedVBO vbo;
    addTriangle(vbo, 2);
    addSquare(vbo, 1.f, 0.f, 2);
    addSquare(vbo, 1.f, 1.f, 2);
    addTriangle(vbo, 2);
    EXPECT_EQ(vbo.finalize(), std::make_pair(2, 14));
    std::vector<Batch> const batches = batchesOf(vbo);
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_TRUE(batches[0].quads);
    EXPECT_EQ(batches[0].nbVertices, 8);
    EXPECT_FALSE(batches[1].quads);
    EXPECT_EQ(batches[1].nbVertices, 6);
}

TEST(EnhancedVBO, EmptyOneFinalisesToNothing)
{
    EnhancedVBO vbo;
    EXPECT_EQ(vbo.finalize(), std::make_pair(0, 0));
    vbo.draw();
    // A texture only marked, with no geometry, makes no buffer either.
    EnhancedVBO marked;
    marked.setTextureDisplayedAtLast(4);
    EXPECT_EQ(marked.finalize(), std::make_pair(0, 0));
}

TEST(EnhancedVBO, FinalisingTwiceIsRefused)
{
    TestSupport::ChildResult const result = TestSupport::runInChild([] {
        EnhancedVBO vbo;
        addTriangle(vbo, 1);
        vbo.finalize();
        vbo.finalize();
    });
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.errors.find("already built"), std::string::npos) << result.errors;
}

// ---------------------------------------------------------------- with the window's vertex buffers

namespace
{
class VertexBufferWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DISPLAY();
        DeviceManager::newInstance("quillet_tests", "quillet vertex buffer test", 800, 600, false);
        deviceManager->loopEvent();
        ASSERT_TRUE(isExtensionSupport);
    }

    void TearDown() override
    {
        if (deviceManager != NULL)
            DeviceManager::deleteInstance();
    }

    int solidTexture(Color4 const& color)
    {
        std::vector<unsigned char> pixels;
        for (int i = 0; i < 4 * 4; ++i)
            pixels.insert(pixels.end(), {color[0], color[1], color[2], color[3]});
        return deviceManager->loadTexture(4, 4, pixels.data(), true);
    }
};
}

TEST_F(VertexBufferWindow, BufferDrawsItsTexturedGeometryWhereExpected)
{
    int const green = solidTexture(Color4(0, 255, 0, 255));
    int const red = solidTexture(Color4(255, 0, 0, 255));
    EnhancedVBO vbo;
    addSquare(vbo, 5.f, 0.f, green);
    // A red square further back, to the left of the green one.
    Float3 const left[4] = {Float3(-30.f, -5.f, -10.f), Float3(-10.f, -5.f, -10.f), Float3(-10.f, 5.f, -10.f),
                            Float3(-30.f, 5.f, -10.f)};
    vbo.addQuad(left, TEX_COORDS, red);
    EXPECT_EQ(vbo.finalize(), std::make_pair(2, 8));

    Scene3D* const scene = deviceManager->getScene3D();
    scene->getCamera().setPosition(Float3(0.f, 0.f, 30.f));
    scene->updateCamera();
    deviceManager->clearBackground(colorBlack);
    deviceManager->setColor(colorWhite);
    scene->setPosition(Float3(0.f, 0.f, 0.f));
    vbo.draw();
    Color4 const middle = TestSupport::readPixel(400, 300);
    EXPECT_EQ(middle[0], 0);
    EXPECT_EQ(middle[1], 255);
    EXPECT_EQ(middle[2], 0);
    // x = -20 at depth 40: about 20 / (40 · tan 55°) of the half width to the left.
    Color4 const side = TestSupport::readPixel(400 - int(300 * 20 / (40 * 1.428f)), 300);
    EXPECT_EQ(side[0], 255);
    EXPECT_EQ(side[1], 0);
    Color4 const corner = TestSupport::readPixel(5, 5);
    EXPECT_EQ(corner[0] + corner[1] + corner[2], 0);
    // Client arrays are left off for the immediate-mode drawing that follows.
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
}

// Geometry collected before the window (and its vertex-buffer support)
// existed holds no buffer, and is skipped rather than drawn from address 0.
TEST(VertexBufferSupport, BuffersMadeBeforeTheSupportWasFoundAreNotDrawn)
{
    REQUIRE_DISPLAY();
    EnhancedVBO early;
    addSquare(early, 5.f, 0.f, 1);
    early.finalize();
    DeviceManager::newInstance("quillet_tests", "quillet vertex buffer test", 800, 600, false);
    deviceManager->loopEvent();
    ASSERT_TRUE(isExtensionSupport);
    deviceManager->getScene3D()->updateCamera();
    VBO::resetDrawCallCount();
    early.draw();
    EXPECT_EQ(VBO::getDrawCallCount(), 0);
    DeviceManager::deleteInstance();
}

// One region's worth of static geometry costs one draw call per texture and primitive kind.
TEST_F(VertexBufferWindow, RegionGeometryIsDrawnWithOneCallPerTextureAndKind)
{
    EnhancedVBO vbo;
    for (int i = 0; i < 20000; ++i)
        addSquare(vbo, 1.f, float(i % 100), 1 + i % 8);
    for (int i = 0; i < 5000; ++i)
        addTriangle(vbo, 100);
    vbo.setTextureDisplayedAtLast(100);
    vbo.setTextureTranslucent(8);
    EXPECT_EQ(vbo.finalize(), std::make_pair(9, 20000 * 4 + 5000 * 3));
    deviceManager->getScene3D()->updateCamera();
    VBO::resetDrawCallCount();
    vbo.draw();
    EXPECT_EQ(VBO::getDrawCallCount(), 9);
    // Each layer draws its own buffers only.
    int const expectedCalls[EnhancedVBO::NB_LAYERS] = {7, 1, 1};
    for (int layer = 0; layer < EnhancedVBO::NB_LAYERS; ++layer)
    {
        VBO::resetDrawCallCount();
        vbo.drawLayer(EnhancedVBO::Layer(layer));
        EXPECT_EQ(VBO::getDrawCallCount(), expectedCalls[layer]) << "layer " << layer;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(vbo.getVBOs().back()->getTexture(), 100);
}
