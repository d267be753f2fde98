#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/UsbDriver.h"

// Status codes of the channel.
constexpr std::int32_t kUsbOk = 0;
constexpr std::int32_t kUsbOpenFailed = -4096;
constexpr std::int32_t kUsbNotOpen = -4097;
constexpr std::int32_t kUsbBadPipe = -4098;
constexpr std::int32_t kUsbRequestFailed = -4104;

// Pipes: 0 commands out, 1 replies in, 2 bulk out, 3 image data in.
constexpr std::uint32_t kCommandPipe = 0;
constexpr std::uint32_t kReplyPipe = 1;
constexpr std::uint32_t kBulkOutPipe = 2;
constexpr std::uint32_t kImagePipe = 3;
constexpr std::uint32_t kReplyLength = 64;

// Request codes of the two driver families.
constexpr std::uint32_t kEzUsbResetRequest = 0x00222031;
constexpr std::uint32_t kEzUsbTransferRequest = 0x0022204E;
constexpr std::uint32_t kCyUsbResetRequest = 0x00220030;
constexpr std::uint32_t kCyUsbTransferRequest = 0x00220024;
constexpr std::uint32_t kCyUsbHeaderLength = 38;

// The driver handle of one sensor and its pipes. A channel talks to the driver
// it was created with for its whole life, whatever is installed later.
class UsbIo {
public:
    explicit UsbIo(std::shared_ptr<platform::UsbDriver> driver = platform::CurrentUsbDriver())
        : driver_(std::move(driver)) {}
    virtual ~UsbIo();
    UsbIo(const UsbIo&) = delete;
    UsbIo& operator=(const UsbIo&) = delete;

    virtual std::int32_t Open(const std::string& devicePath);
    virtual void Close();
    virtual std::int32_t Reset() = 0;
    virtual std::int32_t Read(std::uint32_t pipe, void* buffer, std::uint32_t length) = 0;
    std::int32_t ReadBulk(void* buffer, std::uint32_t length) {
        return Read(kImagePipe, buffer, length);
    }
    std::int32_t ReadReply(void* buffer) { return Read(kReplyPipe, buffer, kReplyLength); }
    virtual std::int32_t Write(std::uint32_t pipe, const void* buffer, std::uint32_t length) = 0;
    std::int32_t WriteCommand(const void* buffer, std::uint32_t length) {
        return Write(kCommandPipe, buffer, length);
    }
    std::int32_t WriteBulk(const void* buffer, std::uint32_t length) {
        return Write(kBulkOutPipe, buffer, length);
    }

    bool IsOpen() const { return handle_ != 0; }

protected:
    platform::UsbDriver& Driver() const { return *driver_; }

    // Atomic: the manager may close a channel that a capture is using.
    std::atomic<platform::DriverHandle> handle_{0};

private:
    std::shared_ptr<platform::UsbDriver> driver_;
};

// EZ-USB style driver (product major version 1): the pipe index as a 4-byte input.
class EzUsbIo : public UsbIo {
public:
    using UsbIo::UsbIo;
    ~EzUsbIo() override = default;
    std::int32_t Reset() override;
    std::int32_t Read(std::uint32_t pipe, void* buffer, std::uint32_t length) override;
    std::int32_t Write(std::uint32_t pipe, const void* buffer, std::uint32_t length) override;

private:
    std::int32_t Transfer(std::uint32_t pipe, void* buffer, std::uint32_t length);
};

// CyUSB style driver (product major version 3): one transfer record per call.
class CyUsbIo : public UsbIo {
public:
    using UsbIo::UsbIo;
    ~CyUsbIo() override = default;
    std::int32_t Reset() override;
    std::int32_t Read(std::uint32_t pipe, void* buffer, std::uint32_t length) override;
    std::int32_t Write(std::uint32_t pipe, const void* buffer, std::uint32_t length) override;

private:
    std::int32_t Transfer(std::uint8_t endpoint, const void* data, void* received,
                          std::uint32_t length);
};

// Product version of the kernel driver named by the driver key; all parts
// 0xFFFF when it cannot be found.
struct DriverVersion {
    std::array<std::uint16_t, 4> parts{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    std::uint16_t Major() const { return parts[0]; }
};
DriverVersion GetDriverVersion(const std::string& driverKey);
DriverVersion GetDriverVersion(platform::UsbDriver& driver, const std::string& driverKey);

// The channel for a detected device, on the driver installed now; null when its
// driver is not one of ours.
std::unique_ptr<UsbIo> CreateUsbIo(std::uint32_t productId, const std::string& driverKey);
