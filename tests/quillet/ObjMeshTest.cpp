#include "DeviceManager.h"
#include "ObjMesh.h"
#include "ObjMeshReader.h"
#include "TestSupport.h"

#include <GL/gl.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace
{
// A mesh made of the given corners (three per triangle), each its own vertex
// unless the same position is given twice (then the same vertex is reused).
ObjMesh* meshOf(std::vector<Float3> const& corners, bool shareEqualCorners = true)
{
    ObjMesh* mesh = new ObjMesh();
    for (size_t i = 0; i < corners.size(); i += 3)
    {
        ObjMesh::Triangle triangle;
        for (int k = 0; k < 3; ++k)
        {
            unsigned index = 0;
            for (size_t v = 1; shareEqualCorners && v < mesh->vertices.size() && index == 0; ++v)
                if (mesh->vertices[v] == corners[i + k])
                    index = static_cast<unsigned>(v);
            if (index == 0)
            {
                mesh->vertices.push_back(corners[i + k]);
                index = static_cast<unsigned>(mesh->vertices.size() - 1);
            }
            triangle.vindices[k] = index;
        }
        mesh->groups[0].triangles.push_back(static_cast<unsigned>(mesh->triangles.size()));
        mesh->triangles.push_back(triangle);
    }
    glmFacetNormals(*mesh);
    return mesh;
}

// A horizontal triangle in y = 0 covering the origin.
ObjMesh* floorTriangle()
{
    return meshOf({Float3(-10.f, 0.f, -10.f), Float3(0.f, 0.f, 10.f), Float3(10.f, 0.f, -10.f)});
}

void expectNear(Float3 const& expected, Float3 const& actual)
{
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(expected[i], actual[i], 1e-5f) << "component " << i;
}

// The weld as first written: every vertex compared with every kept one.
void quadraticWeld(ObjMesh& model, float epsilon)
{
    std::vector<Float3> kept(1);
    std::vector<unsigned> renumbered(model.vertices.size(), 0);
    for (size_t i = 1; i < model.vertices.size(); ++i)
    {
        Float3 const& v = model.vertices[i];
        for (size_t k = 1; k < kept.size() && renumbered[i] == 0; ++k)
            if (std::fabs(v.x() - kept[k].x()) <= epsilon && std::fabs(v.y() - kept[k].y()) <= epsilon &&
                std::fabs(v.z() - kept[k].z()) <= epsilon)
                renumbered[i] = static_cast<unsigned>(k);
        if (renumbered[i] == 0)
        {
            renumbered[i] = static_cast<unsigned>(kept.size());
            kept.push_back(v);
        }
    }
    for (ObjMesh::Triangle& triangle : model.triangles)
        for (unsigned& vindex : triangle.vindices)
            vindex = renumbered[vindex];
    model.vertices = kept;
}
}

TEST(ObjMesh, FacetNormalsAreUnitAndFollowTheWinding)
{
    ObjMesh* mesh = meshOf({Float3(0.f, 0.f, 0.f), Float3(3.f, 0.f, 0.f), Float3(0.f, 3.f, 0.f),
                            Float3(0.f, 0.f, 0.f), Float3(0.f, 3.f, 0.f), Float3(3.f, 0.f, 0.f),
                            Float3(0.f, 0.f, 0.f), Float3(1.f, 1.f, 1.f), Float3(2.f, 2.f, 2.f)});
    ASSERT_TRUE(mesh->facetnorms);
    std::vector<Float3> const& normals = *mesh->facetnorms;
    expectNear(Float3(0.f, 0.f, 1.f), normals[mesh->triangles[0].findex]);
    expectNear(Float3(0.f, 0.f, -1.f), normals[mesh->triangles[1].findex]);
    // A triangle without area has no direction rather than NaN.
    EXPECT_EQ(Float3(0.f, 0.f, 0.f), normals[mesh->triangles[2].findex]);
    glmDelete(mesh);
}

