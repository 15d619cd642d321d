#ifndef CUSTOMOBJECT_H
#define CUSTOMOBJECT_H

// A script object: a point in the world whose look and behaviour are written
// in the game script. The world stores only its position, its script object
// type id and two per-object values the script keeps (not saved in the world
// file); it is copied by value between regions. Managing and drawing call the
// type's script functions "lua_load_N", "lua_manage_N", "lua_draw_N" and
// "lua_unload_N" through the injected LuaFuncs. The load state of each type
// (0 not loaded, 1 loaded, 2 used in this manage step) is shared by all
// objects and kept per id that was actually used, so a large id costs no memory.
// Each object also carries a serial number, unique in the program's run and
// kept by its copies, so the script interface can find the object again after
// the region lists holding it have changed.

#include "BasicVector.h"
#include "RecordReader.h"
#include "RecordWriter.h"

#include <cstdint>
#include <map>
#include <vector>

class CubeZone;
class LuaFuncs;

class CustomObject
{
public:
    static constexpr int TYPE_NOT_LOADED = 0;
    static constexpr int TYPE_LOADED = 1;
    static constexpr int TYPE_USED = 2;
    // The size of every script object when it is placed in a region.
    static Float3 const positionZero;
    // When set, every drawn object also shows a small untextured cube.
    static bool drawAlsoPositionCube;

    // id must not be negative.
    CustomObject(Float3 const& position, int32_t id);
    // The 16-byte script object record; a negative type id is corrupt.
    explicit CustomObject(RecordReader& reader);

    void saveToFile(RecordWriter& writer) const;

    // Makes the object current, loads its type if needed, marks the type used
    // and calls its manage function; returns false (objects move, they are never removed).
    bool manage();
    // Loads its type if needed and calls its draw function at the object's position.
    void draw() const;
    // Script objects neither cast nor receive static shadows.
    void calculateStaticShadows(std::vector<CubeZone const*> const& occluders, Float3 const& lightPosition);

    Float3 const& getPosition() const;
    void setPosition(Float3 const& position);
    int32_t getId() const;
    uint64_t getSerial() const;
    float getLocalVariable1() const;
    void setLocalVariable1(float value);
    float getLocalVariable2() const;
    void setLocalVariable2(float value);

    // Load state of a type id (TYPE_NOT_LOADED for ids never used).
    static int getTypeState(int32_t id);
    // Every used type becomes loaded-but-unused.
    static void initUnusedTypes();
    // Every type loaded but unused in this step is unloaded, in increasing id order.
    static void freeUnusedTypes();

private:
    void loadTypeIfNeeded_() const;
    static void callTypeFunction_(char const* prefix, int32_t id);

    Float3 position;
    int32_t id;
    float localVariable1;
    float localVariable2;
    // Copies are the same object moved elsewhere, so they keep it.
    uint64_t serial;
};

// The script interface through which every script object calls the script.
void CustomObject_injectLuaFuncs(LuaFuncs* luaFuncs);

#endif
