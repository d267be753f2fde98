#pragma once

#include <string>

// A message box over the host's main window, captioned with the plug-in's
// name, with an OK button.
void ShowPlainBox(const std::string& text);
