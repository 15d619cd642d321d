#ifndef DEVICEMANAGER_H
#define DEVICEMANAGER_H

// The process-wide window and input device, reached through the global
// deviceManager: created once with the window, deleted at shut-down.

#include "GLManager.h"

#include <string>

class DeviceManager : public GLManager
{
public:
    static void newInstance(std::string const& programPath, std::string const& windowTitle, int width, int height,
                            bool fullscreen);
    static void deleteInstance();

    virtual ~DeviceManager();

private:
    DeviceManager() = default;
};

extern DeviceManager* deviceManager;

#endif
