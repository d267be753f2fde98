#pragma once

#include <string>

#include "support/Logging.h"

// The plug-in's two channels: entry points to MainLog, the capture path to CaptureLog.
extern CLogManager MainLog;
extern CLogManager CaptureLog;

enum class LogChannel { Main, Capture };

// Opens the channel when logging is enabled and it is not open, closes it when
// logging is disabled, and turns flushing of each line on.
void EnsureLogOpen(LogChannel channel);
// "Error: <text>" to MainLog.
void LogError(const std::string& text);
// "Sensor: <sensorId>" to CaptureLog.
void LogSensor(const std::string& sensorId);
