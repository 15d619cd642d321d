#ifndef WORLD_H
#define WORLD_H

// The running game's world: it owns the cube world, the world editor, the
// player and the sky box, and switches between play mode and editor mode (the
// 'a' key). Each frame it places the far plane and the light, advances the
// cube world and the player, and, when the game script asks, places the camera
// and draws the sky, the player, the fogged cube world, the water and the
// editor's markers. It routes the frame's input to the editor or to the
// script-driven box placement and the player. It is also the obstacle the
// player collides with: a point test against the cube world's solid cubes.

#include "BasicVector.h"
#include "Editor3D.h"
#include "IndexedWorld.h"
#include "MouseEvent.h"
#include "Object3D.h"

#include <cstdio>

class Font;
class LuaFuncs;
class Player;
class SkyBox;
class SoundManager;

class World : public Object3D
{
public:
    // Loads WORLD_FILENAME, the player's model and sounds and the sky box pictures.
    World(Font const* font, SoundManager* soundManager);
    ~World() override;
    World(World const&) = delete;
    World& operator=(World const&) = delete;

    bool isThere3DIntersectionPoint(Float3 const& p) const override;
    // A point test at to: on a hit out becomes from, on a miss out is left alone.
    bool isThere3DIntersection(Float3 const& from, Float3 const& to, Float3& out) const override;
    // The cube world's segment test.
    bool isThere3DIntersection2(Float3 const& from, Float3 const& to, Float3& out) const override;
    void drawNoPos() const override;

    // One frame: far plane, light, the cube world, then the player unless it is frozen.
    void manage(LuaFuncs* luaFuncs);
    void updateCamera();
    void draw3D() const;
    // fullscreenSpriteDrawn: the script covered the screen, so the 3-D world
    // and the player rest until a later pass without it.
    void draw2D(bool fullscreenSpriteDrawn, int nbObjects);
    void clearBackground(Color4 const& color) const;

    // result is handed to the editor in editor mode and left alone otherwise.
    void injectKeyEvent(unsigned char key, int nbObjects, bool& result);
    void injectMouseEvent(MouseEvent const& event, int nbObjects, bool& result);

    // The script's single-box placement; each does nothing in editor mode.
    void startCubeCreation(Float3 const& position);
    bool manageCubeCreation(Int3& first, Int3& second);
    bool createCube(Int3 const& first, Int3 const& second, int cubeType);

    void setWaterEnable(bool enable);
    void setUsingBackgroundBox(bool enable);
    void setDistanceVision(float distance);
    float getDistanceVision() const;
    void enableShadows(bool enable);
    void setBackgroundAndFogColor(Color4 const& color);
    Color4 const& getBackgroundAndFogColor() const;
    bool isEditorMode() const;
    void setEditorMode(bool enabled);

    void freeCustomObjects(LuaFuncs* luaFuncs);

    // The player's 24-byte record of a game save; nothing else of the world is saved.
    void saveGameSave(FILE* file) const;
    void loadGameSave(FILE* file);

    Player& getPlayer();
    Player const& getPlayer() const;
    Editor3D& getEditor();
    Editor3D const& getEditor() const;
    IndexedWorld& getIndexedWorld();

private:
    Float3 getLightAnchor_() const;
    void applyPendingMouseLook_();

    bool editorMode;
    IndexedWorld indexedWorld;
    Editor3D editor;
    // The editor's 2-D overlay writes with it.
    Font const* font;
    Player* player;
    // The flag of the last 2-D pass: while a full-screen sprite covers the
    // screen nothing of the 3-D world is drawn and the player is frozen.
    bool drawnSpriteFullscreen;
    SkyBox* skyBox;
    Color4 backgroundAndFogColor;
    // Kept for the script's F5/F6 switch; nothing draws a background box.
    bool usingBackgroundBox;
    // The view distance plus the margin of regions drawn beyond the fog.
    float distanceVisionPlus400;
    // The last pointer motion of the frame in play mode. Mouse look measures a
    // motion from the window centre, where it puts the pointer back; motions
    // queued before that happened would each count the whole way again, so
    // only the frame's last one is looked at, by the next manage.
    bool hasPendingMouseLook;
    MouseEvent pendingMouseLook;
};

#endif
