#ifndef EDITOR3D_H
#define EDITOR3D_H

// The in-game world editor. It keeps a cursor on the cube grid, a box
// selection between two grid corners, the current cube type and script object
// type, and the ten-prompt dialog that creates or modifies a cube type; its key
// commands turn them into changes of the cube world it edits (not owned): boxes
// of cubes split at region borders, deletions, saving and loading the world
// file, static shadows and generated terrain. In editor mode it places the
// camera (orbiting the cursor, snapped to a quarter of the compass) and draws
// its red wireframe markers and its 2-D overlay. It owns its menu windows,
// opened from the "Menu" button in the top-right corner, whose buttons run the
// same commands as the keys, and the undo history of the commands that change
// the world (Ctrl+Z undoes, Ctrl+Y redoes). In play mode the same object
// runs the script-driven placement of one box. Grid indices become world units
// by the cube size, both ways truncating toward zero. Needs the global device
// manager (keyboard table, mouse buttons, scenes, sprites) for its whole life.

#include "BasicVector.h"
#include "EditText.h"
#include "EditorHistory.h"

#include <string>
#include <vector>

class EditorBox;
class Font;
class IndexedWorld;
class MouseEvent;

// The world file the editor saves and loads, and that the game loads at start.
extern char const* const WORLD_FILENAME;
// The game script the main loop loads.
extern char const* const WORLD_LUA_SCRIPT;
// The prompts of the cube type dialog: six face textures (top, bottom, front,
// back, left, right), three texture repeat flags (x, y, z), collidable.
extern char const* const INFO_CUBE_TYPE_CREATION[10];
// The colour of the editor's texts.
extern Color4 colorText;

class Editor3D
{
public:
    static constexpr int NB_TEXTURE_PROMPTS = 6;
    static constexpr int FIRST_REPEAT_PROMPT = 7;
    static constexpr int COLLIDABLE_PROMPT = 10;
    // The characters Ctrl+Z and Ctrl+Y.
    static constexpr unsigned char KEY_UNDO = 26;
    static constexpr unsigned char KEY_REDO = 25;

    Editor3D(Font const& font, IndexedWorld* indexedWorld);
    ~Editor3D();
    Editor3D(Editor3D const&) = delete;
    Editor3D& operator=(Editor3D const&) = delete;

    // Editor mode input. nbObjects is the number of script object types;
    // result is set to false by keys and left alone by the mouse.
    void injectKeyEvent(unsigned char key, int nbObjects, bool& result);
    void injectMouseEvent(MouseEvent const& event, int nbObjects, bool& result);

    // Places the scene's camera around the cursor; with the left button held
    // the camera's yaw picks the quadrant, otherwise the camera turns back
    // smoothly to the snapped angle.
    void updateCameraEditingMode();
    void drawEditor3D() const;
    // The dialog, or the script object type line and the current cube type's
    // faces; lowers a current cube type beyond the last one to the last one.
    void drawEditor2D(Font const& font, int nbObjects);

    // The box of cubes from a to b (b excluded, corners in any order), which
    // must have an extent on every axis and lie in one region.
    bool addCubeZone(Int3 const& a, Int3 const& b, int cubeType);
    // The same box cut at region borders; stops at the first sub-box refused.
    bool addCubeZoneWithRegionLimitCaretaking(Int3 const& a, Int3 const& b, int cubeType);

    // Placement of one box asked for by the game script, in play mode.
    void startOnlyCubeCreation(Float3 const& position);
    // Both return whether a placement runs, i.e. whether they took the event.
    bool injectKeyEventOnlyCube(unsigned char key);
    bool injectMouseEventOnlyCube(MouseEvent const& event);
    // While a placement runs, its two corners; true (and the placement ends)
    // once the user confirmed it.
    bool manageOnlyCubeCreation(Int3& first, Int3& second);
    // False, adding nothing, when the corners share a coordinate.
    bool createOnlyCube(Int3 const& a, Int3 const& b, int cubeType);
    void drawOnlyCubeCreation() const;

    // One grid step for a direction key as seen from the camera's quadrant.
    Int3 getDirectionModifierFromDirectionKey_(int key) const;

