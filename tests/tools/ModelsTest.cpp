#include "GeneratedData.h"
#include "Sounds.h"
#include "WavFile.h"

#include <cmath>
#include <gtest/gtest.h>
#include <sstream>

namespace
{
// What a model file holds, read with the statements the engine understands.
struct Model
{
    std::vector<Float3> vertices;
    std::vector<Float2> texCoords;
    std::vector<std::vector<int>> faces; // 0-based vertex indices
    std::string materialFile;
    std::vector<std::string> problems;
};

Model readModel(std::string const& relativePath)
{
    Model model;
    std::istringstream in(TestSupport::readFile(GeneratedData::path(relativePath)));
    std::string line;
    while (std::getline(in, line))
    {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        if (kind == "v")
        {
            float x = 0, y = 0, z = 0;
            words >> x >> y >> z;
            model.vertices.push_back(Float3(x, y, z));
        }
        else if (kind == "vt")
        {
            float u = 0, v = 0;
            words >> u >> v;
            model.texCoords.push_back(Float2(u, v));
        }
        else if (kind == "f")
        {
            std::vector<int> face;
            std::string corner;
            while (words >> corner)
            {
                int vertex = 0, texCoord = 0;
                char slash = 0;
                std::istringstream(corner) >> vertex >> slash >> texCoord;
                if (vertex < 1 || vertex > int(model.vertices.size()) || texCoord < 1 ||
                    texCoord > int(model.texCoords.size()))
                    model.problems.push_back("corner out of range: " + line);
                face.push_back(vertex - 1);
            }
            if (face.size() < 3)
                model.problems.push_back("face with fewer than 3 corners: " + line);
            model.faces.push_back(face);
        }
        else if (kind == "mtllib")
            words >> model.materialFile;
        else if (kind != "#" && kind != "g" && kind != "usemtl" && !kind.empty())
            model.problems.push_back("statement the engine does not read: " + line);
    }
    return model;
}

// Volume enclosed by the faces, positive when every face winds counter-
// clockwise seen from outside (the engine's facet normals then point out).
float enclosedVolume(Model const& model)
{
    float volume = 0.0f;
    for (std::vector<int> const& face : model.faces)
        for (size_t i = 1; i + 1 < face.size(); ++i)
        {
            Float3 const& a = model.vertices[face[0]];
            Float3 const& b = model.vertices[face[i]];
            Float3 const& c = model.vertices[face[i + 1]];
            volume += (a.x() * (b.y() * c.z() - b.z() * c.y()) - a.y() * (b.x() * c.z() - b.z() * c.x()) +
                       a.z() * (b.x() * c.y() - b.y() * c.x())) / 6.0f;
        }
    return volume;
}

// Sum of |volume| of every face's own contribution: equal to the enclosed
// volume only when no part is turned inside out.
float unsignedVolume(Model const& model)
{
    float volume = 0.0f;
    for (std::vector<int> const& face : model.faces)
    {
        Model single;
        single.vertices = model.vertices;
        single.faces = {face};
        volume += enclosedVolume(single);
    }
    return volume;
}

Float3 lowCorner(Model const& m)
{
    Float3 low = m.vertices.front();
    for (Float3 const& v : m.vertices)
        for (int c = 0; c < 3; ++c)
            low[c] = std::min(low[c], v[c]);
    return low;
}

Float3 highCorner(Model const& m)
{
    Float3 high = m.vertices.front();
    for (Float3 const& v : m.vertices)
        for (int c = 0; c < 3; ++c)
            high[c] = std::max(high[c], v[c]);
    return high;
}

void expectSoundModel(Model const& model, std::string const& name)
{
    EXPECT_TRUE(model.problems.empty()) << name << ": " << (model.problems.empty() ? "" : model.problems.front());
    ASSERT_FALSE(model.vertices.empty()) << name;
    EXPECT_GT(enclosedVolume(model), 0.0f) << name << " is wound inside out";
    for (Float2 const& t : model.texCoords)
        EXPECT_TRUE(t.x() >= 0.0f && t.x() <= 1.0f && t.y() >= 0.0f && t.y() <= 1.0f) << name;
}
}

