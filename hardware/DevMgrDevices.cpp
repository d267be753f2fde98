#include "hardware/DevMgr.h"
#include "hardware/Device2000.h"
#include "hardware/DeviceLog.h"
#include "hardware/DeviceToviRay.h"
#include "support/TextCase.h"
#include "support/TextFormat.h"
#include "support/Translation.h"

// Creating a device for every supported sensor among the present USB interfaces.
namespace {

constexpr std::int32_t kVendorId = 0x7A1C;
constexpr std::int32_t kProduct2000 = 0x2000;
constexpr std::int32_t kProductToviRay = 0x1005;

std::string FamilyKeyOf(std::int32_t productId) {
    return productId == kProductToviRay ? "TOVIRAY" : FormatText("%x", productId);
}

} // namespace

bool CDevMgr::CreateDevices() {
    LogStep("DevMgr::CreateDevices()");
    if (!enumerator_)
        enumerator_ = platform::CurrentDeviceEnumerator();
    std::uint32_t error = 0;
    std::unique_ptr<platform::UsbInterfaceSet> members = enumerator_->PresentUsbInterfaces(error);
    if (!members) {
        SetTranslatedError("No devices could be located on this computer (OS error = %lu).",
                           static_cast<unsigned long>(error));
        return false;
    }
    for (std::uint32_t index = 0; members->SelectMember(index); ++index)
        TryCreateDevice(*members);
    return members->EndError() == 0 || members->EndError() == platform::kNoMoreItems;
}

// Every skip leaves the list as it was; a skipped member's channel is dropped.
void CDevMgr::TryCreateDevice(platform::UsbInterfaceSet& member) {
    std::optional<std::string> readId = member.InstanceId();
    if (!readId || readId->empty())
        return;
    const std::string instanceId = ToLowerText(*readId);
    if (ParseUsbId(instanceId, "vid") != kVendorId || FindDevice(instanceId) != devices_.end())
        return;
    const std::int32_t productId = ParseUsbId(instanceId, "pid");
    std::unique_ptr<UsbIo> channel =
        CreateUsbIo(static_cast<std::uint32_t>(productId), member.DriverKey().value_or(""));
    if (!channel)
        return;
    // Without an interface path there is nothing the device could open.
    std::optional<std::string> devicePath = member.DevicePath();
    if (!devicePath || !member.Description())
        return;
    LogStep("DevMgr::TryCreateDevice()");
    const std::string familyKey = FamilyKeyOf(productId);
    if (settings_->Find(familyKey) == nullptr)
        return;
    DeviceRef device = MakeDevice(productId, std::move(channel), *devicePath);
    if (!device)
        return;
    device->SetInstanceId(instanceId);
    device->SetFamilyKey(familyKey);
    devices_.push_back(std::move(device));
}

DeviceRef CDevMgr::MakeDevice(std::int32_t productId, std::unique_ptr<UsbIo> channel,
                              const std::string& devicePath) {
    switch (productId) {
    case kProductToviRay:
        return DeviceRef::Make<DeviceTOVIRAY>(std::move(channel), devicePath, notify_, deviceHost_);
    case kProduct2000:
        return DeviceRef::Make<Device2000>(std::move(channel), devicePath, notify_, deviceHost_);
    default:
        return DeviceRef();
    }
}
