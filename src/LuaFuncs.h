#ifndef LUAFUNCS_H
#define LUAFUNCS_H

// The script interface as the world model sees it: the one seam through
// which script objects call their type's functions in the game script and
// make themselves the object the script works on. This is the world model's
// side of it only; the Lua host and the script-callable functions come with
// the script API, which takes over this class.

class CustomObject;

class LuaFuncs
{
public:
    LuaFuncs();
    virtual ~LuaFuncs();

    // Calls the script's global function of that name without arguments.
    virtual void callLuaGenericFunction(char const* functionName);
    // The object that the script's object functions read and change.
    virtual void injectCurrentObject(CustomObject* object);
    CustomObject* getCurrentObject() const;

private:
    CustomObject* currentObject;
};

#endif
