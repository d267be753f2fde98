#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/DeviceEnumeration.h"
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

// How a device shows itself on the bus and to the system's enumeration.
struct UsbPresence {
    DriverFamily family = DriverFamily::EzUsb;
    std::uint16_t vendorId = protocol::kVendorId;
    // None: the product id of the sensor's family.
    std::optional<std::uint16_t> productId;
    // The serial part of the instance id; empty: the device's position from 1.
    std::string serial;
    // SPDRP_DEVICEDESC; none: the system cannot read it.
    std::optional<std::string> description = "Tovi USB II Sensor";
    // False: the driver key names no driver file, so no driver version is known.
    bool driverInstalled = true;
    // Clock time at which it is plugged in; none: present from the start.
    std::optional<std::uint64_t> arrivalTime;
    // Milliseconds from its first arming command to its removal.
    std::optional<std::uint64_t> unplugAfterArming;
    // The request to it with this number (counted from 1 for this device) fails.
    std::optional<std::uint32_t> failingRequest;
};

// The kernel driver of simulated sensors and the system's view of them: interface
// paths, both request layouts, the driver's registry key and file version, faults
// on demand, the enumeration of the USB device interface class and the arrival
// and removal broadcasts to the windows that asked for them. Broadcasts are posted
// to the window's thread and reach its procedure when that thread dispatches.
// Timed arrivals and removals happen when the driver is next used or polled.
class SimulatedDriver : public platform::UsbDriver, public platform::DeviceEnumerator {
public:
    struct Attached {
        std::string path;
        std::string instanceId;
        std::string driverKey;
        UsbPresence presence;
        std::uint16_t productId = 0;
        std::unique_ptr<SensorFirmware> sensor; // none for a foreign device
        bool arrived = true;
        bool plugged = true;
        std::optional<std::uint64_t> armedAt;
        std::uint32_t requests = 0;
    };

    SimulatedDriver() = default;
    // Stops the timers of the windows still listening.
    ~SimulatedDriver() override;
    SimulatedDriver(const SimulatedDriver&) = delete;
    SimulatedDriver& operator=(const SimulatedDriver&) = delete;

    // Attaches a sensor; returns its interface path.
    std::string Attach(Sensor2000Config config, DriverFamily family);
    std::string Attach(Sensor2000Config config, UsbPresence presence);
    std::string AttachToviRay(SensorToviRayConfig config, DriverFamily family);
    std::string AttachToviRay(SensorToviRayConfig config, UsbPresence presence);
    // A device without a sensor behind it: another vendor's, or a product that is
    // listed but never served.
    std::string AttachForeign(UsbPresence presence);
    SensorFirmware& FirmwareAt(const std::string& path);
    Sensor2000& SensorAt(const std::string& path);
    SensorToviRay& ToviRayAt(const std::string& path);
    std::string InstanceIdAt(const std::string& path);
    // Pulls the device out: requests fail from now on, and the windows hear of it.
    void Unplug(const std::string& path);
    // Plugs in and pulls out what the clock says is due.
    void Poll();
    // A device-change broadcast with any interface name, to every window that asked.
    void Broadcast(std::uintptr_t event, const std::string& interfaceName);
    void InjectFault(std::uint32_t requestNumber, Fault fault);
    void SetWow64(bool wow64) { wow64_ = wow64; }
    // Driver file names and product versions by driver key (for the driver look-up).
    void SetDriverVersion(const std::string& driverKey, std::string fileName, std::uint16_t major,
                          std::uint16_t minor);

    const std::vector<DriverRequest>& Requests() const { return requests_; }
    void ClearRequests() { requests_.clear(); }
    std::uint32_t RequestCount() const { return requestCount_; }
    std::size_t OpenHandles() const { return handles_.size(); }
    std::size_t NotificationCount() const { return notifications_.size(); }

    platform::DriverHandle Open(const std::string& path) override;
    void Close(platform::DriverHandle handle) override;
    bool Control(platform::DriverHandle handle, std::uint32_t code, const void* input,
                 std::uint32_t inputLength, void* output, std::uint32_t outputLength) override;
    std::optional<std::string> DriverFileName(const std::string& driverKey) override;
    std::string WindowsDirectory() override { return "C:\\windows"; }
    std::unique_ptr<platform::VersionResource> LoadFileVersion(const std::string& path) override;
    bool IsWow64() override { return wow64_; }

    bool Prepare(const std::string&) override { return true; }
    std::unique_ptr<platform::UsbInterfaceSet> PresentUsbInterfaces(std::uint32_t& error) override;
    platform::DeviceNotification RegisterUsbNotification(platform::WindowHandle window,
                                                         std::uint32_t& error) override;
    void UnregisterUsbNotification(platform::DeviceNotification notification) override;

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
    struct Listener {
        std::shared_ptr<platform::WindowSystem> windows;
        platform::WindowHandle window = 0;
    };

    std::string Attach(std::unique_ptr<SensorFirmware> sensor, std::uint16_t productId,
                       UsbPresence presence);
    Attached* Find(const std::string& path);
    Attached& Existing(const std::string& path);
    bool Serve(Attached& device, std::uint32_t code, const std::uint8_t* input,
               std::uint32_t inputLength, std::uint8_t* output, std::uint32_t outputLength,
               DriverRequest& record, std::optional<Fault> fault);
    std::optional<Transfer> DecodeTransfer(DriverFamily family, std::uint32_t code,
                                           const std::uint8_t* input, std::uint32_t inputLength,
                                           std::uint8_t* output, std::uint32_t outputLength);
    bool Exchange(SensorFirmware& sensor, const Transfer& transfer, std::optional<Fault> fault);
    std::optional<Fault> FaultFor(Attached* device, std::uint32_t requestNumber);
    void NoteArming(Attached& device, const DriverRequest& record);
    // With the lock held.
    void PollDue();
    static void PollTimer(void* driver);
    // Milliseconds between two looks at the timed arrivals and removals.
    static constexpr unsigned kPollPeriod = 50;
    void Arrive(Attached& device);
    void Remove(Attached& device);
    void BroadcastLocked(std::uintptr_t event, const std::string& interfaceName);

    mutable std::recursive_mutex mutex_;
    std::vector<Attached> devices_;
    std::map<platform::DriverHandle, std::string> handles_;
    platform::DriverHandle nextHandle_ = 0x100;
    std::map<std::uint32_t, Fault> faults_;
    std::vector<DriverRequest> requests_;
    std::uint32_t requestCount_ = 0;
    std::map<std::string, DriverFile> driverFiles_;
    std::map<platform::DeviceNotification, Listener> notifications_;
    platform::DeviceNotification nextNotification_ = 0x500;
    bool wow64_ = false;
};

} // namespace simulator