TEST(ObjMesh, VertexNormalsSmoothShallowFoldsButKeepRightAnglesSharp)
{
    // A roof: two slopes meeting at a shallow ridge, plus a wall at a right
    // angle to the first slope, all sharing the ridge vertex (0, 1, 0).
    Float3 const ridge(0.f, 1.f, 0.f);
    ObjMesh* mesh = meshOf({ridge, Float3(-4.f, 0.f, -1.f), Float3(-4.f, 0.f, 1.f), // slope facing up-left
                            ridge, Float3(4.f, 0.f, 1.f), Float3(4.f, 0.f, -1.f),   // slope facing up-right
                            ridge, Float3(0.f, 5.f, 0.f), Float3(0.f, 1.f, 5.f)});  // wall facing +x
    glmVertexNormals(*mesh, 90.f);
    std::vector<Float3> const& facets = *mesh->facetnorms;
    Float3 const& left = facets[1];
    Float3 const& wall = facets[3];
    ASSERT_LT(left.x() * wall.x() + left.y() * wall.y() + left.z() * wall.z(), 0.f);
    // At the ridge the two slopes share their average, straight up.
    unsigned const shared = mesh->triangles[0].nindices[0];
    EXPECT_EQ(shared, mesh->triangles[1].nindices[0]);
    expectNear(Float3(0.f, 1.f, 0.f), mesh->normals[shared]);
    // The wall, turned more than a right angle from the first slope, keeps its own.
    EXPECT_NE(shared, mesh->triangles[2].nindices[0]);
    expectNear(wall, mesh->normals[mesh->triangles[2].nindices[0]]);
    // A corner used by one triangle only gets that triangle's normal.
    expectNear(left, mesh->normals[mesh->triangles[0].nindices[1]]);
    glmDelete(mesh);
}

TEST(ObjMesh, VertexNormalsOfACubeCornerStayFacetNormals)
{
    // Three faces meeting at exactly right angles: nothing is smoothed.
    Float3 const corner(0.f, 0.f, 0.f);
    ObjMesh* mesh = meshOf({corner, Float3(1.f, 0.f, 0.f), Float3(0.f, 1.f, 0.f), corner, Float3(0.f, 1.f, 0.f),
                            Float3(0.f, 0.f, 1.f), corner, Float3(0.f, 0.f, 1.f), Float3(1.f, 0.f, 0.f)});
    mesh->vertices.push_back(Float3(9.f, 9.f, 9.f)); // used by no triangle
    testing::internal::CaptureStderr();
    glmVertexNormals(*mesh, 90.f);
    EXPECT_EQ("glmVertexNormals(): vertex w/o a triangle\n", testing::internal::GetCapturedStderr());
    for (ObjMesh::Triangle const& triangle : mesh->triangles)
        expectNear((*mesh->facetnorms)[triangle.findex], mesh->normals[triangle.nindices[0]]);
    glmDelete(mesh);
}

TEST(ObjMesh, WeldGivesExactlyTheVerticesAndTrianglesOfTheFullComparison)
{
    std::mt19937 random(12345);
    float const epsilons[] = {0.f, 0.001f, 0.25f, 1.f, 3.f, 1000.f};
    for (float const epsilon : epsilons)
        for (int round = 0; round < 4; ++round)
        {
            // Clusters of near vertices, exact repeats, signed zeros, borders
            // exactly epsilon apart, and a few very large coordinates.
            std::uniform_real_distribution<float> spread(-20.f, 20.f);
            std::uniform_int_distribution<int> pick(0, 9);
            std::vector<Float3> corners;
            for (int i = 0; i < 600; ++i)
            {
                Float3 v(spread(random), spread(random), spread(random));
                int const kind = pick(random);
                if (kind < 3 && !corners.empty())
                    v = corners[random() % corners.size()] + Float3(0.f, epsilon * (kind - 1), 0.f);
                else if (kind == 3 && !corners.empty())
                    v = corners[random() % corners.size()];
                else if (kind == 4)
                    v = Float3(round % 2 ? -0.f : 0.f, 0.f, 0.f);
                else if (kind == 5)
                    v = Float3(1e30f * (round + 1), -3e37f, 5.f);
                else if (kind == 6)
                    v = Float3(std::floor(v.x()), std::floor(v.y()), 0.5f) * (epsilon > 0.f ? epsilon : 1.f);
                corners.push_back(v);
            }
            while (corners.size() % 3 != 0)
                corners.pop_back();
            ObjMesh* fast = meshOf(corners, false);
            ObjMesh* reference = meshOf(corners, false);
            glmWeld(*fast, epsilon);
            quadraticWeld(*reference, epsilon);
            ASSERT_EQ(reference->vertices.size(), fast->vertices.size()) << "epsilon " << epsilon;
            for (size_t v = 1; v < fast->vertices.size(); ++v)
                ASSERT_EQ(reference->vertices[v], fast->vertices[v]) << "epsilon " << epsilon << " vertex " << v;
            for (size_t t = 0; t < fast->triangles.size(); ++t)
                for (int k = 0; k < 3; ++k)
                    ASSERT_EQ(reference->triangles[t].vindices[k], fast->triangles[t].vindices[k]);
            glmDelete(fast);
            glmDelete(reference);
        }
}

