#include "platform/Bitmap16.h"

#include <cstring>
#include <new>
#include <vector>

namespace platform {

namespace {

// Natively a bitmap handle points at one of these.
struct NativeBitmap {
    BitmapFormat format;
    std::vector<std::uint8_t> bits;
};

std::size_t Pitch(std::uint32_t width) {
    return (2 * std::size_t{width} + 3) / 4 * 4;
}

} // namespace

BitmapHandle CreateDibSection16(std::uint32_t width, std::uint32_t height, std::int32_t,
                                std::int32_t, const std::uint16_t* pixels, std::size_t stride) {
    if (width == 0 || height == 0 || pixels == nullptr)
        return nullptr;
    auto* bitmap = new (std::nothrow)
        NativeBitmap{{static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), 16}, {}};
    if (bitmap == nullptr)
        return nullptr;
    bitmap->bits.resize(Pitch(width) * height);
    for (std::uint32_t row = 0; row < height; ++row)
        std::memcpy(&bitmap->bits[row * Pitch(width)], pixels + row * stride,
                    2 * std::size_t{width});
    return bitmap;
}

bool QueryBitmap(BitmapHandle bitmap, BitmapFormat& format) {
    if (bitmap == nullptr)
        return false;
    format = static_cast<const NativeBitmap*>(bitmap)->format;
    return true;
}

bool ReadBitmap16(BitmapHandle bitmap, std::uint32_t width, std::uint32_t height,
                  std::uint16_t* samples) {
    const auto* native = static_cast<const NativeBitmap*>(bitmap);
    if (native == nullptr || native->format.width != static_cast<std::int32_t>(width) ||
        native->format.height != static_cast<std::int32_t>(height))
        return false;
    std::memcpy(samples, native->bits.data(), native->bits.size());
    return true;
}

void DeleteBitmap(BitmapHandle bitmap) {
    delete static_cast<NativeBitmap*>(bitmap);
}

} // namespace platform
