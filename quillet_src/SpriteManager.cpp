#include "SpriteManager.h"

#include "DeviceManager.h"
#include "Errors.h"
#include "Image.h"
#include "Sprite.h"

#include <algorithm>

char const* const SpriteManager::DEFAULT_IMAGE_NAME = "whiteTexture.png";
std::vector<Sprite*> SpriteManager::sprites;
std::map<std::string, SpriteManager::LoadedImageInfos> SpriteManager::imagesBank;

SpriteManager::~SpriteManager()
{
    ASSERT(sprites.size() == 0, NULL);
}

Sprite* SpriteManager::createSprite(char const* fileName, int hotSpotAlignment, bool verbose)
{
    std::vector<Image*> const images(1, getImageForSprite(fileName != NULL ? fileName : DEFAULT_IMAGE_NAME, verbose));
    Sprite* const tmpsprite = new Sprite(images, hotSpotAlignment);
    ASSERT(tmpsprite != NULL, NULL);
    sprites.push_back(tmpsprite);
    return tmpsprite;
}

Sprite* SpriteManager::createAnimatedSprite(std::vector<char const*> const& fileNames, int hotSpotAlignment,
                                            bool verbose)
{
    ASSERT(!fileNames.empty(), "SpriteManager::createAnimatedSprite: no image file name");
    std::vector<Image*> images;
    images.push_back(getImageForSprite(fileNames[0], verbose));
    int const firstImageWidth = images[0]->getWidth();
    int const firstImageHeight = images[0]->getHeight();
    for (size_t i = 1; i < fileNames.size(); ++i)
    {
        Image* const newimage = getImageForSprite(fileNames[i], verbose);
        ASSERT(newimage->getWidth() == firstImageWidth,
               "(createAnimatedSprite) images have different widths for the same sprite");
        ASSERT(newimage->getHeight() == firstImageHeight,
               "(createAnimatedSprite) images have different heights for the same sprite");
        images.push_back(newimage);
    }
    Sprite* const tmpsprite = new Sprite(images, hotSpotAlignment);
    ASSERT(tmpsprite != NULL, NULL);
    sprites.push_back(tmpsprite);
    return tmpsprite;
}

void SpriteManager::removeSprite(Sprite* sprite)
{
    if (!eraseFromList_(sprite))
        return;
    for (Image* image : sprite->getImages())
        letImage(image);
    delete sprite;
}

Image* SpriteManager::getImageForSprite(std::string const& fileName, bool verbose)
{
    std::map<std::string, LoadedImageInfos>::iterator const found = imagesBank.find(fileName);
    if (found != imagesBank.end())
    {
        ++found->second.nbSpritesUsingThisImage;
        return found->second.image;
    }
    LoadedImageInfos& lii = imagesBank[fileName];
    lii.image = new Image(deviceManager, fileName.c_str(), verbose);
    lii.nbSpritesUsingThisImage = 1;
    return lii.image;
}

void SpriteManager::letImage(Image* image)
{
    std::map<std::string, LoadedImageInfos>::iterator it = imagesBank.begin();
    while (it != imagesBank.end() && it->second.image != image)
        ++it;
    if (it == imagesBank.end())
        return;
    LoadedImageInfos* const lii = &it->second;
    ASSERT(lii->nbSpritesUsingThisImage > 0, "SpriteManager::removeSprite : the sprite has no image ?");
    --lii->nbSpritesUsingThisImage;
    if (lii->nbSpritesUsingThisImage > 0)
        return;
    delete lii->image;
    imagesBank.erase(it);
}

void SpriteManager::setOnForeground(Sprite* sprite)
{
    eraseFromList_(sprite);
    sprites.push_back(sprite);
}

void SpriteManager::setOnBackground(Sprite* sprite)
{
    eraseFromList_(sprite);
    sprites.insert(sprites.begin(), sprite);
}

void SpriteManager::eraseSpriteEntry(Sprite* sprite)
{
    eraseFromList_(sprite);
}

void SpriteManager::drawAll()
{
    for (Sprite* sprite : sprites)
        sprite->draw();
}

void SpriteManager::scrollSprites(Int2 const& delta)
{
    for (Sprite* sprite : sprites)
        sprite->movePosition(delta);
}

void SpriteManager::printInfos(std::ostream& out) const
{
    out << "Sprites :" << std::endl;
    for (Sprite const* sprite : sprites)
        out << " - " << *sprite << std::endl;
    out << "Images :" << std::endl;
    for (auto const& entry : imagesBank)
        out << " - " << entry.first << " (" << static_cast<void const*>(entry.second.image)
            << "): used by " << entry.second.nbSpritesUsingThisImage << " sprite(s)" << std::endl;
}

std::vector<Sprite*> const& SpriteManager::getSprites()
{
    return sprites;
}

int SpriteManager::getImageUseCount(std::string const& fileName)
{
    std::map<std::string, LoadedImageInfos>::const_iterator const found = imagesBank.find(fileName);
    return found == imagesBank.end() ? 0 : found->second.nbSpritesUsingThisImage;
}

bool SpriteManager::eraseFromList_(Sprite* sprite)
{
    std::vector<Sprite*>::iterator const found = std::find(sprites.begin(), sprites.end(), sprite);
    if (found == sprites.end())
        return false;
    sprites.erase(found);
    return true;
}
