#include "World.h"

#include "DeviceManager.h"
#include "MouseEvent.h"
#include "Player.h"
#include "Scene3D.h"
#include "SkyBox.h"

#include <cctype>
#include <iostream>

namespace
{
float const VIEW_DISTANCE_MARGIN = 400.0f;
float const INITIAL_VIEW_DISTANCE_PLUS_MARGIN = 1500.0f;
float const FIELD_OF_VIEW_DEGREES = 90.0f;
// The sun stands far above and to the -x, -z side of what the player sees.
Float3 const SUN_OFFSET(-3000.0f, 10000.0f, -3000.0f);
Float3 const PLAYER_LIGHT_ANCHOR_OFFSET(0.0f, 20.0f, 0.0f);

Scene3D& scene()
{
    return *deviceManager->getScene3D();
}
}

World::World(Font const* font, SoundManager* soundManager)
    : Object3D(), editorMode(false), indexedWorld(font, WORLD_FILENAME, soundManager), editor(*font, &indexedWorld),
      font(font), player(NULL), drawnSpriteFullscreen(false), skyBox(NULL),
      backgroundAndFogColor(255, 255, 255, 255), usingBackgroundBox(false),
      distanceVisionPlus400(INITIAL_VIEW_DISTANCE_PLUS_MARGIN), hasPendingMouseLook(false), pendingMouseLook()
{
    scene().setFOV(FIELD_OF_VIEW_DEGREES);
    scene().setLighting(true);
    std::cout << "==== Loading player" << std::endl;
    player = new Player(soundManager);
    std::cout << "==== Player loaded" << std::endl;
    std::cout << "==== Loading skybox" << std::endl;
    skyBox = new SkyBox("skybox/top.png", "skybox/bottom.png", "skybox/left.png", "skybox/right.png",
                        "skybox/front.png", "skybox/back.png", scene().getFarPlaneDistance() - 1.0f);
    std::cout << "==== Skybox loaded" << std::endl;
}

World::~World()
{
    delete player;
    delete skyBox;
}

bool World::isThere3DIntersectionPoint(Float3 const& p) const
{
    return indexedWorld.isThere3DIntersectionPoint(p);
}

bool World::isThere3DIntersection(Float3 const& from, Float3 const& to, Float3& out) const
{
    if (!indexedWorld.isThere3DIntersectionPoint(to))
        return false;
    out = from;
    return true;
}

bool World::isThere3DIntersection2(Float3 const& from, Float3 const& to, Float3& out) const
{
    return indexedWorld.isThere3DIntersection(from, to, out);
}

void World::drawNoPos() const
{
    draw3D();
}

Float3 World::getLightAnchor_() const
{
    if (editorMode)
        return Editor3D::getRealFromCubeZoneIndex(editor.getCursorIndex());
    return player->getPosition() + PLAYER_LIGHT_ANCHOR_OFFSET;
}

void World::applyPendingMouseLook_()
{
    if (!hasPendingMouseLook)
        return;
    hasPendingMouseLook = false;
    player->injectMouseEvent(pendingMouseLook);
}

void World::manage(LuaFuncs* luaFuncs)
{
    applyPendingMouseLook_();
    scene().setFarPlaneDistance(2.0f * distanceVisionPlus400);
    scene().configureLight(0, true, getLightAnchor_() + SUN_OFFSET, -1.0f);
    indexedWorld.manage(luaFuncs);
    if (!editorMode && !drawnSpriteFullscreen)
        player->manage(*this);
}

void World::updateCamera()
{
    if (editorMode)
        editor.updateCameraEditingMode();
    else
        player->updateCamera(*this);
}

void World::draw3D() const
{
    scene().setFogDisable();
    if (drawnSpriteFullscreen)
        return;
    float const farPlane = scene().getFarPlaneDistance();
    skyBox->setSize(farPlane - 1.0f);
    skyBox->draw();
    deviceManager->setColor(colorWhite);
    // Only the player's body is lit.
    scene().setLighting(true);
    player->draw();
    scene().setLighting(false);
    scene().setFogEnable(distanceVisionPlus400 - VIEW_DISTANCE_MARGIN, backgroundAndFogColor, false);
    indexedWorld.draw(distanceVisionPlus400, editorMode, editorMode);
    scene().setFogDisable();
    indexedWorld.drawWaterOnlyFromTo(0.0f, 2.0f * distanceVisionPlus400);
    scene().setFogDisable();
    if (editorMode)
        editor.drawEditor3D();
    else
        editor.drawOnlyCubeCreation();
}

