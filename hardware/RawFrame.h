#pragma once

#include <cstdint>
#include <memory>

// A raw sensor frame: 12-bit samples (4095 is black) in lines of stride bytes,
// 2 x width rounded up to a multiple of 4.
struct RawFrame {
    std::uint32_t width = 0;
    std::int32_t height = 0;
    std::int32_t stride = 0;
    std::unique_ptr<std::uint16_t[]> pixels;
    std::int32_t resolutionX = 0;
    std::int32_t resolutionY = 0;

    static std::int32_t StrideFor(std::uint32_t width) {
        return static_cast<std::int32_t>((2 * width + 3) / 4 * 4);
    }
    // Zero-filled; frees any old pixels first. False when the size is unusable.
    bool Allocate(std::uint32_t newWidth, std::int32_t newHeight, std::int32_t newResolutionX,
                  std::int32_t newResolutionY);
    std::unique_ptr<RawFrame> Clone() const;
    std::uint16_t Pixel(std::uint32_t x, std::uint32_t y) const {
        return pixels[x + y * static_cast<std::size_t>(stride / 2)];
    }
    void SetPixel(std::uint32_t x, std::uint32_t y, std::uint16_t value) {
        pixels[x + y * static_cast<std::size_t>(stride / 2)] = value;
    }
    std::uint16_t* Line(std::uint32_t y) {
        return pixels.get() + y * static_cast<std::size_t>(stride / 2);
    }
    const std::uint16_t* Line(std::uint32_t y) const {
        return pixels.get() + y * static_cast<std::size_t>(stride / 2);
    }
    std::uint32_t RowPad() const { return static_cast<std::uint32_t>(stride / 2) - width; }
    void Release();
};
