#include "Application.h"

#include "BasicVector.h"
#include "DeviceManager.h"
#include "KeyboardManager.h"

#include <iostream>

// Until the game's main loop exists, a frame clears the window and Escape quits.
int Application::run(std::string programPath)
{
    std::cout << "================ Initializing ..." << std::endl;
    DeviceManager::newInstance(programPath, "", 800, 600, false);
    std::cout << "================ Initialized, first draw ..." << std::endl;
    bool isRunning = true;
    while (isRunning)
    {
        deviceManager->loopEvent();
        for (int const code : deviceManager->getKeyboardManager()->keyEvents)
            if (code == KeyboardManager::KEYASCII_ESCAPE)
                isRunning = false;
        deviceManager->clearBackground(Color4(40, 60, 90, 255));
    }
    DeviceManager::deleteInstance();
    return 0;
}