void World::draw2D(bool fullscreenSpriteDrawn, int nbObjects)
{
    drawnSpriteFullscreen = fullscreenSpriteDrawn;
    if (!drawnSpriteFullscreen)
        indexedWorld.draw2D();
    deviceManager->setColor(colorWhite);
    if (editorMode)
        editor.drawEditor2D(*font, nbObjects);
}

void World::clearBackground(Color4 const& color) const
{
    deviceManager->clearBackground(color);
}

void World::injectKeyEvent(unsigned char key, int nbObjects, bool& result)
{
    // While the editor's dialog asks for a file name, 'a' is a letter of it.
    bool const dialogOpen = editorMode && editor.getDialogState() > 0;
    if (std::tolower(key) == 'a' && !dialogOpen)
    {
        editorMode = !editorMode;
        hasPendingMouseLook = false;
    }
    if (editorMode)
    {
        editor.injectKeyEvent(key, nbObjects, result);
        return;
    }
    if (!editor.injectKeyEventOnlyCube(key))
        player->injectKeyEvent(key);
}

void World::injectMouseEvent(MouseEvent const& event, int nbObjects, bool& result)
{
    if (editorMode)
    {
        editor.injectMouseEvent(event, nbObjects, result);
        return;
    }
    if (editor.injectMouseEventOnlyCube(event))
        return;
    bool const isMotion =
        event.state == GLManager::MOUSE_MOVED_BUTTON_HELD || event.state == GLManager::MOUSE_MOVED_NO_BUTTON;
    if (isMotion)
    {
        pendingMouseLook = event;
        hasPendingMouseLook = true;
        return;
    }
    player->injectMouseEvent(event);
}

void World::startCubeCreation(Float3 const& position)
{
    if (!editorMode)
        editor.startOnlyCubeCreation(position);
}

bool World::manageCubeCreation(Int3& first, Int3& second)
{
    return !editorMode && editor.manageOnlyCubeCreation(first, second);
}

bool World::createCube(Int3 const& first, Int3 const& second, int cubeType)
{
    return !editorMode && editor.createOnlyCube(first, second, cubeType);
}

void World::setWaterEnable(bool enable)
{
    indexedWorld.setWaterEnable(enable);
}

void World::setUsingBackgroundBox(bool enable)
{
    usingBackgroundBox = enable;
}

void World::setDistanceVision(float distance)
{
    distanceVisionPlus400 = distance + VIEW_DISTANCE_MARGIN;
}

float World::getDistanceVision() const
{
    return distanceVisionPlus400 - VIEW_DISTANCE_MARGIN;
}

void World::enableShadows(bool enable)
{
    indexedWorld.setEnableShadows(enable);
}

void World::setBackgroundAndFogColor(Color4 const& color)
{
    backgroundAndFogColor = color;
}

Color4 const& World::getBackgroundAndFogColor() const
{
    return backgroundAndFogColor;
}

bool World::isEditorMode() const
{
    return editorMode;
}

void World::setEditorMode(bool enabled)
{
    editorMode = enabled;
    hasPendingMouseLook = false;
}

void World::freeCustomObjects(LuaFuncs* luaFuncs)
{
    indexedWorld.freeCustomObjects(luaFuncs);
}

void World::saveGameSave(FILE* file) const
{
    player->saveGameSave(file);
}

void World::loadGameSave(FILE* file)
{
    player->loadGameSave(file);
}

Player& World::getPlayer()
{
    return *player;
}

Player const& World::getPlayer() const
{
    return *player;
}

Editor3D& World::getEditor()
{
    return editor;
}

Editor3D const& World::getEditor() const
{
    return editor;
}

IndexedWorld& World::getIndexedWorld()
{
    return indexedWorld;
}
