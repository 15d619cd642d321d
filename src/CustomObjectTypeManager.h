#ifndef CUSTOMOBJECTTYPEMANAGER_H
#define CUSTOMOBJECTTYPEMANAGER_H

// The registry of script object types: the per-step load and unload of each
// type's script state. The states themselves are shared by all script objects
// (see CustomObject); the manager keeps the font and the sound manager it was
// created with for the script interface, and owns neither.

class Font;
class SoundManager;

class CustomObjectTypeManager
{
public:
    CustomObjectTypeManager(Font const* font, SoundManager* soundManager);
    ~CustomObjectTypeManager();

    // Before a manage step: every type used in the previous step becomes unused.
    void initUnused();
    // After a manage step: every type no object used in it gets its unload call.
    void freeUnused();

    Font const* getFont() const;
    SoundManager* getSoundManager() const;

private:
    Font const* font;
    SoundManager* soundManager;
};

#endif
