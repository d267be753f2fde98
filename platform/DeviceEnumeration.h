#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/WindowSystem.h"

namespace platform {

// ERROR_NO_MORE_ITEMS: an enumeration that simply ran out.
constexpr std::uint32_t kNoMoreItems = 259;

using DeviceNotification = std::uintptr_t;

// One look at the present USB device interfaces (a device information set).
// A member is selected by its index; the reads then concern that member and
// give nothing when the system cannot tell.
class UsbInterfaceSet {
public:
    virtual ~UsbInterfaceSet() = default;
    // SetupDiEnumDeviceInfo and SetupDiEnumDeviceInterfaces at the index; false
    // when either fails, with the reason in EndError.
    virtual bool SelectMember(std::uint32_t index) = 0;
    virtual std::uint32_t EndError() const = 0;
    virtual std::optional<std::string> InstanceId() = 0;
    // SPDRP_DRIVER: the driver's class key.
    virtual std::optional<std::string> DriverKey() = 0;
    // The interface path the device is opened by.
    virtual std::optional<std::string> DevicePath() = 0;
    // SPDRP_DEVICEDESC.
    virtual std::optional<std::string> Description() = 0;
};

// Device enumeration and device-change notification for the USB device
// interface class: SetupAPI and RegisterDeviceNotificationA on Windows,
// simulated sensors in the simulated builds, nothing natively.
class DeviceEnumerator {
public:
    virtual ~DeviceEnumerator() = default;
    // Reads what the backend needs from the plug-in data directory when the
    // device manager initialises; false with the reason in lastErrorText.
    virtual bool Prepare(const std::string& dataDirectory) = 0;
    // The present interfaces of the class; null with the system's error.
    virtual std::unique_ptr<UsbInterfaceSet> PresentUsbInterfaces(std::uint32_t& error) = 0;
    // Arrival and removal broadcasts for the window: WM_DEVICECHANGE with the
    // interface's broadcast structure. 0 with the system's error.
    virtual DeviceNotification RegisterUsbNotification(WindowHandle window,
                                                       std::uint32_t& error) = 0;
    virtual void UnregisterUsbNotification(DeviceNotification notification) = 0;
};

DeviceEnumerator& SystemDeviceEnumerator();
std::shared_ptr<DeviceEnumerator> CurrentDeviceEnumerator();
// Installs an enumerator for this process (tests, simulated builds); null restores the system's.
void SetDeviceEnumerator(std::shared_ptr<DeviceEnumerator> enumerator);

} // namespace platform
