#include "LuaFuncs.h"

#include "Animated3DModel.h"
#include "CustomObject.h"
#include "DeviceManager.h"
#include "Errors.h"
#include "Font.h"
#include "IndexedWorld.h"
#include "KeyboardManager.h"
#include "MathManager.h"
#include "Player.h"
#include "Scene2D.h"
#include "Scene3D.h"
#include "SoundManager.h"
#include "Sprite.h"
#include "SpriteManager.h"
#include "World.h"
#include "WorldRegion.h"

extern "C"
{
#include <lauxlib.h>
#include <lua.h>
}

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <vector>

namespace
{
// The script object the object functions act on. The pointer points into a
// region's object list, so it is trusted only while no object list has changed
// since it was checked; after that the object is found again by its serial
// number, in the region of the position it was last given or, while it is
// still being managed there, of the position it had when it was injected.
struct CurrentObjectReference
{
    CustomObject* object = NULL;
    // 0: there is no current object.
    uint64_t serial = 0;
    Float3 position;
    Float3 positionAtInjection;
    uint64_t objectListsVersion = 0;
};

// The script interface's module-wide state.
World* world = NULL;
CurrentObjectReference currentObject;
float distanceToPlayer = 0.f;
Font const* font = NULL;
SoundManager* soundManager = NULL;
LuaFuncs::VariablesAndValues variablesAndValues;
std::string loadGameSignal;
std::string saveGameSignal;
bool quitGameInterruptSignal = false;
Color4 backgroundAndFogColor(255, 255, 255, 255);
bool isWaterEnable = true;
bool isDrawnSpriteFullscreen = false;

// Registry keys of the interpreter: the handles of its script, and the error
// handler every call runs under (kept there so a call allocates nothing).
char const* const HANDLES_KEY = "engine.handles";
char const* const ERROR_HANDLER_KEY = "engine.errorHandler";

// A traceback shows the innermost and the outermost levels of a deep stack.
int const TRACEBACK_FIRST_LEVELS = 12;
int const TRACEBACK_LAST_LEVELS = 10;

// ---- Reading the interpreter's stack

// "file:line" of a level of the script's call stack, Lua's own way of naming it.
std::string describeLevel(lua_State* lua, lua_Debug& level)
{
    lua_getinfo(lua, "Sln", &level);
    std::string text = level.short_src;
    if (level.currentline > 0)
        text += ":" + std::to_string(level.currentline);
    text += ": ";
    if (*level.namewhat != '\0')
        text += std::string("in function '") + level.name + "'";
    else if (*level.what == 'm')
        text += "in main chunk";
    else if (*level.what == 'C')
        text += "?";
    else
        text += std::string("in function <") + level.short_src + ":" + std::to_string(level.linedefined) + ">";
    return text;
}

// The error object as text: a string or a number as such, any other value by its type.
std::string errorObjectText(lua_State* lua, int index)
{
    size_t length = 0;
    char const* const text = lua_tolstring(lua, index, &length);
    if (text != NULL)
        return std::string(text, length);
    return std::string("(error object is a ") + lua_typename(lua, lua_type(lua, index)) + " value)";
}

// The error handler of every call: the interpreter's message followed by the
// script's call stack at the error. The bare state has no debug library for
// the script, so the stack is read here through the C debug interface.
int addTraceback(lua_State* lua)
{
    std::string text = errorObjectText(lua, 1);
    text += "\nstack traceback:";
    lua_Debug level;
    int nbLevels = 0;
    while (lua_getstack(lua, nbLevels + 1, &level) != 0)
        ++nbLevels;
    if (nbLevels == 0)
        text += "\n\t(no script function was running)";
    for (int i = 1; i <= nbLevels; ++i)
    {
        if (i == TRACEBACK_FIRST_LEVELS + 1 && nbLevels > TRACEBACK_FIRST_LEVELS + TRACEBACK_LAST_LEVELS)
        {
            text += "\n\t...";
            i = nbLevels - TRACEBACK_LAST_LEVELS + 1;
        }
        lua_getstack(lua, i, &level);
        text += "\n\t" + describeLevel(lua, level);
    }
    lua_pushlstring(lua, text.data(), text.size());
    return 1;
}

// The message of a failed check, kept for the report: checks build it only when they fail.
char const* reportText(std::string const& text)
{
    static std::string kept;
    kept = text;
    return kept.c_str();
}

// Where in the script the running engine function was called, for the reports
// of its checks: "called from world.lua:12". Valid until the next call.
char const* calledFrom(lua_State* lua)
{
    static std::string text;
    lua_Debug level;
    if (lua_getstack(lua, 1, &level) == 0)
        return "called by the engine, not from the script";
    lua_getinfo(lua, "Sl", &level);
    text = std::string("called from ") + level.short_src;
    if (level.currentline > 0)
        text += ":" + std::to_string(level.currentline);
    return text.c_str();
}

// The fatal report of a script failure, with the interpreter's message on top of its stack.
[[noreturn]] void reportScriptFailure(lua_State* lua, char const* what, char const* functionName)
{
    ASSERT(functionName != NULL, NULL);
    std::string const message = std::string("lua ('") + what + functionName + "'): " + errorObjectText(lua, -1);
    FATAL_ERROR(message.c_str());
}

// ---- Reading arguments

// Truncated toward zero; NaN reads as 0 and numbers beyond the int range as
// its nearest end, where a bare conversion would be undefined.
int truncateToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value <= double(INT_MIN))
        return INT_MIN;
    if (value >= double(INT_MAX))
        return INT_MAX;
    return static_cast<int>(value);
}

