#include "plugin/ui/options/MaskSize.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "support/TextFormat.h"

namespace ui {

namespace {

bool IsNumberCharacter(char c) {
    return (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool IsSeparator(char c) {
    return c != '\0' && std::strchr(" \\:;,xX/", c) != nullptr;
}

} // namespace

MaskSize ParseMaskSize(const std::string& text) {
    std::vector<std::int32_t> numbers;
    for (std::size_t at = 0; at < text.size();) {
        if (IsSeparator(text[at])) {
            ++at;
        } else if (IsNumberCharacter(text[at])) {
            std::size_t end = at;
            while (end < text.size() && IsNumberCharacter(text[end]))
                ++end;
            const std::string number = text.substr(at, end - at);
            const long value = std::strtol(number.c_str(), nullptr, 10);
            numbers.push_back(static_cast<std::int32_t>(value > INT32_MAX   ? INT32_MAX
                                                        : value < INT32_MIN ? INT32_MIN
                                                                            : value));
            at = end;
        } else {
            return {};
        }
    }
    if (numbers.size() != 2)
        return {};
    return {numbers[0], numbers[1]};
}

std::string FormatMaskSize(MaskSize size) {
    return FormatText("%d x %d", static_cast<int>(size.columns), static_cast<int>(size.rows));
}

bool IsUsableMaskSize(MaskSize size) {
    return size.columns >= 1 && size.columns <= kLargestMask && size.rows >= 1 &&
           size.rows <= kLargestMask;
}

} // namespace ui
