#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/UsbDriver.h"
#include "simulator/Protocol.h"
#include "simulator/Sensor2000.h"
#include "simulator/SensorToviRay.h"

namespace simulator {

enum class DriverFamily { EzUsb, CyUsb };

// One request that reached the driver, as the driver saw it.
struct DriverRequest {
    std::uint32_t number = 0; // 1-based, counted over the driver's life
    std::uint32_t code = 0;
    std::vector<std::uint8_t> input;
    std::uint32_t outputLength = 0;
    std::int32_t pipe = -1;         // the pipe index (for CyUSB, of its endpoint); -1 for resets
    std::vector<std::uint8_t> data; // bytes written to the sensor
    bool succeeded = false;
};

// What goes wrong at a given request number.
enum class Fault {
    Fail,    // the request fails
    Short,   // a read delivers one byte; the rest of the buffer stays as it was
    Foreign, // a read delivers bytes that are not the sensor's reply
    Unplug,  // the sensor is gone from this request on
};

// The kernel driver of simulated sensors: interface paths, both request
// layouts, the driver's registry key and file version, and faults on demand.
class SimulatedDriver : public platform::UsbDriver {
public:
    struct Attached {
        std::string path;
        DriverFamily family = DriverFamily::EzUsb;
        std::string driverKey;
        std::unique_ptr<SensorFirmware> sensor;
        bool plugged = true;
    };

    // Attaches a sensor; returns its interface path.
    std::string Attach(Sensor2000Config config, DriverFamily family);
    std::string AttachToviRay(SensorToviRayConfig config, DriverFamily family);
    SensorFirmware& FirmwareAt(const std::string& path);
    Sensor2000& SensorAt(const std::string& path);
    SensorToviRay& ToviRayAt(const std::string& path);
    void Unplug(const std::string& path);
    void InjectFault(std::uint32_t requestNumber, Fault fault);
    void SetWow64(bool wow64) { wow64_ = wow64; }
    // Driver file names and product versions by driver key (for the driver look-up).
    void SetDriverVersion(const std::string& driverKey, std::string fileName, std::uint16_t major,
                          std::uint16_t minor);

    const std::vector<DriverRequest>& Requests() const { return requests_; }
    void ClearRequests() { requests_.clear(); }
    std::uint32_t RequestCount() const { return requestCount_; }
    std::size_t OpenHandles() const { return handles_.size(); }

    platform::DriverHandle Open(const std::string& path) override;
    void Close(platform::DriverHandle handle) override;
    bool Control(platform::DriverHandle handle, std::uint32_t code, const void* input,
                 std::uint32_t inputLength, void* output, std::uint32_t outputLength) override;
    std::optional<std::string> DriverFileName(const std::string& driverKey) override;
    std::string WindowsDirectory() override { return "C:\\windows"; }
    std::unique_ptr<platform::VersionResource> LoadFileVersion(const std::string& path) override;
    bool IsWow64() override { return wow64_; }

private:
    struct Transfer {
        const protocol::Pipe* pipe = nullptr;
        std::uint8_t* data = nullptr;
        std::uint32_t length = 0;
    };
    struct DriverFile {
        std::string name;
        std::uint16_t major = 0, minor = 0;
    };

    std::string Attach(std::unique_ptr<SensorFirmware> sensor, std::uint16_t productId,
                       DriverFamily family);
    Attached* Find(const std::string& path);
    bool Serve(Attached& device, std::uint32_t code, const std::uint8_t* input,
               std::uint32_t inputLength, std::uint8_t* output, std::uint32_t outputLength,
               DriverRequest& record, std::optional<Fault> fault);
    std::optional<Transfer> DecodeTransfer(DriverFamily family, std::uint32_t code,
                                           const std::uint8_t* input, std::uint32_t inputLength,
                                           std::uint8_t* output, std::uint32_t outputLength);
    bool Exchange(SensorFirmware& sensor, const Transfer& transfer, std::optional<Fault> fault);

    std::vector<Attached> devices_;
    std::map<platform::DriverHandle, std::string> handles_;
    platform::DriverHandle nextHandle_ = 0x100;
    std::map<std::uint32_t, Fault> faults_;
    std::vector<DriverRequest> requests_;
    std::uint32_t requestCount_ = 0;
    std::map<std::string, DriverFile> driverFiles_;
    bool wow64_ = false;
};

} // namespace simulator
