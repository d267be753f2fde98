#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "simulator/Defects.h"
#include "simulator/Radiograph.h"
#include "simulator/SensorFirmware.h"
#include "simulator/SensorMemory.h"

namespace simulator {

// What a simulated 2000-series sensor is and how it behaves.
struct Sensor2000Config : FirmwareBehaviour {
    std::string sensorId = "XCCD0100C";
    bool memoryPresent = true;
    // Byte-for-byte contents replacing the memory built from the id and the defects.
    std::optional<std::vector<std::uint8_t>> memoryImage;
    std::vector<Defect> defects = StandardDefects();
};

// A 2000-series sensor: the 1-Wire memory, four size classes, frames with a
// line displacement and, for the small classes, two samples per pixel.
class Sensor2000 : public SensorFirmware {
public:
    explicit Sensor2000(Sensor2000Config config);

    const Sensor2000Config& Config() const { return config_; }
    Sensor2000Config& Config() { return config_; }

    // The corrected frame the sensor's defects and offsets hide: the signal of
    // the given geometry (for tests comparing with the device's result).
    SampleImage ExpectedSignal(std::uint32_t width, std::uint32_t height);

    std::optional<Geometry> GeometryFor(std::uint8_t sizeCode) const override;

protected:
    const FirmwareBehaviour& Behaviour() const override { return config_; }
    bool MemoryPresent() const override { return config_.memoryPresent; }
    std::uint8_t MemoryReadCommand() const override;
    std::vector<std::uint8_t> ReadMemory(std::uint32_t address,
                                         std::uint32_t length) const override;
    std::vector<std::uint8_t> FrameStream(const Geometry& geometry, bool exposed,
                                          bool xray) override;

private:
    Sensor2000Config config_;
    SensorMemory2000 memory_;
};

} // namespace simulator
