#pragma once

#include "tools/host/HostPlugin.h"

// The plug-in's status notifications as a progress bar with the current
// text: one line redrawn on a terminal, one line per notification otherwise.
class StatusProgress {
public:
    static void TOVI_HOST_CALL OnStatus(int sensor, int code, const char* text);
    // Ends the bar's line after a capture.
    static void Finish();
};