TEST(ObjMesh, WeldBorderIsInclusiveAndMergesIntoTheFirstKeptVertex)
{
    ObjMesh* mesh = meshOf({Float3(0.f, 0.f, 0.f), Float3(0.5f, 0.f, 0.f), Float3(1.f, 0.f, 0.f),
                            Float3(1.5f, 0.f, 0.f), Float3(-0.5f, 0.f, 0.f), Float3(9.f, 0.f, 0.f)});
    glmWeld(*mesh, 0.5f);
    // 0.5 joins 0; 1 is 1 away from 0 (0.5 was not kept) so stays; 1.5 joins 1;
    // -0.5 joins 0, the first kept vertex within reach.
    ASSERT_EQ(3u, mesh->getNumVertices());
    EXPECT_EQ(Float3(1.f, 0.f, 0.f), mesh->vertices[2]);
    EXPECT_EQ(Float3(9.f, 0.f, 0.f), mesh->vertices[3]);
    EXPECT_EQ(1u, mesh->triangles[0].vindices[1]);
    EXPECT_EQ(2u, mesh->triangles[0].vindices[2]);
    EXPECT_EQ(2u, mesh->triangles[1].vindices[0]);
    EXPECT_EQ(1u, mesh->triangles[1].vindices[1]);
    EXPECT_EQ(3u, mesh->triangles[1].vindices[2]);
    glmWeld(*mesh, -1.f); // nothing is within a negative distance
    EXPECT_EQ(3u, mesh->getNumVertices());
    glmDelete(mesh);
}

TEST(ObjMesh, SegmentThroughATriangleHitsWhereItCrossesThePlane)
{
    ObjMesh* mesh = floorTriangle();
    Float3 out(7.f, 7.f, 7.f);
    EXPECT_TRUE(mesh->findFirstSegmentHit(Float3(0.f, 5.f, 0.f), Float3(0.f, -5.f, 0.f), out));
    expectNear(Float3(0.f, 0.f, 0.f), out);
    EXPECT_TRUE(mesh->findFirstSegmentHit(Float3(1.f, 4.f, 2.f), Float3(3.f, -4.f, 2.f), out));
    expectNear(Float3(2.f, 0.f, 2.f), out);
    // Shifted outside the outline, the same segment misses.
    out = Float3(7.f, 7.f, 7.f);
    EXPECT_FALSE(mesh->findFirstSegmentHit(Float3(20.f, 5.f, 0.f), Float3(20.f, -5.f, 0.f), out));
    EXPECT_EQ(Float3(7.f, 7.f, 7.f), out);
    // Over an edge counts as inside.
    EXPECT_TRUE(mesh->findFirstSegmentHit(Float3(0.f, 5.f, -10.f), Float3(0.f, -5.f, -10.f), out));
    glmDelete(mesh);
}

TEST(ObjMesh, SegmentEndingWithinOneUnitOfThePlaneTouches)
{
    ObjMesh* mesh = floorTriangle();
    Float3 out;
    // Both ends above the plane, the lower one less than a unit above it.
    EXPECT_TRUE(mesh->findFirstSegmentHit(Float3(0.f, 0.5f, 0.f), Float3(0.f, 0.2f, 0.f), out));
    expectNear(Float3(0.f, 0.f, 0.f), out);
    EXPECT_TRUE(mesh->findFirstSegmentHit(Float3(0.f, -0.9f, 0.f), Float3(0.f, -3.f, 0.f), out));
    // Both a unit or more away on one side: clear.
    EXPECT_FALSE(mesh->findFirstSegmentHit(Float3(0.f, 5.f, 0.f), Float3(0.f, 1.f, 0.f), out));
    EXPECT_FALSE(mesh->findFirstSegmentHit(Float3(0.f, -1.f, 0.f), Float3(0.f, -5.f, 0.f), out));
    // Parallel to the plane never hits, even lying in it.
    EXPECT_FALSE(mesh->findFirstSegmentHit(Float3(-1.f, 0.5f, 0.f), Float3(1.f, 0.5f, 0.f), out));
    EXPECT_FALSE(mesh->findFirstSegmentHit(Float3(-1.f, 0.f, 0.f), Float3(1.f, 0.f, 0.f), out));
    EXPECT_FALSE(mesh->findFirstSegmentHit(Float3(0.f, 0.f, 0.f), Float3(0.f, 0.f, 0.f), out));
    glmDelete(mesh);
}

