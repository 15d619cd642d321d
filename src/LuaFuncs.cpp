#include "LuaFuncs.h"

#include <cstddef>

LuaFuncs::LuaFuncs() : currentObject(NULL)
{
}

LuaFuncs::~LuaFuncs()
{
}

void LuaFuncs::callLuaGenericFunction(char const* /*functionName: no script is loaded through this seam yet*/)
{
}

void LuaFuncs::injectCurrentObject(CustomObject* object)
{
    currentObject = object;
}

CustomObject* LuaFuncs::getCurrentObject() const
{
    return currentObject;
}
