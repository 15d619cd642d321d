#include "GameData.h"

#include "CubeTextures.h"
#include "DataFolder.h"
#include "FontStrip.h"
#include "HeightMap.h"
#include "MenuPictures.h"
#include "ObjectModels.h"
#include "PlayerModel.h"
#include "SkyBoxFaces.h"
#include "Sounds.h"
#include "TextRenderer.h"
#include "WavFile.h"

#include <cstdio>

namespace
{
bool makeFont(DataFolder& data)
{
    TextRenderer const face("DejaVuSans-Bold.ttf", 20);
    if (!face.isReady())
        return false;
    Canvas strip(1, 1, Color4(0, 0, 0, 0));
    if (!FontStrip::make(face, strip))
        return false;
    data.savePicture("default_font.png", strip, true);
    return true;
}

void makeScreens(DataFolder& data)
{
    data.savePicture("loading.png", MenuPictures::makeLoading(), true);
    data.savePicture("menus/main_menu.png", MenuPictures::makeMainMenu(), true);
    data.savePicture("menus/options_menu.png", MenuPictures::makeOptionsMenu(), true);
    data.savePicture("menus/menu_mouse.png", MenuPictures::makeCursor(), true);
    data.savePicture("menus/editor_box.png", MenuPictures::makeEditorHelp(), true);
    data.savePicture("title.png", MenuPictures::makeTitle(), false);
}

void makeSurfaces(DataFolder& data)
{
    data.savePicture("whiteTexture.png", CubeTextures::makePlain(Color4(255, 255, 255, 255)), true);
    data.savePicture("black_semi_transparent.png", CubeTextures::makePlain(Color4(0, 0, 0, 128)), true);
    data.savePicture("water.png", CubeTextures::makeWater(), true);
    for (CubeTextures::Texture const& texture : CubeTextures::makeCubeTextures())
    {
        data.savePicture("cube_textures/" + texture.fileName, texture.picture, texture.hasAlpha);
        data.savePicture("cube_shadowed_textures/" + texture.fileName,
                         texture.picture.darkened(CubeTextures::SHADOW_FACTOR), texture.hasAlpha);
    }
    for (char const* face : {"top", "bottom", "left", "right", "front", "back"})
        data.savePicture(std::string("skybox/") + face + ".png", SkyBoxFaces::makeFace(face), false);
    data.savePicture("world_heightmap.png", HeightMap::make(), false);
}

void saveModel(DataFolder& data, std::string const& folder, std::string const& name, ModelBuilder const& mesh)
{
    data.saveBytes(folder + name + ".obj", mesh.toObj(name + ".mtl"));
    data.saveBytes(folder + name + ".mtl", mesh.toMtl());
}

void makeModels(DataFolder& data)
{
    for (int frame = 1; frame <= PlayerModel::FRAME_COUNT; ++frame)
        data.saveBytes("obj_player/player_frame" + std::to_string(frame) + ".obj",
                       PlayerModel::makeFrame(frame).toObj(PlayerModel::MATERIAL_FILE));
    data.saveBytes(std::string("obj_player/") + PlayerModel::MATERIAL_FILE, PlayerModel::makeFrame(1).toMtl());
    data.savePicture(std::string("obj_player/") + PlayerModel::TEXTURE_FILE, PlayerModel::makeTexture(), false);

    saveModel(data, "obj_objects/", "gem", ObjectModels::makeGem());
    data.savePicture("obj_objects/gem.png", ObjectModels::makeGemTexture(), false);
    saveModel(data, "obj_objects/", "coin", ObjectModels::makeCoin());
    data.savePicture("obj_objects/coin.png", ObjectModels::makeCoinTexture(), false);
}

void makeSounds(DataFolder& data)
{
    data.saveBytes("sound/walk.wav", WavFile::encode(Sounds::makeFootstep(), Sounds::SAMPLE_RATE));
    data.saveBytes("sound/jump.wav", WavFile::encode(Sounds::makeJump(), Sounds::SAMPLE_RATE));
    data.saveBytes("sound/pickup.wav", WavFile::encode(Sounds::makePickup(), Sounds::SAMPLE_RATE));
}
}

namespace GameData
{
bool generate(std::string const& folder, std::vector<std::string>& writtenFiles)
{
    DataFolder data(folder);
    bool const fontMade = makeFont(data);
    if (fontMade)
        makeScreens(data); // their lettering needs the same fonts
    makeSurfaces(data);
    makeModels(data);
    makeSounds(data);
    writtenFiles = data.getWrittenFiles();
    if (!fontMade || !data.isOk())
    {
        fprintf(stderr, "ERROR : the game data in '%s' is incomplete\n", folder.c_str());
        return false;
    }
    return true;
}
}
