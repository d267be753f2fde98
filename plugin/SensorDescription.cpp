#include "plugin/SensorDescription.h"

#include "plugin/Logs.h"
#include "plugin/PluginState.h"
#include "support/TextCase.h"

std::string Trimmed(const std::string& text) {
    auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string FormatWithSystemName(std::string text) {
    if (auto at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, kSystemName);
    return text;
}

std::string DescribeSensor() {
    const SensorOptions& options = PluginModule::Instance().state.options;
    if (Trimmed(options.Text(SensorOptions::DeviceName)).empty())
        return FormatWithSystemName("No %s Sensor Detected");
    LogSensor(options.Text(SensorOptions::SensorId));
    return options.Text(SensorOptions::DeviceName) + " " + options.Text(SensorOptions::SensorId);
}

bool IsSelectedSensor(const _ToviDeviceId& device, const SensorOptions& options) {
    return EqualsIgnoringCase(device.deviceId, options.Text(SensorOptions::DeviceId)) &&
           EqualsIgnoringCase(device.sensorId, options.Text(SensorOptions::SensorId));
}
