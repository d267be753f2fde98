#pragma once

#include <cstdint>

// Dots per inch to pixels per metre for DIB headers, and back.
inline std::uint32_t DpiToPpm(std::uint32_t dpi) {
    return static_cast<std::uint32_t>(dpi / 2.54 * 100 + 0.5);
}
inline std::uint32_t PpmToDpi(std::uint32_t ppm) {
    return static_cast<std::uint32_t>(ppm / 100.0 * 2.54 + 0.5);
}
