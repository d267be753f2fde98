#include <cstring>
#include <map>
#include <mutex>

#include "hardware/DevMgr.h"
#include "hardware/DeviceLog.h"
#include "support/ByteFields.h"
#include "support/TextCase.h"
#include "support/TextFormat.h"
#include "support/Translation.h"

// The hidden "KUsbWnd" window and what it hears: WM_DEVICECHANGE broadcasts
// of USB device interfaces arriving and leaving.
namespace {

const char* const kMonitorClass = "KUsbWnd";
// The notification kind that tells the capture its sensor was removed.
constexpr std::int32_t kDeviceRemovedNotification = 5;

// How the removal names the device: its family and sensor id, else its instance id.
std::string RemovedDeviceText(const Device& device) {
    if (device.SensorId().empty())
        return device.InstanceId();
    return device.FamilyKey() + " " + device.SensorId();
}
constexpr std::uint32_t kDeviceChange = 0x0219;
constexpr std::uintptr_t kDeviceArrival = 0x8000;
constexpr std::uintptr_t kDeviceRemoveComplete = 0x8004;
// DEV_BROADCAST_HDR: size, then type; a device interface's name follows its class.
constexpr std::uint32_t kDeviceInterfaceType = 5;
constexpr std::size_t kInterfaceNameOffset = 28;

// Which manager each monitor window serves.
class MonitorRegistry {
public:
    void Add(platform::WindowHandle window, CDevMgr* manager) {
        std::lock_guard<std::mutex> lock(mutex_);
        managers_[window] = manager;
    }
    void Remove(platform::WindowHandle window) {
        std::lock_guard<std::mutex> lock(mutex_);
        managers_.erase(window);
    }
    CDevMgr* Find(platform::WindowHandle window) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = managers_.find(window);
        return found == managers_.end() ? nullptr : found->second;
    }

private:
    std::mutex mutex_;
    std::map<platform::WindowHandle, CDevMgr*> managers_;
};

MonitorRegistry& Monitors() {
    static auto* registry = new MonitorRegistry();
    return *registry;
}

// The interface name of a device-interface broadcast, read within the size the
// broadcast gives; nothing for any other kind of device (volumes, ports, ...).
std::optional<std::string> InterfaceName(std::intptr_t lParam) {
    const auto* broadcast = reinterpret_cast<const std::uint8_t*>(lParam);
    if (broadcast == nullptr)
        return std::nullopt;
    auto size = LoadLittleEndian<std::uint32_t>(broadcast);
    if (LoadLittleEndian<std::uint32_t>(broadcast + 4) != kDeviceInterfaceType ||
        size <= kInterfaceNameOffset)
        return std::nullopt;
    const char* name = reinterpret_cast<const char*>(broadcast + kInterfaceNameOffset);
    return std::string(name, strnlen(name, size - kInterfaceNameOffset));
}

// USB#VID_7A1C&PID_2000#serial from "\\?\usb#vid_7a1c&pid_2000#serial#{class}":
// the text from character 4 up to the last "#", upper-cased, "#" made "\".
std::string InstanceIdOfInterface(const std::string& interfaceName, std::size_t lastHash) {
    if (lastHash <= 4)
        return std::string();
    return ReplaceAll(ToUpperText(interfaceName.substr(4, lastHash - 4)), "#", "\\");
}

} // namespace

bool CDevMgr::InstallMonitor() {
    if (monitorWindow_ != 0)
        return false;
    LogStep("DevMgr::InstallMonitor()");
    if (!windows_)
        windows_ = platform::CurrentWindowSystem();
    if (!enumerator_)
        enumerator_ = platform::CurrentDeviceEnumerator();
    std::uint32_t error = windows_->RegisterWindowClass(kMonitorClass, &CDevMgr::WindowProcedure);
    if (error != 0 && error != platform::kClassAlreadyExists) {
        SetTranslatedError("The monitor class could not be registered with the operating system "
                           "(OS error = %lu).",
                           static_cast<unsigned long>(error));
        return false;
    }
    monitorWindow_ = windows_->CreateHiddenWindow(kMonitorClass, error);
    if (monitorWindow_ == 0) {
        SetTranslatedError("The monitor class could not be created (OS error = %lu).",
                           static_cast<unsigned long>(error));
        return false;
    }
    Monitors().Add(monitorWindow_, this);
    notification_ = enumerator_->RegisterUsbNotification(monitorWindow_, error);
    if (notification_ == 0) {
        SetTranslatedError("The monitor class could not be registered (OS error = %lu).",
                           static_cast<unsigned long>(error));
        return false;
    }
    return true;
}

void CDevMgr::RemoveMonitor() {
    if (notification_ != 0)
        enumerator_->UnregisterUsbNotification(notification_);
    if (monitorWindow_ != 0) {
        Monitors().Remove(monitorWindow_);
        windows_->DestroyHiddenWindow(monitorWindow_);
    }
    if (windows_)
        windows_->UnregisterWindowClass(kMonitorClass);
    notification_ = 0;
    monitorWindow_ = 0;
}

platform::MessageResult CDevMgr::WindowProcedure(platform::WindowHandle window,
                                                 std::uint32_t message, std::uintptr_t wParam,
                                                 std::intptr_t lParam) {
    CDevMgr* manager = Monitors().Find(window);
    if (manager != nullptr && message == kDeviceChange &&
        (wParam == kDeviceArrival || wParam == kDeviceRemoveComplete)) {
        if (std::optional<std::string> name = InterfaceName(lParam))
            manager->OnDevicesChanged(wParam == kDeviceRemoveComplete, *name);
    }
    std::shared_ptr<platform::WindowSystem> windows =
        manager != nullptr ? manager->windows_ : platform::CurrentWindowSystem();
    return windows->DefaultProcedure(window, message, wParam, lParam);
}

void CDevMgr::OnDevicesChanged(bool removal, const std::string& interfaceName) {
    LogStep("DevMgr::OnDevicesChanged()");
    std::size_t lastHash = interfaceName.rfind('#');
    if (lastHash == std::string::npos)
        return;
    if (!removal) {
        CreateDevices();
        return;
    }
    auto found = FindDevice(InstanceIdOfInterface(interfaceName, lastHash));
    if (found == devices_.end())
        return;
    // Whoever still holds the device keeps it alive, closed.
    DeviceRef device = std::move(*found);
    devices_.erase(found);
    device->Close();
    // A capture holds it: its controller hears that the sensor is gone.
    if (device->ReferenceCount() > 1)
        device->Notify(RemovedDeviceText(*device).c_str(), kDeviceRemovedNotification, 0);
}
