#include "hardware/RawFrame.h"

#include <algorithm>
#include <new>

namespace {
// Far beyond any sensor, small enough that stride x height stays addressable.
constexpr std::uint32_t kMaxSide = 16384;
} // namespace

bool RawFrame::Allocate(std::uint32_t newWidth, std::int32_t newHeight, std::int32_t newResolutionX,
                        std::int32_t newResolutionY) {
    Release();
    if (newWidth == 0 || newHeight <= 0 || newWidth > kMaxSide ||
        static_cast<std::uint32_t>(newHeight) > kMaxSide)
        return false;
    std::int32_t newStride = StrideFor(newWidth);
    std::size_t samples =
        static_cast<std::size_t>(newStride / 2) * static_cast<std::size_t>(newHeight);
    pixels.reset(new (std::nothrow) std::uint16_t[samples]());
    if (!pixels)
        return false;
    width = newWidth;
    height = newHeight;
    stride = newStride;
    resolutionX = newResolutionX;
    resolutionY = newResolutionY;
    return true;
}

std::unique_ptr<RawFrame> RawFrame::Clone() const {
    auto copy = std::make_unique<RawFrame>();
    if (!pixels || !copy->Allocate(width, height, resolutionX, resolutionY))
        return nullptr;
    std::copy_n(pixels.get(), static_cast<std::size_t>(stride / 2) * height, copy->pixels.get());
    return copy;
}

void RawFrame::Release() {
    pixels.reset();
    width = 0;
    height = 0;
    stride = 0;
}
