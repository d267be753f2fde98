#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "simulator/Defects.h"

namespace simulator {

// The ToviRay memory: 16 bytes of header, the sensor id at address 16 and the
// 16384-byte record area at address 32, whose last 64 bytes hold the "PDI"
// scaling block.
constexpr std::size_t kToviRayIdAddress = 16;
constexpr std::size_t kToviRayAreaAddress = 32;
constexpr std::size_t kToviRayAreaSize = 16384;
constexpr std::size_t kToviRayMemorySize = kToviRayAreaAddress + kToviRayAreaSize;
constexpr std::size_t kScalingBlockSize = 64;

// One column's fixed-pattern-noise coefficients: the raw value carries
// (first + second q + third q^2) / 10^7 on top of the value q it should have.
struct FpnCoefficients {
    std::int32_t first = 0;
    std::int32_t second = 0;
    std::int32_t third = 0;
};

// The scaling block: present ("PDI"), enabled ("1") and its three factors.
struct ScalingBlock {
    bool present = false;
    bool enabled = false;
    double a = 0, b = 0, c = 0;
};

// A record of the area: selector 0 holds defect records, 1 FPN records.
struct MemoryRecord {
    std::uint8_t kind = 1;
    std::uint8_t selector = 0;
    std::string name;
    std::vector<std::uint8_t> payload;
};

// Packed records, bit by bit from the least significant bit of each byte.
std::vector<std::uint8_t> PackDefects(std::vector<Defect> defects);
std::vector<std::uint8_t> PackFpn(const std::vector<FpnCoefficients>& entries);

// The whole memory image (address 0 on); the records in the given order, the
// first behind a 0x0000 marker with filler, the others behind other markers.
std::vector<std::uint8_t> BuildToviRayMemory(const std::string& sensorId,
                                             const std::vector<MemoryRecord>& records,
                                             const ScalingBlock& scaling);

} // namespace simulator
