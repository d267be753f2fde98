#pragma once

#include <cstdint>
#include <string>

class SensorSettings;

// The capture controller's notification entry: text, kind, percent.
using NotifyCallback = std::int32_t (*)(const char* text, std::int32_t kind, std::int32_t percent);

// What a device reads from the plug-in and its device manager while it works.
class DeviceHost {
public:
    virtual ~DeviceHost() = default;
    // The plug-in data directory, home of "settings.xml" and the Devices folder.
    virtual std::string DataDirectory() const = 0;
    // The folder of the plug-in module, whose Devices folder names the known sensor files.
    virtual std::string ModuleDirectory() const;
    virtual const SensorSettings& Settings() const = 0;
    virtual bool UserTerminated() const = 0;
    // "Use extended 2000 sensor flush times".
    virtual bool ExtendedFlushTimes() const = 0;
    // "Save a binary dump file of captured image".
    virtual bool SaveRawDump() const = 0;
};
