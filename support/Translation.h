#pragma once

#include <string>

// User-visible texts of the libraries below the plug-in pass through the
// plug-in's translator, which installs itself here.
using TranslationHook = std::string (*)(const std::string& text);
void SetTranslationHook(TranslationHook hook);
std::string TranslateText(const std::string& text);

// Translates a printf format, then fills it. A translation whose conversions
// differ from the original's is not trusted with the arguments: the original
// is used.
std::string FormatTranslated(const char* format, ...) __attribute__((format(printf, 1, 2)));
// lastErrorText = the filled, translated format.
void SetTranslatedError(const char* format, ...) __attribute__((format(printf, 1, 2)));
// lastErrorText = the translated text.
void SetTranslatedMessage(const std::string& text);
