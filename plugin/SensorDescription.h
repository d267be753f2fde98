#pragma once

#include <string>

// The text without leading and trailing blanks, tabs and line ends.
std::string Trimmed(const std::string& text);

// Fills the first "%s" with the system name. The text may come from the host's
// translation callback, so it is never used as a printf format.
std::string FormatWithSystemName(std::string text);

// "<device name> <sensor id>" of the selected sensor (logged as "Sensor: ..."),
// or "No Tovi USB II Sensor Detected" when none is selected.
std::string DescribeSensor();

class SensorOptions;
struct _ToviDeviceId;
// Whether an entry's device id and sensor id are the selection's (any letter case).
bool IsSelectedSensor(const _ToviDeviceId& device, const SensorOptions& options);
