#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/VersionResource.h"

namespace platform {

// An open device handle of the USB kernel driver; 0 when none.
using DriverHandle = std::uintptr_t;

// The kernel driver of the sensors and what the system knows about it: device
// handles and synchronous requests, the driver's class key in the registry,
// its file's version and the process's WOW64 state.
class UsbDriver {
public:
    virtual ~UsbDriver() = default;
    // CreateFileA with read and write access and sharing; 0 when it fails.
    virtual DriverHandle Open(const std::string& path) = 0;
    virtual void Close(DriverHandle handle) = 0;
    // DeviceIoControl; false when the request fails.
    virtual bool Control(DriverHandle handle, std::uint32_t code, const void* input,
                         std::uint32_t inputLength, void* output, std::uint32_t outputLength) = 0;
    // The "NTMPDriver" value of HKLM\system\currentcontrolset\control\class\<driverKey>.
    virtual std::optional<std::string> DriverFileName(const std::string& driverKey) = 0;
    virtual std::string WindowsDirectory() = 0;
    virtual std::unique_ptr<VersionResource> LoadFileVersion(const std::string& path) = 0;
    // True for a 32-bit process on 64-bit Windows.
    virtual bool IsWow64() = 0;
};

// The driver of this build: the system's on Windows, one without devices natively.
UsbDriver& SystemUsbDriver();
// The driver installed now; a channel keeps the one it was created with.
std::shared_ptr<UsbDriver> CurrentUsbDriver();
// Installs a driver for this process (tests, simulated hardware); null restores the system's.
void SetUsbDriver(std::shared_ptr<UsbDriver> driver);

} // namespace platform