    static Float3 getRealFromCubeZoneIndex(Int3 const& index);
    static Int3 getCubeZoneIndexFromReal(Float3 const& position);

    Int3 const& getCursorIndex() const;
    Int3 const& getSelectionStartIndex() const;
    bool getIsSelecting() const;
    Float3 const& getCameraAngle() const;
    int getCameraQuadrant() const;
    float getCameraDistance() const;
    int getCurrentObjectType() const;
    int getCurrentCubeType() const;
    // 0 without a dialog, else the prompt shown (1 to 10).
    int getDialogState() const;
    bool getIsModifyingCubeType() const;
    std::string const& getDialogText() const;
    bool getIsCreatingOnlyCube() const;
    IndexedWorld* getIndexedWorld() const;
    // The open menu windows, oldest first.
    std::vector<EditorBox*> const& getEditorBoxes() const;
    EditorHistory const& getHistory() const;

private:
    bool isKeyHeld_(int code) const;
    bool isDigitHeld_(int digit) const;
    void moveCursor_(int key);
    void pressSpace_();
    void generate_();
    void removeCubeTypeOrUnusedRegions_();
    void undoOrRedo_(bool undo);

    // Commands shared by keys and menus, each one undoable step.
    void addObjectAtCursor_();
    void removeElementAtCursor_(bool nearest);
    void clearRegionAtCursor_();
    void clearWorld_();
    bool generateAtCursor_(int type);
    bool generateWorld_();
    void calculateShadowsAtCursor_();
    void calculateShadowsEverywhere_();
    void loadWorld_();
    void removeLastCubeType_();
    void removeUnusedRegions_();
    Float3 getCursorPosition_() const;

    void manageEditorBoxes_(MouseEvent const& event, int nbObjects, bool& result);
    // The window of that title with its buttons, at (100, 50) or by its parent.
    EditorBox* createWindow_(std::string const& title, EditorBox const* parent) const;
    // Opens the window of that title from the window at index, which closes.
    void replaceWindow_(size_t index, std::string const& title);
    void closeWindow_(size_t index);
    void runMenuAction_(size_t index, int button, int nbObjects);
    void runCubeTypeMenuAction_(size_t index, int button);
    void runGenerationMenuAction_(size_t index, int button);
    void runDeletionMenuAction_(int button);
    void drawMenus_(Font const& font) const;
    void changeObjectType_(int key, int nbObjects);
    void changeCubeType_(int key);

    void openDialog_(bool modify);
    void injectKeyEventInDialog_(unsigned char key);
    void finishDialog_();
    // What is wrong with the first of the dialog's textures that could not be
    // loaded ("missing file : " and its path), or empty when all can be.
    std::string findUnusableTexture_() const;

    void drawMarkers_(Int3 const& cursor, Int3 const& start, bool withSelection) const;
    void drawDialog_(Font const& font);
    // What the dialog shows after an answered prompt.
    std::string getDialogAnswer_(int prompt) const;
    void drawCubeTypePreview_(Font const& font);

    Int3 cursorIndex;
    Int3 selectionStartIndex;
    bool isSelecting;
    // Pitch and yaw the camera returns to; its yaw follows the quadrant.
    Float3 cameraAngle;
    // Which quarter of the compass the camera faces: maps arrow keys to grid axes.
    int cameraQuadrant;
    int currentObjectType;
    int currentCubeType;
    int dialogState;
    bool modifyingCubeType;
    // Answers of the dialog in face order; kept after it closes, so a new
    // collidable answer left unset keeps the previous dialog's.
    std::string newTextureFilenames[6];
    bool newRepeatTexture[3];
    bool newIsCollidable;
    // Text field of the texture prompts; its text carries over from one prompt to the next.
    EditText editText;
    IndexedWorld* indexedWorld;
    float cameraDistance;
    // Owned, oldest first.
    std::vector<EditorBox*> editorBoxes;
    bool isCreatingOnlyCube;
    Int3 onlyCubeCurrentIndex;
    Int3 onlyCubeStartIndex;
    bool onlyCubeValidated;
    float markerSize;
    EditorHistory history;
};

#endif
