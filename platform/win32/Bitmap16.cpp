#include "platform/Bitmap16.h"

#include <cstring>
#include <windows.h>

namespace platform {

namespace {

BITMAPINFOHEADER Header16(std::int32_t width, std::int32_t height, std::int32_t xPpm,
                          std::int32_t yPpm) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 16;
    header.biCompression = BI_RGB;
    header.biXPelsPerMeter = xPpm;
    header.biYPelsPerMeter = yPpm;
    return header;
}

std::size_t Pitch(std::uint32_t width) {
    return (2 * std::size_t{width} + 3) / 4 * 4;
}

} // namespace

BitmapHandle CreateDibSection16(std::uint32_t width, std::uint32_t height, std::int32_t xPpm,
                                std::int32_t yPpm, const std::uint16_t* pixels,
                                std::size_t stride) {
    if (width == 0 || height == 0 || pixels == nullptr)
        return nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader = Header16(static_cast<LONG>(width), static_cast<LONG>(height), xPpm, yPpm);
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ::GdiFlush();
    if (dc != nullptr)
        ::DeleteDC(dc);
    if (bitmap == nullptr || bits == nullptr) {
        if (bitmap != nullptr)
            ::DeleteObject(bitmap);
        return nullptr;
    }
    for (std::uint32_t row = 0; row < height; ++row)
        std::memcpy(static_cast<std::uint8_t*>(bits) + row * Pitch(width), pixels + row * stride,
                    2 * std::size_t{width});
    return bitmap;
}

bool QueryBitmap(BitmapHandle bitmap, BitmapFormat& format) {
    BITMAP object{};
    if (bitmap == nullptr ||
        ::GetObjectA(static_cast<HBITMAP>(bitmap), sizeof object, &object) == 0)
        return false;
    format = {object.bmWidth, object.bmHeight, object.bmBitsPixel};
    return true;
}

bool ReadBitmap16(BitmapHandle bitmap, std::uint32_t width, std::uint32_t height,
                  std::uint16_t* samples) {
    HDC screen = ::GetDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader = Header16(static_cast<LONG>(width), static_cast<LONG>(height), 1, 1);
    int lines = ::GetDIBits(screen, static_cast<HBITMAP>(bitmap), 0, height, samples, &info,
                            DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    return lines > 0;
}

void DeleteBitmap(BitmapHandle bitmap) {
    if (bitmap != nullptr)
        ::DeleteObject(static_cast<HBITMAP>(bitmap));
}

} // namespace platform
