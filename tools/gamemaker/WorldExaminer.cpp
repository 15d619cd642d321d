// world_examiner: prints what a world file holds, or checks that a game
// folder would start: its world file reads whole, every texture it names is
// there, every zone has its cube type, and world.lua loads and defines the
// functions the game will call. Runs without a window.

#include "Errors.h"
#include "IndexedWorld.h"
#include "ScriptCheck.h"
#include "WorldExamination.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace
{
char const* const USAGE = "Usage: world_examiner <world file>\n"
                          "       world_examiner --check <game folder>\n"
                          "The first form prints the world's cube types and textures, and its regions with\n"
                          "their zones, script objects and static shadows. The second checks the folder's\n"
                          "world.dat and world.lua: exit status 0 when the game would start, 1 otherwise.\n";

bool isChecking = false;
// Standard output's own buffer while the world's trace is held back.
std::streambuf* consoleOutput = NULL;

// A world file the game would refuse ends the run with one line.
[[noreturn]] void reportFatal(char const* condition, char const* message)
{
    std::cerr << "error: "
              << (message != NULL     ? message
                  : condition != NULL ? condition
                                      : "unknown failure")
              << std::endl;
    if (consoleOutput != NULL)
        std::cout.rdbuf(consoleOutput);
    if (isChecking)
        std::cout << "check failed" << std::endl;
    std::exit(1);
}

// The game's own loading trace would drown the report.
std::unique_ptr<IndexedWorld> loadQuietly(std::string const& fileName)
{
    std::ostringstream trace;
    consoleOutput = std::cout.rdbuf(trace.rdbuf());
    std::unique_ptr<IndexedWorld> world(new IndexedWorld(NULL, fileName, NULL));
    std::cout.rdbuf(consoleOutput);
    consoleOutput = NULL;
    return world;
}

void printProblems(std::vector<std::string> const& problems)
{
    for (std::string const& problem : problems)
        std::cerr << "error: " << problem << std::endl;
}

int check(std::string const& folder)
{
    if (!std::filesystem::is_directory(folder))
    {
        std::cerr << "error: '" << folder << "' is not a folder" << std::endl;
        return 1;
    }
    isChecking = true;
    ScriptCheck script(folder + "/world.lua");
    script.checkEntryPoints();
    // Reported before the world is read, since a bad world file ends the run.
    std::vector<std::string> const scriptProblems = script.getProblems();
    printProblems(scriptProblems);
    std::unique_ptr<IndexedWorld> const world = loadQuietly(folder + "/world.dat");
    std::vector<std::string> problems = WorldExamination::checkTextures(*world, folder);
    std::vector<std::string> const zoneProblems = WorldExamination::checkZoneCubeTypes(*world);
    problems.insert(problems.end(), zoneProblems.begin(), zoneProblems.end());
    script.checkObjectTypes(WorldExamination::getObjectTypes(*world));
    problems.insert(problems.end(), script.getProblems().begin() + long(scriptProblems.size()),
                    script.getProblems().end());
    printProblems(problems);
    size_t const count = scriptProblems.size() + problems.size();
    if (count > 0)
    {
        std::cout << "check failed: " << count << " problem(s) in " << folder << std::endl;
        return 1;
    }
    std::cout << "check passed: " << folder << std::endl;
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> const args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h"))
    {
        std::cout << USAGE;
        return 0;
    }
    Errors::setFatalHandler(reportFatal);
    if (args.size() == 2 && args[0] == "--check")
        return check(args[1]);
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-')
    {
        std::cerr << USAGE;
        return 2;
    }
    std::unique_ptr<IndexedWorld> const world = loadQuietly(args[0]);
    std::cout << "World file: " << args[0] << std::endl;
    WorldExamination::printSummary(*world, std::cout);
    return 0;
}
