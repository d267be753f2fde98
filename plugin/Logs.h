#pragma once

#include <string>

#include "support/LogChannels.h"

enum class LogChannel { Main, Capture };

// Opens the channel when logging is enabled and it is not open, closes it when
// logging is disabled, and turns flushing of each line on.
void EnsureLogOpen(LogChannel channel);
// "Error: <text>" to MainLog.
void LogError(const std::string& text);
// "Sensor: <sensorId>" to CaptureLog.
void LogSensor(const std::string& sensorId);
