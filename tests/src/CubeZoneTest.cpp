#include "CubeTypeManager.h"
#include "CubeZone.h"
#include "DeviceManager.h"
#include "EnhancedVBO.h"
#include "RecordReader.h"
#include "RecordWriter.h"
#include "TestSupport.h"
#include "WorldTestSupport.h"

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>

namespace
{
bool const NO_REPEAT[3] = {false, false, false};

std::string saveZone(CubeZone const& zone)
{
    FILE* file = std::tmpfile();
    RecordWriter writer(file);
    zone.saveToFile(writer);
    std::string bytes(size_t(std::ftell(file)), '\0');
    std::rewind(file);
    EXPECT_EQ(bytes.size(), std::fread(&bytes[0], 1, bytes.size(), file));
    std::fclose(file);
    return bytes;
}

CubeZone loadZone(std::string const& bytes)
{
    FILE* file = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
    RecordReader reader(file, "zone.dat");
    CubeZone zone(reader);
    std::fclose(file);
    return zone;
}

int32_t int32At(std::string const& bytes, size_t offset)
{
    int32_t value = 0;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

// A zone whose -y face is wholly in shadow and whose +y face has one shadow triangle.
CubeZone shadowedZone()
{
    CubeZone zone(Float3(5.f, 5.f, 5.f), Float3(10.f, 10.f, 10.f), 0);
    std::vector<Float3> triangles[6];
    triangles[3] = {Float3(-5.f, 5.f, -5.f), Float3(5.f, 5.f, -5.f), Float3(-5.f, 5.f, 5.f)};
    bool inShadow[6] = {false, false, true, false, false, false};
    zone.setShadows(triangles, inShadow);
    return zone;
}

// Counts of a zone's geometry once put into a finalized buffer: (buffers, vertices).
std::pair<int, int> fillAndFinalize(CubeZone const& zone)
{
    EnhancedVBO vbo;
    zone.fillEnhancedVBO(vbo);
    return vbo.finalize();
}
}

TEST(CubeZone, WhollyShadowedFaceIsWrittenAsMinusOneAndReadBackAsAFlagWithNoTriangles)
{
    std::string const bytes = saveZone(shadowedZone());
    // 32 bytes of position, size, id and reserved, then the counts: -x, +x, -y (-1), +y (3 vertices).
    EXPECT_EQ(32u + 6 * 4 + 3 * 12, bytes.size());
    EXPECT_EQ(0, int32At(bytes, 32));
    EXPECT_EQ(-1, int32At(bytes, 40));
    EXPECT_EQ(3, int32At(bytes, 44));
    CubeZone const loaded = loadZone(bytes);
    EXPECT_TRUE(loaded.getIsFaceInShadow(2));
    EXPECT_TRUE(loaded.getShadowTriangles(2).empty());
    EXPECT_FALSE(loaded.getIsFaceInShadow(3));
    ASSERT_EQ(3u, loaded.getShadowTriangles(3).size());
    EXPECT_EQ(Float3(5.f, 5.f, -5.f), loaded.getShadowTriangles(3)[1]);
    EXPECT_EQ(bytes, saveZone(loaded));
}

TEST(CubeZone, DamagedRecordsEndWithAReportNamingTheFile)
{
    std::string const bytes = saveZone(shadowedZone());
    // Ends inside the position, the id, a shadow count and the shadow vertices.
    for (size_t length : {size_t(0), size_t(10), size_t(26), size_t(42), bytes.size() - 1})
    {
        TestSupport::ChildResult const result = TestSupport::runInChild([&] { loadZone(bytes.substr(0, length)); });
        ASSERT_EQ(1, result.exitStatus) << length;
        ASSERT_NE(std::string::npos, result.errors.find("File 'zone.dat' is truncated")) << result.errors;
    }
    std::string negativeId = bytes;
    int32_t const minusTwo = -2;
    std::memcpy(&negativeId[24], &minusTwo, 4);
    TestSupport::ChildResult const negative = TestSupport::runInChild([&] { loadZone(negativeId); });
    EXPECT_EQ(1, negative.exitStatus);
    EXPECT_NE(std::string::npos, negative.errors.find("negative cube type id -2")) << negative.errors;
    std::string hugeCount = bytes;
    int32_t const huge = 0x7fffffff;
    std::memcpy(&hugeCount[44], &huge, 4);
    TestSupport::ChildResult const absurd = TestSupport::runInChild([&] { loadZone(hugeCount); });
    EXPECT_EQ(1, absurd.exitStatus);
    EXPECT_NE(std::string::npos, absurd.errors.find("'zone.dat' is truncated or corrupt")) << absurd.errors;
}

TEST(CubeZone, PointQueryIncludesBoundsAndOnlyCollidableTypesCollide)
{
    REQUIRE_DISPLAY();
    std::vector<std::string> const names = WorldTestSupport::sixNames("z");
    WorldTestSupport::enterWorldFolderWithWindow(names);
    {
        CubeTypeManager manager;
        manager.addCubeType(names.data(), NO_REPEAT, true);
        manager.addCubeType(names.data(), NO_REPEAT, false);
        CubeZone const solid(Float3(5.f, 5.f, 5.f), Float3(10.f, 10.f, 10.f), 0);
        EXPECT_TRUE(solid.isThere3DIntersectionPoint(Float3(0.f, 0.f, 0.f)));
        EXPECT_TRUE(solid.isThere3DIntersectionPoint(Float3(10.f, 10.f, 10.f)));
        EXPECT_FALSE(solid.isThere3DIntersectionPoint(Float3(10.001f, 5.f, 5.f)));
        EXPECT_FALSE(solid.isThere3DIntersectionPoint(Float3(5.f, -0.001f, 5.f)));
        CubeZone const ghost(Float3(5.f, 5.f, 5.f), Float3(10.f, 10.f, 10.f), 1);
        EXPECT_FALSE(ghost.isThere3DIntersectionPoint(Float3(5.f, 5.f, 5.f)));

        // A zone left behind by removing the last type stays harmless.
        CubeZone const orphan(Float3(5.f, 5.f, 5.f), Float3(10.f, 10.f, 10.f), 2);
        Float3 hit;
        EXPECT_FALSE(orphan.isThere3DIntersectionPoint(Float3(5.f, 5.f, 5.f)));
        EXPECT_FALSE(orphan.isThere3DIntersection(Float3(50.f, 5.f, 5.f), Float3(-50.f, 5.f, 5.f), hit));
        EXPECT_EQ(std::make_pair(0, 0), fillAndFinalize(orphan));
        EXPECT_FALSE(orphan.manage());
    }
    DeviceManager::deleteInstance();
}

TEST(CubeZone, SegmentQueryWalksFromToTowardFromAndAlwaysEnds)
{
    REQUIRE_DISPLAY();
    std::vector<std::string> const names = WorldTestSupport::sixNames("z");
    WorldTestSupport::enterWorldFolderWithWindow(names);
    {
        CubeTypeManager manager;
        manager.addCubeType(names.data(), NO_REPEAT, true);
        CubeZone const zone(Float3(5.f, 5.f, 5.f), Float3(10.f, 10.f, 10.f), 0);
        Float3 hit;
        EXPECT_FALSE(zone.isThere3DIntersection(Float3(5.f, 5.f, 5.f), Float3(5.f, 5.f, 5.f), hit));
        // Only a from.x greater than to.x can hit.
        EXPECT_FALSE(zone.isThere3DIntersection(Float3(-20.f, 5.f, 5.f), Float3(30.f, 5.f, 5.f), hit));
        ASSERT_TRUE(zone.isThere3DIntersection(Float3(30.f, 5.f, 5.f), Float3(-20.5f, 5.f, 5.f), hit));
        EXPECT_FLOAT_EQ(0.5f, hit.x());
        // Samples stop at `from`: a segment ending before the zone misses it.
        EXPECT_FALSE(zone.isThere3DIntersection(Float3(-1.5f, 5.f, 5.f), Float3(-20.f, 5.f, 5.f), hit));
        // A very long segment that passes beside the zone ends at once.
        EXPECT_FALSE(zone.isThere3DIntersection(Float3(1e30f, 50.f, 5.f), Float3(-1e30f, 50.f, 5.f), hit));
    }
    DeviceManager::deleteInstance();
}

TEST(CubeZone, BufferHoldsSixQuadsAndLiftedShadowTrianglesOnlyWhenShadowsAreEnabled)
{
    REQUIRE_DISPLAY();
    std::vector<std::string> const names(6, "same.png");
    WorldTestSupport::enterWorldFolderWithWindow({"same.png"});
    {
        CubeTypeManager manager;
        manager.addCubeType(names.data(), NO_REPEAT, true);
        CubeZone const zone = shadowedZone();
        // Texture, shadowed texture (one face) and shadow texture: three buffers.
        EXPECT_EQ(std::make_pair(3, 24 + 3), fillAndFinalize(zone));
        CubeZone::enableShadows = false;
        EXPECT_EQ(std::make_pair(2, 24), fillAndFinalize(zone));
        CubeZone::enableShadows = true;
        EXPECT_TRUE(manager.getCubeType(0)->getIsLoaded());
    }
    DeviceManager::deleteInstance();
}

TEST(CubeZone, TexturesRepeatOncePerCubeOnEveryAxisWithVFlipped)
{
    CubeZone const zone(Float3(100.f, 5.f, 50.f), Float3(30.f, 10.f, 20.f), 0);
    Float3 vertices[24];
    Float2 texCoords[24];
    zone.getFacesGeometry(vertices, texCoords);
    // Per face: the largest u and the smallest v (v runs from 1 down to 1 - repeat).
    auto extent = [&](int face) {
        float maxU = -1e9f;
        float minV = 1e9f;
        for (int corner = 4 * face; corner < 4 * face + 4; ++corner)
        {
            maxU = std::max(maxU, texCoords[corner].x());
            minV = std::min(minV, texCoords[corner].y());
        }
        return Float2(maxU, minV);
    };
    EXPECT_EQ(Float2(3.f, -1.f), extent(0)); // top: x and z
    EXPECT_EQ(Float2(3.f, 0.f), extent(2));  // front: x and y
    EXPECT_EQ(Float2(2.f, 0.f), extent(4));  // left: z and y
    // Corners are in world units: the top face lies at y = 10, the right face at x = 115.
    for (int corner = 0; corner < 4; ++corner)
    {
        EXPECT_EQ(10.f, vertices[corner].y());
        EXPECT_EQ(115.f, vertices[20 + corner].x());
    }
}
