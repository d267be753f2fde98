#pragma once

#include <cstdint>

// Dots per inch to pixels per metre for DIB headers, and back. Above
// 109092169 dots per inch the pixels per metre stop at the 32-bit maximum.
inline std::uint32_t DpiToPpm(std::uint32_t dpi) {
    double ppm = dpi / 2.54 * 100 + 0.5;
    return ppm < 4294967296.0 ? static_cast<std::uint32_t>(ppm) : 0xFFFFFFFFu;
}
inline std::uint32_t PpmToDpi(std::uint32_t ppm) {
    return static_cast<std::uint32_t>(ppm / 100.0 * 2.54 + 0.5);
}
