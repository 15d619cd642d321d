#include "ObjMeshReader.h"

#include <gtest/gtest.h>
#include <map>
#include <string>

namespace
{
// Reads an OBJ text whose material libraries come from the given map of
// "folder/name" -> text; the reader's fault, if any, goes to error.
struct ReadResult
{
    bool ok = false;
    std::string error;
};

ReadResult readObj(std::string const& text, ObjMesh& mesh, std::map<std::string, std::string> const& libraries = {})
{
    mesh.pathname = "models/thing.obj";
    ObjMeshReader reader("models/", [&libraries](std::string const& path, std::string& libraryText) {
        auto const found = libraries.find(path);
        if (found == libraries.end())
            return false;
        libraryText = found->second;
        return true;
    });
    ReadResult result;
    result.ok = reader.readObj(text, mesh);
    result.error = reader.getError();
    return result;
}

std::string const square = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";

void expectTriangle(ObjMesh const& mesh, size_t index, unsigned a, unsigned b, unsigned c)
{
    ASSERT_LT(index, mesh.triangles.size());
    EXPECT_EQ(a, mesh.triangles[index].vindices[0]);
    EXPECT_EQ(b, mesh.triangles[index].vindices[1]);
    EXPECT_EQ(c, mesh.triangles[index].vindices[2]);
}
}

TEST(ObjMeshReader, FacesBecomeFansAroundTheirFirstCorner)
{
    ObjMesh mesh;
    ASSERT_TRUE(readObj(square + "v 0.5 2 0\nf 1 2 3 4\nf 1 2 3 4 5\n", mesh).ok);
    ASSERT_EQ(5u, mesh.triangles.size());
    expectTriangle(mesh, 0, 1, 2, 3);
    expectTriangle(mesh, 1, 1, 3, 4);
    expectTriangle(mesh, 2, 1, 2, 3);
    expectTriangle(mesh, 3, 1, 3, 4);
    expectTriangle(mesh, 4, 1, 4, 5);
    EXPECT_EQ(5u, mesh.getNumVertices());
    EXPECT_EQ(Float3(0.5f, 2.f, 0.f), mesh.vertices[5]);
}

TEST(ObjMeshReader, CornerFormsKeepTheirIndices)
{
    ObjMesh mesh;
    std::string const text = square + "vt 0 0\nvt 1 0\nvt 1 1\nvn 0 0 1\nvn 0 0 -1\n"
                                      "f 1/1/2 2/2/1 3/3/2\nf 2//1 3//2 4//1\nf 1/3 2/2 4/1\n"
                                      "# a comment, then unsupported statements\ns 1\no thing\n";
    ASSERT_TRUE(readObj(text, mesh).ok);
    ASSERT_EQ(3u, mesh.triangles.size());
    ObjMesh::Triangle const& full = mesh.triangles[0];
    EXPECT_EQ(2u, full.nindices[0]);
    EXPECT_EQ(1u, full.nindices[1]);
    EXPECT_EQ(3u, full.tindices[2]);
    ObjMesh::Triangle const& normalOnly = mesh.triangles[1];
    EXPECT_EQ(2u, normalOnly.nindices[1]);
    EXPECT_EQ(0u, normalOnly.tindices[1]);
    ObjMesh::Triangle const& texcoordOnly = mesh.triangles[2];
    EXPECT_EQ(3u, texcoordOnly.tindices[0]);
    EXPECT_EQ(0u, texcoordOnly.nindices[0]);
    EXPECT_EQ(Float2(1.f, 1.f), mesh.texcoords[3]);
    EXPECT_EQ(Float3(0.f, 0.f, -1.f), mesh.normals[2]);
}

TEST(ObjMeshReader, FacesMayNameVerticesGivenLater)
{
    ObjMesh mesh;
    ASSERT_TRUE(readObj("f 1 2 3\r\n" + square, mesh).ok);
    expectTriangle(mesh, 0, 1, 2, 3);
}

TEST(ObjMeshReader, GroupsCollectTheirTrianglesAndMaterials)
{
    std::map<std::string, std::string> const libraries = {
        {"models/colours.mtl", "newmtl red\nKd 1 0 0\nnewmtl blue\nKd 0 0 1\n"}};
    ObjMesh mesh;
    std::string const text = "mtllib colours.mtl\n" + square +
                             "f 1 2 3\ng roof\nusemtl blue\nf 1 3 4\ng walls\nusemtl red\nf 2 3 4\ng roof\nf 1 2 4\n";
    ASSERT_TRUE(readObj(text, mesh, libraries).ok);
    ASSERT_EQ(3u, mesh.groups.size());
    EXPECT_EQ("default", mesh.groups[0].name);
    EXPECT_EQ(std::vector<unsigned>({0}), mesh.groups[0].triangles);
    EXPECT_EQ(0u, mesh.groups[0].material);
    EXPECT_EQ(1, glmFindGroup(mesh, "roof"));
    EXPECT_EQ(std::vector<unsigned>({1, 3}), mesh.groups[1].triangles);
    EXPECT_EQ("blue", mesh.materials[mesh.groups[1].material].name);
    EXPECT_EQ("red", mesh.materials[mesh.groups[2].material].name);
    EXPECT_EQ(-1, glmFindGroup(mesh, "floor"));
    EXPECT_EQ("colours.mtl", mesh.mtllibname);
}

