#pragma once

#include <cstdint>
#include <string>

namespace ui {

// A filter mask as the options pages show it: columns by rows.
struct MaskSize {
    std::int32_t columns = 0;
    std::int32_t rows = 0;
    friend bool operator==(const MaskSize&, const MaskSize&) = default;
};

// Two numbers (runs of digits, '-' and '.', each read as a decimal integer)
// between runs of blanks, backslashes, colons, semicolons, commas, x or
// slashes; any other text gives 0 x 0.
MaskSize ParseMaskSize(const std::string& text);
// "3 x 3".
std::string FormatMaskSize(MaskSize size);
// A size the filters can use: 1 to kLargestMask in each direction, so that
// even the smallest binned frame is larger than the mask.
constexpr std::int32_t kLargestMask = 99;
bool IsUsableMaskSize(MaskSize size);

} // namespace ui
