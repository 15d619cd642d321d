#include "Animated3DModel.h"
#include "DeviceManager.h"
#include "Font.h"
#include "GeneratedData.h"
#include "ImageLoader.h"
#include "ObjMesh.h"
#include "ObjMeshReader.h"
#include "Scene2D.h"

#include "SoundManager.h"
#include "Sound_OpenAL.h"
#include "SpriteManager.h"
#include "TestSupport.h"

#include <GL/gl.h>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// Relative paths of the files under folder whose names end in suffix.
void listFiles(std::string const& root, std::string const& folder, std::string const& suffix,
               std::vector<std::string>& found)
{
    DIR* directory = opendir((root + "/" + folder).c_str());
    ASSERT_NE(directory, nullptr) << folder;
    while (dirent* entry = readdir(directory))
    {
        std::string const name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        std::string const relative = folder.empty() ? name : folder + "/" + name;
        if (entry->d_type == DT_DIR)
            listFiles(root, relative, suffix, found);
        else if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            found.push_back(relative);
    }
    closedir(directory);
}
}

TEST(EngineLoading, EveryPictureDecodesWithTheEnginesLoaderAsWritten)
{
    std::vector<std::string> pictures;
    listFiles(GAME_DATA_DIR, "", ".png", pictures);
    EXPECT_GE(pictures.size(), 40u);
    for (std::string const& file : pictures)
    {
        bool writtenAlpha = false;
        Canvas const written = GeneratedData::picture(file, &writtenAlpha);
        int width = 0, height = 0;
        bool alpha = false;
        std::unique_ptr<unsigned char[]> const pixels(
            ImageLoader::loadImage(GeneratedData::path(file).c_str(), width, height, alpha, false));
        ASSERT_NE(pixels, nullptr) << file;
        // Already power-of-two sized: the loader keeps every pixel where it is.
        EXPECT_EQ(width, written.getWidth()) << file;
        EXPECT_EQ(height, written.getHeight()) << file;
        EXPECT_EQ(alpha, writtenAlpha) << file;
        if (width != written.getWidth() || height != written.getHeight())
            continue;
        int const channels = alpha ? 4 : 3;
        int mismatches = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < channels; ++c)
                    mismatches += pixels[(static_cast<size_t>(y) * width + x) * channels + c] != written.getPixel(x, y)[c];
        EXPECT_EQ(mismatches, 0) << file;
    }
}

TEST(EngineLoading, FontMeasuringFindsEveryGlyphWithACellClearOfItsNeighbours)
{
    int width = 0, height = 0;
    bool alpha = false;
    std::unique_ptr<unsigned char[]> const rgba(
        ImageLoader::loadImage(GeneratedData::path("default_font.png").c_str(), width, height, alpha, false));
    ASSERT_TRUE(alpha);
    Int2 const size(width, height);
    int glyphX[Font::CHARACTER_COUNT];
    int glyphWidth[Font::CHARACTER_COUNT];
    std::fill(glyphX, glyphX + Font::CHARACTER_COUNT, -1);
    std::fill(glyphWidth, glyphWidth + Font::CHARACTER_COUNT, -1);
    int column = Font::findInkedColumn(rgba.get(), size, 0);
    Font::measureGlyphs(rgba.get(), size, Font::FIRST_GLYPH, Font::LAST_GLYPH, column, glyphX, glyphWidth, false);

    auto columnHasInk = [&](int x) {
        for (int y = 0; y < height; ++y)
            if (rgba[(static_cast<size_t>(y) * width + x) * 4 + 3] != 0)
                return true;
        return false;
    };
    for (int c = Font::FIRST_GLYPH; c <= Font::LAST_GLYPH; ++c)
    {
        ASSERT_GE(glyphX[c], 0) << "no glyph for " << char(c);
        ASSERT_GT(glyphWidth[c], 4) << char(c);
        ASSERT_LE(glyphX[c] + glyphWidth[c], width) << char(c);
        // Drawn, a cell shows its own ink only: its first and last three
        // columns are empty, and the next glyph starts after it.
        EXPECT_FALSE(columnHasInk(glyphX[c])) << char(c);
        for (int x = glyphX[c] + glyphWidth[c] - 3; x < glyphX[c] + glyphWidth[c]; ++x)
            EXPECT_FALSE(columnHasInk(x)) << char(c);
        if (c < Font::LAST_GLYPH)
        {
            EXPECT_GE(glyphX[c + 1], glyphX[c] + glyphWidth[c] - 1) << char(c);
        }
    }
    EXPECT_LT(glyphWidth['i'], glyphWidth['m']);
    EXPECT_LT(glyphWidth['.'], glyphWidth['W']);
}