TEST(ObjMeshReader, UnknownMaterialFallsBackToTheFirst)
{
    ObjMesh mesh;
    testing::internal::CaptureStderr();
    ReadResult const result = readObj("mtllib m.mtl\nusemtl gold\n", mesh, {{"models/m.mtl", "newmtl red\n"}});
    std::string const errors = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(0u, mesh.groups[0].material);
    EXPECT_EQ("glmFindMaterial():  can't find material \"gold\".\n", errors);
}

TEST(ObjMeshReader, MaterialsTakeDefaultsColoursAndShininess)
{
    ObjMesh mesh;
    std::string const library = "Kd 0.5 0.5 0.5\n"
                                "newmtl plain\n"
                                "newmtl shiny\nNs 500\nKa 0.1 0.2 0.3\nKs 1 1 1\n# Kd 9 9 9\nillum 2\n";
    ASSERT_TRUE(readObj("mtllib a.mtl\n", mesh, {{"models/a.mtl", library}}).ok);
    ASSERT_EQ(3u, mesh.materials.size());
    EXPECT_EQ("default", mesh.materials[0].name);
    EXPECT_FLOAT_EQ(0.5f, mesh.materials[0].diffuse[0]); // before any newmtl: "default"
    ObjMesh::Material const& plain = mesh.materials[1];
    EXPECT_FLOAT_EQ(0.8f, plain.diffuse[1]);
    EXPECT_FLOAT_EQ(0.2f, plain.ambient[2]);
    EXPECT_FLOAT_EQ(0.f, plain.specular[0]);
    EXPECT_FLOAT_EQ(1.f, plain.specular[3]);
    EXPECT_FLOAT_EQ(65.f, plain.shininess);
    EXPECT_EQ(Float3(1.f, 1.f, 1.f), plain.textureScale);
    EXPECT_TRUE(plain.textureFile.empty());
    ObjMesh::Material const& shiny = mesh.materials[2];
    EXPECT_FLOAT_EQ(64.f, shiny.shininess);
    EXPECT_FLOAT_EQ(0.3f, shiny.ambient[2]);
    EXPECT_FLOAT_EQ(1.f, shiny.ambient[3]);
    EXPECT_FLOAT_EQ(1.f, shiny.specular[1]);
    EXPECT_FLOAT_EQ(0.8f, shiny.diffuse[0]);
}

TEST(ObjMeshReader, MapKaWinsOverOtherMapsWhateverTheOrder)
{
    std::string const library = "newmtl kdFirst\nmap_Kd a.png\nmap_Ka b.png\nmap_Kd c.png\n"
                                "newmtl kaFirst\nmap_Ka -s 2 3 1 b.png\nmap_Kd a.png\n"
                                "newmtl onlyKd\nmap_Kd -s 2 2 2 a.png\nmap_Kd my picture.png\n";
    ObjMesh mesh;
    ASSERT_TRUE(readObj("mtllib a.mtl\n", mesh, {{"models/a.mtl", library}}).ok);
    ASSERT_EQ(4u, mesh.materials.size());
    EXPECT_EQ("models/b.png", mesh.materials[1].textureFile);
    EXPECT_TRUE(mesh.materials[1].textureFromMapKa);
    EXPECT_EQ("models/b.png", mesh.materials[2].textureFile);
    EXPECT_EQ(Float3(2.f, 3.f, 1.f), mesh.materials[2].textureScale);
    EXPECT_EQ("'models/a.mtl' line 6", mesh.materials[2].textureOrigin);
    // The later line replaces the earlier one, scale included.
    EXPECT_EQ("models/my picture.png", mesh.materials[3].textureFile);
    EXPECT_EQ(Float3(1.f, 1.f, 1.f), mesh.materials[3].textureScale);
    EXPECT_FALSE(mesh.materials[3].textureFromMapKa);
}

TEST(ObjMeshReader, SecondLibraryAddsItsMaterialsAfterTheFirst)
{
    ObjMesh mesh;
    ASSERT_TRUE(
        readObj("mtllib a.mtl b.mtl\n", mesh, {{"models/a.mtl", "newmtl one\n"}, {"models/b.mtl", "newmtl two\n"}}).ok);
    ASSERT_EQ(3u, mesh.materials.size());
    EXPECT_EQ("one", mesh.materials[1].name);
    EXPECT_EQ("two", mesh.materials[2].name);
}

