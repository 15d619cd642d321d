#include "LuaManager.h"

#include "Application.h"
#include "DeviceManager.h"
#include "Editor3D.h"
#include "Errors.h"
#include "FileManager.h"
#include "Font.h"
#include "KeyboardManager.h"
#include "LuaFuncs.h"
#include "MouseEvent.h"
#include "Scene2D.h"
#include "SoundManager.h"
#include "Sprite.h"
#include "SpriteManager.h"
#include "Utils.h"
#include "World.h"

#include <cstring>
#include <iostream>
#include <sstream>
#include <vector>

namespace
{
int const WINDOW_WIDTH = 800;
int const WINDOW_HEIGHT = 600;
int const FONT_SPACE_WIDTH = 16;
// Sprites hang from their top-left corner, the loading picture from its centre.
int const HOT_SPOT_TOP_LEFT = 1;
int const HOT_SPOT_CENTRE = 2;
Int2 const CREDITS_POSITION(155, 100);
// The view distance stops shrinking at this, so it never reaches zero.
float const MIN_SHRINKABLE_VIEW_DISTANCE = 10.0f;
float const VIEW_DISTANCE_FACTOR = 1.2f;

// A game save stores little-endian 32-bit values; so does every machine the game runs on.
bool writeInt32(FILE* file, int32_t value)
{
    return std::fwrite(&value, sizeof value, 1, file) == 1;
}

bool readInt32(FILE* file, int32_t& value)
{
    return std::fread(&value, sizeof value, 1, file) == 1;
}

// Bytes between the read position and the end of the file.
long bytesLeft(FILE* file)
{
    long const here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0)
        return 0;
    long const end = std::ftell(file);
    std::fseek(file, here, SEEK_SET);
    return end > here ? end - here : 0;
}

bool isInside(int x, int y, int left, int right, int top, int bottom)
{
    return left < x && x <= right && top < y && y <= bottom;
}

bool isStrictlyInside(int x, int y, int left, int right, int top, int bottom)
{
    return left < x && x < right && top < y && y < bottom;
}

Sprite* createMenuSprite(char const* fileName)
{
    return deviceManager->getSpriteManager()->createSprite(fileName, HOT_SPOT_TOP_LEFT, false);
}
}

LuaManager::LuaManager(std::string const& programPath)
    : world(NULL), isRunning(true), isMainMenuVisible(false), isOptionsMenuVisible(false), font(NULL),
      soundManager(NULL), luaFuncs(NULL), mainMenuSprite(NULL), optionsMenuSprite(NULL), menuMouseSprite(NULL)
{
    std::cout << "================ Initializing ..." << std::endl;
    DeviceManager::newInstance(programPath, "", WINDOW_WIDTH, WINDOW_HEIGHT, false);
    soundManager = new SoundManager(programPath);
    font = new Font(deviceManager, "default_font.png", FONT_SPACE_WIDTH, false);
    deviceManager->setMouseCursorVisible(false);
    mainMenuSprite = createMenuSprite("menus/main_menu.png");
    optionsMenuSprite = createMenuSprite("menus/options_menu.png");
    menuMouseSprite = createMenuSprite("menus/menu_mouse.png");
    mainMenuSprite->setPosition(Int2(0, 0));
    optionsMenuSprite->setPosition(Int2(0, 0));
    showLoadingScreen_();
    world = new World(font, soundManager);
    reloadScriptFile(WORLD_LUA_SCRIPT, world);
    std::cout << "================ Initialized, first draw ..." << std::endl;
}

LuaManager::~LuaManager()
{
    unloadScriptFile();
    SpriteManager* const sprites = deviceManager->getSpriteManager();
    sprites->removeSprite(mainMenuSprite);
    sprites->removeSprite(optionsMenuSprite);
    sprites->removeSprite(menuMouseSprite);
    delete world;
    delete soundManager;
    delete font;
    DeviceManager::deleteInstance();
}

void LuaManager::showLoadingScreen_() const
{
    Scene2D* const scene = deviceManager->getScene2D();
    scene->set2DMode();
    deviceManager->loopEvent();
    deviceManager->clearBackground(colorBlack);
    deviceManager->setColor(colorWhite);
    SpriteManager* const sprites = deviceManager->getSpriteManager();
    Sprite* const loading = sprites->createSprite("loading.png", HOT_SPOT_CENTRE, false);
    Int2 const size = scene->getVirtualSize();
    loading->setPosition(Int2(static_cast<int>(size.x() * 0.5f), static_cast<int>(size.y() * 0.5f)));
    loading->draw();
    deviceManager->loopEvent();
    sprites->removeSprite(loading);
}

void LuaManager::reloadScriptFile(std::string const& fileName, World* scriptWorld)
{
    std::cout << "==== Reload script file" << std::endl;
    unloadScriptFile();
    luaFuncs = new LuaFuncs(fileName, font, soundManager);
    luaFuncs->injectWorld(scriptWorld);
    luaFuncs->callLuaGenericFunction("lua_onInitGame");
    std::cout << "==== Script file reloaded" << std::endl;
}

