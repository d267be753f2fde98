#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "hardware/DeviceHost.h"
#include "hardware/RawFrame.h"
#include "hardware/UsbIo.h"

constexpr std::size_t kIdentifyBufferSize = 32;

// A sensor device: its channel, its path, its identity and a reference count
// (1 at construction; the holder that drops it to 0 deletes the device).
class Device {
public:
    Device(std::unique_ptr<UsbIo> channel, std::string devicePath, NotifyCallback notify,
           std::shared_ptr<const DeviceHost> host);
    virtual ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    virtual std::int32_t Identify(char* buffer) = 0;
    virtual std::int32_t Open() = 0;
    virtual void Close() = 0;
    virtual std::int32_t CaptureImage() = 0;
    virtual void RequestTrigger() = 0;
    virtual std::int32_t DoGetImage(std::int32_t type, double factor,
                                    std::unique_ptr<RawFrame>& frame) = 0;
    virtual std::int32_t DoGetImage(std::int32_t type, std::unique_ptr<RawFrame>& frame) = 0;
    virtual std::int32_t GetImage(std::unique_ptr<RawFrame>& frame) = 0;
    virtual std::int32_t GetResolutionX() = 0;
    virtual std::int32_t GetResolutionY() = 0;
    virtual std::string GetProperty(const std::string& name) = 0;
    virtual std::int32_t SetProperty(const std::string& name, const std::string& value) = 0;
    virtual std::int32_t ProcessingFamily() = 0;
    virtual std::int32_t Notify(const char* text, std::int32_t kind, std::int32_t percent);

    // The product id after "pid" in the instance id, -1 if none.
    std::int32_t GetProductId() const;
    bool IsProduct1600() const { return GetProductId() == 0x1600; }
    bool IsProduct1800() const { return GetProductId() == 0x1800; }
    bool IsProduct2000() const { return GetProductId() == 0x2000; }
    bool IsProductToviRay() const { return GetProductId() == 0x1005; }

    void AddRef() { ++referenceCount_; }
    void Release();

    const std::string& DevicePath() const { return devicePath_; }
    const std::string& InstanceId() const { return instanceId_; }
    void SetInstanceId(const std::string& instanceId);
    const std::string& FamilyKey() const { return familyKey_; }
    void SetFamilyKey(const std::string& familyKey) { familyKey_ = familyKey; }
    const std::string& SensorId() const { return sensorId_; }
    void SetSensorId(const std::string& sensorId) { sensorId_ = sensorId; }

protected:
    UsbIo& Channel() { return *channel_; }
    const DeviceHost& Host() const { return *host_; }

    std::unique_ptr<UsbIo> channel_;
    std::string devicePath_;
    NotifyCallback notify_;
    std::string instanceId_;
    std::string familyKey_;
    std::string sensorId_;
    std::atomic<std::int32_t> referenceCount_{1};
    std::shared_ptr<const DeviceHost> host_;
};

// Parses "vid" or "pid" and four hexadecimal digits out of an instance id; -1 if none.
std::int32_t ParseUsbId(const std::string& instanceId, const char* tag);

// Holds one reference of a device.
class DeviceRef {
public:
    DeviceRef() = default;
    // Takes over the reference the device was created with.
    static DeviceRef Adopt(Device* device) { return DeviceRef(device); }
    template <typename T, typename... Args> static DeviceRef Make(Args&&... args) {
        return Adopt(new T(std::forward<Args>(args)...));
    }
    DeviceRef(const DeviceRef& other) : device_(other.device_) {
        if (device_ != nullptr)
            device_->AddRef();
    }
    DeviceRef(DeviceRef&& other) noexcept : device_(other.device_) { other.device_ = nullptr; }
    DeviceRef& operator=(DeviceRef other) noexcept {
        std::swap(device_, other.device_);
        return *this;
    }
    ~DeviceRef() {
        if (device_ != nullptr)
            device_->Release();
    }
    Device* operator->() const { return device_; }
    Device& operator*() const { return *device_; }
    Device* get() const { return device_; }
    explicit operator bool() const { return device_ != nullptr; }

private:
    explicit DeviceRef(Device* device) : device_(device) {}
    Device* device_ = nullptr;
};
