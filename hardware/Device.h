#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

#include "hardware/DeviceHost.h"
#include "hardware/RawFrame.h"
#include "hardware/UsbIo.h"

constexpr std::size_t kIdentifyBufferSize = 32;

template <typename T> class CountedRef;

// A sensor device: its channel, its path, its identity and a reference count.
// Devices live only behind counted references (CountedRef, DeviceRef): they are
// made by CountedRef::Make with the first reference, and the last reference to
// let go deletes them. Nothing else can make, delete or hold one by value.
class Device {
public:
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

    std::int32_t ReferenceCount() const { return referenceCount_; }
    // Devices alive in this process, for leak checks.
    static std::int32_t LiveDevices() { return liveDevices_; }

    const std::string& DevicePath() const { return devicePath_; }
    const std::string& InstanceId() const { return instanceId_; }
    void SetInstanceId(const std::string& instanceId);
    const std::string& FamilyKey() const { return familyKey_; }
    void SetFamilyKey(const std::string& familyKey) { familyKey_ = familyKey; }
    const std::string& SensorId() const { return sensorId_; }
    void SetSensorId(const std::string& sensorId) { sensorId_ = sensorId; }

protected:
    Device(std::unique_ptr<UsbIo> channel, std::string devicePath, NotifyCallback notify,
           std::shared_ptr<const DeviceHost> host);
    virtual ~Device();
    static void* operator new(std::size_t size) { return ::operator new(size); }
    static void operator delete(void* address) { ::operator delete(address); }

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

private:
    template <typename T> friend class CountedRef;
    void AddRef() { ++referenceCount_; }
    void Release();

    static std::atomic<std::int32_t> liveDevices_;
};

// Parses "vid" or "pid" and four hexadecimal digits out of an instance id; -1 if none.
std::int32_t ParseUsbId(const std::string& instanceId, const char* tag);

namespace device_detail {

// The one way a device class is instantiated: its constructors and destructor
// are protected, so only this class, made by CountedRef::Make, reaches them.
template <typename T> class Made final : public T {
public:
    template <typename... Args> explicit Made(Args&&... args) : T(std::forward<Args>(args)...) {}
};

} // namespace device_detail

// Holds one reference of a device of class T (or of a class derived from it).
template <typename T> class CountedRef {
public:
    CountedRef() = default;
    // A new device of class U with this, its first reference.
    template <typename U = T, typename... Args> static CountedRef Make(Args&&... args) {
        static_assert(std::is_base_of_v<T, U>);
        return CountedRef(new device_detail::Made<U>(std::forward<Args>(args)...));
    }

    CountedRef(const CountedRef& other) : CountedRef(other.device_, true) {}
    CountedRef(CountedRef&& other) noexcept : device_(std::exchange(other.device_, nullptr)) {}
    template <typename U> CountedRef(const CountedRef<U>& other) : CountedRef(other.get(), true) {}
    template <typename U>
    CountedRef(CountedRef<U>&& other) noexcept : device_(std::exchange(other.device_, nullptr)) {}
    CountedRef& operator=(CountedRef other) noexcept {
        std::swap(device_, other.device_);
        return *this;
    }
    ~CountedRef() {
        if (device_ != nullptr)
            static_cast<Device*>(device_)->Release();
    }

    T* operator->() const { return device_; }
    T& operator*() const { return *device_; }
    T* get() const { return device_; }
    explicit operator bool() const { return device_ != nullptr; }

private:
    template <typename U> friend class CountedRef;
    explicit CountedRef(T* device, bool addReference = false) : device_(device) {
        if (device_ != nullptr && addReference)
            static_cast<Device*>(device_)->AddRef();
    }

    T* device_ = nullptr;
};

using DeviceRef = CountedRef<Device>;
