#include "platform/DibSection.h"

#include <algorithm>
#include <cstring>
#include <windows.h>

namespace platform {

namespace {

// A memory device context compatible with the screen, released on scope exit.
class MemoryDC {
public:
    MemoryDC() : dc_(::CreateCompatibleDC(nullptr)) {}
    ~MemoryDC() {
        if (dc_ != nullptr)
            ::DeleteDC(dc_);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

class GdiDibSection : public DibSection {
public:
    GdiDibSection(HBITMAP bitmap, std::uint8_t* bits) : bitmap_(bitmap), bits_(bits) {}
    ~GdiDibSection() override { ::DeleteObject(bitmap_); }
    GdiDibSection(const GdiDibSection&) = delete;
    GdiDibSection& operator=(const GdiDibSection&) = delete;

    std::uint8_t* Bits() override { return bits_; }
    void* Handle() const override { return bitmap_; }
    void SetColourTable(const std::vector<std::uint32_t>& table) override {
        MemoryDC dc;
        if (dc.Get() == nullptr || table.empty())
            return;
        HGDIOBJ previous = ::SelectObject(dc.Get(), bitmap_);
        ::SetDIBColorTable(dc.Get(), 0, static_cast<UINT>(table.size()),
                           reinterpret_cast<const RGBQUAD*>(table.data()));
        ::SelectObject(dc.Get(), previous);
    }

    bool Blit(void* target, const DrawRect& destination, const DrawRect& source) override {
        MemoryDC dc;
        if (dc.Get() == nullptr || target == nullptr)
            return false;
        HGDIOBJ previous = ::SelectObject(dc.Get(), bitmap_);
        HDC to = static_cast<HDC>(target);
        bool same = destination.width == source.width && destination.height == source.height;
        BOOL done = same ? ::BitBlt(to, destination.x, destination.y, destination.width,
                                    destination.height, dc.Get(), source.x, source.y, SRCCOPY)
                         : ::StretchBlt(to, destination.x, destination.y, destination.width,
                                        destination.height, dc.Get(), source.x, source.y,
                                        source.width, source.height, SRCCOPY);
        ::SelectObject(dc.Get(), previous);
        return done != 0;
    }

private:
    HBITMAP bitmap_;
    std::uint8_t* bits_;
};

std::size_t TableRoom(std::uint16_t bitCount, std::size_t colours) {
    std::size_t room = bitCount == 8 ? 256 : bitCount == 1 ? 2 : 0;
    return std::max(room, colours);
}

std::vector<std::uint8_t> BitmapInfoOf(const DibSectionFormat& format,
                                       const std::vector<std::uint32_t>& colourTable) {
    std::size_t room = TableRoom(format.bitCount, colourTable.size());
    std::vector<std::uint8_t> info(sizeof(BITMAPINFOHEADER) + room * sizeof(RGBQUAD), 0);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = format.width;
    header->biHeight = format.height;
    header->biPlanes = 1;
    header->biBitCount = format.bitCount;
    header->biCompression = BI_RGB;
    header->biSizeImage = format.imageSize;
    header->biXPelsPerMeter = format.xPelsPerMeter;
    header->biYPelsPerMeter = format.yPelsPerMeter;
    if (format.bitCount != 24 && !colourTable.empty())
        std::memcpy(info.data() + sizeof(BITMAPINFOHEADER), colourTable.data(),
                    colourTable.size() * sizeof(RGBQUAD));
    return info;
}

} // namespace

bool StretchDibBits(void* dc, const DrawRect& destination, const DrawRect& source,
                    const DibSectionFormat& format, const std::vector<std::uint32_t>& colourTable,
                    const std::uint8_t* bits) {
    if (dc == nullptr || bits == nullptr)
        return false;
    std::vector<std::uint8_t> info = BitmapInfoOf(format, colourTable);
    return ::StretchDIBits(static_cast<HDC>(dc), destination.x, destination.y, destination.width,
                           destination.height, source.x, source.y, source.width, source.height,
                           bits, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS,
                           SRCCOPY) != 0;
}

std::unique_ptr<DibSection> CreateDibSection(const DibSectionFormat& format,
                                             const std::vector<std::uint32_t>& colourTable) {
    std::vector<std::uint8_t> info = BitmapInfoOf(format, colourTable);
    MemoryDC dc;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(dc.Get(), reinterpret_cast<BITMAPINFO*>(info.data()),
                                        DIB_RGB_COLORS, &bits, nullptr, 0);
    ::GdiFlush();
    if (bitmap == nullptr || bits == nullptr) {
        if (bitmap != nullptr)
            ::DeleteObject(bitmap);
        return nullptr;
    }
    return std::make_unique<GdiDibSection>(bitmap, static_cast<std::uint8_t*>(bits));
}

} // namespace platform