TEST(Models, PlayerFramesAreTenUnitsTallAtTheirScaleStandingOnTheOriginFacingTheirWalk)
{
    float const playerScale = 0.3f;
    std::vector<Model> frames;
    for (int frame = 1; frame <= 5; ++frame)
    {
        std::string const name = "obj_player/player_frame" + std::to_string(frame) + ".obj";
        frames.push_back(readModel(name));
        Model const& model = frames.back();
        expectSoundModel(model, name);
        EXPECT_EQ(model.materialFile, "player.mtl");
        Float3 const low = lowCorner(model), high = highCorner(model);
        EXPECT_NEAR(high.y() * playerScale, 10.0f, 0.5f) << name;
        EXPECT_NEAR(low.y(), 0.0f, 0.001f) << name << " does not stand on the ground";
        EXPECT_NEAR(low.x() + high.x(), 0.0f, 0.5f) << name << " is not centred";
        // Boxes do not overlap much: their faces enclose about what they add up to.
        EXPECT_NEAR(enclosedVolume(model), unsignedVolume(model), 1e-3f * unsignedVolume(model)) << name;
        if (frame > 3)
            continue; // flying, the legs trail behind
        // Toes point to +z, the way the body is turned to walk.
        float toe = -1e9f, heel = 1e9f;
        for (Float3 const& v : model.vertices)
            if (v.y() < 1.0f)
                toe = std::max(toe, v.z()), heel = std::min(heel, v.z());
        EXPECT_GT(toe, -heel) << name;
    }
    // The strides and the wing beats really move.
    for (size_t a = 0; a < frames.size(); ++a)
        for (size_t b = a + 1; b < frames.size(); ++b)
            EXPECT_FALSE(frames[a].vertices == frames[b].vertices) << "frames " << a + 1 << " and " << b + 1;
    std::string const material = TestSupport::readFile(GeneratedData::path("obj_player/player.mtl"));
    EXPECT_NE(material.find("map_Kd player.png"), std::string::npos);
}

TEST(Models, ScriptObjectModelsRestOnTheOrigin)
{
    for (char const* name : {"gem", "coin"})
    {
        Model const model = readModel(std::string("obj_objects/") + name + ".obj");
        expectSoundModel(model, name);
        EXPECT_EQ(model.materialFile, std::string(name) + ".mtl");
        Float3 const low = lowCorner(model), high = highCorner(model);
        EXPECT_NEAR(low.y(), 0.0f, 0.01f) << name;
        EXPECT_GT(high.y(), 5.0f) << name;
        EXPECT_LT(high.y(), 10.0f) << name;
        EXPECT_NEAR(enclosedVolume(model), unsignedVolume(model), 1e-3f * unsignedVolume(model)) << name;
        std::string const material = TestSupport::readFile(GeneratedData::path(std::string("obj_objects/") + name + ".mtl"));
        EXPECT_NE(material.find(std::string("map_Kd ") + name + ".png"), std::string::npos) << name;
    }
}

TEST(Sounds, WalkAndJumpAreShortAudibleClicklessMonoPcm)
{
    for (char const* name : {"sound/walk.wav", "sound/jump.wav"})
    {
        std::vector<int16_t> samples;
        int rate = 0;
        ASSERT_TRUE(WavFile::decode(TestSupport::readFile(GeneratedData::path(name)), samples, rate)) << name;
        EXPECT_EQ(rate, Sounds::SAMPLE_RATE);
        float const seconds = samples.size() / float(rate);
        EXPECT_GT(seconds, 0.05f) << name;
        EXPECT_LT(seconds, 0.5f) << name;
        int peak = 0;
        for (int16_t s : samples)
            peak = std::max(peak, std::abs(int(s)));
        EXPECT_GT(peak, 8000) << name << " is too quiet";
        EXPECT_LT(std::abs(int(samples.front())), 200) << name;
        EXPECT_LT(std::abs(int(samples.back())), 200) << name;
    }
}

TEST(Sounds, WavFilesRoundTripAndDamagedHeadersAreRejected)
{
    std::string const bytes = WavFile::encode({0.0f, 0.5f, -1.0f, 2.0f}, 8000);
    std::vector<int16_t> samples;
    int rate = 0;
    ASSERT_TRUE(WavFile::decode(bytes, samples, rate));
    EXPECT_EQ(rate, 8000);
    EXPECT_EQ(samples, (std::vector<int16_t>{0, 16384, -32767, 32767})); // clipped at full scale
    EXPECT_FALSE(WavFile::decode(bytes.substr(0, bytes.size() - 1), samples, rate));
    std::string stereo = bytes;
    stereo[22] = 2;
    EXPECT_FALSE(WavFile::decode(stereo, samples, rate));
}
