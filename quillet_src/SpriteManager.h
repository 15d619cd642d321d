#ifndef SPRITEMANAGER_H
#define SPRITEMANAGER_H

// The registry of every live sprite, in creation order (which is the drawing
// order of drawAll), and the image bank that loads each picture file once and
// frees it when the last sprite (or other holder) using it lets it go. Both
// are process-wide; the one SpriteManager, owned by the GLManager, is their
// interface. The bank owns the images; the registry owns the sprites.

#include "BasicVector.h"

#include <map>
#include <ostream>
#include <string>
#include <vector>

class Image;
class Sprite;

class SpriteManager
{
public:
    // The picture of sprites created without a file name.
    static char const* const DEFAULT_IMAGE_NAME;

    struct LoadedImageInfos
    {
        int nbSpritesUsingThisImage = 0;
        // Owned by the record.
        Image* image = NULL;
    };

    SpriteManager() = default;
    // Every sprite must have been removed by then.
    ~SpriteManager();
    SpriteManager(SpriteManager const&) = delete;
    SpriteManager& operator=(SpriteManager const&) = delete;

    // fileName null means DEFAULT_IMAGE_NAME.
    Sprite* createSprite(char const* fileName, int hotSpotAlignment, bool verbose);
    // One frame per file, all of the first one's size.
    Sprite* createAnimatedSprite(std::vector<char const*> const& fileNames, int hotSpotAlignment, bool verbose);
    // Unregisters, releases the images and deletes; unknown sprites are ignored.
    void removeSprite(Sprite* sprite);

    // The bank's image of that exact file name, loaded on first use; counts one more user.
    Image* getImageForSprite(std::string const& fileName, bool verbose);
    // Counts one user less, freeing the image at zero; unknown images are ignored.
    void letImage(Image* image);

    void setOnForeground(Sprite* sprite);
    void setOnBackground(Sprite* sprite);
    // Unregisters without deleting anything.
    void eraseSpriteEntry(Sprite* sprite);
    void drawAll();
    void scrollSprites(Int2 const& delta);
    void printInfos(std::ostream& out) const;

    static std::vector<Sprite*> const& getSprites();
    // Users counted for that file name; 0 when it is not loaded.
    static int getImageUseCount(std::string const& fileName);

private:
    static bool eraseFromList_(Sprite* sprite);

    static std::vector<Sprite*> sprites;
    // Keyed by exact file name; std::string order is strcmp order.
    static std::map<std::string, LoadedImageInfos> imagesBank;
};

#endif
