#include "Application.h"

#include "LuaManager.h"

char const* const credits = "Quillet 0.19";

int Application::run(std::string programPath)
{
    LuaManager* const manager = new LuaManager(programPath);
    while (manager->getIsRunning())
        manager->manageAndDraw();
    delete manager;
    return 0;
}
