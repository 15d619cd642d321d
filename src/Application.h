#ifndef APPLICATION_H
#define APPLICATION_H

// Runs the game from start-up to shut-down; holds no data.

#include <string>

class Application
{
public:
    Application() = default;

    // Opens the window, runs frames until the game ends and returns the exit status.
    int run(std::string programPath);
};

#endif
