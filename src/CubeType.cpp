#include "CubeType.h"

#include "DeviceManager.h"
#include "Errors.h"
#include "SpriteManager.h"

#include <iostream>

char const* const CubeType::DIRECTORY_TEXTURES = "cube_textures/";
char const* const CubeType::DIRECTORY_SHADOWED_TEXTURES = "cube_shadowed_textures/";
char const* const CubeType::SHADOW_TEXTURE_FILENAME = "black_semi_transparent.png";

namespace
{
SpriteManager* getSpriteManager()
{
    ASSERT(deviceManager != NULL, "cube types need the device manager for their sprites");
    return deviceManager->getSpriteManager();
}

Sprite* createTextureSprite(std::string const& path)
{
    return getSpriteManager()->createSprite(path.c_str(), 1, false);
}
}

CubeType::CubeType(std::string const names[NB_FACES], bool const* repeat, bool collidable)
    : isUsed(false), isUsedByEditor(false), textureFace{}, textureFaceShadowed{}, repeatTexture{}, textureShadow(NULL),
      isCollidable(collidable)
{
    for (int i = 0; i < NB_FACES; ++i)
        textureFilename[i] = names[i];
    for (int axis = 0; axis < 3; ++axis)
        repeatTexture[axis] = repeat[axis];
}

CubeType::CubeType(RecordReader& reader)
    : isUsed(false), isUsedByEditor(false), textureFace{}, textureFaceShadowed{}, repeatTexture{}, textureShadow(NULL),
      isCollidable(false)
{
    for (int i = 0; i < NB_FACES; ++i)
        textureFilename[i] = reader.readString("a cube type's face texture name");
    for (int axis = 0; axis < 3; ++axis)
        repeatTexture[axis] = reader.readByte("a cube type's texture repeat flags") != 0;
    isCollidable = reader.readByte("a cube type's collidable flag") != 0;
}

CubeType::~CubeType()
{
    removeSprites();
    if (textureShadow != NULL)
        getSpriteManager()->removeSprite(textureShadow);
}

void CubeType::saveToFile(RecordWriter& writer) const
{
    for (int i = 0; i < NB_FACES; ++i)
        writer.writeString(textureFilename[i]);
    for (int axis = 0; axis < 3; ++axis)
        writer.writeByte(repeatTexture[axis] ? 1 : 0);
    writer.writeByte(isCollidable ? 1 : 0);
}

void CubeType::loadIfNeeded()
{
    if (textureFace[0] != NULL)
        return;
    for (int i = 0; i < NB_FACES; ++i)
    {
        ASSERT(textureFace[i] == NULL, NULL);
        textureFace[i] = createTextureSprite(DIRECTORY_TEXTURES + textureFilename[i]);
        ASSERT(textureFaceShadowed[i] == NULL, NULL);
        textureFaceShadowed[i] = createTextureSprite(DIRECTORY_SHADOWED_TEXTURES + textureFilename[i]);
    }
}

void CubeType::removeSprites()
{
    if (textureFace[0] == NULL)
        return;
    std::cout << "Free unused texture for CubeType ..." << std::endl;
    SpriteManager* const sprites = getSpriteManager();
    for (int i = 0; i < NB_FACES; ++i)
    {
        ASSERT(textureFace[i] != NULL, NULL);
        sprites->removeSprite(textureFace[i]);
        textureFace[i] = NULL;
        ASSERT(textureFaceShadowed[i] != NULL, NULL);
        sprites->removeSprite(textureFaceShadowed[i]);
        textureFaceShadowed[i] = NULL;
    }
    std::cout << " ... free unused texture done" << std::endl;
}

void CubeType::modifyCubeType(std::string const names[NB_FACES], bool const* repeat, bool collidable)
{
    removeSprites();
    for (int i = 0; i < NB_FACES; ++i)
        textureFilename[i] = names[i];
    for (int axis = 0; axis < 3; ++axis)
        repeatTexture[axis] = repeat[axis];
    isCollidable = collidable;
}

bool CubeType::getIsCollidable() const
{
    return isCollidable;
}

bool CubeType::getIsLoaded() const
{
    return textureFace[0] != NULL;
}

std::string const& CubeType::getTextureFilename(int face) const
{
    ASSERT(face >= 0 && face < NB_FACES, NULL);
    return textureFilename[face];
}

bool CubeType::getRepeatTexture(int axis) const
{
    ASSERT(axis >= 0 && axis < 3, NULL);
    return repeatTexture[axis];
}

Sprite* CubeType::getTextureFace(int face)
{
    ASSERT(face >= 0 && face < NB_FACES, NULL);
    loadIfNeeded();
    return textureFace[face];
}

Sprite* CubeType::getTextureFaceShadowed(int face)
{
    ASSERT(face >= 0 && face < NB_FACES, NULL);
    loadIfNeeded();
    return textureFaceShadowed[face];
}

Sprite* CubeType::getTextureShadow()
{
    if (textureShadow == NULL)
        textureShadow = createTextureSprite(SHADOW_TEXTURE_FILENAME);
    return textureShadow;
}

Sprite* CubeType::getTextureFaceForEditor(int face)
{
    isUsedByEditor = true;
    return getTextureFace(face);
}

bool CubeType::getIsUsed() const
{
    return isUsed;
}

void CubeType::setIsUsed(bool used)
{
    isUsed = used;
}

bool CubeType::getIsUsedByEditor() const
{
    return isUsedByEditor;
}

void CubeType::setIsUsedByEditor(bool used)
{
    isUsedByEditor = used;
}
