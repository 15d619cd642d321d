#include "ScriptHandles.h"

#include "Animated3DModel.h"
#include "GLManager.h"
#include "SpriteManager.h"

ScriptHandles::~ScriptHandles()
{
    releaseAll();
}

void ScriptHandles::addModel(Animated3DModel* model)
{
    models.insert(model);
}

bool ScriptHandles::hasModel(Animated3DModel* model) const
{
    return models.count(model) == 1;
}

void ScriptHandles::unloadModel(Animated3DModel* model)
{
    models.erase(model);
    delete model;
}

void ScriptHandles::addSprite(Sprite* sprite)
{
    sprites.insert(sprite);
}

bool ScriptHandles::hasSprite(Sprite* sprite) const
{
    return sprites.count(sprite) == 1;
}

void ScriptHandles::unloadSprite(Sprite* sprite)
{
    sprites.erase(sprite);
    spriteManager->removeSprite(sprite);
}

void ScriptHandles::addSound(Sound_Abstract* sound)
{
    sounds.insert(sound);
}

bool ScriptHandles::hasSound(Sound_Abstract* sound) const
{
    return sounds.count(sound) == 1;
}

void ScriptHandles::releaseAll()
{
    for (Animated3DModel* model : models)
        delete model;
    models.clear();
    // Sprites die with the sprite manager when the window is already gone.
    if (spriteManager != NULL)
        for (Sprite* sprite : sprites)
            spriteManager->removeSprite(sprite);
    sprites.clear();
    sounds.clear();
}