TEST(ObjMeshReader, WithoutLibraryThereAreNoMaterials)
{
    ObjMesh mesh;
    ASSERT_TRUE(readObj(square + "f 1 2 3\n", mesh).ok);
    EXPECT_TRUE(mesh.materials.empty());
}

// Every fault names the file and the line, and the reader stops at the first.
TEST(ObjMeshReader, BadObjInputIsReportedWithFileAndLine)
{
    std::string const head = square + "vt 0 0\nvn 0 0 1\n"; // 6 lines
    struct Case
    {
        std::string lastLine;
        std::string expected;
    };
    std::string const longLine(ObjMeshReader::MAX_LINE_LENGTH + 1, ' ');
    std::string const longName(ObjMeshReader::MAX_NAME_LENGTH + 1, 'g');
    Case const cases[] = {
        {"f 0 1 2", "index 0 is outside the 4 vertices of the file"},
        {"f -1 1 2", "index -1 is outside the 4 vertices of the file"},
        {"f 1 2 5", "index 5 is outside the 4 vertices of the file"},
        {"f 1//2 2//1 3//1", "index 2 is outside the 1 normals of the file"},
        {"f 1/2 2/1 3/1", "index 2 is outside the 1 texture coordinates of the file"},
        {"f 99999999999999999999 1 2", "not an index: \"99999999999999999999\""},
        {"f 1.5 2 3", "not an index: \"1.5\""},
        {"f 1 2", "a face needs at least 3 corners, this one has 2"},
        {"f", "a face needs at least 3 corners, this one has 0"},
        {"f 1/1 2 3", "face corner \"2\" is not written like the first corner \"1/1\""},
        {"f 1/ 2/ 3/", "bad face corner \"1/\""},
        {"f 1/1/1/1 2 3", "bad face corner \"1/1/1/1\""},
        {"v 1 x 3", "not a number: \"x\""},
        {"v 1 2", "v needs 3 numbers"},
        {"vt 1", "vt needs 2 numbers"},
        {"vn 1 nan 0", "not a number: \"nan\""},
        {"v 1e40 0 0", "not a number: \"1e40\""},
        {"vx 1 2 3", "glmFirstPass(): Unknown token \"vx\"."},
        {"vp 1 2 3", "glmFirstPass(): Unknown token \"vp\"."},
        {longLine, "line longer than 16384 characters"},
        {std::string("f 1 2\0 3", 8), "zero byte in a text line"},
        {"g " + longName, "group name longer than 1024"},
        {"usemtl", "usemtl names no material"},
        {"mtllib", "mtllib names no material library"},
        {"mtllib missing.mtl", "glmReadMTL() failed: can't open material file \"models/missing.mtl\"."},
    };
    for (Case const& c : cases)
    {
        ObjMesh mesh;
        ReadResult const result = readObj(head + c.lastLine + "\nf 1 2 3\n", mesh);
        EXPECT_FALSE(result.ok) << c.lastLine;
        EXPECT_EQ("'models/thing.obj' line 7: " + c.expected, result.error) << c.lastLine.substr(0, 40);
    }
}

TEST(ObjMeshReader, BadMtlInputIsReportedWithFileAndLine)
{
    struct Case
    {
        std::string line;
        std::string expected;
    };
    Case const cases[] = {
        {"Ns high", "Ns needs a number"},
        {"Kd 1 1", "Kd needs 3 numbers"},
        {"Ks 1 1 inf", "not a number: \"inf\""},
        {"map_Kd", "map_Kd names no texture file"},
        {"map_Kd -s 1 1", "-s needs 3 numbers"},
        {"map_Kd -s 1 1 x.png", "not a number: \"x.png\""},
        {"map_Kd -s 1 a 1 x.png", "not a number: \"a\""},
        {"map_Kd -s 1 1 1", "map_Kd names no texture file"},
        {"newmtl", "newmtl names no material"},
        {"newmtl " + std::string(ObjMeshReader::MAX_NAME_LENGTH + 1, 'm'), "material name longer than 1024"},
        {"map_Kd " + std::string(ObjMeshReader::MAX_NAME_LENGTH + 1, 'p'), "texture file name longer than 1024"},
    };
    for (Case const& c : cases)
    {
        ObjMesh mesh;
        ReadResult const result = readObj("mtllib a.mtl\n", mesh, {{"models/a.mtl", "newmtl m\n" + c.line + "\n"}});
        EXPECT_FALSE(result.ok) << c.line;
        EXPECT_EQ("'models/a.mtl' line 2: " + c.expected, result.error) << c.line.substr(0, 40);
    }
}
