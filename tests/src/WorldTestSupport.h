#ifndef WORLDTESTSUPPORT_H
#define WORLDTESTSUPPORT_H

// What the cube world tests share: a working folder holding the textures that
// cube types load (small PNG pictures written here), the window the sprites
// need, world files built byte by byte, the world as an obstacle the way the
// game world offers it, and a script interface that records the functions called.

#include "BasicVector.h"
#include "LuaFuncs.h"
#include "Object3D.h"

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

class Editor3D;
class Font;
class IndexedWorld;

namespace WorldTestSupport
{
// Builds world files field by field, independently of the program's writer,
// so the tests state the file layout themselves.
class WorldBytes
{
public:
    WorldBytes& raw(std::string const& text)
    {
        bytes += text;
        return *this;
    }
    WorldBytes& int32(int32_t value)
    {
        uint32_t const bits = static_cast<uint32_t>(value);
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>((bits >> (8 * i)) & 0xFF);
        return *this;
    }
    WorldBytes& float32(float value)
    {
        int32_t bits = 0;
        std::memcpy(&bits, &value, 4);
        return int32(bits);
    }
    WorldBytes& float3(float x, float y, float z) { return float32(x).float32(y).float32(z); }
    WorldBytes& header(int cubeTypeCount) { return raw("WORLD").int32(1).int32(cubeTypeCount); }
    WorldBytes& cubeType(std::string const names[6], bool rx, bool ry, bool rz, bool collidable)
    {
        for (int face = 0; face < 6; ++face)
            int32(static_cast<int32_t>(names[face].size())).raw(names[face]);
        bytes += static_cast<char>(rx);
        bytes += static_cast<char>(ry);
        bytes += static_cast<char>(rz);
        bytes += static_cast<char>(collidable);
        return *this;
    }
    WorldBytes& table(int ox, int oy, int oz, int sx, int sy, int sz) { return int32(ox).int32(oy).int32(oz).int32(sx).int32(sy).int32(sz); }
    WorldBytes& emptyBlock() { return int32(0).int32(0); }
    WorldBytes& emptyCell() { return emptyBlock().emptyBlock(); }
    WorldBytes& emptyCells(int count)
    {
        for (int i = 0; i < count; ++i)
            emptyCell();
        return *this;
    }
    // A zone with the given shadow list counts, in shadow face order; a count
    // of -1 is a wholly shadowed face, a positive one is followed by vertices.
    WorldBytes& zone(float x, float y, float z, float size, int id, int const shadowCounts[6])
    {
        float3(x, y, z).float3(size, size, size).int32(id).int32(0);
        for (int face = 0; face < 6; ++face)
        {
            int32(shadowCounts[face]);
            for (int v = 0; v < shadowCounts[face]; ++v)
                float3(0.5f * v - 5.0f, 5.0f, 0.25f * v);
        }
        return *this;
    }
    WorldBytes& object(float x, float y, float z, int id) { return float3(x, y, z).int32(id); }

    std::string bytes;
};

// A world file without cube types whose region table covers (-1, -1, -1) .. (0, 0, 0), all empty.
std::string emptyWorld();

// A 2 x 2 picture of one colour.
void writeSolidPng(std::string const& path, unsigned char red, unsigned char green, unsigned char blue,
                   unsigned char alpha);

// Makes a fresh working folder with the shadow picture and the named face
// textures in both texture folders, enters it and opens the window.
void enterWorldFolderWithWindow(std::vector<std::string> const& faceTextures,
                                std::string const& windowTitle = "world tests");

// Makes a fresh working folder that holds the generated game data (linked,
// not copied) and the given world file as "world.dat", enters it; the caller
// opens the window or lets the game open it.
std::string enterGameFolder(std::string const& worldBytes);

// Six texture names "<prefix>1.png" to "<prefix>6.png".
std::vector<std::string> sixNames(std::string const& prefix);

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

// The indexed world as the game world offers it to moving things: a segment
// query that is a point test at its end, which on a hit sets out to the start
// (so a blocked move stays where it was) and otherwise leaves out alone. It
// counts the queries made.
class WorldObstacle : public Object3D
{
public:
    explicit WorldObstacle(IndexedWorld const& world);
    bool isThere3DIntersection(Float3 const& from, Float3 const& to, Float3& out) const override;
    void drawNoPos() const override;

    mutable int queries = 0;

private:
    IndexedWorld const& world;
};

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
