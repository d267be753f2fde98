#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A packed DIB as the plug-in hands it over: the 40-byte header, the colour
// table of an 8-bit image, then the rows bottom-up (top-down for a negative
// height), each padded to four bytes.
struct DibLayout {
    int width = 0;
    int height = 0; // rows, always positive
    bool bottomUp = true;
    int bitCount = 0;
    std::size_t bitsOffset = 0;
    std::size_t stride = 0;
    std::int32_t pixelsPerMeterX = 0;
    std::int32_t pixelsPerMeterY = 0;
};

// False with the reason when the bytes are no 8- or 16-bit grey DIB that fits.
bool ParseDib(const std::vector<std::uint8_t>& dib, DibLayout& layout, std::string& error);
// Row `row` counted from the top of the picture.
const std::uint8_t* DibRow(const std::vector<std::uint8_t>& dib, const DibLayout& layout, int row);

// The grey level of an 8-bit pixel: its colour-table entry's green, or the
// index itself beyond the table.
std::uint8_t DibGrey(const std::vector<std::uint8_t>& dib, const DibLayout& layout,
                     std::uint8_t index);

bool WriteBmpFile(const std::string& path, const std::vector<std::uint8_t>& dib,
                  std::string& error);
// The packed DIB of a bitmap file (its 14-byte file header dropped).
bool ReadBmpFile(const std::string& path, std::vector<std::uint8_t>& dib, std::string& error);
// 8-bit grey through the colour table, or 16-bit grey samples as they are.
bool WritePngFile(const std::string& path, const std::vector<std::uint8_t>& dib,
                  std::string& error);
