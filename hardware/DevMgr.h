#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hardware/Device.h"
#include "hardware/DeviceHost.h"
#include "hardware/HardwareProperties.h"
#include "hardware/SensorSettings.h"
#include "platform/DeviceEnumeration.h"
#include "platform/WindowSystem.h"

constexpr std::int32_t kDevMgrInitializeFailed = -8194;
constexpr std::int32_t kNoInterface = static_cast<std::int32_t>(0x80004002); // E_NOINTERFACE

// The device manager: the sensors that are plugged in, one device each, the
// per-family settings of "settings.xml", the device files, and a hidden
// "KUsbWnd" window that hears sensors arrive and leave. The list holds one
// reference of every device; a device that leaves is closed and dropped from
// the list at once, and lives on while someone else holds it.
class CDevMgr {
public:
    // pluginHost answers the data directory and the capture options; the
    // settings the devices read are the manager's own.
    explicit CDevMgr(std::shared_ptr<const DeviceHost> pluginHost);
    virtual ~CDevMgr();
    CDevMgr(const CDevMgr&) = delete;
    CDevMgr& operator=(const CDevMgr&) = delete;

    // The one manager of the process, made on first use.
    static CDevMgr& Instance();
    void SetPluginHost(std::shared_ptr<const DeviceHost> pluginHost);

    // 0, or kDevMgrInitializeFailed with the failing step's message in lastErrorText.
    std::int32_t Initialize(NotifyCallback notify);
    // Removes the monitor; the devices stay.
    virtual std::int32_t Finalize();

    std::size_t DeviceCount() const { return devices_.size(); }
    DeviceRef GetDevice(std::size_t index);
    // Opens the device with this instance id (any letter case) for the sensor id
    // and hands out one more reference; kNoInterface when there is none.
    std::int32_t CreateDevice(const std::string& instanceId, const std::string& sensorId,
                              DeviceRef& device);
    // "VXR <family> hardware" per device, joined by the separator.
    std::string HardwareSummary(const std::string& separator) const;

    std::size_t DeviceFileCount() const { return deviceFiles_.size(); }
    std::string DeviceFile(std::size_t index) const;

    const CHardwareProperties* FindSensorProperties(const std::string& familyKey) const;
    bool CopySensorProperties(const std::string& familyKey, CHardwareProperties& target) const;

    bool InstallMonitor();
    void OnDevicesChanged(bool removal, const std::string& interfaceName);
    bool CreateDevices();

    bool IsInitialized() const { return initialized_; }
    platform::WindowHandle MonitorWindow() const { return monitorWindow_; }

private:
    static platform::MessageResult WindowProcedure(platform::WindowHandle window,
                                                   std::uint32_t message, std::uintptr_t wParam,
                                                   std::intptr_t lParam);
    bool PrepareAndScan();
    void RemoveMonitor();
    bool LoadSettings();
    bool ListDeviceFiles();
    void TryCreateDevice(platform::UsbInterfaceSet& member);
    DeviceRef MakeDevice(std::int32_t productId, std::unique_ptr<UsbIo> channel,
                         const std::string& devicePath);
    std::vector<DeviceRef>::iterator FindDevice(const std::string& instanceId);

    bool initialized_ = false;
    platform::WindowHandle monitorWindow_ = 0;
    platform::DeviceNotification notification_ = 0;
    NotifyCallback notify_ = nullptr;
    std::vector<DeviceRef> devices_;
    std::shared_ptr<SensorSettings> settings_;
    std::vector<std::string> deviceFiles_;
    std::shared_ptr<const DeviceHost> pluginHost_;
    std::shared_ptr<const DeviceHost> deviceHost_;
    // The backends the monitor was installed with, kept until it is removed.
    std::shared_ptr<platform::WindowSystem> windows_;
    std::shared_ptr<platform::DeviceEnumerator> enumerator_;
};
