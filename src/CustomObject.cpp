#include "CustomObject.h"

#include "Errors.h"
#include "GLManager.h"
#include "LuaFuncs.h"
#include "Scene3D.h"

#include <cstdio>

Float3 const CustomObject::positionZero(0.f, 0.f, 0.f);
bool CustomObject::drawAlsoPositionCube = false;

namespace
{
LuaFuncs* lua = NULL;
// Load state per script object type id. A map rather than a list indexed by
// id: ids come from files, and a huge one must not allocate up to itself.
// Ordered, because types are unloaded in increasing id order.
std::map<int32_t, int> customObjectIsUsed;
char bufFunctionName[256] = {};
// Never reused: an object created after another was removed is told apart from it.
uint64_t nextSerial = 1;

int& getTypeStateEntry(int32_t id)
{
    ASSERT(id >= 0, "script object type ids are never negative");
    std::map<int32_t, int>::iterator const found = customObjectIsUsed.find(id);
    if (found != customObjectIsUsed.end())
        return found->second;
    int& created = customObjectIsUsed[id];
    ASSERT(customObjectIsUsed[id] == 0, NULL);
    return created;
}
}

void CustomObject_injectLuaFuncs(LuaFuncs* luaFuncs)
{
    lua = luaFuncs;
}

CustomObject::CustomObject(Float3 const& position, int32_t id)
    : position(position), id(id), localVariable1(0.f), localVariable2(0.f), serial(nextSerial++)
{
    ASSERT(id >= 0, NULL);
}

CustomObject::CustomObject(RecordReader& reader)
    : position(), id(0), localVariable1(0.f), localVariable2(0.f), serial(nextSerial++)
{
    position = reader.readFloat3("a script object's position");
    id = reader.readInt32("a script object's type id");
    if (id < 0)
        reader.failCorrupt("a script object has the negative type id " + std::to_string(id));
}

void CustomObject::saveToFile(RecordWriter& writer) const
{
    writer.writeFloat3(position);
    writer.writeInt32(id);
}

void CustomObject::callTypeFunction_(char const* prefix, int32_t id)
{
    ASSERT(lua != NULL, "script objects were used before the script interface was injected");
    std::snprintf(bufFunctionName, sizeof(bufFunctionName), "%s_%d", prefix, int(id));
    lua->callLuaGenericFunction(bufFunctionName);
}

void CustomObject::loadTypeIfNeeded_() const
{
    int& state = getTypeStateEntry(id);
    if (state != TYPE_NOT_LOADED)
        return;
    callTypeFunction_("lua_load", id);
    // Map entries stay where they are while the script uses other types.
    state = TYPE_LOADED;
}

bool CustomObject::manage()
{
    getTypeStateEntry(id);
    ASSERT(lua != NULL, "script objects were used before the script interface was injected");
    lua->injectCurrentObject(this);
    loadTypeIfNeeded_();
    getTypeStateEntry(id) = TYPE_USED;
    callTypeFunction_("lua_manage", id);
    return false;
}

void CustomObject::draw() const
{
    getTypeStateEntry(id);
    scene3D->pushPosition();
    scene3D->setPosition(position);
    if (drawAlsoPositionCube)
        scene3D->drawCube(Float3(5.f, 5.f, 5.f), NULL, Float3(1.f, 1.f, 1.f), false);
    loadTypeIfNeeded_();
    callTypeFunction_("lua_draw", id);
    scene3D->popPosition();
}

void CustomObject::calculateStaticShadows(std::vector<CubeZone const*> const& /*occluders*/,
                                          Float3 const& /*lightPosition*/)
{
}

Float3 const& CustomObject::getPosition() const
{
    return position;
}

void CustomObject::setPosition(Float3 const& newPosition)
{
    position = newPosition;
}

int32_t CustomObject::getId() const
{
    return id;
}

uint64_t CustomObject::getSerial() const
{
    return serial;
}

float CustomObject::getLocalVariable1() const
{
    return localVariable1;
}

void CustomObject::setLocalVariable1(float value)
{
    localVariable1 = value;
}

float CustomObject::getLocalVariable2() const
{
    return localVariable2;
}

void CustomObject::setLocalVariable2(float value)
{
    localVariable2 = value;
}

int CustomObject::getTypeState(int32_t id)
{
    std::map<int32_t, int>::const_iterator const found = customObjectIsUsed.find(id);
    return found == customObjectIsUsed.end() ? TYPE_NOT_LOADED : found->second;
}

void CustomObject::initUnusedTypes()
{
    for (std::pair<int32_t const, int>& entry : customObjectIsUsed)
        if (entry.second == TYPE_USED)
            entry.second = TYPE_LOADED;
}

void CustomObject::freeUnusedTypes()
{
    for (std::pair<int32_t const, int>& entry : customObjectIsUsed)
    {
        if (entry.second != TYPE_LOADED)
            continue;
        callTypeFunction_("lua_unload", entry.first);
        entry.second = TYPE_NOT_LOADED;
    }
}
