#include "platform/Bitmap16.h"
#include "platform/posix/HostBitmap.h"

#include <cstring>
#include <new>

namespace platform {

namespace {

std::size_t Pitch(std::uint32_t width) {
    return (2 * std::size_t{width} + 3) / 4 * 4;
}

HostBitmap16* Native(BitmapHandle bitmap) {
    return static_cast<HostBitmap16*>(bitmap);
}

} // namespace

BitmapHandle CreateDibSection16(std::uint32_t width, std::uint32_t height, std::int32_t,
                                std::int32_t, const std::uint16_t* pixels, std::size_t stride) {
    if (width == 0 || height == 0 || pixels == nullptr || width > 0x7FFFFFFF ||
        height > 0x7FFFFFFF || Pitch(width) > 0xFFFFFFFF / height)
        return nullptr;
    const std::size_t pitch = Pitch(width);
    auto* bits = new (std::nothrow) std::uint8_t[pitch * height]();
    auto* bitmap = new (std::nothrow)
        HostBitmap16{static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), 16,
                     static_cast<std::uint32_t>(pitch), bits};
    if (bits == nullptr || bitmap == nullptr) {
        delete[] bits;
        delete bitmap;
        return nullptr;
    }
    for (std::uint32_t row = 0; row < height; ++row)
        std::memcpy(bits + row * pitch, pixels + row * stride, 2 * std::size_t{width});
    return bitmap;
}

bool QueryBitmap(BitmapHandle bitmap, BitmapFormat& format) {
    if (bitmap == nullptr)
        return false;
    format = {Native(bitmap)->width, Native(bitmap)->height, Native(bitmap)->bitsPerPixel};
    return true;
}

bool ReadBitmap16(BitmapHandle bitmap, std::uint32_t width, std::uint32_t height,
                  std::uint16_t* samples) {
    const HostBitmap16* native = Native(bitmap);
    if (native == nullptr || native->width != static_cast<std::int32_t>(width) ||
        native->height != static_cast<std::int32_t>(height))
        return false;
    std::memcpy(samples, native->bits, std::size_t{native->pitch} * height);
    return true;
}

void DeleteBitmap(BitmapHandle bitmap) {
    if (bitmap == nullptr)
        return;
    delete[] Native(bitmap)->bits;
    delete Native(bitmap);
}

} // namespace platform
