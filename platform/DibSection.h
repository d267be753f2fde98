#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace platform {

// The pixel store of an 8-bit image class: a GDI DIB section on Windows, a
// plain buffer with the same row layout natively. Rows are bottom-up.
struct DrawRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

class DibSection {
public:
    virtual ~DibSection() = default;
    virtual std::uint8_t* Bits() = 0;
    // The GDI bitmap handle; null natively.
    virtual void* Handle() const = 0;
    // Writes a colour table (4-byte blue, green, red, reserved entries) into the section.
    virtual void SetColourTable(const std::vector<std::uint32_t>& table) = 0;
    // Copies (SRCCOPY) the source rectangle to the destination rectangle of a
    // device context, stretched when the sizes differ; false natively.
    virtual bool Blit(void* dc, const DrawRect& destination, const DrawRect& source) = 0;
};

struct DibSectionFormat {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t imageSize = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
};

// StretchDIBits of a packed layout (header fields, colour table, bits) to a
// device context, DIB_RGB_COLORS and SRCCOPY; false natively.
bool StretchDibBits(void* dc, const DrawRect& destination, const DrawRect& source,
                    const DibSectionFormat& format, const std::vector<std::uint32_t>& colourTable,
                    const std::uint8_t* bits);

// Null when the system gives no section or no bits.
std::unique_ptr<DibSection> CreateDibSection(const DibSectionFormat& format,
                                             const std::vector<std::uint32_t>& colourTable);

} // namespace platform
