#ifndef LUAMANAGER_H
#define LUAMANAGER_H

// The running game: it opens the window, loads the default font, the sound
// system, the menu pictures, the world and the game script, and runs one
// frame per manageAndDraw. A frame routes the input to the built-in main and
// options menus or to the world, advances the world, carries out the game
// loads and saves the script asked for, lets the script draw, and draws the
// menu overlay and the mouse cursor. It owns the world, the font, the sound
// manager and the script; the menu sprites belong to the sprite manager. It
// also reads and writes the game-save file: the player's record, then the
// script's global variables.

#include <cstdint>
#include <cstdio>
#include <string>

class Font;
class LuaFuncs;
class MouseEvent;
class SoundManager;
class Sprite;
class World;

class LuaManager
{
public:
    explicit LuaManager(std::string const& programPath);
    ~LuaManager();
    LuaManager(LuaManager const&) = delete;
    LuaManager& operator=(LuaManager const&) = delete;

    void manageAndDraw();
    bool getIsRunning() const;

    void reloadScriptFile(std::string const& fileName, World* world);
    void unloadScriptFile();

    void saveGameSave(std::string const& fileName) const;
    void loadGameSave(std::string const& fileName);
    void saveVariablesAndValues(FILE* file) const;
    // Never trusts the counts: reads stop at the end of the file.
    void loadVariablesAndValues(FILE* file);

    bool getIsMainMenuVisible() const;
    bool getIsOptionsMenuVisible() const;
    World* getWorld() const;

private:
    void showLoadingScreen_() const;
    void injectKeyEvents_();
    void injectKeyEvent_(int code);
    void injectMouseEvents_();
    void pressInMainMenu_(int x, int y);
    void pressInOptionsMenu_(int x, int y);
    void carryOutGameRequests_();
    void carryOutPendingSave_();
    void drawMenus_(int64_t swapTime, int64_t loopEventTime, int64_t manageTime) const;
    std::string buildStatistics_(int64_t swapTime, int64_t loopEventTime, int64_t manageTime) const;
    void drawMouseCursor_() const;

    World* world;
    bool isRunning;
    // Never both true.
    bool isMainMenuVisible;
    bool isOptionsMenuVisible;
    Font* font;
    SoundManager* soundManager;
    LuaFuncs* luaFuncs;
    Sprite* mainMenuSprite;
    Sprite* optionsMenuSprite;
    Sprite* menuMouseSprite;
};

#endif
