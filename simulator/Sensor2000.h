#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "simulator/Defects.h"
#include "simulator/Radiograph.h"
#include "simulator/SensorMemory.h"

namespace simulator {

// What a simulated 2000-series sensor is and how it behaves.
struct Sensor2000Config {
    std::string sensorId = "XCCD0100C";
    bool memoryPresent = true;
    // Byte-for-byte contents replacing the memory built from the id and the defects.
    std::optional<std::vector<std::uint8_t>> memoryImage;
    std::vector<Defect> defects = StandardDefects();
    std::array<std::uint8_t, 8> macId{0x02, 0x00, 0x5A, 0x7A, 0x1C, 0x20, 0x00, 0x01};
    bool xilinxError = false;
    // Virtual milliseconds from arming to the x-ray; none means it never comes.
    std::optional<std::uint64_t> exposureDelay = 2000;
    // Status replies of "still integrating" before the dark frame is ready.
    unsigned darkFramePolls = 3;
    // The status a ready frame reports (0x60, 0x50, 0x40 or 0x30).
    std::uint8_t exposureReadyStatus = 0x60;
    std::uint8_t darkReadyStatus = 0x60;
};

// The sensor's firmware as seen from the pipes: commands in, 64-byte replies
// and bulk data out.
class Sensor2000 {
public:
    explicit Sensor2000(Sensor2000Config config);

    // The driver's reset of the USB connection.
    void ResetConnection();
    // A message on the command pipe; unknown or malformed ones are ignored.
    void Command(const std::uint8_t* bytes, std::size_t length);
    // The next 64-byte reply; false when the sensor has nothing to say.
    bool Reply(std::uint8_t* reply);
    // Bulk data on the image pipe; false when nothing is waiting. A transfer past
    // the end of the data is short: the rest of the buffer is left as it was.
    bool Bulk(std::uint8_t* buffer, std::size_t length);

    const Sensor2000Config& Config() const { return config_; }
    Sensor2000Config& Config() { return config_; }
    std::uint32_t Threshold() const { return threshold_; }
    std::uint32_t IntegrationTime() const { return integrationTime_; }
    std::uint8_t ArmLevel() const { return armLevel_; }
    std::uint8_t SizeCode() const { return sizeCode_; }
    unsigned Triggers() const { return triggers_; }
    unsigned Flushes() const { return flushes_; }
    bool Powered() const { return powered_; }

    // The corrected frame the sensor's defects and offsets hide: the signal of
    // the given geometry (for tests comparing with the device's result).
    SampleImage ExpectedSignal(std::uint32_t width, std::uint32_t height);

    struct Geometry {
        std::uint32_t pixelsPerLine = 0;
        std::uint32_t lines = 0;
        std::uint32_t width = 0;       // pixels per output line
        std::uint32_t height = 0;      // output lines
        std::uint32_t lineSamples = 0; // samples sent per line
        bool interleaved = false;      // pixels travel at the odd samples
        std::uint32_t displacement = 0;
    };
    // The read-out the size code selects; null for an unknown code.
    static std::optional<Geometry> GeometryFor(std::uint8_t sizeCode);

private:
    enum class State { Idle, Armed, ExposedReady, DarkIntegrating, DarkReady };

    void SubCommand(std::uint8_t code, const std::uint8_t* rest, std::size_t restLength);
    void Flush();
    void QueueReply(std::initializer_list<std::uint8_t> bytes);
    void QueueMemory(std::uint32_t address, std::uint32_t length);
    void Expose(bool withXray);
    void StartFrame(bool exposed);
    std::vector<std::uint8_t> FrameStream(const Geometry& geometry, bool exposed);
    const SampleImage& Signal(std::uint32_t width, std::uint32_t height);
    const SampleImage& Dark(std::uint32_t width, std::uint32_t height);
    std::uint8_t StatusCode();

    Sensor2000Config config_;
    SensorMemory2000 memory_;
    State state_ = State::Idle;
    std::deque<std::array<std::uint8_t, 64>> replies_;
    std::vector<std::uint8_t> bulk_;
    std::size_t bulkPosition_ = 0;
    std::uint64_t armedAt_ = 0;
    bool xray_ = false;
    unsigned darkPolls_ = 0;
    std::uint32_t threshold_ = 0;
    std::uint32_t integrationTime_ = 0;
    std::uint8_t armLevel_ = 0;
    std::uint8_t sizeCode_ = 0;
    unsigned triggers_ = 0;
    unsigned flushes_ = 0;
    bool powered_ = false;
    NoiseSource noise_{2024};
};

} // namespace simulator
