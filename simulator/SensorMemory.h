#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace simulator {

constexpr std::size_t kOneWireMemorySize = 8192;
constexpr std::size_t kSlotSize = 32;

// A 2000-series 1-Wire memory image: a header slot, the "XCCD..." sensor-id
// slot, the "newd" slot with the defect text running over the slots after it,
// and erased bytes (0xFF) behind.
class SensorMemory2000 {
public:
    SensorMemory2000(const std::string& sensorId, const std::string& defectText);
    // A memory given byte for byte (hostile contents in tests); padded with 0xFF.
    explicit SensorMemory2000(std::vector<std::uint8_t> bytes);

    const std::array<std::uint8_t, kOneWireMemorySize>& Bytes() const { return bytes_; }
    std::array<std::uint8_t, kOneWireMemorySize>& Bytes() { return bytes_; }

private:
    std::array<std::uint8_t, kOneWireMemorySize> bytes_{};
};

} // namespace simulator
