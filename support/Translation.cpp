#include "support/Translation.h"

#include <atomic>
#include <cstdarg>

#include "support/LastError.h"
#include "support/TextFormat.h"

namespace {

std::atomic<TranslationHook> installedHook{nullptr};

// The conversion letters of a format in order ("%ld %s" gives "ds"); "%%" counts as none.
std::string Conversions(const std::string& format) {
    std::string letters;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        std::size_t end = format.find_first_of("diouxXeEfFgGaAcspn%", i + 1);
        if (end == std::string::npos)
            return letters + '?';
        if (format[end] != '%')
            letters += format.substr(i + 1, end - i);
        i = end;
    }
    return letters;
}

std::string TranslatedFormat(const char* format) {
    std::string translated = TranslateText(format);
    return Conversions(translated) == Conversions(format) ? translated : std::string(format);
}

} // namespace

void SetTranslationHook(TranslationHook hook) {
    installedHook = hook;
}

std::string TranslateText(const std::string& text) {
    TranslationHook hook = installedHook;
    return hook != nullptr ? hook(text) : text;
}

std::string FormatTranslated(const char* format, ...) {
    std::string translated = TranslatedFormat(format);
    va_list arguments;
    va_start(arguments, format);
    std::string text = FormatTextV(translated.c_str(), arguments);
    va_end(arguments);
    return text;
}

void SetTranslatedError(const char* format, ...) {
    std::string translated = TranslatedFormat(format);
    va_list arguments;
    va_start(arguments, format);
    SetLastErrorText(FormatTextV(translated.c_str(), arguments));
    va_end(arguments);
}

void SetTranslatedMessage(const std::string& text) {
    SetLastErrorText(TranslateText(text));
}
