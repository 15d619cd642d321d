#ifndef WORLDTESTSUPPORT_H
#define WORLDTESTSUPPORT_H

// What the cube world tests share: a working folder holding the textures that
// cube types load (small PNG pictures written here), the window the sprites
// need, and a script interface that records the functions called.

#include "BasicVector.h"
#include "LuaFuncs.h"

#include <ostream>
#include <string>
#include <vector>

class Editor3D;
class Font;
class IndexedWorld;

namespace WorldTestSupport
{
// A 2 x 2 picture of one colour.
void writeSolidPng(std::string const& path, unsigned char red, unsigned char green, unsigned char blue,
                   unsigned char alpha);

// Makes a fresh working folder with the shadow picture and the named face
// textures in both texture folders, enters it and opens the window.
void enterWorldFolderWithWindow(std::vector<std::string> const& faceTextures,
                                std::string const& windowTitle = "world tests");

// Six texture names "<prefix>1.png" to "<prefix>6.png".
std::vector<std::string> sixNames(std::string const& prefix);

// A world file with no cube type and nothing in it, written byte by byte.
void writeEmptyWorldFile(std::string const& path);

// A cube zone seen as the grid box it fills: corners in cube indices and its type.
struct GridBox
{
    Int3 low;
    Int3 high;
    int cubeType = 0;

    bool operator==(GridBox const& other) const
    {
        return low == other.low && high == other.high && cubeType == other.cubeType;
    }
};
std::ostream& operator<<(std::ostream& out, GridBox const& box);

// Every zone of the world: regions in table order, each region's zones in its order.
std::vector<GridBox> gridBoxesOf(IndexedWorld const& world);

// A world open in the editor, as the game has it: a fresh working folder with
// the textures of the cube types "t<type>_<face>.png" (face 1 to 6), the water
// picture and an empty "world.dat"; the window, the game's font, the world
// loaded from that file with the cube types added, and its editor.
class EditedWorld
{
public:
    EditedWorld(std::string const& windowTitle, int nbCubeTypes);
    ~EditedWorld();
    EditedWorld(EditedWorld const&) = delete;
    EditedWorld& operator=(EditedWorld const&) = delete;

    // The six texture names of a cube type, in face order.
    static std::vector<std::string> namesOfType(int type);

    Font* font = nullptr;
    IndexedWorld* world = nullptr;
    Editor3D* editor = nullptr;
};
}

// Records every script function called, and lets a test act when one is.
class RecordingLuaFuncs : public LuaFuncs
{
public:
    void callLuaGenericFunction(char const* functionName) override;

    int countCalls(std::string const& functionName) const;

    std::vector<std::string> calls;
    // Called with each function name, with the current object already injected.
    void (*onCall)(RecordingLuaFuncs& self, std::string const& functionName) = nullptr;
};

#endif
