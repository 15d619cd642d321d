#include "Editor3D.h"

#include "CubeType.h"
#include "DeviceManager.h"
#include "Editor3DWorldGeneration.h"
#include "EditorBox.h"
#include "Errors.h"
#include "FileManager.h"
#include "Font.h"
#include "Image.h"
#include "ImageLoader.h"
#include "IndexedWorld.h"
#include "KeyboardManager.h"
#include "MouseEvent.h"
#include "Scene2D.h"
#include "Scene3D.h"
#include "Sprite.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <iostream>
#include <sys/stat.h>

char const* const WORLD_FILENAME = "world.dat";
char const* const WORLD_LUA_SCRIPT = "world.lua";
char const* const INFO_CUBE_TYPE_CREATION[10] = {
    "Top texture: ",
    "Bottom texture: ",
    "Front texture: ",
    "Back texture: ",
    "Left texture: ",
    "Right texture: ",
    "Repeat texture on x axis: ",
    "Repeat texture on y axis: ",
    "Repeat texture on z axis: ",
    "Is collidable: ",
};
Color4 colorText(255, 255, 255, 255);

namespace
{
Float3 const INITIAL_CAMERA_ANGLE(30.f, 180.f, 0.f);
float const INITIAL_CAMERA_DISTANCE = 30.f;
// The mouse wheel moves the camera by this much, between 0 and the maximum.
float const CAMERA_DISTANCE_STEP = 15.f;
float const CAMERA_DISTANCE_MAX = 300.f;
int const MAX_TEXTURE_NAME_LENGTH = 255;
Float3 const NO_TEXTURE_REPEAT(1.f, 1.f, 1.f);
Float2 const TEXT_SCALE(1.f, 1.f);
int const PREVIEW_FACE_SIZE = 50;

char const* const HINT_TEXTURE = "Enter texture filename and then press enter.";
char const* const HINT_REPEAT = "Do you want texture repeat? Press 'y' for yes or 'n' for no.";
char const* const HINT_COLLIDABLE = "Is collidable? Press 'y' for yes or 'n' for no.";

// The corner button that opens the menu: its width, and the last row a press opens it from.
int const MENU_BUTTON_WIDTH = 100;
int const MENU_BUTTON_HEIGHT = 30;
int const MENU_BUTTON_LAST_ROW = 29;

// The menu windows, named by their titles.
char const* const MENU = "Menu";
char const* const HELP = "Help";
char const* const CUBE_TYPES = "Cube aggregate types";
char const* const OBJECT_TYPES = "Script object types";
char const* const GENERATION = "Generate random cubes";
char const* const DELETION = "Delete cubes and objects";
char const* const SHADOWS = "Shadows calculation";
char const* const SAVE_AND_LOAD = "Save and load";
char const* const CUBE_TYPE_SELECTION = "Select a cube type";
char const* const MISSING_HEIGHTMAP = "Missing heightmap file!";
char const* const HELP_PICTURE = "menus/editor_box.png";

struct MenuWindow
{
    char const* title;
    std::vector<char const*> labels;
};

// The windows whose buttons never change. "Menu"'s entries open the windows
// they name.
std::vector<MenuWindow> const MENU_WINDOWS = {
    {MENU, {HELP, CUBE_TYPES, OBJECT_TYPES, GENERATION, DELETION, SHADOWS, SAVE_AND_LOAD}},
    {CUBE_TYPES,
     {CUBE_TYPE_SELECTION, "Previous cube type [F3+PgUp]", "Next cube type [F3+PgDown]",
      "Remove last cube type [F3+r]", "Modify current cube type [F3+m]", "Add a new cube type [F3+q]"}},
    {OBJECT_TYPES, {"Previous script object type [t+PgUp]", "Next script object type [t+PgDown]"}},
    {GENERATION,
     {"Cubes on one region 30x30x30 cubes [g]", "Cubes on one region - hillside 1 [Shift+1+g]",
      "Cubes on one region - hillside 2 [Shift+2+g]", "Cubes on one region - hillside 3 [Shift+3+g]",
      "Cubes on one region - hillside 4 [Shift+4+g]",
      "Cubes on 10x10x10 regions, using 'world_heightmap.png' [F2+g]"}},
    {MISSING_HEIGHTMAP, {"Ok"}},
    {DELETION,
     {"Delete cube or object below cursor [del]", "Delete the nearest cube or object in region [d]",
      "Clear all cubes and objects in current region [F2+d]", "Clear all cubes and objects in all regions [F2+del]"}},
    {SHADOWS, {"calculate shadows current region [h]", "calculate shadows all regions [F2+h]"}},
    {SAVE_AND_LOAD, {"Save world into world.dat [s]", "Load world from world.dat [l]"}},
};
int const GENERATE_WORLD_BUTTON = 5;

// Division rounding toward minus infinity, so that cube -1 lies in region -1.
int floorDivide(int a, int b)
{
    int const quotient = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? quotient - 1 : quotient;
}

Int3 floorDivide(Int3 const& a, int b)
{
    return Int3(floorDivide(a.x(), b), floorDivide(a.y(), b), floorDivide(a.z(), b));
}

Int3 componentMin(Int3 const& a, Int3 const& b)
{
    return Int3(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::min(a.z(), b.z()));
}

Int3 componentMax(Int3 const& a, Int3 const& b)
{
    return Int3(std::max(a.x(), b.x()), std::max(a.y(), b.y()), std::max(a.z(), b.z()));
}

bool hasExtentOnEveryAxis(Int3 const& a, Int3 const& b)
{
    return a.x() != b.x() && a.y() != b.y() && a.z() != b.z();
}

// The integer part of a grid coordinate; positions a script could give that
// no int holds (not finite, or beyond a billion cubes) come out as 0 or clamped.
int truncateToGrid(float value)
{
    float const limit = 1e9f;
    if (!(value > -limit))
        return std::isnan(value) ? 0 : -int(limit);
    return value < limit ? int(value) : int(limit);
}

bool isRegularFile(std::string const& path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool isPictureName(std::string const& path)
{
    char const* const name = path.c_str();
    return ImageLoader::getIsPngFile(name) || ImageLoader::getIsJpegFile(name) || ImageLoader::getIsTgaFile(name);
}

char const* hintOfPrompt(int prompt)
{
    if (prompt <= Editor3D::NB_TEXTURE_PROMPTS)
        return HINT_TEXTURE;
    return prompt < Editor3D::COLLIDABLE_PROMPT ? HINT_REPEAT : HINT_COLLIDABLE;
}
}

Editor3D::Editor3D(Font const& font, IndexedWorld* indexedWorld)
    : cursorIndex(0, 0, 0), selectionStartIndex(0, 0, 0), isSelecting(false), cameraAngle(INITIAL_CAMERA_ANGLE),
      cameraQuadrant(0), currentObjectType(0), currentCubeType(0), dialogState(0), modifyingCubeType(false),
      newTextureFilenames(), newRepeatTexture{false, false, false}, newIsCollidable(true),
      editText(false, MAX_TEXTURE_NAME_LENGTH, Int2(0, 0), &font, false, false), indexedWorld(indexedWorld),
      cameraDistance(INITIAL_CAMERA_DISTANCE), editorBoxes(), isCreatingOnlyCube(false), onlyCubeCurrentIndex(0, 0, 0),
      onlyCubeStartIndex(0, 0, 0), onlyCubeValidated(false), markerSize(0.25f * IndexedWorld::getSizeOneCube()),
      history(indexedWorld)
{
    ASSERT(indexedWorld != NULL, "the editor needs the world it edits");
}

Editor3D::~Editor3D()
{
    for (EditorBox* const box : editorBoxes)
        delete box;
}

// ---------------------------------------------------------------- keys

void Editor3D::injectKeyEvent(unsigned char key, int nbObjects, bool& result)
{
    result = false;
    if (dialogState > 0)
    {
        injectKeyEventInDialog_(key);
        return;
    }
    int const c = std::tolower(key);
    switch (c)
    {
    case KEY_UNDO:
    case KEY_REDO:
        undoOrRedo_(c == KEY_UNDO);
        return;
    case ' ':
        pressSpace_();
        return;
    case 'd':
        if (isKeyHeld_(KeyboardManager::KEYASCII_F2))
            clearRegionAtCursor_();
        else
            removeElementAtCursor_(true);
        return;
    case KeyboardManager::KEYASCII_DEL:
        if (isKeyHeld_(KeyboardManager::KEYASCII_F2))
            clearWorld_();
        else
            removeElementAtCursor_(false);
        return;
    case 'g':
        generate_();
        return;
    case 'h':
        if (isKeyHeld_(KeyboardManager::KEYASCII_F2))
            calculateShadowsEverywhere_();
        else
            calculateShadowsAtCursor_();
        return;
    case 'i':
        cursorIndex = Int3(0, 0, 0);
        break;
    case 'l':
        loadWorld_();
        currentCubeType = 0;
        return;
    case 's':
        indexedWorld->saveWorldToFile(WORLD_FILENAME);
        return;
    case 'x':
        addObjectAtCursor_();
        return;
    case 'm':
        if (isKeyHeld_(KeyboardManager::KEYASCII_F3))
        {
            if (indexedWorld->getNbCubeType() > 0)
                openDialog_(true);
            return;
        }
        break;
    case 'q':
        if (isKeyHeld_(KeyboardManager::KEYASCII_F3))
        {
            openDialog_(false);
            return;
        }
        break;
    case 'r':
        removeCubeTypeOrUnusedRegions_();
        return;
    case KeyboardManager::KEYASCII_PAGEUP:
    case KeyboardManager::KEYASCII_PAGEDOWN:
        if (isKeyHeld_('t') || isKeyHeld_('T'))
        {
            changeObjectType_(c, nbObjects);
            return;
        }
        if (isKeyHeld_(KeyboardManager::KEYASCII_F3))
        {
            changeCubeType_(c);
            return;
        }
        break;
    default:
        break;
    }
    moveCursor_(c);
}

bool Editor3D::isKeyHeld_(int code) const
{
    return deviceManager->getKeyboardManager()->keys[code];
}

bool Editor3D::isDigitHeld_(int digit) const
{
    return isKeyHeld_('0' + digit);
}

void Editor3D::moveCursor_(int key)
{
    Int3 const step = getDirectionModifierFromDirectionKey_(key);
    if (isKeyHeld_(KeyboardManager::KEYASCII_F2))
        cursorIndex += step * IndexedWorld::getCubesSizeOneRegion();
    else
        cursorIndex += step;
}

void Editor3D::pressSpace_()
{
    if (indexedWorld->getNbCubeType() == 0)
        return;
    if (!isSelecting)
    {
        selectionStartIndex = cursorIndex;
        isSelecting = true;
        return;
    }
    isSelecting = false;
    if (!hasExtentOnEveryAxis(selectionStartIndex, cursorIndex))
        return;
    history.beginStep();
    addCubeZoneWithRegionLimitCaretaking(selectionStartIndex, cursorIndex, currentCubeType);
    // Even a refused sub-box may follow others already added.
    history.endStep(true);
}

void Editor3D::generate_()
{
    if (isKeyHeld_(KeyboardManager::KEYASCII_F2))
    {
        generateWorld_();
        return;
    }
    int type = 0;
    for (int digit = 1; digit <= 4 && type == 0; ++digit)
        if (isDigitHeld_(digit))
            type = digit;
    generateAtCursor_(type);
}

void Editor3D::removeCubeTypeOrUnusedRegions_()
{
    int const count = indexedWorld->getNbCubeType();
    // The type that stays the last one once the last is removed; never negative.
    currentCubeType = std::max(count - 2, 0);
    if (!isKeyHeld_(KeyboardManager::KEYASCII_F3))
        removeUnusedRegions_();
    else if (count > 0)
        removeLastCubeType_();
}

void Editor3D::undoOrRedo_(bool undo)
{
    if (!(undo ? history.undo() : history.redo()))
        return;
    // The cube type in use may be one the step took away.
    int const count = indexedWorld->getNbCubeType();
    if (currentCubeType >= count)
        currentCubeType = std::max(count - 1, 0);
}

// ---------------------------------------------------------------- undoable commands

Float3 Editor3D::getCursorPosition_() const
{
    return getRealFromCubeZoneIndex(cursorIndex);
}

void Editor3D::addObjectAtCursor_()
{
    history.beginStep();
    history.touchRegionAt(getCursorPosition_());
    indexedWorld->addCustomObject(getCursorPosition_(), currentObjectType);
    history.endStep(true);
}

void Editor3D::removeElementAtCursor_(bool nearest)
{
    Float3 const position = getCursorPosition_();
    history.beginStep();
    history.touchRegionAt(position);
    bool const removed = nearest ? indexedWorld->removeNearestElementInRegion(position)
                                 : indexedWorld->removeElement(position);
    history.endStep(removed);
}

void Editor3D::clearRegionAtCursor_()
{
    history.beginStep();
    history.touchRegionAt(getCursorPosition_());
    bool const cleared = indexedWorld->clearRegion(getCursorPosition_());
    history.endStep(cleared);
}

void Editor3D::clearWorld_()
{
    history.beginStep();
    history.touchWholeWorld();
    indexedWorld->clearAll();
    history.endStep(true);
}

bool Editor3D::generateAtCursor_(int type)
{
    // Every box goes through addCubeZone, which tells the history its region.
    history.beginStep();
    bool const generated = Editor3DWorldGeneration::generateRandom(
        cursorIndex, type, IndexedWorld::getCubesSizeOneRegion(), this, currentCubeType, currentCubeType + 1);
    history.endStep(generated);
    return generated;
}

bool Editor3D::generateWorld_()
{
    history.beginStep();
    bool const generated = Editor3DWorldGeneration::generateRandomFullWorld(
        cursorIndex, IndexedWorld::getCubesSizeOneRegion(), this, currentCubeType, currentCubeType + 1);
    history.endStep(generated);
    return generated;
}

void Editor3D::calculateShadowsAtCursor_()
{
    history.beginStep();
    history.touchRegionAt(getCursorPosition_());
    indexedWorld->calculateStaticShadowsOneRegion(getCursorPosition_());
    history.endStep(true);
}

void Editor3D::calculateShadowsEverywhere_()
{
    history.beginStep();
    history.touchWholeWorld();
    indexedWorld->calculateStaticShadowsAll();
    history.endStep(true);
}

void Editor3D::loadWorld_()
{
    history.beginStep();
    history.touchWholeWorld();
    indexedWorld->clearAndLoadWorldFromFile(WORLD_FILENAME);
    history.endStep(true);
}

void Editor3D::removeLastCubeType_()
{
    history.beginStep();
    history.touchCubeTypes();
    indexedWorld->removeLastCubeType();
    history.endStep(true);
}

void Editor3D::removeUnusedRegions_()
{
    // Only the table's bounds change; the step is dropped when they do not.
    history.beginStep();
    indexedWorld->removeUnusedRegions();
    history.endStep(true);
}

void Editor3D::changeObjectType_(int key, int nbObjects)
{
    if (key == KeyboardManager::KEYASCII_PAGEUP && currentObjectType < nbObjects - 1)
        ++currentObjectType;
    else if (key == KeyboardManager::KEYASCII_PAGEDOWN && currentObjectType > 0)
        --currentObjectType;
}

void Editor3D::changeCubeType_(int key)
{
    if (key == KeyboardManager::KEYASCII_PAGEUP && currentCubeType < indexedWorld->getNbCubeType() - 1)
        ++currentCubeType;
    else if (key == KeyboardManager::KEYASCII_PAGEDOWN && currentCubeType > 0)
        --currentCubeType;
}

Int3 Editor3D::getDirectionModifierFromDirectionKey_(int key) const
{
    if (key == KeyboardManager::KEYASCII_PAGEUP)
        return Int3(0, 1, 0);
    if (key == KeyboardManager::KEYASCII_PAGEDOWN)
        return Int3(0, -1, 0);
    int arrow = 0;
    switch (key)
    {
    case KeyboardManager::KEYASCII_UP:
        arrow = 0;
        break;
    case KeyboardManager::KEYASCII_DOWN:
        arrow = 1;
        break;
    case KeyboardManager::KEYASCII_LEFT:
        arrow = 2;
        break;
    case KeyboardManager::KEYASCII_RIGHT:
        arrow = 3;
        break;
    default:
        return Int3(0, 0, 0);
    }
    // Per quadrant, the steps of up, down, left and right: each quarter turn
    // of the camera turns the arrows a quarter along with it.
    static Int3 const STEPS[4][4] = {
        {Int3(0, 0, 1), Int3(0, 0, -1), Int3(1, 0, 0), Int3(-1, 0, 0)},
        {Int3(-1, 0, 0), Int3(1, 0, 0), Int3(0, 0, 1), Int3(0, 0, -1)},
        {Int3(0, 0, -1), Int3(0, 0, 1), Int3(-1, 0, 0), Int3(1, 0, 0)},
        {Int3(1, 0, 0), Int3(-1, 0, 0), Int3(0, 0, -1), Int3(0, 0, 1)},
    };
    if (cameraQuadrant < 0 || cameraQuadrant > 3)
        ASSERT(false, "the camera quadrant is 0 to 3");
    return STEPS[cameraQuadrant][arrow];
}

// ---------------------------------------------------------------- cube type dialog

void Editor3D::openDialog_(bool modify)
{
    modifyingCubeType = modify;
    editText.eraseText();
    dialogState = 1;
}

void Editor3D::injectKeyEventInDialog_(unsigned char key)
{
    if (key == KeyboardManager::KEYASCII_ESCAPE)
    {
        dialogState = 0;
        return;
    }
    if (dialogState <= NB_TEXTURE_PROMPTS)
    {
        if (key == KeyboardManager::KEYASCII_ENTER)
            newTextureFilenames[dialogState++ - 1] = editText.getText();
        else
            editText.injectKeyEvent(key);
        return;
    }
    int const answer = std::tolower(key);
    bool const answered = answer == 'y' || answer == 'n';
    if (dialogState < COLLIDABLE_PROMPT)
    {
        if (answered)
            newRepeatTexture[dialogState++ - FIRST_REPEAT_PROMPT] = answer == 'y';
        return;
    }
    if (answered)
        newIsCollidable = answer == 'y';
    finishDialog_();
}

void Editor3D::finishDialog_()
{
    dialogState = 0;
    std::string const problem = findUnusableTexture_();
    if (!problem.empty())
    {
        std::cout << (modifyingCubeType ? "Could not modify cube aggregate type, " :
                                          "Could not create new cube aggregate type, ")
                  << problem << std::endl;
        return;
    }
    if (!modifyingCubeType)
    {
        // The registry hands its first two names to the front and back faces and
        // the next two to top and bottom: the answers, in face order, go in that
        // order so that each lands on the face its prompt names.
        std::string const registryOrder[6] = {newTextureFilenames[2], newTextureFilenames[3], newTextureFilenames[0],
                                              newTextureFilenames[1], newTextureFilenames[4], newTextureFilenames[5]};
        history.beginStep();
        history.touchCubeTypes();
        currentCubeType = indexedWorld->addCubeType(registryOrder, newRepeatTexture, newIsCollidable);
        history.endStep(true);
        return;
    }
    // The menus may remove types while the dialog is open.
    if (currentCubeType < 0 || currentCubeType >= indexedWorld->getNbCubeType())
    {
        Errors::printError("Could not modify cube aggregate type " + std::to_string(currentCubeType + 1) +
                           ": the world has " + std::to_string(indexedWorld->getNbCubeType()) + " cube types");
        return;
    }
    history.beginStep();
    history.touchCubeTypes();
    indexedWorld->getCubeType(currentCubeType)->modifyCubeType(newTextureFilenames, newRepeatTexture, newIsCollidable);
    history.endStep(true);
}

std::string Editor3D::findUnusableTexture_() const
{
    // A texture is loaded from both folders the first time the type is drawn,
    // and a missing or unreadable one would then end the program.
    for (char const* const folder : {CubeType::DIRECTORY_TEXTURES, CubeType::DIRECTORY_SHADOWED_TEXTURES})
        for (std::string const& name : newTextureFilenames)
        {
            std::string const path = folder + name;
            if (!isRegularFile(path))
                return "missing file : " + path;
            if (!isPictureName(path))
                return "not a PNG, JPEG or TGA picture : " + path;
        }
    return "";
}

// ---------------------------------------------------------------- mouse and camera

void Editor3D::injectMouseEvent(MouseEvent const& event, int nbObjects, bool& result)
{
    bool const pressed = event.state == GLManager::MOUSE_BUTTON_DOWN;
    if (pressed)
    {
        if (event.button == GLManager::MOUSE_WHEEL_UP && cameraDistance > 0.f)
            cameraDistance -= CAMERA_DISTANCE_STEP;
        else if (event.button == GLManager::MOUSE_WHEEL_DOWN && cameraDistance < CAMERA_DISTANCE_MAX)
            cameraDistance += CAMERA_DISTANCE_STEP;
    }
    // The view turns even while a window is dragged.
    if (event.state == GLManager::MOUSE_MOVED_BUTTON_HELD || event.state == GLManager::MOUSE_MOVED_NO_BUTTON)
        deviceManager->getScene3D()->injectMouseMotionForCameraAngle(
            event.position, deviceManager->getMouseButton(GLManager::MOUSE_LEFT_BUTTON));
    int const width = deviceManager->getScene2D()->getVirtualSize().x();
    if (pressed && event.position.x() > width - MENU_BUTTON_WIDTH && event.position.y() <= MENU_BUTTON_LAST_ROW)
        editorBoxes.push_back(createWindow_(MENU, NULL));
    manageEditorBoxes_(event, nbObjects, result);
}

// ---------------------------------------------------------------- menu windows

void Editor3D::manageEditorBoxes_(MouseEvent const& event, int nbObjects, bool& /*result*/)
{
    for (size_t index = 0; index < editorBoxes.size(); ++index)
    {
        int const button = editorBoxes[index]->manageAndGetButton(event);
        if (button == EditorBox::NOTHING)
            continue;
        if (button == EditorBox::CLOSE)
            closeWindow_(index);
        else if (button != EditorBox::DRAGGING)
            runMenuAction_(index, button, nbObjects);
        return;
    }
}

EditorBox* Editor3D::createWindow_(std::string const& title, EditorBox const* parent) const
{
    EditorBox* const box = new EditorBox(title, parent);
    if (title == HELP)
        box->setBoxPicture(HELP_PICTURE);
    else if (title == CUBE_TYPE_SELECTION)
        for (int type = 0; type < indexedWorld->getNbCubeType(); ++type)
            box->addButton(std::to_string(type + 1),
                           CubeType::DIRECTORY_TEXTURES + indexedWorld->getCubeType(type)->getTextureFilename(0));
    for (MenuWindow const& window : MENU_WINDOWS)
        if (title == window.title)
            for (char const* const label : window.labels)
                box->addButton(label);
    return box;
}

void Editor3D::replaceWindow_(size_t index, std::string const& title)
{
    editorBoxes.push_back(createWindow_(title, editorBoxes[index]));
    closeWindow_(index);
}

void Editor3D::closeWindow_(size_t index)
{
    delete editorBoxes[index];
    editorBoxes.erase(editorBoxes.begin() + std::ptrdiff_t(index));
}

void Editor3D::runMenuAction_(size_t index, int button, int nbObjects)
{
    EditorBox const& box = *editorBoxes[index];
    std::string const& title = box.getTitle();
    int const nbCubeTypes = indexedWorld->getNbCubeType();
    if (title == MENU)
        replaceWindow_(index, box.getButtons()[size_t(button)]);
    else if (title == CUBE_TYPES)
        runCubeTypeMenuAction_(index, button);
    else if (title == CUBE_TYPE_SELECTION)
    {
        if (button < nbCubeTypes)
            currentCubeType = button;
    }
    else if (title == OBJECT_TYPES)
    {
        if (button == 0 && currentObjectType >= 1)
            --currentObjectType;
        else if (button == 1 && currentObjectType < nbObjects - 1)
            ++currentObjectType;
    }
    else if (title == GENERATION)
        runGenerationMenuAction_(index, button);
    else if (title == MISSING_HEIGHTMAP)
        closeWindow_(index);
    else if (title == DELETION)
        runDeletionMenuAction_(button);
    else if (title == SHADOWS)
    {
        if (button == 0)
            calculateShadowsAtCursor_();
        else
            calculateShadowsEverywhere_();
    }
    else if (title == SAVE_AND_LOAD)
    {
        if (button == 0)
            indexedWorld->saveWorldToFile(WORLD_FILENAME);
        else
            loadWorld_();
    }
}

void Editor3D::runCubeTypeMenuAction_(size_t index, int button)
{
    int const count = indexedWorld->getNbCubeType();
    switch (button)
    {
    case 0:
        replaceWindow_(index, CUBE_TYPE_SELECTION);
        break;
    case 1:
        if (currentCubeType >= 1)
            --currentCubeType;
        break;
    case 2:
        if (currentCubeType < count - 1)
            ++currentCubeType;
        break;
    case 3:
        // The current type may now lie beyond the last: the overlay lowers it.
        if (count >= 1)
            removeLastCubeType_();
        break;
    case 4:
        if (dialogState == 0 && count >= 1)
            openDialog_(true);
        break;
    default:
        if (dialogState == 0)
            openDialog_(false);
        break;
    }
}

void Editor3D::runGenerationMenuAction_(size_t index, int button)
{
    if (button != GENERATE_WORLD_BUTTON)
    {
        generateAtCursor_(button);
        return;
    }
    // Missing cube types are reported on their own; only a missing map is shown.
    if (!generateWorld_() && !FileManager::fileExists(FILE_HEIGHTMAP))
        replaceWindow_(index, MISSING_HEIGHTMAP);
}

void Editor3D::runDeletionMenuAction_(int button)
{
    switch (button)
    {
    case 0:
        removeElementAtCursor_(false);
        break;
    case 1:
        removeElementAtCursor_(true);
        break;
    case 2:
        clearRegionAtCursor_();
        break;
    default:
        clearWorld_();
        break;
    }
}

void Editor3D::updateCameraEditingMode()
{
    Scene3D* const scene = deviceManager->getScene3D();
    if (deviceManager->getMouseButton(GLManager::MOUSE_LEFT_BUTTON))
    {
        // The quarter whose centre is nearest the yaw; a yaw halfway between
        // two goes to the lower. Taken modulo 4 in floating point, so that any
        // accumulated yaw gives a quadrant.
        float const quarter = std::floor((-180.f - scene->getCamera().getAngleY() + 45.f) / 90.f);
        float const quadrant = std::fmod(std::fmod(quarter, 4.f) + 4.f, 4.f);
        if (std::isfinite(quadrant))
            cameraQuadrant = int(quadrant);
        cameraAngle.y() = float(cameraQuadrant * 90 + 180);
    }
    else
        scene->setSlowlyCameraAngle(-cameraAngle);
    scene->updateCameraLookAtMode(getRealFromCubeZoneIndex(cursorIndex), cameraDistance);
}

// ---------------------------------------------------------------- boxes of cubes

bool Editor3D::addCubeZone(Int3 const& a, Int3 const& b, int cubeType)
{
    Int3 const positionMin = componentMin(a, b);
    Int3 const positionMax = componentMax(a, b);
    ASSERT(positionMin.x() != positionMax.x() && positionMin.y() != positionMax.y() &&
               positionMin.z() != positionMax.z(),
           "a box of cubes needs an extent on every axis");
    Float3 const size = getRealFromCubeZoneIndex(positionMax - positionMin);
    Float3 const centre = getRealFromCubeZoneIndex(positionMin) + size * 0.5f;
    history.touchRegionAt(centre);
    return indexedWorld->addCubeZone(centre, size, cubeType);
}

bool Editor3D::addCubeZoneWithRegionLimitCaretaking(Int3 const& a, Int3 const& b, int cubeType)
{
    int const cubesPerRegion = IndexedWorld::getCubesSizeOneRegion();
    Int3 const positionMin = componentMin(a, b);
    Int3 const positionMax = componentMax(a, b);
    Int3 const regionMin = floorDivide(positionMin, cubesPerRegion);
    Int3 const regionMax = floorDivide(positionMax, cubesPerRegion);
    if (regionMin == regionMax)
        return addCubeZone(positionMin, positionMax, cubeType);
    Int3 region;
    for (region.x() = regionMin.x(); region.x() <= regionMax.x(); ++region.x())
        for (region.y() = regionMin.y(); region.y() <= regionMax.y(); ++region.y())
            for (region.z() = regionMin.z(); region.z() <= regionMax.z(); ++region.z())
            {
                Int3 low = region * cubesPerRegion;
                Int3 high = (region + Int3(1, 1, 1)) * cubesPerRegion;
                for (int axis = 0; axis < 3; ++axis)
                {
                    if (region[axis] == regionMin[axis])
                        low[axis] = positionMin[axis];
                    if (region[axis] == regionMax[axis])
                        high[axis] = positionMax[axis];
                }
                // A high corner lying on a region border leaves an empty sub-box beyond it.
                if (hasExtentOnEveryAxis(low, high) && !addCubeZone(low, high, cubeType))
                    return false;
            }
    return true;
}

// ---------------------------------------------------------------- single box for the script

void Editor3D::startOnlyCubeCreation(Float3 const& position)
{
    if (isCreatingOnlyCube)
        return;
    isCreatingOnlyCube = true;
    onlyCubeValidated = false;
    onlyCubeStartIndex = getCubeZoneIndexFromReal(position);
    onlyCubeCurrentIndex = onlyCubeStartIndex;
}

bool Editor3D::injectKeyEventOnlyCube(unsigned char key)
{
    if (!isCreatingOnlyCube)
        return false;
    onlyCubeCurrentIndex += getDirectionModifierFromDirectionKey_(key);
    if (key == ' ')
        onlyCubeValidated = true;
    return true;
}

bool Editor3D::injectMouseEventOnlyCube(MouseEvent const& event)
{
    if (!isCreatingOnlyCube)
        return false;
    if (event.state == GLManager::MOUSE_MOVED_BUTTON_HELD || event.state == GLManager::MOUSE_MOVED_NO_BUTTON)
        deviceManager->getScene3D()->injectMouseMotionForCameraAngle(
            event.position, deviceManager->getMouseButton(GLManager::MOUSE_LEFT_BUTTON));
    return true;
}

bool Editor3D::manageOnlyCubeCreation(Int3& first, Int3& second)
{
    if (!isCreatingOnlyCube)
        return false;
    first = onlyCubeStartIndex;
    second = onlyCubeCurrentIndex;
    if (!onlyCubeValidated)
        return false;
    isCreatingOnlyCube = false;
    return true;
}

bool Editor3D::createOnlyCube(Int3 const& a, Int3 const& b, int cubeType)
{
    if (!hasExtentOnEveryAxis(a, b))
        return false;
    return addCubeZoneWithRegionLimitCaretaking(a, b, cubeType);
}

// ---------------------------------------------------------------- drawing

void Editor3D::drawEditor3D() const
{
    drawMarkers_(cursorIndex, selectionStartIndex, isSelecting);
}

void Editor3D::drawOnlyCubeCreation() const
{
    if (isCreatingOnlyCube)
        drawMarkers_(onlyCubeCurrentIndex, onlyCubeStartIndex, true);
}

void Editor3D::drawMarkers_(Int3 const& cursor, Int3 const& start, bool withSelection) const
{
    Scene3D* const scene = deviceManager->getScene3D();
    Float3 const marker(markerSize, markerSize, markerSize);
    Float3 const cursorPosition = getRealFromCubeZoneIndex(cursor);
    scene->setWireframeMode(true);
    scene->pushPosition();
    Color4 const previousColor = deviceManager->getColor();
    deviceManager->setColor(colorRed);
    scene->setPosition(cursorPosition);
    scene->drawCube(marker, NULL, NO_TEXTURE_REPEAT, false);
    if (withSelection)
    {
        Float3 const startPosition = getRealFromCubeZoneIndex(start);
        scene->setPosition(startPosition);
        scene->drawCube(marker, NULL, NO_TEXTURE_REPEAT, false);
        scene->setPosition((cursorPosition + startPosition) * 0.5f);
        scene->drawCube(getRealFromCubeZoneIndex(start - cursor), NULL, NO_TEXTURE_REPEAT, false);
    }
    deviceManager->setColor(previousColor);
    scene->popPosition();
    scene->setWireframeMode(false);
}

void Editor3D::drawEditor2D(Font const& font, int nbObjects)
{
    Color4 const previousColor = deviceManager->getColor();
    drawMenus_(font);
    if (dialogState > 0)
        drawDialog_(font);
    else
    {
        int const height = deviceManager->getScene2D()->getVirtualSize().y();
        std::string const objectType = std::to_string(currentObjectType) + " / " + std::to_string(nbObjects);
        deviceManager->setColor(colorText);
        font.drawText(Int2(10, height - 50), objectType.c_str(), TEXT_SCALE, -1, false);
        drawCubeTypePreview_(font);
    }
    deviceManager->setColor(previousColor);
}

void Editor3D::drawMenus_(Font const& font) const
{
    int const width = deviceManager->getScene2D()->getVirtualSize().x();
    deviceManager->setColor(128, 0, 0, 0);
    deviceManager->getScene2D()->drawRectangle(Int2(width - MENU_BUTTON_WIDTH, 0), Int2(width, MENU_BUTTON_HEIGHT),
                                               true);
    deviceManager->setColor(colorWhite);
    font.drawText(Int2(width - MENU_BUTTON_WIDTH, 0), MENU, TEXT_SCALE, -1, false);
    for (EditorBox* const box : editorBoxes)
        box->draw(font);
}

void Editor3D::drawDialog_(Font const& font)
{
    deviceManager->setColor(colorText);
    Int2 line(10, 0);
    for (int prompt = 1; prompt <= dialogState; ++prompt)
    {
        line.y() += font.getHeight();
        Int2 const pen = font.drawText(line, INFO_CUBE_TYPE_CREATION[prompt - 1], TEXT_SCALE, -1, false);
        if (prompt == dialogState)
        {
            if (prompt <= NB_TEXTURE_PROMPTS)
            {
                editText.setPosition(pen);
                editText.draw(1.f);
            }
            break;
        }
        font.drawText(pen, getDialogAnswer_(prompt).c_str(), TEXT_SCALE, -1, false);
    }
    int const height = deviceManager->getScene2D()->getVirtualSize().y();
    font.drawText(Int2(10, height - 30), hintOfPrompt(dialogState), TEXT_SCALE, -1, false);
}

std::string Editor3D::getDialogAnswer_(int prompt) const
{
    if (prompt <= NB_TEXTURE_PROMPTS)
        return newTextureFilenames[prompt - 1];
    bool const yes = prompt < COLLIDABLE_PROMPT ? newRepeatTexture[prompt - FIRST_REPEAT_PROMPT] : newIsCollidable;
    return yes ? "yes" : "no";
}

void Editor3D::drawCubeTypePreview_(Font const& font)
{
    int const count = indexedWorld->getNbCubeType();
    if (count == 0)
        return;
    currentCubeType = std::min(std::max(currentCubeType, 0), count - 1);
    for (int id = 0; id < count; ++id)
        indexedWorld->getCubeType(id)->setIsUsedByEditor(false);
    CubeType* const type = indexedWorld->getCubeType(currentCubeType);
    Scene2D const* const scene = deviceManager->getScene2D();
    deviceManager->setColor(colorWhite);
    for (int face = 0; face < CubeType::NB_FACES; ++face)
    {
        Sprite const* const sprite = type->getTextureFaceForEditor(face);
        scene->drawTexture(sprite->getCurrentImage()->getTextureId(), 10, 60 * (face + 1), PREVIEW_FACE_SIZE,
                           PREVIEW_FACE_SIZE);
    }
    std::string const number = std::to_string(currentCubeType + 1) + " / " + std::to_string(count);
    deviceManager->setColor(colorText);
    font.drawText(Int2(10, 10), number.c_str(), TEXT_SCALE, -1, false);
}

// ---------------------------------------------------------------- conversions and state

Float3 Editor3D::getRealFromCubeZoneIndex(Int3 const& index)
{
    float const size = IndexedWorld::getSizeOneCube();
    return Float3(std::trunc(index.x() * size), std::trunc(index.y() * size), std::trunc(index.z() * size));
}

Int3 Editor3D::getCubeZoneIndexFromReal(Float3 const& position)
{
    float const size = IndexedWorld::getSizeOneCube();
    return Int3(truncateToGrid(position.x() / size), truncateToGrid(position.y() / size),
                truncateToGrid(position.z() / size));
}

Int3 const& Editor3D::getCursorIndex() const
{
    return cursorIndex;
}

Int3 const& Editor3D::getSelectionStartIndex() const
{
    return selectionStartIndex;
}

bool Editor3D::getIsSelecting() const
{
    return isSelecting;
}

Float3 const& Editor3D::getCameraAngle() const
{
    return cameraAngle;
}

int Editor3D::getCameraQuadrant() const
{
    return cameraQuadrant;
}

float Editor3D::getCameraDistance() const
{
    return cameraDistance;
}

int Editor3D::getCurrentObjectType() const
{
    return currentObjectType;
}

int Editor3D::getCurrentCubeType() const
{
    return currentCubeType;
}

int Editor3D::getDialogState() const
{
    return dialogState;
}

bool Editor3D::getIsModifyingCubeType() const
{
    return modifyingCubeType;
}

std::string const& Editor3D::getDialogText() const
{
    return editText.getText();
}

bool Editor3D::getIsCreatingOnlyCube() const
{
    return isCreatingOnlyCube;
}

IndexedWorld* Editor3D::getIndexedWorld() const
{
    return indexedWorld;
}

std::vector<EditorBox*> const& Editor3D::getEditorBoxes() const
{
    return editorBoxes;
}

EditorHistory const& Editor3D::getHistory() const
{
    return history;
}
