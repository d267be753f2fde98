#include <cstring>

#include "platform/Clock.h"
#include "simulator/Protocol.h"
#include "simulator/SimulatedDriver.h"
#include "support/ByteFields.h"

// The system's side of the simulated devices: the USB device interface class
// as SetupAPI lists it, and the broadcasts that announce arrivals and removals.
namespace simulator {

namespace {

using namespace protocol;

struct Member {
    std::string instanceId, driverKey, path;
    std::optional<std::string> description;
};

// A snapshot of the present devices, taken when the set is made.
class SimulatedInterfaceSet : public platform::UsbInterfaceSet {
public:
    explicit SimulatedInterfaceSet(std::vector<Member> members) : members_(std::move(members)) {}

    bool SelectMember(std::uint32_t index) override {
        selected_ = index < members_.size() ? &members_[index] : nullptr;
        return selected_ != nullptr;
    }
    std::uint32_t EndError() const override { return platform::kNoMoreItems; }
    std::optional<std::string> InstanceId() override { return Read(&Member::instanceId); }
    std::optional<std::string> DriverKey() override { return Read(&Member::driverKey); }
    std::optional<std::string> DevicePath() override { return Read(&Member::path); }
    std::optional<std::string> Description() override {
        return selected_ != nullptr ? selected_->description : std::nullopt;
    }

private:
    std::optional<std::string> Read(std::string Member::*field) const {
        if (selected_ == nullptr)
            return std::nullopt;
        return selected_->*field;
    }

    std::vector<Member> members_;
    const Member* selected_ = nullptr;
};

// DEV_BROADCAST_DEVICEINTERFACE_A with the name and its terminating zero.
std::vector<std::uint8_t> InterfaceBroadcast(const std::string& interfaceName) {
    std::vector<std::uint8_t> bytes(kBroadcastNameOffset + interfaceName.size() + 1, 0);
    StoreLittleEndian<std::uint32_t>(&bytes[0], static_cast<std::uint32_t>(bytes.size()));
    StoreLittleEndian<std::uint32_t>(&bytes[4], kDeviceInterfaceType);
    std::memcpy(&bytes[kBroadcastClassOffset], kUsbInterfaceClassBytes,
                sizeof kUsbInterfaceClassBytes);
    std::memcpy(&bytes[kBroadcastNameOffset], interfaceName.data(), interfaceName.size());
    return bytes;
}

} // namespace

std::unique_ptr<platform::UsbInterfaceSet> SimulatedDriver::PresentUsbInterfaces(std::uint32_t&) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    PollDue();
    std::vector<Member> members;
    for (const Attached& device : devices_)
        if (device.arrived && device.plugged)
            members.push_back(
                {device.instanceId, device.driverKey, device.path, device.presence.description});
    return std::make_unique<SimulatedInterfaceSet>(std::move(members));
}

platform::DeviceNotification SimulatedDriver::RegisterUsbNotification(platform::WindowHandle window,
                                                                      std::uint32_t&) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    platform::DeviceNotification notification = nextNotification_++;
    std::shared_ptr<platform::WindowSystem> windows = platform::CurrentWindowSystem();
    notifications_[notification] = {windows, window};
    // Timed arrivals and removals come due while the window's thread waits idle.
    windows->StartTimer(window, notification, kPollPeriod, &SimulatedDriver::PollTimer, this);
    return notification;
}

void SimulatedDriver::UnregisterUsbNotification(platform::DeviceNotification notification) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto found = notifications_.find(notification);
    if (found == notifications_.end())
        return;
    found->second.windows->StopTimer(found->second.window, notification);
    notifications_.erase(found);
}

SimulatedDriver::~SimulatedDriver() {
    for (const auto& [notification, listener] : notifications_)
        listener.windows->StopTimer(listener.window, notification);
}

void SimulatedDriver::PollTimer(void* driver) {
    static_cast<SimulatedDriver*>(driver)->Poll();
}

void SimulatedDriver::Poll() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    PollDue();
}

void SimulatedDriver::Broadcast(std::uintptr_t event, const std::string& interfaceName) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    BroadcastLocked(event, interfaceName);
}

void SimulatedDriver::PollDue() {
    std::uint64_t now = platform::CurrentClock().Milliseconds();
    for (Attached& device : devices_) {
        const UsbPresence& presence = device.presence;
        if (!device.arrived && presence.arrivalTime && now >= *presence.arrivalTime)
            Arrive(device);
        if (device.plugged && device.armedAt && presence.unplugAfterArming &&
            now - *device.armedAt >= *presence.unplugAfterArming)
            Remove(device);
    }
}

void SimulatedDriver::Arrive(Attached& device) {
    device.arrived = true;
    if (device.plugged)
        BroadcastLocked(kDeviceArrival, device.path);
}

void SimulatedDriver::Remove(Attached& device) {
    bool wasPresent = device.arrived && device.plugged;
    device.plugged = false;
    if (wasPresent)
        BroadcastLocked(kDeviceRemoveComplete, device.path);
}

void SimulatedDriver::BroadcastLocked(std::uintptr_t event, const std::string& interfaceName) {
    for (const auto& [notification, listener] : notifications_)
        listener.windows->PostData(listener.window, kDeviceChangeMessage, event,
                                   InterfaceBroadcast(interfaceName));
}

} // namespace simulator