int truncatedArgument(lua_State* lua, int index)
{
    return truncateToInt(lua_tonumber(lua, index));
}

// A number argument as a float; beyond the float range it is infinite.
float floatArgument(lua_State* lua, int index)
{
    double const value = lua_tonumber(lua, index);
    if (value > double(FLT_MAX))
        return HUGE_VALF;
    if (value < -double(FLT_MAX))
        return -HUGE_VALF;
    return static_cast<float>(value);
}

Float3 float3Arguments(lua_State* lua, int firstIndex)
{
    return Float3(floatArgument(lua, firstIndex), floatArgument(lua, firstIndex + 1), floatArgument(lua, firstIndex + 2));
}

// A string argument with any zero bytes in it; a number gives its text, any other value "".
std::string stringArgument(lua_State* lua, int index)
{
    size_t length = 0;
    char const* const text = lua_tolstring(lua, index, &length);
    return text != NULL ? std::string(text, length) : std::string();
}

void pushFloat3(lua_State* lua, Float3 const& value)
{
    lua_pushnumber(lua, value.x());
    lua_pushnumber(lua, value.y());
    lua_pushnumber(lua, value.z());
}

// ---- Handles

ScriptHandles& handlesOf(lua_State* lua)
{
    lua_getfield(lua, LUA_REGISTRYINDEX, HANDLES_KEY);
    ScriptHandles* const handles = static_cast<ScriptHandles*>(lua_touserdata(lua, -1));
    lua_pop(lua, 1);
    return *handles;
}

char const* unknownHandle(lua_State* lua, char const* functionName, char const* kind, char const* loadedBy)
{
    return reportText(std::string(functionName) + " was given a " + kind + " handle that " + loadedBy +
                      " never returned or that was unloaded since; " + calledFrom(lua));
}

// The model handle of the first argument; a null, unknown or unloaded one is fatal.
Animated3DModel* modelArgument(lua_State* lua, char const* functionName)
{
    Animated3DModel* const modelp = static_cast<Animated3DModel*>(lua_touserdata(lua, 1));
    ASSERT(modelp != 0, calledFrom(lua));
    ASSERT(handlesOf(lua).hasModel(modelp),
           unknownHandle(lua, functionName, "model", "load3DModel or load3DModelAnimated"));
    return modelp;
}

Sprite* spriteArgument(lua_State* lua, char const* functionName)
{
    Sprite* const spritep = static_cast<Sprite*>(lua_touserdata(lua, 1));
    ASSERT(spritep != 0, calledFrom(lua));
    ASSERT(handlesOf(lua).hasSprite(spritep), unknownHandle(lua, functionName, "sprite", "load2DSprite"));
    return spritep;
}

Sound_Abstract* soundArgument(lua_State* lua, char const* functionName)
{
    Sound_Abstract* const soundp = static_cast<Sound_Abstract*>(lua_touserdata(lua, 1));
    ASSERT(soundp != 0, calledFrom(lua));
    ASSERT(handlesOf(lua).hasSound(soundp), unknownHandle(lua, functionName, "sound", "loadSound"));
    return soundp;
}

// ---- The current object

CustomObject* findCurrentObject()
{
    if (currentObject.serial == 0)
        return NULL;
    uint64_t const version = WorldRegion::getObjectListsVersion();
    if (currentObject.objectListsVersion == version)
        return currentObject.object;
    CustomObject* found = IndexedWorld::findCustomObject(currentObject.serial, currentObject.position);
    if (found == NULL && currentObject.position != currentObject.positionAtInjection)
        found = IndexedWorld::findCustomObject(currentObject.serial, currentObject.positionAtInjection);
    if (found == NULL)
        currentObject = CurrentObjectReference();
    currentObject.object = found;
    currentObject.objectListsVersion = version;
    return found;
}

