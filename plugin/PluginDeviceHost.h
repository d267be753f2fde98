#pragma once

#include "hardware/DeviceHost.h"
#include "hardware/SensorSettings.h"

// What the devices read from the plug-in: its data directory, the cancel flag
// and the two options that reach below the controller.
class PluginDeviceHost : public DeviceHost {
public:
    std::string DataDirectory() const override;
    // The device manager answers with its own settings.
    const SensorSettings& Settings() const override { return noSettings_; }
    bool UserTerminated() const override;
    bool ExtendedFlushTimes() const override;
    bool SaveRawDump() const override;

private:
    SensorSettings noSettings_;
};
