#ifndef LUAFUNCS_H
#define LUAFUNCS_H

// The game script's host: one Lua 5.1 interpreter in a bare state (none of
// Lua's own libraries), in which the engine's functions are registered as
// globals before the script file runs. The rest of the game calls the
// script's functions by name through it; any script error ends the program
// with a report giving the interpreter's message and the script's call stack.
//
// The state the script works on is module-wide, in file-scope globals: the
// world, the current script object and its distance to the player, the font
// and the sound manager, the integer global variables that travel in game
// saves, the load, save and quit requests, the fog colour and the water
// switch. A new script empties the variables and clears the quit request; the
// colour, the water switch and pending load and save requests survive it.
//
// The object owns its interpreter and the models and sprites the script
// loaded (released with the script if it did not unload them itself).

#include "BasicVector.h"
#include "ScriptHandles.h"
#include "Utils.h"

#include <cstdint>
#include <map>
#include <string>

struct lua_State;
class CustomObject;
class Font;
class SoundManager;
class World;

class LuaFuncs
{
public:
    // Script global variables by name, in byte order of the names.
    typedef std::map<std::string, int32_t, Utils::Ltstr> VariablesAndValues;

    // Keeps font and sound manager for the script's functions, empties the
    // variables, clears the quit request, then loads and runs the file.
    LuaFuncs(std::string const& fileName, Font const* font, SoundManager* soundManager);
    // Closes the interpreter (unloadFile) when one is open.
    virtual ~LuaFuncs();
    LuaFuncs(LuaFuncs const&) = delete;
    LuaFuncs& operator=(LuaFuncs const&) = delete;

    // Creates the interpreter, registers the engine's functions and runs the
    // file; a file that cannot be read, does not compile or fails is fatal.
    // An interpreter already open is closed first.
    void loadFile(std::string const& fileName);
    // Closes the interpreter, releasing the models and sprites the script kept.
    void unloadFile();

    // Runs the script's global function of that name to completion; a missing
    // function or an error in it is fatal. Leaves the interpreter's stack as it was.
    virtual void callLuaGenericFunction(char const* functionName);
    // What the script's "lua_getNbObjects" returns: the number of script object types.
    int getNbObjects();

    void injectWorld(World* world);
    // Makes the object the one the script's object functions act on, and
    // measures its distance to the player.
    virtual void injectCurrentObject(CustomObject* object);
    // The current object where it is now, NULL when there is none (never
    // injected, or removed from the world since).
    CustomObject* getCurrentObject() const;

    VariablesAndValues const& getVariablesAndValues() const;
    void clearVariablesAndValues();
    // Inserts or replaces.
    void setVariableAndValue(std::string const& name, int32_t value);

    bool isQuitGame() const;
    Color4 const& getBackgroundAndFogColor() const;
    bool getIsWaterEnable() const;
    // The file name of the game load the script asked for, "" when none; each
    // request is handed out once.
    std::string getLoadGameFile();
    // The same for a game save.
    std::string getSaveGameFile();

protected:
    // A script interface without a script, for stand-ins that play the game
    // script's part in tests of the world model.
    LuaFuncs();

private:
    lua_State* lua;
    ScriptHandles handles;
};

#endif
