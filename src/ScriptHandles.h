#ifndef SCRIPTHANDLES_H
#define SCRIPTHANDLES_H

// The engine objects the game script was handed: models and sprites it loaded
// and sounds it asked for. The script holds them as bare addresses, so a
// function given one first asks here whether it is still a live object of the
// right kind: an address that was never handed out, or whose object the script
// unloaded, is refused instead of used. Owns the models and the sprites (the
// sounds stay the sound manager's); whatever the script did not unload itself
// is released with the script.

#include <unordered_set>

class Animated3DModel;
class Sound_Abstract;
class Sprite;

class ScriptHandles
{
public:
    ScriptHandles() = default;
    ~ScriptHandles();
    ScriptHandles(ScriptHandles const&) = delete;
    ScriptHandles& operator=(ScriptHandles const&) = delete;

    void addModel(Animated3DModel* model);
    bool hasModel(Animated3DModel* model) const;
    // Deletes the model.
    void unloadModel(Animated3DModel* model);

    void addSprite(Sprite* sprite);
    bool hasSprite(Sprite* sprite) const;
    // Removes the sprite from the sprite manager, which deletes it.
    void unloadSprite(Sprite* sprite);

    void addSound(Sound_Abstract* sound);
    bool hasSound(Sound_Abstract* sound) const;

    // Unloads every model and sprite left and forgets the sounds.
    void releaseAll();

private:
    std::unordered_set<Animated3DModel*> models;
    std::unordered_set<Sprite*> sprites;
    std::unordered_set<Sound_Abstract*> sounds;
};

#endif