TEST(ObjMesh, SegmentTestUsesAPlaneWhereTheTriangleHasArea)
{
    // Vertical walls: flat in (x, y) for the first, in (x, y) and (x, z) for the second.
    ObjMesh* mesh = meshOf({Float3(-5.f, -5.f, 3.f), Float3(5.f, -5.f, 3.f), Float3(0.f, 5.f, 3.f),
                            Float3(8.f, -5.f, -5.f), Float3(8.f, 5.f, -5.f), Float3(8.f, 0.f, 5.f)});
    Float3 out;
    EXPECT_TRUE(mesh->findFirstSegmentHit(Float3(0.f, 0.f, 0.f), Float3(0.f, 0.f, 9.f), out));
    expectNear(Float3(0.f, 0.f, 3.f), out);
    EXPECT_TRUE(mesh->findFirstSegmentHit(Float3(6.f, 0.f, 0.f), Float3(12.f, 0.f, 0.f), out));
    expectNear(Float3(8.f, 0.f, 0.f), out);
    EXPECT_FALSE(mesh->findFirstSegmentHit(Float3(6.f, 9.f, 0.f), Float3(12.f, 9.f, 0.f), out));
    glmDelete(mesh);
}

TEST(ObjMesh, FirstTriangleInOrderGivesTheHit)
{
    ObjMesh* mesh = meshOf({Float3(-10.f, -2.f, -10.f), Float3(0.f, -2.f, 10.f), Float3(10.f, -2.f, -10.f),
                            Float3(-10.f, 2.f, -10.f), Float3(0.f, 2.f, 10.f), Float3(10.f, 2.f, -10.f)});
    Float3 out;
    EXPECT_TRUE(mesh->findFirstSegmentHit(Float3(0.f, 5.f, 0.f), Float3(0.f, -5.f, 0.f), out));
    expectNear(Float3(0.f, -2.f, 0.f), out);
    glmDelete(mesh);
}

TEST(ObjMesh, CoarseWeldLeavesASmallModelOnlyDegenerateTriangles)
{
    ObjMesh* mesh = meshOf({Float3(-10.f, 0.f, -10.f), Float3(0.f, 0.f, 10.f), Float3(10.f, 0.f, -10.f),
                            Float3(-10.f, 5.f, -10.f), Float3(0.f, 9.f, 10.f), Float3(10.f, 5.f, -10.f)});
    Float3 out;
    ASSERT_TRUE(mesh->findFirstSegmentHit(Float3(0.f, 20.f, 0.f), Float3(0.f, -20.f, 0.f), out));
    glmWeld(*mesh, 1000.f);
    ASSERT_EQ(1u, mesh->getNumVertices());
    EXPECT_EQ(Float3(-10.f, 0.f, -10.f), mesh->vertices[1]);
    EXPECT_FALSE(mesh->findFirstSegmentHit(Float3(0.f, 20.f, 0.f), Float3(0.f, -20.f, 0.f), out));
    glmDelete(mesh);
}

// ---------------------------------------------------------------- drawing (window)

namespace
{
// A mesh read from OBJ text with one material library.
ObjMesh* readMesh(std::string const& obj, std::string const& mtl)
{
    ObjMesh* mesh = new ObjMesh();
    mesh->pathname = "drawn.obj";
    ObjMeshReader reader("", [&mtl](std::string const&, std::string& text) {
        text = mtl;
        return true;
    });
    EXPECT_TRUE(reader.readObj(obj, *mesh)) << reader.getError();
    return mesh;
}

// Two triangles filling [-1, 1] x [-1, 1], the left one in group "left" with
// material a, the right one in group "right" with material b.
std::string const twoGroups = "mtllib m.mtl\nv -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\nvt 0.25 0.5\nvt 1 1\nvt 0 1\n"
                              "g left\nusemtl a\nf 1/1 3/2 4/3\ng right\nusemtl b\nf 1/1 2/2 3/3\n";
std::string const twoMaterials = "newmtl a\nKd 1 0 0\nNs 500\nmap_Kd -s 2 3 1 a.png\nnewmtl b\nKd 0 0 1\n";

class MeshDrawWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DISPLAY();
        DeviceManager::newInstance("quillet_tests", "quillet mesh draw test", 800, 600, false);
        glViewport(0, 0, 800, 600);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-2.0, 2.0, -2.0, 2.0, -1.0, 1.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    }

    void TearDown() override
    {
        if (deviceManager != NULL)
            DeviceManager::deleteInstance();
    }

    static std::string warningsOf(ObjMesh const& mesh, unsigned mode)
    {
        testing::internal::CaptureStdout();
        glmDraw(mesh, mode);
        // Drawing left pending would be carried out by the driver's own exit handlers, too late.
        glFinish();
        fflush(stdout);
        return testing::internal::GetCapturedStdout();
    }
};
}