TEST(EngineLoading, DefaultFontDrawsReadableText)
{
    REQUIRE_DISPLAY();
    DeviceManager::newInstance("tools_tests", "font test", 800, 600, false);
    deviceManager->loopEvent();
    deviceManager->getScene2D()->set2DMode();
    deviceManager->clearBackground(Color4(0, 0, 0, 255));
    deviceManager->setColor(Color4(255, 255, 255, 255));
    {
        Font font(deviceManager, GeneratedData::path("default_font.png").c_str(), 16, false);
        EXPECT_EQ(font.getHeight(), 32);
        char const* const text = "Quillet: 1234 FPS";
        Int2 const pen = font.drawText(Int2(100, 100), text, Float2(1.0f, 1.0f), -1, false);
        EXPECT_EQ(pen.x() - 100, font.getWidth(text, -1, 1.0f));
        // Some 10 to 20 pixels per character, as text of this height should be.
        EXPECT_GT(pen.x() - 100, 10 * 17);
        EXPECT_LT(pen.x() - 100, 20 * 17);
        std::vector<unsigned char> const pixels = TestSupport::readWindowPixels();
        int inside = 0, outside = 0;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
            {
                bool const lit = pixels[(static_cast<size_t>(599 - y) * 800 + x) * 4] > 128;
                bool const inText = x >= 100 && x < pen.x() && y >= 100 && y < 132;
                (inText ? inside : outside) += lit ? 1 : 0;
            }
        EXPECT_GT(inside, 400);
        EXPECT_EQ(outside, 0);
    }
    DeviceManager::deleteInstance();
}

TEST(EngineLoading, SoundsDecodeAndPlayThroughTheSoundManager)
{
    // OpenAL Soft's wave driver writes what would be heard into a file.
    std::string const folder = TestSupport::makeTemporaryFolder();
    std::string const capture = folder + "/captured.wav";
    TestSupport::writeFile(folder + "/alsoft.conf", "[general]\nchannels = mono\nsample-type = int16\n"
                                                    "[wave]\nfile = " + capture + "\n");
    setenv("ALSOFT_CONF", (folder + "/alsoft.conf").c_str(), 1);
    setenv("ALSOFT_DRIVERS", "wave", 1);

    SoundManager* manager = new SoundManager("tools_tests");
    ASSERT_TRUE(manager->isSoundOn());
    for (char const* name : {"sound/walk.wav", "sound/jump.wav", "sound/pickup.wav"})
    {
        Sound_OpenAL* sound = dynamic_cast<Sound_OpenAL*>(manager->getSound(GeneratedData::path(name).c_str()));
        ASSERT_NE(sound, nullptr) << name;
        EXPECT_FALSE(sound->isSilent()) << name << " did not decode";
        sound->play(true);
    }
    delete manager; // closing the device completes the captured file

    std::string const heard = TestSupport::readFile(capture);
    size_t const data = heard.find("data");
    ASSERT_NE(data, std::string::npos);
    int peak = 0;
    for (size_t i = data + 8; i + 1 < heard.size(); i += 2)
    {
        int16_t sample = 0;
        std::memcpy(&sample, heard.data() + i, 2);
        peak = std::max(peak, std::abs(int(sample)));
    }
    EXPECT_GT(peak, 1000);
}