// The current object; its absence is fatal with a report naming the function.
CustomObject& currentObjectFor(lua_State* lua, char const* functionName)
{
    CustomObject* const object = findCurrentObject();
    ASSERT(object != NULL, reportText(std::string(functionName) +
                                      " needs a current script object, and there is none: no object was managed "
                                      "yet, or it was removed from the world; " +
                                      calledFrom(lua)));
    return *object;
}

// ---- The game world

// The world the functions act on; a script run before one was given is fatal.
World& worldFor(lua_State* lua, char const* functionName)
{
    ASSERT(world != NULL, reportText(std::string(functionName) + " needs the game world, and the script was given none; " +
                                     calledFrom(lua)));
    return *world;
}

Player& playerFor(lua_State* lua, char const* functionName)
{
    return worldFor(lua, functionName).getPlayer();
}

Camera& sceneCamera()
{
    return scene3D->getCamera();
}

// Calls the script's global function through the error handler with one
// result, which it leaves on top of the stack; returns the handler's index,
// below the result. A missing function or an error in it is fatal.
int callWithOneResult(lua_State* lua, char const* functionName)
{
    lua_getfield(lua, LUA_REGISTRYINDEX, ERROR_HANDLER_KEY);
    int const handlerIndex = lua_gettop(lua);
    lua_getfield(lua, LUA_GLOBALSINDEX, functionName);
    if (lua_pcall(lua, 0, 1, handlerIndex) != 0)
        reportScriptFailure(lua, "calling function ", functionName);
    return handlerIndex;
}

// What the script's "lua_getNbObjects" returns, which must be a number.
int callGetNbObjects(lua_State* lua)
{
    int const handlerIndex = callWithOneResult(lua, "lua_getNbObjects");
    ASSERT(lua_isnumber(lua, -1), "lua_getNbObjects must return the number of script object types");
    lua_Integer const count = lua_tointeger(lua, -1);
    lua_settop(lua, handlerIndex - 1);
    return int(std::max<lua_Integer>(INT_MIN, std::min<lua_Integer>(INT_MAX, count)));
}

Int3 int3Arguments(lua_State* lua, int firstIndex)
{
    return Int3(int(lua_tointeger(lua, firstIndex)), int(lua_tointeger(lua, firstIndex + 1)),
                int(lua_tointeger(lua, firstIndex + 2)));
}

void pushInt3(lua_State* lua, Int3 const& value)
{
    lua_pushnumber(lua, value.x());
    lua_pushnumber(lua, value.y());
    lua_pushnumber(lua, value.z());
}

// ---- The functions the script calls

int scriptLoad3DModel(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 1, calledFrom(lua));
    Animated3DModel* const model = new Animated3DModel(std::vector<std::string>(1, stringArgument(lua, 1)), 1.0f);
    handlesOf(lua).addModel(model);
    lua_pushlightuserdata(lua, model);
    return 1;
}

int scriptLoad3DModelAnimated(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc >= 2, calledFrom(lua));
    std::vector<std::string> fileNames;
    for (int i = 2; i <= argc; ++i)
        fileNames.push_back(stringArgument(lua, i));
    Animated3DModel* const model = new Animated3DModel(fileNames, 1.0f);
    model->setFramePeriod(truncatedArgument(lua, 1));
    handlesOf(lua).addModel(model);
    lua_pushlightuserdata(lua, model);
    return 1;
}

int scriptDraw3DModel(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 1, calledFrom(lua));
    modelArgument(lua, "draw3DModel")->drawNoPos();
    return 0;
}

int scriptUnload3DModel(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 1, calledFrom(lua));
    handlesOf(lua).unloadModel(modelArgument(lua, "unload3DModel"));
    return 0;
}

int scriptLoad2DSprite(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 1, calledFrom(lua));
    std::string const fileName = stringArgument(lua, 1);
    Sprite* const sprite = spriteManager->createSprite(fileName.c_str(), 1, false);
    handlesOf(lua).addSprite(sprite);
    lua_pushlightuserdata(lua, sprite);
    return 1;
}

int scriptDraw2DSprite(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 3, calledFrom(lua));
    Sprite* const sprite = spriteArgument(lua, "draw2DSprite");
    // The script may draw before draw2DWorld, while the 3-D world's set-up (lighting) still holds.
    scene2D->set2DMode();
    sprite->setPosition(Int2(truncatedArgument(lua, 2), truncatedArgument(lua, 3)));
    sprite->draw();
    return 0;
}

int scriptUnload2DSprite(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 1, calledFrom(lua));
    handlesOf(lua).unloadSprite(spriteArgument(lua, "unload2DSprite"));
    return 0;
}

Font const& fontFor(lua_State* lua, char const* functionName)
{
    ASSERT(font != NULL,
           reportText(std::string(functionName) + " needs a font, and the script was given none; " + calledFrom(lua)));
    return *font;
}