void LuaManager::unloadScriptFile()
{
    if (luaFuncs == NULL)
        return;
    luaFuncs->callLuaGenericFunction("lua_onUninitGame");
    // A save asked for in the last frame, or on the way out, is not lost.
    carryOutPendingSave_();
    world->freeCustomObjects(luaFuncs);
    luaFuncs->clearVariablesAndValues();
    delete luaFuncs;
    luaFuncs = NULL;
}

void LuaManager::manageAndDraw()
{
    int64_t const t0 = Utils::getMicrosecondTime();
    int const swapTime = deviceManager->loopEvent();
    int64_t const t1 = Utils::getMicrosecondTime();
    // Closing the window ends the game like the quit button, with nothing
    // more drawn into a window that is gone.
    if (deviceManager->isWindowDestroyed())
    {
        isRunning = false;
        return;
    }
    injectKeyEvents_();
    injectMouseEvents_();
    luaFuncs->injectWorld(world);

    int64_t const tm0 = Utils::getMicrosecondTime();
    world->manage(luaFuncs);
    carryOutGameRequests_();
    int64_t const manageTime = Utils::getMicrosecondTime() - tm0;

    world->setWaterEnable(luaFuncs->getIsWaterEnable());
    world->setBackgroundAndFogColor(luaFuncs->getBackgroundAndFogColor());
    luaFuncs->callLuaGenericFunction("lua_loop");

    drawMenus_(swapTime, t1 - t0, manageTime);
    drawMouseCursor_();
    if (luaFuncs->isQuitGame())
        isRunning = false;
}

bool LuaManager::getIsRunning() const
{
    return isRunning;
}

void LuaManager::injectKeyEvents_()
{
    // A copy: the script may pump nothing, but the list belongs to the window layer.
    std::vector<int> const codes = deviceManager->getKeyboardManager()->keyEvents;
    for (int const code : codes)
        injectKeyEvent_(code);
}

void LuaManager::injectKeyEvent_(int code)
{
    bool const dialogClosed = world->getEditor().getDialogState() <= 0;
    if (isMainMenuVisible)
    {
        if (code == KeyboardManager::KEYASCII_ESCAPE && dialogClosed)
        {
            isMainMenuVisible = false;
            isOptionsMenuVisible = false;
        }
        return;
    }
    if (isOptionsMenuVisible)
    {
        isOptionsMenuVisible = false;
        isMainMenuVisible = true;
        return;
    }
    if (dialogClosed)
    {
        if (code == KeyboardManager::KEYASCII_ESCAPE)
            isMainMenuVisible = true;
        else if (code == KeyboardManager::KEYASCII_F5)
            world->setUsingBackgroundBox(true);
        else if (code == KeyboardManager::KEYASCII_F6)
            world->setUsingBackgroundBox(false);
    }
    bool result = false;
    world->injectKeyEvent(static_cast<unsigned char>(code & 0xFF), luaFuncs->getNbObjects(), result);
    if (result)
        luaFuncs->clearVariablesAndValues();
}

void LuaManager::injectMouseEvents_()
{
    std::vector<MouseEvent> const events = deviceManager->getMouseEvents();
    for (MouseEvent const& event : events)
    {
        bool const pressed = event.state == GLManager::MOUSE_BUTTON_DOWN;
        if (isMainMenuVisible)
        {
            if (pressed)
                pressInMainMenu_(event.position.x(), event.position.y());
            continue;
        }
        if (isOptionsMenuVisible)
        {
            if (pressed)
                pressInOptionsMenu_(event.position.x(), event.position.y());
            continue;
        }
        bool result = false;
        world->injectMouseEvent(event, luaFuncs->getNbObjects(), result);
        if (result)
            luaFuncs->clearVariablesAndValues();
    }
}

void LuaManager::pressInMainMenu_(int x, int y)
{
    if (isStrictlyInside(x, y, 200, 270, 15, 55))
        isMainMenuVisible = false;
    else if (isInside(x, y, 50, 149, 150, 214))
        world->setEditorMode(!world->isEditorMode());
    else if (isInside(x, y, 50, 149, 250, 314))
    {
        isMainMenuVisible = false;
        isOptionsMenuVisible = true;
    }
    else if (isInside(x, y, 50, 149, 350, 414))
        isRunning = false;
}

void LuaManager::pressInOptionsMenu_(int x, int y)
{
    int const column = (x - 50) / 100;
    if (isStrictlyInside(x, y, 200, 270, 10, 50))
    {
        isOptionsMenuVisible = false;
        isMainMenuVisible = true;
    }
    else if (isInside(x, y, 50, 449, 150, 199))
    {
        int const widths[4] = {800, -1, 640, 800};
        int const heights[4] = {600, -1, 480, 600};
        deviceManager->setMode(column != 0, widths[column], heights[column]);
    }
    else if (isInside(x, y, 50, 449, 200, 249))
    {
        int const widths[4] = {1024, 1280, 1280, 1920};
        int const heights[4] = {768, 1024, 800, 1200};
        deviceManager->setMode(true, widths[column], heights[column]);
    }
    else if (isInside(x, y, 50, 249, 350, 399))
    {
        float const distance = world->getDistanceVision();
        if (column == 0 && distance > MIN_SHRINKABLE_VIEW_DISTANCE)
            world->setDistanceVision(distance / VIEW_DISTANCE_FACTOR);
        else if (column == 1)
            world->setDistanceVision(distance * VIEW_DISTANCE_FACTOR);
    }
    else if (isInside(x, y, 50, 249, 450, 499))
        world->enableShadows(column == 1);
}

