#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace platform {

// The pixel store of an 8-bit image class: a GDI DIB section on Windows, a
// plain buffer with the same row layout natively. Rows are bottom-up.
class DibSection {
public:
    virtual ~DibSection() = default;
    virtual std::uint8_t* Bits() = 0;
    // The GDI bitmap handle; null natively.
    virtual void* Handle() const = 0;
    // Writes a colour table (4-byte blue, green, red, reserved entries) into the section.
    virtual void SetColourTable(const std::vector<std::uint32_t>& table) = 0;
};

struct DibSectionFormat {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t imageSize = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
};

// Null when the system gives no section or no bits.
std::unique_ptr<DibSection> CreateDibSection(const DibSectionFormat& format,
                                             const std::vector<std::uint32_t>& colourTable);

} // namespace platform
