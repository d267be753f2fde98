#pragma once

#include <string>
#include <unordered_map>

#include "plugin/SedApi.h"

using TranslateCallback = void(SED_CALL*)(const char* text, char* out, int outSize);

// Passes user-visible texts through the host's translation callback.
class Translator {
public:
    static constexpr int kBufferSize = 2024;

    Translator() : table_(17) {}

    std::string Translate(const std::string& text) const;
    void SetCallback(TranslateCallback callback) { callback_ = callback; }
    void SetPseudoTranslation(bool on) { pseudo_ = on; }
    void AddTableEntry(const std::string& text, const std::string& translation);
    const std::string& Language() const { return language_; }

private:
    TranslateCallback callback_ = nullptr;
    bool pseudo_ = false;
    std::unordered_map<std::string, std::string> table_;
    std::string language_ = "American_English";
};