void LuaManager::carryOutGameRequests_()
{
    std::string const loadName = luaFuncs->getLoadGameFile();
    if (!loadName.empty() && FileManager::fileExists(loadName))
        loadGameSave(loadName);
    carryOutPendingSave_();
}

void LuaManager::carryOutPendingSave_()
{
    std::string const saveName = luaFuncs->getSaveGameFile();
    if (!saveName.empty())
        saveGameSave(saveName);
}

void LuaManager::saveGameSave(std::string const& fileName) const
{
    std::cout << "Saving game into file " << fileName << std::endl;
    FILE* const file = std::fopen(fileName.c_str(), "w+b");
    if (file == NULL)
    {
        Errors::printError("Could not create the game save file " + fileName);
        return;
    }
    world->saveGameSave(file);
    saveVariablesAndValues(file);
    std::fclose(file);
}

void LuaManager::loadGameSave(std::string const& fileName)
{
    FILE* const file = std::fopen(fileName.c_str(), "rb");
    if (file == NULL)
        return;
    std::cout << "Loading game from file " << fileName << std::endl;
    world->loadGameSave(file);
    loadVariablesAndValues(file);
    std::fclose(file);
}

void LuaManager::saveVariablesAndValues(FILE* file) const
{
    auto const& variables = luaFuncs->getVariablesAndValues();
    writeInt32(file, static_cast<int32_t>(variables.size()));
    for (auto const& entry : variables)
    {
        std::string const& name = entry.first;
        writeInt32(file, static_cast<int32_t>(name.size()));
        std::fwrite(name.data(), 1, name.size(), file);
        writeInt32(file, entry.second);
    }
}

void LuaManager::loadVariablesAndValues(FILE* file)
{
    luaFuncs->clearVariablesAndValues();
    int32_t count = 0;
    if (!readInt32(file, count))
        return;
    for (int32_t i = 0; i < count; ++i)
    {
        int32_t length = 0;
        if (!readInt32(file, length) || length < 0)
            return;
        // The name and its value must both be there: a length beyond the end is a cut file.
        if (static_cast<long>(length) > bytesLeft(file) - static_cast<long>(sizeof(int32_t)))
            return;
        std::string name(static_cast<size_t>(length), '\0');
        int32_t value = 0;
        if (std::fread(&name[0], 1, name.size(), file) != name.size() || !readInt32(file, value))
            return;
        luaFuncs->setVariableAndValue(name, value);
    }
}

std::string LuaManager::buildStatistics_(int64_t swapTime, int64_t loopEventTime, int64_t manageTime) const
{
    int64_t const period = deviceManager->getLastFramePeriod();
    std::ostringstream text;
    text << "FPS: " << 1000000.0f / static_cast<float>(period) << "\n";
    text << "Total: " << period << "\n";
    text << "Time swap buffers:" << swapTime << "\n";
    text << "Time loopEvent:" << loopEventTime << "\n";
    text << "Time manage:" << manageTime << "\n";
    return text.str();
}

void LuaManager::drawMenus_(int64_t swapTime, int64_t loopEventTime, int64_t manageTime) const
{
    if (!isMainMenuVisible && !isOptionsMenuVisible)
        return;
    Scene2D* const scene = deviceManager->getScene2D();
    // The script may have left the 3-D projection in place.
    scene->set2DMode();
    deviceManager->setColor(128, 0, 0, 0);
    scene->drawRectangle(Int2(0, 0), scene->getVirtualSize(), true);
    deviceManager->setColor(colorWhite);
    if (isOptionsMenuVisible)
    {
        optionsMenuSprite->draw();
        return;
    }
    mainMenuSprite->draw();
    Color4 const savedColor = deviceManager->getColor();
    deviceManager->setColor(colorWhite);
    Float2 const unitScale(1.0f, 1.0f);
    font->drawText(CREDITS_POSITION, credits, unitScale, -1, false);
    std::string const statistics = buildStatistics_(swapTime, loopEventTime, manageTime);
    font->drawText(CREDITS_POSITION + Int2(0, font->getHeight()), statistics.c_str(), unitScale, -1, false);
    deviceManager->setColor(savedColor);
}

void LuaManager::drawMouseCursor_() const
{
    if (!isMainMenuVisible && !isOptionsMenuVisible && !world->isEditorMode())
        return;
    deviceManager->getScene2D()->set2DMode();
    menuMouseSprite->setPosition(deviceManager->getMousePosition());
    menuMouseSprite->draw();
}

bool LuaManager::getIsMainMenuVisible() const
{
    return isMainMenuVisible;
}

bool LuaManager::getIsOptionsMenuVisible() const
{
    return isOptionsMenuVisible;
}

World* LuaManager::getWorld() const
{
    return world;
}
