#include "hardware/PropertyValues.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "support/TextCase.h"

std::int32_t PropertyInteger(const std::string& text) {
    long long value = std::strtoll(text.c_str(), nullptr, 10);
    return static_cast<std::int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

double PropertyReal(const std::string& text) {
    return std::strtod(text.c_str(), nullptr);
}

Margins ReadMargins(const CHardwareProperties& properties, bool plusModel) {
    const char* suffix = plusModel && properties.Find("left_margin_plus") ? "_plus" : "";
    auto margin = [&](const char* side) {
        std::int32_t value =
            PropertyInteger(properties.Get(std::string(side) + "_margin" + suffix));
        return static_cast<std::uint32_t>(std::max(0, value));
    };
    return {margin("left"), margin("right"), margin("top"), margin("bottom")};
}

std::uint16_t CornerColour(const std::string& text) {
    std::string name = ToLowerText(text);
    if (name.empty() || name == "default" || name == "black")
        return 4095;
    if (name == "white")
        return 0;
    if (name == "gray" || name == "grey")
        return 2048;
    long long colour = 4095LL - PropertyInteger(text);
    return static_cast<std::uint16_t>(std::clamp<long long>(colour, 0, 4095));
}