int scriptDrawText(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 3, calledFrom(lua));
    std::string const text = stringArgument(lua, 1);
    Int2 const position(truncatedArgument(lua, 2), truncatedArgument(lua, 3));
    scene2D->set2DMode();
    fontFor(lua, "drawText").drawText(position, text.c_str(), Float2(1.f, 1.f), -1, false);
    return 0;
}

int scriptDrawTextCenter(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 1, calledFrom(lua));
    std::string const text = stringArgument(lua, 1);
    Font const& textFont = fontFor(lua, "drawTextCenter");
    scene2D->set2DMode();
    Int2 const screen = scene2D->getVirtualSize();
    Int2 const position((screen.x() - textFont.getWidth(text.c_str(), -1, 1.0f)) / 2,
                        (screen.y() - textFont.getHeight()) / 2);
    textFont.drawText(position, text.c_str(), Float2(1.f, 1.f), -1, false);
    return 0;
}

// A value as print shows it: a handle as its address in decimal, a number or
// numeric string as an integer, a string as itself, anything else as Lua's own
// tostring would show it.
std::string printedValue(lua_State* lua, int index)
{
    switch (lua_type(lua, index))
    {
    case LUA_TLIGHTUSERDATA:
        return std::to_string(reinterpret_cast<uintptr_t>(lua_touserdata(lua, index)));
    case LUA_TNUMBER:
        return std::to_string(lua_tointeger(lua, index));
    case LUA_TSTRING:
        return lua_isnumber(lua, index) ? std::to_string(lua_tointeger(lua, index)) : stringArgument(lua, index);
    case LUA_TNIL:
        return "nil";
    case LUA_TBOOLEAN:
        return lua_toboolean(lua, index) ? "true" : "false";
    default:
        break;
    }
    char address[64] = {};
    std::snprintf(address, sizeof(address), "%s: %p", lua_typename(lua, lua_type(lua, index)),
                  lua_topointer(lua, index));
    return address;
}

int scriptPrint(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 1, calledFrom(lua));
    std::cout << "lua print: " << printedValue(lua, 1) << std::endl;
    return 0;
}

int scriptAssert(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 1, calledFrom(lua));
    ASSERT(lua_tointeger(lua, 1),
           reportText(std::string("An assert condition into lua script was false. ") + calledFrom(lua)));
    return 0;
}

int scriptIsEditorMode(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 0, calledFrom(lua));
    lua_pushnumber(lua, worldFor(lua, "isEditorMode").isEditorMode() ? 1 : 0);
    return 1;
}

int scriptGetKey(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 1, calledFrom(lua));
    std::string const chars = stringArgument(lua, 1);
    ASSERT(chars.size() == 1, calledFrom(lua));
    lua_pushinteger(lua, keyboardManager->keys[static_cast<unsigned char>(chars[0])] ? 1 : 0);
    return 1;
}

int scriptGetDistanceToPlayer(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 0, calledFrom(lua));
    currentObjectFor(lua, "getDistanceToPlayer");
    lua_pushnumber(lua, distanceToPlayer);
    return 1;
}

int scriptMove3DPosition(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 3, calledFrom(lua));
    scene3D->movePosition(float3Arguments(lua, 1));
    return 0;
}

int scriptGetPeriodDuration(lua_State* lua)
{
    lua_pushinteger(lua, lua_Integer(deviceManager->getLastFramePeriod()));
    return 1;
}

int scriptSetGlobalVar(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 2, calledFrom(lua));
    ASSERT(lua_isstring(lua, 1), calledFrom(lua));
    ASSERT(lua_isnumber(lua, 2), calledFrom(lua));
    variablesAndValues[stringArgument(lua, 1)] = truncatedArgument(lua, 2);
    return 0;
}

int scriptGetGlobalVar(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 1, calledFrom(lua));
    ASSERT(lua_isstring(lua, 1), calledFrom(lua));
    LuaFuncs::VariablesAndValues::const_iterator const found = variablesAndValues.find(stringArgument(lua, 1));
    lua_pushinteger(lua, found != variablesAndValues.end() ? found->second : 0);
    return 1;
}

int scriptAddToGlobalVar(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 2, calledFrom(lua));
    ASSERT(lua_isstring(lua, 1), calledFrom(lua));
    ASSERT(lua_isnumber(lua, 2), calledFrom(lua));
    int32_t& value = variablesAndValues[stringArgument(lua, 1)];
    // Wraps around like the 32-bit integer it is, without undefined overflow.
    value = int32_t(uint32_t(value) + uint32_t(truncatedArgument(lua, 2)));
    lua_pushinteger(lua, value);
    return 1;
}

int scriptGetTime(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 0, calledFrom(lua));
    lua_pushinteger(lua, Utils::getTime());
    return 1;
}

