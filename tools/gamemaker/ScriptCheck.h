#ifndef SCRIPTCHECK_H
#define SCRIPTCHECK_H

// Whether a game script would start in the game: it is run once in a bare Lua
// 5.1 interpreter (none of Lua's libraries, as in the game), where every name
// the script does not define itself reads as a function that does nothing, so
// the engine's functions called while the file runs do no harm. Then the
// entry points the game calls, and the functions of each script object type
// in use, must be functions. Owns its interpreter.

#include <set>
#include <string>
#include <vector>

struct lua_State;

class ScriptCheck
{
public:
    // The names of the four functions every game script defines.
    static char const* const ENTRY_POINTS[4];

    // Loads and runs the file; a failure is the first problem.
    explicit ScriptCheck(std::string const& fileName);
    ~ScriptCheck();
    ScriptCheck(ScriptCheck const&) = delete;
    ScriptCheck& operator=(ScriptCheck const&) = delete;

    bool getIsLoaded() const;
    // Records a problem for every entry point that is missing or not a function.
    void checkEntryPoints();
    // The same for lua_load_N, lua_manage_N, lua_draw_N and lua_unload_N of each type.
    void checkObjectTypes(std::set<int> const& objectTypes);
    // One line per problem, naming the file.
    std::vector<std::string> const& getProblems() const;

private:
    void requireFunction_(std::string const& name, std::string const& why);

    std::string fileName;
    lua_State* lua;
    bool isLoaded;
    std::vector<std::string> problems;
};

#endif
