#include "platform/DeviceEnumeration.h"

#include <atomic>

namespace platform {

namespace {

class EmptyInterfaceSet : public UsbInterfaceSet {
public:
    bool SelectMember(std::uint32_t) override { return false; }
    std::uint32_t EndError() const override { return kNoMoreItems; }
    std::optional<std::string> InstanceId() override { return std::nullopt; }
    std::optional<std::string> DriverKey() override { return std::nullopt; }
    std::optional<std::string> DevicePath() override { return std::nullopt; }
    std::optional<std::string> Description() override { return std::nullopt; }
};

// The native build has no USB devices of its own: the class is always empty
// and no broadcast ever comes.
class AbsentDeviceEnumerator : public DeviceEnumerator {
public:
    bool Prepare(const std::string&) override { return true; }
    std::unique_ptr<UsbInterfaceSet> PresentUsbInterfaces(std::uint32_t&) override {
        return std::make_unique<EmptyInterfaceSet>();
    }
    DeviceNotification RegisterUsbNotification(WindowHandle, std::uint32_t&) override {
        return ++lastNotification_;
    }
    void UnregisterUsbNotification(DeviceNotification) override {}

private:
    std::atomic<DeviceNotification> lastNotification_{0};
};

} // namespace

DeviceEnumerator& SystemDeviceEnumerator() {
    static auto* enumerator = new AbsentDeviceEnumerator();
    return *enumerator;
}

} // namespace platform