int scriptGetWindowSize(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 0, calledFrom(lua));
    Int2 const size = scene2D->getVirtualSize();
    lua_pushinteger(lua, size.x());
    lua_pushinteger(lua, size.y());
    return 2;
}

int scriptQuitGame(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 0, calledFrom(lua));
    quitGameInterruptSignal = true;
    return 0;
}

int scriptLoadGame(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 1, calledFrom(lua));
    loadGameSignal = stringArgument(lua, 1);
    return 0;
}

int scriptSaveGame(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 1, calledFrom(lua));
    saveGameSignal = stringArgument(lua, 1);
    return 0;
}

int scriptSetPlayerPosition(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 3, calledFrom(lua));
    playerFor(lua, "setPlayerPosition").setPosition(float3Arguments(lua, 1));
    return 0;
}

int scriptGetPlayerPosition(lua_State* lua)
{
    ASSERT(lua_gettop(lua) == 0, calledFrom(lua));
    pushFloat3(lua, playerFor(lua, "getPlayerPosition").getPosition());
    return 3;
}

int scriptSetPlayerSpeed(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 3, calledFrom(lua));
    playerFor(lua, "setPlayerSpeed").speed = float3Arguments(lua, 1);
    return 0;
}

int scriptGetPlayerSpeed(lua_State* lua)
{
    ASSERT(lua_gettop(lua) == 0, calledFrom(lua));
    pushFloat3(lua, playerFor(lua, "getPlayerSpeed").speed);
    return 3;
}

int scriptSetCameraAngleAndDistance(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 3, calledFrom(lua));
    Player& player = playerFor(lua, "setCameraAngleAndDistance");
    sceneCamera().setAngleX(floatArgument(lua, 1));
    sceneCamera().setAngleY(floatArgument(lua, 2));
    player.cameraDistance = floatArgument(lua, 3);
    return 0;
}

int scriptGetCameraAngleAndDistance(lua_State* lua)
{
    ASSERT(lua_gettop(lua) == 0, calledFrom(lua));
    Player const& player = playerFor(lua, "getCameraAngleAndDistance");
    lua_pushnumber(lua, sceneCamera().getAngleX());
    lua_pushnumber(lua, sceneCamera().getAngleY());
    lua_pushnumber(lua, player.cameraDistance);
    return 3;
}

int scriptGetCurrentObjectPosition(lua_State* lua)
{
    ASSERT(lua_gettop(lua) == 0, calledFrom(lua));
    pushFloat3(lua, currentObjectFor(lua, "getCurrentObjectPosition").getPosition());
    return 3;
}

int scriptSetCurrentObjectPosition(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 3, calledFrom(lua));
    CustomObject& object = currentObjectFor(lua, "setCurrentObjectPosition");
    Float3 const position = float3Arguments(lua, 1);
    object.setPosition(position);
    currentObject.position = position;
    scene3D->setPosition(position);
    return 0;
}

int scriptSetModelAnimationSpeed(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 2, calledFrom(lua));
    Animated3DModel* const model = modelArgument(lua, "setModelAnimationSpeed");
    model->setFramePeriod(truncateToInt(100000.0 / lua_tonumber(lua, 2)));
    return 0;
}

int scriptStopModelAnimation(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 1, calledFrom(lua));
    modelArgument(lua, "stopModelAnimation")->setRunning(false);
    return 0;
}

int scriptStartModelAnimation(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 1, calledFrom(lua));
    modelArgument(lua, "startModelAnimation")->setRunning(true);
    return 0;
}

void setMovement(lua_State* lua, char const* functionName, Player::MvtType type)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 0, calledFrom(lua));
    playerFor(lua, functionName).setMovementType(type);
}

int scriptSetPlayerMovementWalk(lua_State* lua)
{
    setMovement(lua, "setPlayerMovementWalk", Player::MVT_TYPE_WALK);
    return 0;
}

int scriptSetPlayerMovementCar(lua_State* lua)
{
    setMovement(lua, "setPlayerMovementCar", Player::MVT_TYPE_CAR);
    return 0;
}

int scriptSetPlayerMovementFly(lua_State* lua)
{
    setMovement(lua, "setPlayerMovementFly", Player::MVT_TYPE_FLY);
    return 0;
}

int scriptSetPlayerMovementNone(lua_State* lua)
{
    setMovement(lua, "setPlayerMovementNone", Player::MVT_TYPE_NONE);
    return 0;
}

int scriptGetPlayerMovementType(lua_State* lua)
{
    ASSERT(lua_gettop(lua) == 0, calledFrom(lua));
    lua_pushinteger(lua, playerFor(lua, "getPlayerMovementType").getMovementType());
    return 1;
}

int scriptSetObjectLocalVariable1(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 1, calledFrom(lua));
    currentObjectFor(lua, "setObjectLocalVariable1").setLocalVariable1(floatArgument(lua, 1));
    return 0;
}

