#include "plugin/ui/TeethText.h"

#include "support/TextFormat.h"
#include "support/Translation.h"

namespace ui {

namespace {

constexpr unsigned kWholeMouthPermanent = 0xFFFFFFFF;
constexpr unsigned kWholeMouthPrimary = 0xFFFFF;
constexpr unsigned kPrimaryTeeth = 20;

void AppendPermanentTeeth(std::string& text, unsigned mask) {
    for (unsigned bit = 0; bit < 32; ++bit) {
        if ((mask >> bit & 1) == 0)
            continue;
        unsigned long tooth = bit + 1;
        text += text.empty() ? FormatText("%lu", tooth) : FormatText(", %lu", tooth);
    }
}

void AppendPrimaryTeeth(std::string& text, unsigned mask) {
    for (unsigned bit = 0; bit < kPrimaryTeeth; ++bit) {
        if ((mask >> bit & 1) == 0)
            continue;
        int letter = 'A' + static_cast<int>(bit);
        text += text.empty() ? FormatText("%c", letter) : FormatText(",%c", letter);
    }
}

} // namespace

std::string TeethText(unsigned permanentTeeth, unsigned primaryTeeth) {
    if (permanentTeeth == kWholeMouthPermanent)
        return "<Whole Mouth>";
    if (permanentTeeth == 0 && primaryTeeth == 0)
        return "<No Associations>";
    if (primaryTeeth == kWholeMouthPrimary)
        return "<Whole Mouth>";
    std::string text;
    AppendPermanentTeeth(text, permanentTeeth);
    AppendPrimaryTeeth(text, primaryTeeth);
    return text;
}

std::string ElapsedText(unsigned long seconds) {
    if (seconds >= 60)
        return FormatTranslated("Active %lu minute(s) %lu seconds", seconds / 60, seconds % 60);
    return FormatTranslated("Active %lu seconds", seconds);
}

} // namespace ui
