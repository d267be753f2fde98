#pragma once

#include "support/LogChannels.h"

// The device steps go to the capture log; a tag with "%s" takes the step's message.
inline void LogStep(const char* line) {
    CaptureLog.Log("%s", line);
}

inline const char* const kInitTag = "Device2000::Init()::%s";
inline const char* const kCheckSensorIdTag = "Device2000::CheckSensorID()::%s";
