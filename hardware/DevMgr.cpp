#include "hardware/DevMgr.h"

#include "hardware/DeviceLog.h"
#include "hardware/DeviceStatus.h"
#include "hardware/StaticDeviceHost.h"
#include "support/Environment.h"
#include "support/FileHelpers.h"
#include "support/TextCase.h"
#include "support/Translation.h"

namespace {

// What the manager's devices read: the plug-in's answers, with the manager's settings.
class ManagedDeviceHost : public DeviceHost {
public:
    ManagedDeviceHost(std::shared_ptr<const DeviceHost> plugin,
                      std::shared_ptr<const SensorSettings> settings)
        : plugin_(std::move(plugin)), settings_(std::move(settings)) {}

    std::string DataDirectory() const override { return plugin_->DataDirectory(); }
    std::string ModuleDirectory() const override { return plugin_->ModuleDirectory(); }
    const SensorSettings& Settings() const override { return *settings_; }
    bool UserTerminated() const override { return plugin_->UserTerminated(); }
    bool ExtendedFlushTimes() const override { return plugin_->ExtendedFlushTimes(); }
    bool SaveRawDump() const override { return plugin_->SaveRawDump(); }

private:
    std::shared_ptr<const DeviceHost> plugin_;
    std::shared_ptr<const SensorSettings> settings_;
};

// The file's name without its directory and extension.
std::string FileTitle(const std::string& path) {
    std::string name, directory;
    ksp::SplitPath(path, name, directory);
    return name.substr(0, name.rfind('.'));
}

} // namespace

CDevMgr::CDevMgr(std::shared_ptr<const DeviceHost> pluginHost)
    : settings_(std::make_shared<SensorSettings>()) {
    SetPluginHost(std::move(pluginHost));
}

CDevMgr::~CDevMgr() {
    // A window left behind would send the system's broadcasts into an unloaded module.
    RemoveMonitor();
}

CDevMgr& CDevMgr::Instance() {
    static CDevMgr manager(std::make_shared<StaticDeviceHost>());
    return manager;
}

void CDevMgr::SetPluginHost(std::shared_ptr<const DeviceHost> pluginHost) {
    pluginHost_ = std::move(pluginHost);
    deviceHost_ = std::make_shared<ManagedDeviceHost>(pluginHost_, settings_);
}

std::int32_t CDevMgr::Initialize(NotifyCallback notify) {
    LogStep("DevMgr::Initialize()");
    if (initialized_)
        return kDeviceOk;
    notify_ = notify;
    if (!PrepareAndScan()) {
        // The next attempt starts afresh: a monitor left behind would fail its install.
        RemoveMonitor();
        return kDevMgrInitializeFailed;
    }
    initialized_ = true;
    return kDeviceOk;
}

bool CDevMgr::PrepareAndScan() {
    if (!enumerator_)
        enumerator_ = platform::CurrentDeviceEnumerator();
    return enumerator_->Prepare(pluginHost_->DataDirectory()) && InstallMonitor() &&
           LoadSettings() && ListDeviceFiles() && CreateDevices();
}

std::int32_t CDevMgr::Finalize() {
    LogStep("DevMgr::Finalize()");
    RemoveMonitor();
    return kDeviceOk;
}

DeviceRef CDevMgr::GetDevice(std::size_t index) {
    LogStep("DevMgr::GetDevice()");
    return index < devices_.size() ? devices_[index] : DeviceRef();
}

std::int32_t CDevMgr::CreateDevice(const std::string& instanceId, const std::string& sensorId,
                                   DeviceRef& device) {
    LogStep("DevMgr::CreateDevice()");
    auto found = FindDevice(instanceId);
    if (found == devices_.end()) {
        SetTranslatedMessage("Unable to find the interface to the selected hardware.  Please "
                             "check the connection to the hardware and then retry the "
                             "operation.");
        return kNoInterface;
    }
    // A settings file that fails to load now leaves the device its defaults.
    LoadSettings();
    (*found)->SetSensorId(sensorId);
    (*found)->Open();
    device = *found;
    return kDeviceOk;
}

std::string CDevMgr::HardwareSummary(const std::string& separator) const {
    if (devices_.empty())
        return "<No VXR hardware dectected>";
    std::string summary;
    for (const DeviceRef& device : devices_) {
        if (!summary.empty())
            summary += separator;
        summary += "VXR " + device->FamilyKey() + " hardware";
    }
    return summary;
}

std::string CDevMgr::DeviceFile(std::size_t index) const {
    return index < deviceFiles_.size() ? deviceFiles_[index] : std::string();
}

const CHardwareProperties* CDevMgr::FindSensorProperties(const std::string& familyKey) const {
    return settings_->Find(familyKey);
}

bool CDevMgr::CopySensorProperties(const std::string& familyKey,
                                   CHardwareProperties& target) const {
    return settings_->CopyInto(familyKey, target);
}

bool CDevMgr::LoadSettings() {
    return settings_->Load(pluginHost_->DataDirectory());
}

// The titles of the "*.tovi" files beside the plug-in module.
bool CDevMgr::ListDeviceFiles() {
    std::vector<std::string> files;
    ksp::ListFiles(pluginHost_->ModuleDirectory() + "\\Devices", "*.tovi", files, false, true);
    deviceFiles_.clear();
    for (const std::string& file : files)
        deviceFiles_.push_back(FileTitle(file));
    return true;
}

std::vector<DeviceRef>::iterator CDevMgr::FindDevice(const std::string& instanceId) {
    return std::find_if(devices_.begin(), devices_.end(), [&](const DeviceRef& device) {
        return EqualsIgnoringCase(device->InstanceId(), instanceId);
    });
}
