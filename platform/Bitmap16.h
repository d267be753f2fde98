#pragma once

#include <cstddef>
#include <cstdint>

// 16-bit GDI bitmaps, exchanged with the external enhancement library. Rows are
// bottom-up with a pitch of 2 x width bytes rounded up to a multiple of 4.
namespace platform {

using BitmapHandle = void*;

struct BitmapFormat {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bitsPerPixel = 0;
};

// A new DIB section holding width samples of each of height rows taken stride
// samples apart; the caller owns it. Null on failure.
BitmapHandle CreateDibSection16(std::uint32_t width, std::uint32_t height, std::int32_t xPpm,
                                std::int32_t yPpm, const std::uint16_t* pixels, std::size_t stride);
bool QueryBitmap(BitmapHandle bitmap, BitmapFormat& format);
// Reads rows 0 ... height into samples at the pitch above.
bool ReadBitmap16(BitmapHandle bitmap, std::uint32_t width, std::uint32_t height,
                  std::uint16_t* samples);
void DeleteBitmap(BitmapHandle bitmap);

} // namespace platform
