#pragma once

#include <string>

#include "hardware/DeviceHost.h"
#include "hardware/SensorSettings.h"

// A device host with fixed answers, for the tools and the tests.
class StaticDeviceHost : public DeviceHost {
public:
    std::string dataDirectory;
    // Empty: the module's own.
    std::string moduleDirectory;
    SensorSettings settings;
    bool userTerminated = false;
    bool extendedFlushTimes = false;
    bool saveRawDump = false;

    std::string DataDirectory() const override { return dataDirectory; }
    std::string ModuleDirectory() const override {
        return moduleDirectory.empty() ? DeviceHost::ModuleDirectory() : moduleDirectory;
    }
    const SensorSettings& Settings() const override { return settings; }
    bool UserTerminated() const override { return userTerminated; }
    bool ExtendedFlushTimes() const override { return extendedFlushTimes; }
    bool SaveRawDump() const override { return saveRawDump; }
};
