#ifndef APPLICATION_H
#define APPLICATION_H

// Runs the game from start-up to shut-down; holds no data.

#include <string>

// The program's name and version, shown in the main menu.
extern char const* const credits;

class Application
{
public:
    Application() = default;

    // Runs frames until the game ends and returns the exit status.
    int run(std::string programPath);
};

#endif
