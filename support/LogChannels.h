#pragma once

#include "support/Logging.h"

// The plug-in's two channels: entry points to MainLog, the capture path
// (controller and devices) to CaptureLog.
extern CLogManager MainLog;
extern CLogManager CaptureLog;
