#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "simulator/Defects.h"
#include "simulator/SensorFirmware.h"
#include "simulator/ToviRayMemory.h"

namespace simulator {

// What a simulated ToviRay sensor is and how it behaves. The last letter of
// the id is the size: "C" 616 x 944, "D" 798 x 1070.
struct SensorToviRayConfig : FirmwareBehaviour {
    std::string sensorId = "TR2S0042D";
    std::vector<Defect> defects = ToviRayDefects();
    bool fpnRecordFirst = false;
    ScalingBlock scaling;
    // The gain step at the seam line: the first line below it reads 1 / g0 times
    // brighter, the next 119 lines less so.
    double seamG0 = 0.96;
    // Byte-for-byte contents (address 0 on) replacing the memory built above.
    std::optional<std::vector<std::uint8_t>> memoryImage;

    // Defects in the flaw map's coordinates: rows from the last stored line up.
    static std::vector<Defect> ToviRayDefects();
};

// A ToviRay sensor: the 2000 command set without the 1-Wire memory, the 0x0B
// memory read, two sizes read at full resolution, and frames that carry a column
// fixed pattern, hot columns, a seam and the listed defects.
class SensorToviRay : public SensorFirmware {
public:
    explicit SensorToviRay(SensorToviRayConfig config);

    const SensorToviRayConfig& Config() const { return config_; }
    // The column coefficients the sensor's FPN record carries, one per column.
    const std::vector<FpnCoefficients>& Fpn() const { return fpn_; }
    // The columns whose dark current stands out in both frames.
    static std::vector<std::uint32_t> HotColumns(std::uint32_t width);
    // The 12-bit signal the corrected frame should show.
    SampleImage ExpectedSignal(std::uint32_t width, std::uint32_t height) const;

    std::optional<Geometry> GeometryFor(std::uint8_t sizeCode) const override;

protected:
    const FirmwareBehaviour& Behaviour() const override { return config_; }
    bool MemoryPresent() const override { return true; }
    std::uint8_t MemoryReadCommand() const override;
    std::vector<std::uint8_t> ReadMemory(std::uint32_t address,
                                         std::uint32_t length) const override;
    std::vector<std::uint8_t> FrameStream(const Geometry& geometry, bool exposed,
                                          bool xray) override;

private:
    std::vector<std::uint16_t> Frame(std::uint32_t width, std::uint32_t height, bool exposed,
                                     bool xray);
    std::int32_t ExposedValue(std::uint32_t x, std::int32_t target) const;

    SensorToviRayConfig config_;
    std::vector<FpnCoefficients> fpn_;
    std::vector<std::uint8_t> memory_;
};

} // namespace simulator
