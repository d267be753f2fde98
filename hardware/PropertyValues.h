#pragma once

#include <cstdint>
#include <string>

#include "hardware/HardwareProperties.h"

// atol and atof as the 32-bit C runtime reads property texts: leading blanks,
// an optional sign, digits; out-of-range values saturate; no number gives 0.
std::int32_t PropertyInteger(const std::string& text);
double PropertyReal(const std::string& text);

struct Margins {
    std::uint32_t left = 0, right = 0, top = 0, bottom = 0;
};
// The "_plus" margins on a plus model that has them, else the plain ones;
// negative values count as 0.
Margins ReadMargins(const CHardwareProperties& properties, bool plusModel);
// "default"/"black" 4095, "white" 0, "gray"/"grey" 2048, else 4095 - n limited
// to 0 ... 4095; a missing value is black.
std::uint16_t CornerColour(const std::string& text);