TEST_F(MeshDrawWindow, FeaturesTheMeshLacksAreDroppedWithTheirWarnings)
{
    ObjMesh* bare = readMesh("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", "");
    EXPECT_EQ("glmDraw() warning: flat render mode requested with no facet normals defined.\n"
              "glmDraw() warning: smooth render mode requested with no normals defined.\n"
              "glmDraw() warning: texture render mode requested with no texture coordinates defined.\n"
              "glmDraw() warning: color render mode requested with no materials defined.\n"
              "glmDraw() warning: material render mode requested with no materials defined.\n",
              warningsOf(*bare, GLM_FLAT | GLM_SMOOTH | GLM_TEXTURE | GLM_COLOR | GLM_MATERIAL));
    glmDelete(bare);

    ObjMesh* full = readMesh(twoGroups, twoMaterials);
    glmFacetNormals(*full);
    glmVertexNormals(*full, 90.f);
    EXPECT_EQ("glmDraw() warning: flat render mode requested and smooth render mode requested (using smooth).\n",
              warningsOf(*full, GLM_FLAT | GLM_SMOOTH));
    EXPECT_EQ("glmDraw() warning: color and material render mode requested using only material mode.\n",
              warningsOf(*full, GLM_COLOR | GLM_MATERIAL));
    EXPECT_EQ("", warningsOf(*full, GLM_SMOOTH | GLM_TEXTURE | GLM_MATERIAL));
    glmDelete(full);
}

TEST_F(MeshDrawWindow, ColourModeDrawsEachGroupInItsDiffuseColourAndMaterialModeStopsTracking)
{
    ObjMesh* mesh = readMesh(twoGroups, twoMaterials);
    glClearColor(0.f, 0.f, 0.f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor4f(1.f, 1.f, 1.f, 1.f);
    glDisable(GL_COLOR_MATERIAL);
    glmDraw(*mesh, GLM_COLOR);
    EXPECT_EQ(Color4(255, 0, 0, 255), TestSupport::readPixelRgb(300, 350)); // upper left: group "left", material a
    EXPECT_EQ(Color4(0, 0, 255, 255), TestSupport::readPixelRgb(500, 250)); // lower right: material b
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));

    glmDraw(*mesh, GLM_MATERIAL);
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
    // The last group's material is the one left set, on both faces.
    float diffuse[4] = {};
    glGetMaterialfv(GL_BACK, GL_DIFFUSE, diffuse);
    EXPECT_EQ(0.f, diffuse[0]);
    EXPECT_EQ(1.f, diffuse[2]);
    float shininess = 0.f;
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_FLOAT_EQ(65.f, shininess);
    glmDelete(mesh);
}

// Read back through OpenGL's feedback mode: the texture coordinates each
// corner was drawn with.
TEST_F(MeshDrawWindow, TextureCoordinatesAreScaledByTheGroupsMaterial)
{
    ObjMesh* mesh = readMesh(twoGroups, twoMaterials);
    std::vector<float> feedback(256, -1.f);
    glFeedbackBuffer(GLsizei(feedback.size()), GL_3D_COLOR_TEXTURE, feedback.data());
    glRenderMode(GL_FEEDBACK);
    glmDraw(*mesh, GLM_TEXTURE);
    GLint const values = glRenderMode(GL_RENDER);
    // Per triangle: the polygon token, the count 3, then 3 x (x y z, r g b a, s t r q).
    ASSERT_EQ(2 * (2 + 3 * 11), values);
    auto texCoord = [&feedback](int triangle, int corner) {
        size_t const at = size_t(triangle * 35 + 2 + corner * 11 + 7);
        return Float2(feedback[at], feedback[at + 1]);
    };
    EXPECT_EQ(float(GL_POLYGON_TOKEN), feedback[0]);
    // Material a repeats its picture 2 x 3; material b keeps the coordinates.
    EXPECT_EQ(Float2(0.5f, 1.5f), texCoord(0, 0));
    EXPECT_EQ(Float2(2.f, 3.f), texCoord(0, 1));
    EXPECT_EQ(Float2(0.f, 3.f), texCoord(0, 2));
    EXPECT_EQ(Float2(0.25f, 0.5f), texCoord(1, 0));
    EXPECT_EQ(Float2(1.f, 1.f), texCoord(1, 1));
    glmDelete(mesh);
}
