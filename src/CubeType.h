#ifndef CUBETYPE_H
#define CUBETYPE_H

// What one kind of cube looks like and whether it is solid: six face texture
// names (face index 0 top, 1 bottom, 2 front, 3 back, 4 left, 5 right), three
// per-axis texture repeat flags kept for the editor, and a collidable flag.
// The type owns its face sprites: the twelve face sprites (normal and darker
// "shadowed" variants) are loaded lazily on first use and released by the
// manager in a manage step that did not use the type; the semi-transparent
// shadow sprite, made on its first use, lives as long as the type. Sprites
// come from the sprite manager of the global device manager, which must exist
// only once something is drawn: reading, editing and saving types need no window.

#include "RecordReader.h"
#include "RecordWriter.h"

#include <string>

class Sprite;

class CubeType
{
public:
    static char const* const DIRECTORY_TEXTURES;
    static char const* const DIRECTORY_SHADOWED_TEXTURES;
    // Drawn over the partial static shadow triangles of every zone of the type.
    static char const* const SHADOW_TEXTURE_FILENAME;
    static constexpr int NB_FACES = 6;

    // names in face-index order; repeat points to three flags (x, y, z).
    CubeType(std::string const names[NB_FACES], bool const* repeat, bool collidable);
    // The cube type record of the world file.
    explicit CubeType(RecordReader& reader);
    ~CubeType();
    CubeType(CubeType const&) = delete;
    CubeType& operator=(CubeType const&) = delete;

    void saveToFile(RecordWriter& writer) const;

    // Loads the twelve face sprites unless they are loaded.
    void loadIfNeeded();
    // Releases the twelve face sprites, with a trace, when they are loaded.
    void removeSprites();
    // New names (name i to face i), repeat flags and collidable flag; the type
    // becomes unloaded and shows the new textures on its next use.
    void modifyCubeType(std::string const names[NB_FACES], bool const* repeat, bool collidable);

    bool getIsCollidable() const;
    bool getIsLoaded() const;
    std::string const& getTextureFilename(int face) const;
    bool getRepeatTexture(int axis) const;

    // Face sprites for drawing: load the type first when needed.
    Sprite* getTextureFace(int face);
    Sprite* getTextureFaceShadowed(int face);
    Sprite* getTextureShadow();
    // The editor's access: also marks the type as shown by the editor.
    Sprite* getTextureFaceForEditor(int face);

    bool getIsUsed() const;
    void setIsUsed(bool used);
    bool getIsUsedByEditor() const;
    void setIsUsedByEditor(bool used);

private:
    // Set by every lookup and use in a manage step; decides which types keep their sprites.
    bool isUsed;
    // Kept apart from isUsed because the editor shows types that no zone near the camera uses.
    bool isUsedByEditor;
    std::string textureFilename[NB_FACES];
    // All twelve null while unloaded, all set while loaded: textureFace[0] tells which.
    Sprite* textureFace[NB_FACES];
    Sprite* textureFaceShadowed[NB_FACES];
    bool repeatTexture[3];
    Sprite* textureShadow;
    bool isCollidable;
};

#endif
