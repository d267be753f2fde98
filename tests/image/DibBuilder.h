#pragma once

#include <cstdint>
#include <vector>

#include "support/ByteFields.h"

// Packed DIB bytes for tests: header, then what the test appends.
inline std::vector<std::uint8_t>
DibHeaderBytes(std::int32_t width, std::int32_t height, std::uint16_t bitCount,
               std::uint32_t compression = 0, std::uint32_t clrUsed = 0, std::int32_t ppm = 23622) {
    std::vector<std::uint8_t> bytes(40, 0);
    StoreLittleEndian<std::uint32_t>(&bytes[0], 40);
    StoreLittleEndian<std::int32_t>(&bytes[4], width);
    StoreLittleEndian<std::int32_t>(&bytes[8], height);
    StoreLittleEndian<std::uint16_t>(&bytes[12], 1);
    StoreLittleEndian<std::uint16_t>(&bytes[14], bitCount);
    StoreLittleEndian<std::uint32_t>(&bytes[16], compression);
    StoreLittleEndian<std::int32_t>(&bytes[24], ppm);
    StoreLittleEndian<std::int32_t>(&bytes[28], ppm);
    StoreLittleEndian<std::uint32_t>(&bytes[32], clrUsed);
    return bytes;
}

inline void AppendWord(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