namespace
{
// Pixels of the window, cleared to magenta, that drawing the model's current
// frame in white painted with its texture's colours: seen from the front (+z)
// through an orthographic view of [-10, 10] x [-2, 18], textured, depth-tested
// and with back faces culled as the 3-D scene draws. An untextured model
// paints white, which is not counted.
int texturedPixelsOf(Animated3DModel const& model)
{
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-10.0, 10.0, -2.0, 18.0, -50.0, 50.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glClearColor(1.f, 0.f, 1.f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor4f(1.f, 1.f, 1.f, 1.f);
    model.drawNoPos();
    std::vector<unsigned char> const pixels = TestSupport::readWindowPixels();
    int textured = 0;
    for (size_t i = 0; i < pixels.size(); i += 4)
    {
        bool const background = pixels[i] == 255 && pixels[i + 1] == 0 && pixels[i + 2] == 255;
        bool const white = pixels[i] == 255 && pixels[i + 1] == 255 && pixels[i + 2] == 255;
        textured += background || white ? 0 : 1;
    }
    return textured;
}
}

TEST(EngineLoading, ModelsLoadTheWayTheGameLoadsThemWithoutWarningsAndDraw)
{
    REQUIRE_DISPLAY();
    // Loading a model also compiles its drawing, which reports any feature the
    // mesh lacks; the game loads its models by relative name from its folder.
    TestSupport::ChildResult const result = TestSupport::runInChild([] {
        if (chdir(GAME_DATA_DIR) != 0)
            _exit(3);
        DeviceManager::newInstance("tools_tests", "model test", 800, 600, false);
        std::vector<std::string> playerFrames;
        for (int frame = 1; frame <= 5; ++frame)
            playerFrames.push_back("obj_player/player_frame" + std::to_string(frame) + ".obj");
        struct Model
        {
            std::vector<std::string> frames;
            float scale;
            char const* texture;
        };
        Model const models[] = {{playerFrames, 0.3f, "obj_player/player.png"},
                                {{"obj_objects/gem.obj"}, 1.0f, "obj_objects/gem.png"},
                                {{"obj_objects/coin.obj"}, 1.0f, "obj_objects/coin.png"}};
        for (Model const& m : models)
        {
            Animated3DModel model(m.frames, m.scale);
            model.setRunning(false);
            printf("\ntexture %s used %d\n", m.texture, SpriteManager::getImageUseCount(m.texture));
            for (unsigned frame = 0; frame < model.getNbFrames(); ++frame)
            {
                model.setAnimationFrame(frame);
                printf("drawn %s %d\n", m.frames[frame].c_str(), texturedPixelsOf(model));
            }
        }
        fflush(stdout);
        _exit(0); // as in the test below: the toolkit's exit handler can abort in the software renderer
    });
    ASSERT_EQ(result.exitStatus, 0) << result.errors;
    EXPECT_EQ(result.errors, "");
    for (char const* complaint : {"warning", "can't", "Unknown", "w/o"})
        EXPECT_EQ(result.output.find(complaint), std::string::npos) << result.output;
    std::istringstream lines(result.output);
    std::string line;
    int textures = 0;
    int frames = 0;
    while (std::getline(lines, line))
    {
        std::istringstream words(line);
        std::string kind, name, used;
        int count = 0;
        words >> kind >> name;
        if (kind == "texture" && words >> used >> count)
        {
            EXPECT_GE(count, 1) << name << " is not the texture of its model";
            ++textures;
        }
        else if (kind == "drawn" && words >> count)
        {
            // The whole figure, some twelfth of the window, in its texture's colours.
            EXPECT_GT(count, 800 * 600 / 20) << name;
            ++frames;
        }
    }
    EXPECT_EQ(textures, 3);
    EXPECT_EQ(frames, 7);
}

TEST(EngineLoading, EveryModelReadsWithoutWarningsAndHasWhatDrawingNeeds)
{
    REQUIRE_DISPLAY();
    std::vector<std::string> models;
    listFiles(GAME_DATA_DIR, "", ".obj", models);
    EXPECT_EQ(models.size(), 7u);
    for (std::string const& file : models)
    {
        std::string const path = GeneratedData::path(file);
        // Any fault of a model file ends the reading process: read in a child,
        // which reports what the model's drawing (smooth, textured, with
        // materials) would find missing.
        TestSupport::ChildResult const result = TestSupport::runInChild([&path] {
            DeviceManager::newInstance("tools_tests", "model test", 800, 600, false); // textures become sprites
            ObjMesh* mesh = glmReadOBJ(path);
            glmFacetNormals(*mesh);
            glmVertexNormals(*mesh, 90.0f);
            printf("triangles %zu normals %u texcoords %u materials %zu\n", mesh->triangles.size(),
                   mesh->getNumNormals(), mesh->getNumTexcoords(), mesh->materials.size());
            for (ObjMesh::Group const& group : mesh->groups)
                if (!group.triangles.empty())
                    printf("texture %s\n", mesh->materials[group.material].textureFile.c_str());
            glmDelete(mesh);
            DeviceManager::deleteInstance();
            // Leave without the window toolkit's exit handler: closing the
            // display there can abort inside the software renderer's compiler.
            fflush(stdout);
            _exit(0);
        });
        EXPECT_EQ(result.exitStatus, 0) << file << ": " << result.errors;
        EXPECT_EQ(result.errors, "") << file;
        for (char const* complaint : {"warning", "can't", "Unknown", "w/o"})
            EXPECT_EQ(result.output.find(complaint), std::string::npos) << file << ": " << result.output;
        // The counts follow the trace of the texture loads.
        size_t const counts = result.output.find("triangles ");
        ASSERT_NE(counts, std::string::npos) << file << ": " << result.output;
        std::istringstream lines(result.output.substr(counts));
        std::string word;
        size_t triangles = 0, normals = 0, texcoords = 0, materials = 0;
        lines >> word >> triangles >> word >> normals >> word >> texcoords >> word >> materials;
        EXPECT_GT(triangles, 0u) << file;
        EXPECT_GT(normals, 0u) << file;
        EXPECT_GT(texcoords, 0u) << file;
        EXPECT_GT(materials, 1u) << file << " has only the default material";
        // Every drawn group is textured with a picture that exists.
        std::string texture;
        int texturedGroups = 0;
        while (lines >> word)
            if (word == "texture" && lines >> texture)
            {
                struct stat info;
                EXPECT_EQ(stat(texture.c_str(), &info), 0) << file << " names " << texture;
                ++texturedGroups;
            }
        EXPECT_GT(texturedGroups, 0) << file;
    }
}