int scriptSetObjectLocalVariable2(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 1, calledFrom(lua));
    currentObjectFor(lua, "setObjectLocalVariable2").setLocalVariable2(floatArgument(lua, 1));
    return 0;
}

int scriptGetObjectLocalVariable1(lua_State* lua)
{
    ASSERT(lua_gettop(lua) == 0, calledFrom(lua));
    lua_pushnumber(lua, currentObjectFor(lua, "getObjectLocalVariable1").getLocalVariable1());
    return 1;
}

int scriptGetObjectLocalVariable2(lua_State* lua)
{
    ASSERT(lua_gettop(lua) == 0, calledFrom(lua));
    lua_pushnumber(lua, currentObjectFor(lua, "getObjectLocalVariable2").getLocalVariable2());
    return 1;
}

int scriptLoadSound(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 1, calledFrom(lua));
    ASSERT(soundManager != NULL,
           reportText(std::string("loadSound needs a sound manager, and the script was given none; ") + calledFrom(lua)));
    std::string const fileName = stringArgument(lua, 1);
    Sound_Abstract* const sound = soundManager->getSound(fileName.c_str());
    handlesOf(lua).addSound(sound);
    lua_pushlightuserdata(lua, sound);
    return 1;
}

int scriptPlaySound(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 1, calledFrom(lua));
    soundArgument(lua, "playSound")->play(false);
    return 0;
}

int scriptIsPlayingSound(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 1, calledFrom(lua));
    lua_pushinteger(lua, soundArgument(lua, "isPlayingSound")->isPlaying() ? 1 : 0);
    return 1;
}

int scriptSetColor(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 4, calledFrom(lua));
    lua_Integer const r = lua_tointeger(lua, 1);
    lua_Integer const g = lua_tointeger(lua, 2);
    lua_Integer const b = lua_tointeger(lua, 3);
    lua_Integer const a = lua_tointeger(lua, 4);
    ASSERT(r < 256 && g < 256 && b < 256 && a < 256, calledFrom(lua));
    ASSERT(r >= 0 && g >= 0 && b >= 0 && a >= 0, calledFrom(lua));
    deviceManager->setColor(static_cast<unsigned char>(a), static_cast<unsigned char>(r),
                            static_cast<unsigned char>(g), static_cast<unsigned char>(b));
    return 0;
}

int scriptSetFogColor(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 3, calledFrom(lua));
    lua_Integer const r = lua_tointeger(lua, 1);
    lua_Integer const g = lua_tointeger(lua, 2);
    lua_Integer const b = lua_tointeger(lua, 3);
    ASSERT(r < 256 && g < 256 && b < 256, calledFrom(lua));
    ASSERT(r >= 0 && g >= 0 && b >= 0, calledFrom(lua));
    backgroundAndFogColor = Color4(r, g, b, 255);
    return 0;
}

// Clears the screen to black and draws the sprite centred on it.
void drawCentredOnBlack(Sprite& sprite)
{
    scene2D->set2DMode();
    deviceManager->clearBackground(colorBlack);
    Int2 const screen = scene2D->getVirtualSize();
    Int2 const size = sprite.getSize();
    sprite.setPosition(Int2(int(screen.x() * 0.5f) - int(size.x() * 0.5f), int(screen.y() * 0.5f) - int(size.y() * 0.5f)));
    sprite.draw();
    isDrawnSpriteFullscreen = true;
}

int scriptDrawSpriteFullscreen(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 1, calledFrom(lua));
    drawCentredOnBlack(*spriteArgument(lua, "drawSpriteFullscreen"));
    return 0;
}

int scriptDrawSpriteFullscreenStretched(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 1, calledFrom(lua));
    Sprite& sprite = *spriteArgument(lua, "drawSpriteFullscreenStretched");
    sprite.setSizeDelimiters(scene2D->getVirtualSize());
    drawCentredOnBlack(sprite);
    sprite.setScale(Float2(1.f, 1.f));
    return 0;
}

int scriptClearBackground(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 0, calledFrom(lua));
    worldFor(lua, "clearBackground").clearBackground(backgroundAndFogColor);
    return 0;
}

int scriptDraw2DWorld(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 0, calledFrom(lua));
    World& gameWorld = worldFor(lua, "draw2DWorld");
    int64_t const start = Utils::getMicrosecondTime();
    scene2D->set2DMode();
    gameWorld.draw2D(isDrawnSpriteFullscreen, callGetNbObjects(lua));
    isDrawnSpriteFullscreen = false;
    lua_pushnumber(lua, lua_Number(Utils::getMicrosecondTime() - start));
    return 1;
}

