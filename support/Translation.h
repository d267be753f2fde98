#pragma once

#include <string>

// User-visible texts of the libraries below the plug-in pass through the
// plug-in's translator, which installs itself here.
using TranslationHook = std::string (*)(const std::string& text);
void SetTranslationHook(TranslationHook hook);
std::string TranslateText(const std::string& text);
