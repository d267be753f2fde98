#include "support/Translation.h"

#include <atomic>

namespace {
std::atomic<TranslationHook> installedHook{nullptr};
}

void SetTranslationHook(TranslationHook hook) {
    installedHook = hook;
}

std::string TranslateText(const std::string& text) {
    TranslationHook hook = installedHook;
    return hook != nullptr ? hook(text) : text;
}