int scriptDraw3DWorld(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 0, calledFrom(lua));
    World& gameWorld = worldFor(lua, "draw3DWorld");
    int64_t const start = Utils::getMicrosecondTime();
    gameWorld.updateCamera();
    gameWorld.draw3D();
    lua_pushnumber(lua, lua_Number(Utils::getMicrosecondTime() - start));
    return 1;
}

int scriptSetWaterEnable(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 1, calledFrom(lua));
    isWaterEnable = lua_tointeger(lua, 1) != 0;
    return 0;
}

int scriptStartCubeCreation(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 3, calledFrom(lua));
    worldFor(lua, "startCubeCreation").startCubeCreation(float3Arguments(lua, 1));
    return 0;
}

int scriptManageCubeCreation(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 0, calledFrom(lua));
    Int3 first(0, 0, 0);
    Int3 second(0, 0, 0);
    bool const confirmed = worldFor(lua, "manageCubeCreation").manageCubeCreation(first, second);
    lua_pushnumber(lua, confirmed ? 1 : 0);
    pushInt3(lua, first);
    pushInt3(lua, second);
    return 7;
}

int scriptCreateCube(lua_State* lua)
{
    int const argc = lua_gettop(lua);
    ASSERT(argc == 7, calledFrom(lua));
    worldFor(lua, "createCube").createCube(int3Arguments(lua, 1), int3Arguments(lua, 4), int(lua_tointeger(lua, 7)));
    return 0;
}

struct ScriptFunction
{
    char const* name;
    lua_CFunction function;
};

// Registered in this order.
ScriptFunction const SCRIPT_FUNCTIONS[] = {
    {"load3DModel", scriptLoad3DModel},
    {"load3DModelAnimated", scriptLoad3DModelAnimated},
    {"draw3DModel", scriptDraw3DModel},
    {"unload3DModel", scriptUnload3DModel},
    {"load2DSprite", scriptLoad2DSprite},
    {"draw2DSprite", scriptDraw2DSprite},
    {"unload2DSprite", scriptUnload2DSprite},
    {"drawText", scriptDrawText},
    {"drawTextCenter", scriptDrawTextCenter},
    {"print", scriptPrint},
    {"assert", scriptAssert},
    {"isEditorMode", scriptIsEditorMode},
    {"getKey", scriptGetKey},
    {"getDistanceToPlayer", scriptGetDistanceToPlayer},
    {"move3DPosition", scriptMove3DPosition},
    {"getPeriodDuration", scriptGetPeriodDuration},
    {"setGlobalVar", scriptSetGlobalVar},
    {"getGlobalVar", scriptGetGlobalVar},
    {"addToGlobalVar", scriptAddToGlobalVar},
    {"getTime", scriptGetTime},
    {"getWindowSize", scriptGetWindowSize},
    {"quitGame", scriptQuitGame},
    {"loadGame", scriptLoadGame},
    {"saveGame", scriptSaveGame},
    {"setPlayerPosition", scriptSetPlayerPosition},
    {"getPlayerPosition", scriptGetPlayerPosition},
    {"setPlayerSpeed", scriptSetPlayerSpeed},
    {"getPlayerSpeed", scriptGetPlayerSpeed},
    {"setCameraAngleAndDistance", scriptSetCameraAngleAndDistance},
    {"getCameraAngleAndDistance", scriptGetCameraAngleAndDistance},
    {"getCurrentObjectPosition", scriptGetCurrentObjectPosition},
    {"setCurrentObjectPosition", scriptSetCurrentObjectPosition},
    {"setModelAnimationSpeed", scriptSetModelAnimationSpeed},
    {"stopModelAnimation", scriptStopModelAnimation},
    {"startModelAnimation", scriptStartModelAnimation},
    {"setPlayerMovementWalk", scriptSetPlayerMovementWalk},
    {"setPlayerMovementCar", scriptSetPlayerMovementCar},
    {"setPlayerMovementFly", scriptSetPlayerMovementFly},
    {"setPlayerMovementNone", scriptSetPlayerMovementNone},
    {"getPlayerMovementType", scriptGetPlayerMovementType},
    {"setObjectLocalVariable1", scriptSetObjectLocalVariable1},
    {"setObjectLocalVariable2", scriptSetObjectLocalVariable2},
    {"getObjectLocalVariable1", scriptGetObjectLocalVariable1},
    {"getObjectLocalVariable2", scriptGetObjectLocalVariable2},
    {"loadSound", scriptLoadSound},
    {"playSound", scriptPlaySound},
    {"isPlayingSound", scriptIsPlayingSound},
    {"setColor", scriptSetColor},
    {"setFogColor", scriptSetFogColor},
    {"drawSpriteFullscreen", scriptDrawSpriteFullscreen},
    {"drawSpriteFullscreenStretched", scriptDrawSpriteFullscreenStretched},
    {"clearBackground", scriptClearBackground},
    {"draw2DWorld", scriptDraw2DWorld},
    {"draw3DWorld", scriptDraw3DWorld},
    {"setWaterEnable", scriptSetWaterEnable},
    {"startCubeCreation", scriptStartCubeCreation},
    {"manageCubeCreation", scriptManageCubeCreation},
    {"createCube", scriptCreateCube},
};
}

