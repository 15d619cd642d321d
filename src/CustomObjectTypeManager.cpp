#include "CustomObjectTypeManager.h"

#include "CustomObject.h"

CustomObjectTypeManager::CustomObjectTypeManager(Font const* font, SoundManager* soundManager)
    : font(font), soundManager(soundManager)
{
}

CustomObjectTypeManager::~CustomObjectTypeManager()
{
}

void CustomObjectTypeManager::initUnused()
{
    CustomObject::initUnusedTypes();
}

void CustomObjectTypeManager::freeUnused()
{
    CustomObject::freeUnusedTypes();
}

Font const* CustomObjectTypeManager::getFont() const
{
    return font;
}

SoundManager* CustomObjectTypeManager::getSoundManager() const
{
    return soundManager;
}
