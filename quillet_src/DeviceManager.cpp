#include "DeviceManager.h"

#include "Errors.h"

DeviceManager* deviceManager = NULL;

void DeviceManager::newInstance(std::string const& programPath, std::string const& windowTitle, int width,
                                int height, bool fullscreen)
{
    ASSERT(deviceManager == NULL, NULL);
    deviceManager = new DeviceManager();
    deviceManager->init(programPath, windowTitle.c_str(), width, height, fullscreen);
}

void DeviceManager::deleteInstance()
{
    ASSERT(deviceManager != NULL, NULL);
    delete deviceManager;
    deviceManager = NULL;
}

DeviceManager::~DeviceManager()
{
}