LuaFuncs::LuaFuncs(std::string const& fileName, Font const* scriptFont, SoundManager* scriptSoundManager) : lua(NULL)
{
    font = scriptFont;
    soundManager = scriptSoundManager;
    variablesAndValues.clear();
    quitGameInterruptSignal = false;
    loadFile(fileName);
}

LuaFuncs::LuaFuncs() : lua(NULL)
{
}

LuaFuncs::~LuaFuncs()
{
    if (lua != NULL)
        unloadFile();
}

void LuaFuncs::loadFile(std::string const& fileName)
{
    if (lua != NULL)
        unloadFile();
    std::cout << "Loading script '" << fileName << "' ... " << std::flush;
    lua = luaL_newstate();
    ASSERT(lua != NULL, "the script interpreter could not be created");
    for (ScriptFunction const& entry : SCRIPT_FUNCTIONS)
    {
        lua_pushcclosure(lua, entry.function, 0);
        lua_setfield(lua, LUA_GLOBALSINDEX, entry.name);
    }
    lua_pushlightuserdata(lua, &handles);
    lua_setfield(lua, LUA_REGISTRYINDEX, HANDLES_KEY);
    lua_pushcclosure(lua, addTraceback, 0);
    lua_setfield(lua, LUA_REGISTRYINDEX, ERROR_HANDLER_KEY);

    int const top = lua_gettop(lua);
    lua_getfield(lua, LUA_REGISTRYINDEX, ERROR_HANDLER_KEY);
    if (luaL_loadfile(lua, fileName.c_str()) != 0)
        reportScriptFailure(lua, "in file ", fileName.c_str());
    if (lua_pcall(lua, 0, LUA_MULTRET, top + 1) != 0)
        reportScriptFailure(lua, "in file ", fileName.c_str());
    lua_settop(lua, top);
    std::cout << "done." << std::endl;
}

void LuaFuncs::unloadFile()
{
    ASSERT(lua != NULL, "no script is loaded");
    lua_close(lua);
    lua = NULL;
    handles.releaseAll();
    std::cout << "Closing script." << std::endl;
}

void LuaFuncs::callLuaGenericFunction(char const* functionName)
{
    ASSERT(functionName != NULL, NULL);
    ASSERT(lua != NULL, "no script is loaded");
    int const handlerIndex = callWithOneResult(lua, functionName);
    lua_settop(lua, handlerIndex - 1);
}

int LuaFuncs::getNbObjects()
{
    ASSERT(lua != NULL, "no script is loaded");
    return callGetNbObjects(lua);
}

void LuaFuncs::injectWorld(World* newWorld)
{
    world = newWorld;
}

void LuaFuncs::injectCurrentObject(CustomObject* object)
{
    ASSERT(object != NULL, NULL);
    currentObject.object = object;
    currentObject.serial = object->getSerial();
    currentObject.position = object->getPosition();
    currentObject.positionAtInjection = object->getPosition();
    currentObject.objectListsVersion = WorldRegion::getObjectListsVersion();
    // Without a world there is no player to measure from.
    distanceToPlayer = 0.f;
    if (world != NULL)
    {
        Float3 const offset = object->getPosition() - world->getPlayer().getPosition();
        distanceToPlayer = MathManager::accurateSqrt(offset.x() * offset.x() + offset.y() * offset.y() + offset.z() * offset.z());
    }
}

CustomObject* LuaFuncs::getCurrentObject() const
{
    return findCurrentObject();
}

LuaFuncs::VariablesAndValues const& LuaFuncs::getVariablesAndValues() const
{
    return variablesAndValues;
}

void LuaFuncs::clearVariablesAndValues()
{
    variablesAndValues.clear();
}

void LuaFuncs::setVariableAndValue(std::string const& name, int32_t value)
{
    variablesAndValues[name] = value;
}

bool LuaFuncs::isQuitGame() const
{
    return quitGameInterruptSignal;
}

Color4 const& LuaFuncs::getBackgroundAndFogColor() const
{
    return backgroundAndFogColor;
}

bool LuaFuncs::getIsWaterEnable() const
{
    return isWaterEnable;
}

std::string LuaFuncs::getLoadGameFile()
{
    std::string const requested = loadGameSignal;
    loadGameSignal.clear();
    return requested;
}

std::string LuaFuncs::getSaveGameFile()
{
    std::string const requested = saveGameSignal;
    saveGameSignal.clear();
    return requested;
}
