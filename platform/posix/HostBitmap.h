#pragma once

#include <cstdint>

// Natively a 16-bit bitmap handle points at this plain layout, so that a
// library built apart from the plug-in (the enhancement library) can read and
// write its samples as it would a DIB section's: bottom-up rows of pitch bytes.
struct HostBitmap16 {
    std::int32_t width;
    std::int32_t height;
    std::uint16_t bitsPerPixel;
    std::uint32_t pitch;
    std::uint8_t* bits;
};
