#ifndef SPRITEMANAGER_H
#define SPRITEMANAGER_H

// The registry of sprites and the image bank they share.

class SpriteManager
{
public:
    SpriteManager() = default;
};

#endif
