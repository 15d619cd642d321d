// demo_world_builder: writes the demo game's world file from the game data
// folder's height map (see DemoWorld.h for the layout). Runs without a window.

#include "DemoWorld.h"
#include "Errors.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

namespace
{
char const* const USAGE = "Usage: demo_world_builder <game data folder> [world file]\n"
                          "Builds the demo world from <folder>/world_heightmap.png and writes it to the world\n"
                          "file (default <folder>/world.dat). The editor's font <folder>/default_font.png is needed.\n";

[[noreturn]] void reportFatal(char const* condition, char const* message)
{
    std::cerr << "demo_world_builder: "
              << (message != NULL     ? message
                  : condition != NULL ? condition
                                      : "failed")
              << std::endl;
    std::exit(1);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0))
    {
        std::cout << USAGE;
        return 0;
    }
    if (argc < 2 || argc > 3)
    {
        std::cerr << USAGE;
        return 2;
    }
    Errors::setFatalHandler(reportFatal);
    std::string const folder = argv[1];
    DemoWorld::writeWorldFile(folder, argc == 3 ? argv[2] : folder + "/world.dat");
    return 0;
}
