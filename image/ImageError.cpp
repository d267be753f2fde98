#include "image/ImageError.h"

#include <atomic>
#include <cstdio>

#include "support/LastError.h"
#include "support/Translation.h"

namespace {
std::atomic<std::uint32_t> lastImageErrorCode{0};

// Fills up to two "%lu" in a translated text without using it as a format.
std::string FillNumbers(std::string text, unsigned long first, unsigned long second) {
    for (unsigned long value : {first, second}) {
        std::size_t at = text.find("%lu");
        if (at == std::string::npos)
            break;
        text.replace(at, 3, std::to_string(value));
    }
    return text;
}
} // namespace

void SetLastImageError(std::uint32_t code, const char* format, unsigned long first,
                       unsigned long second) {
    lastImageErrorCode = code;
    SetLastErrorText(FillNumbers(TranslateText(format), first, second));
}

std::uint32_t LastImageErrorCode() {
    return lastImageErrorCode;
}

void SetImageErrorText(const std::string& text) {
    SetTranslatedMessage(text);
}
