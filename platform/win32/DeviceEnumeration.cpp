#include "platform/DeviceEnumeration.h"

#include <windows.h>

#include <dbt.h>
#include <setupapi.h>

#include <vector>

namespace platform {

namespace {

// GUID_DEVINTERFACE_USB_DEVICE.
const GUID kUsbDeviceInterface = {
    0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

// One device information set of SetupAPI, destroyed with the object. Every
// read asks for the size first and grows one shared buffer (never shrinking
// it), which starts at 256 bytes.
class SetupApiInterfaceSet : public UsbInterfaceSet {
public:
    explicit SetupApiInterfaceSet(HDEVINFO set) : set_(set), buffer_(256) {}
    ~SetupApiInterfaceSet() override { ::SetupDiDestroyDeviceInfoList(set_); }
    SetupApiInterfaceSet(const SetupApiInterfaceSet&) = delete;
    SetupApiInterfaceSet& operator=(const SetupApiInterfaceSet&) = delete;

    bool SelectMember(std::uint32_t index) override {
        device_ = SP_DEVINFO_DATA{};
        device_.cbSize = sizeof device_;
        interface_ = SP_DEVICE_INTERFACE_DATA{};
        interface_.cbSize = sizeof interface_;
        if (::SetupDiEnumDeviceInfo(set_, index, &device_) &&
            ::SetupDiEnumDeviceInterfaces(set_, nullptr, &kUsbDeviceInterface, index, &interface_))
            return true;
        endError_ = ::GetLastError();
        return false;
    }

    std::uint32_t EndError() const override { return endError_; }

    std::optional<std::string> InstanceId() override {
        DWORD required = 0;
        ::SetupDiGetDeviceInstanceIdA(set_, &device_, nullptr, 0, &required);
        Grow(required);
        if (!::SetupDiGetDeviceInstanceIdA(set_, &device_, buffer_.data(), BufferSize(), nullptr))
            return std::nullopt;
        return Text();
    }

    std::optional<std::string> DriverKey() override { return Property(SPDRP_DRIVER); }
    std::optional<std::string> Description() override { return Property(SPDRP_DEVICEDESC); }

    std::optional<std::string> DevicePath() override {
        DWORD required = 0;
        ::SetupDiGetDeviceInterfaceDetailA(set_, &interface_, nullptr, 0, &required, nullptr);
        Grow(std::max<DWORD>(required, sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)));
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer_.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A); // 5 on 32-bit Windows
        if (!::SetupDiGetDeviceInterfaceDetailA(set_, &interface_, detail, BufferSize(), nullptr,
                                                nullptr))
            return std::nullopt;
        buffer_.back() = '\0';
        return std::string(detail->DevicePath);
    }

private:
    std::optional<std::string> Property(DWORD property) {
        DWORD required = 0;
        ::SetupDiGetDeviceRegistryPropertyA(set_, &device_, property, nullptr, nullptr, 0,
                                            &required);
        Grow(required);
        if (!::SetupDiGetDeviceRegistryPropertyA(set_, &device_, property, nullptr,
                                                 reinterpret_cast<BYTE*>(buffer_.data()),
                                                 BufferSize(), nullptr))
            return std::nullopt;
        return Text();
    }

    // One byte more than the system is told of, so every text ends inside the buffer.
    void Grow(DWORD required) {
        if (required + 1 > buffer_.size())
            buffer_.resize(required + 1);
    }
    DWORD BufferSize() const { return static_cast<DWORD>(buffer_.size() - 1); }
    std::string Text() {
        buffer_.back() = '\0';
        return std::string(buffer_.data());
    }

    HDEVINFO set_;
    std::vector<char> buffer_;
    SP_DEVINFO_DATA device_{};
    SP_DEVICE_INTERFACE_DATA interface_{};
    std::uint32_t endError_ = 0;
};

class SetupApiEnumerator : public DeviceEnumerator {
public:
    bool Prepare(const std::string&) override { return true; }

    std::unique_ptr<UsbInterfaceSet> PresentUsbInterfaces(std::uint32_t& error) override {
        HDEVINFO set = ::SetupDiGetClassDevsA(&kUsbDeviceInterface, nullptr, nullptr,
                                              DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
        if (set == INVALID_HANDLE_VALUE) {
            error = ::GetLastError();
            return nullptr;
        }
        return std::make_unique<SetupApiInterfaceSet>(set);
    }

    DeviceNotification RegisterUsbNotification(WindowHandle window, std::uint32_t& error) override {
        DEV_BROADCAST_DEVICEINTERFACE_A filter{};
        filter.dbcc_size = sizeof filter; // 32
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        filter.dbcc_classguid = kUsbDeviceInterface;
        HDEVNOTIFY notification = ::RegisterDeviceNotificationA(
            reinterpret_cast<HWND>(window), &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
        if (notification == nullptr)
            error = ::GetLastError();
        return reinterpret_cast<DeviceNotification>(notification);
    }

    void UnregisterUsbNotification(DeviceNotification notification) override {
        ::UnregisterDeviceNotification(reinterpret_cast<HDEVNOTIFY>(notification));
    }
};

} // namespace

DeviceEnumerator& SystemDeviceEnumerator() {
    static auto* enumerator = new SetupApiEnumerator();
    return *enumerator;
}

} // namespace platform
