#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <optional>
#include <vector>

#include "simulator/Radiograph.h"

namespace simulator {

// How a simulated sensor of any family behaves around an exposure.
struct FirmwareBehaviour {
    // Virtual milliseconds from arming to the x-ray; none means it never comes.
    std::optional<std::uint64_t> exposureDelay = 2000;
    // Status replies of "still integrating" before the dark frame is ready.
    unsigned darkFramePolls = 3;
    // The status a ready frame reports (0x60, 0x50, 0x40 or 0x30).
    std::uint8_t exposureReadyStatus = 0x60;
    std::uint8_t darkReadyStatus = 0x60;
    bool xilinxError = false;
    std::array<std::uint8_t, 8> macId{0x02, 0x00, 0x5A, 0x7A, 0x1C, 0x20, 0x00, 0x01};
};

// The firmware the sensor families share, as seen from the pipes: commands in,
// 64-byte replies and bulk data out. A family adds its memory, its sizes and
// the frames it sends.
class SensorFirmware {
public:
    virtual ~SensorFirmware() = default;

    // The driver's reset of the USB connection.
    void ResetConnection();
    // A message on the command pipe; unknown or malformed ones are ignored.
    void Command(const std::uint8_t* bytes, std::size_t length);
    // The next 64-byte reply; false when the sensor has nothing to say.
    bool Reply(std::uint8_t* reply);
    // Bulk data on the image pipe; false when nothing is waiting. A transfer past
    // the end of the data is short: the rest of the buffer is left as it was.
    bool Bulk(std::uint8_t* buffer, std::size_t length);

    std::uint32_t Threshold() const { return threshold_; }
    std::uint32_t IntegrationTime() const { return integrationTime_; }
    std::uint8_t ArmLevel() const { return armLevel_; }
    std::uint8_t SizeCode() const { return sizeCode_; }
    unsigned Triggers() const { return triggers_; }
    unsigned Flushes() const { return flushes_; }
    bool Powered() const { return powered_; }

    struct Geometry {
        std::uint32_t pixelsPerLine = 0;
        std::uint32_t lines = 0;
        std::uint32_t width = 0;       // pixels per output line
        std::uint32_t height = 0;      // output lines
        std::uint32_t lineSamples = 0; // samples sent per line
        bool interleaved = false;      // pixels travel at the odd samples
        std::uint32_t displacement = 0;
    };
    // The read-out a size code selects; none for a code the family does not know.
    virtual std::optional<Geometry> GeometryFor(std::uint8_t sizeCode) const = 0;

protected:
    virtual const FirmwareBehaviour& Behaviour() const = 0;
    virtual bool MemoryPresent() const = 0;
    // The family's memory read: its command byte and what it sends for it.
    virtual std::uint8_t MemoryReadCommand() const = 0;
    virtual std::vector<std::uint8_t> ReadMemory(std::uint32_t address,
                                                 std::uint32_t length) const = 0;
    // The frame as it travels on the image pipe.
    virtual std::vector<std::uint8_t> FrameStream(const Geometry& geometry, bool exposed,
                                                  bool xray) = 0;

    // Noise shared by the family's frames and the status replies.
    NoiseSource& Noise() { return noise_; }
    // Sample value plus noise in the unused high nibble, little-endian.
    void StoreSample(std::uint8_t* at, std::uint32_t value);

private:
    enum class State { Idle, Armed, ExposedReady, DarkIntegrating, DarkReady };

    void SubCommand(std::uint8_t code, const std::uint8_t* rest, std::size_t restLength);
    void Flush();
    void QueueReply(std::initializer_list<std::uint8_t> bytes);
    void SendBulk(std::vector<std::uint8_t> bytes);
    void Expose(bool withXray);
    void StartFrame(bool exposed);
    std::uint8_t StatusCode();

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
