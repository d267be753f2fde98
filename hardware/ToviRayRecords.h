#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "hardware/FpnCorrection.h"

// One record of the ToviRay memory's record area; the payload points into the area.
struct ToviRayRecord {
    std::uint8_t kind = 0;
    std::uint8_t selector = 0; // 0: defect records, 1: FPN records
    const std::uint8_t* payload = nullptr;
    std::size_t length = 0;
};

constexpr std::size_t kToviRayRecordLimit = 4;
constexpr std::size_t kScalingBlockLength = 64;

// Reads the records of the area: markers (0xFFFF ends it, 0x0000 brings filler
// up to 0xFF 0x00, any other marker a record at once), then kind, 32-bit
// length, a spare byte, the selector, a 16-byte name, the payload and a 16-bit
// trailer. 0, or E_UNEXPECTED when a field would run past the area, the filler
// is malformed or a fifth record follows.
std::int32_t ParseToviRayRecords(const std::uint8_t* area, std::size_t size,
                                 std::vector<ToviRayRecord>& records);

// The "PDI" block (the area's last 64 bytes): "PDI", byte 4 "1" when enabled,
// |a| x 100, |b| x 10^6, |c| x 10^10 as big-endian 16-bit numbers, then their
// signs (non-zero: positive). All zero when the block is absent.
ScalingBlock ReadScalingBlock(const std::uint8_t* block);
