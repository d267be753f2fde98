// The native plug-in's dialogs write what they show to the console.

#include <cstdlib>

#include "tools/host/SensorList.h"

void PrepareSensorList() {
    setenv("TOVI_CONSOLE_DIALOGS", "1", 1);
}

void ListSensors(HostPlugin& plugin) {
    plugin.DisplayConfiguration();
    plugin.DisplayOptions();
}
