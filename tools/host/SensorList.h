#pragma once

#include "tools/host/HostPlugin.h"

// Prints the attached sensors as the selection dialog lists them and the
// hardware summary of the options sheet's General page; both dialogs are
// cancelled, so the option record stays as it was.
void ListSensors(HostPlugin& plugin);
// Before the plug-in loads: lets its dialogs show themselves to the lister.
void PrepareSensorList();
