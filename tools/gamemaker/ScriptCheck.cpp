#include "ScriptCheck.h"

#include "Errors.h"

extern "C"
{
#include <lauxlib.h>
#include <lua.h>
}

char const* const ScriptCheck::ENTRY_POINTS[4] = {"lua_onInitGame", "lua_onUninitGame", "lua_loop", "lua_getNbObjects"};

namespace
{
char const* const OBJECT_FUNCTION_PREFIXES[4] = {"lua_load", "lua_manage", "lua_draw", "lua_unload"};

int doNothing(lua_State* /*lua*/)
{
    return 0;
}

// __index of the globals: any name the script did not define is a no-op function.
int stubUndefinedGlobal(lua_State* lua)
{
    lua_pushcfunction(lua, doNothing);
    return 1;
}
} // namespace

ScriptCheck::ScriptCheck(std::string const& fileName) : fileName(fileName), lua(luaL_newstate()), isLoaded(false)
{
    ASSERT(lua != NULL, "the script interpreter could not be created");
    lua_newtable(lua);
    lua_pushcfunction(lua, stubUndefinedGlobal);
    lua_setfield(lua, -2, "__index");
    lua_setmetatable(lua, LUA_GLOBALSINDEX);
    if (luaL_loadfile(lua, fileName.c_str()) != 0 || lua_pcall(lua, 0, 0, 0) != 0)
    {
        char const* const message = lua_tostring(lua, -1);
        problems.push_back(fileName + ": does not load: " + (message != NULL ? message : "unknown error"));
        lua_pop(lua, 1);
        return;
    }
    isLoaded = true;
}

ScriptCheck::~ScriptCheck()
{
    lua_close(lua);
}

bool ScriptCheck::getIsLoaded() const
{
    return isLoaded;
}

void ScriptCheck::checkEntryPoints()
{
    if (!isLoaded)
        return;
    for (char const* name : ENTRY_POINTS)
        requireFunction_(name, "the game calls it");
}

void ScriptCheck::checkObjectTypes(std::set<int> const& objectTypes)
{
    if (!isLoaded)
        return;
    for (int type : objectTypes)
        for (char const* prefix : OBJECT_FUNCTION_PREFIXES)
            requireFunction_(std::string(prefix) + "_" + std::to_string(type),
                             "the world holds script objects of type " + std::to_string(type));
}

std::vector<std::string> const& ScriptCheck::getProblems() const
{
    return problems;
}

void ScriptCheck::requireFunction_(std::string const& name, std::string const& why)
{
    // Raw: the stubs must not count as the script's own functions.
    lua_pushstring(lua, name.c_str());
    lua_rawget(lua, LUA_GLOBALSINDEX);
    bool const isFunction = lua_isfunction(lua, -1);
    lua_pop(lua, 1);
    if (!isFunction)
        problems.push_back(fileName + ": no function " + name + " (" + why + ")");
}
