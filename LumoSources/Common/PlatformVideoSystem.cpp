#include "LumoSources/Common/PlatformVideoSystem.h"

#include "LumoSources/Common/VideoDevice.h"

PlatformVideoSystem::~PlatformVideoSystem() {
    for (VideoDevice* device : devices)
        delete device;
}
