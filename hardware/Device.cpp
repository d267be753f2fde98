#include "hardware/Device.h"

#include <cstdlib>

#include "support/TextCase.h"

Device::Device(std::unique_ptr<UsbIo> channel, std::string devicePath, NotifyCallback notify,
               std::shared_ptr<const DeviceHost> host)
    : channel_(std::move(channel)), devicePath_(std::move(devicePath)), notify_(notify),
      host_(std::move(host)) {
    ++liveDevices_;
}

Device::~Device() {
    --liveDevices_;
}

std::atomic<std::int32_t> Device::liveDevices_{0};

std::int32_t Device::Notify(const char* text, std::int32_t kind, std::int32_t percent) {
    return notify_ != nullptr ? notify_(text, kind, percent) : 0;
}

void Device::Release() {
    if (--referenceCount_ == 0)
        delete this;
}

void Device::SetInstanceId(const std::string& instanceId) {
    instanceId_ = ToLowerText(instanceId);
}

std::int32_t Device::GetProductId() const {
    return ParseUsbId(instanceId_, "pid");
}

std::int32_t ParseUsbId(const std::string& instanceId, const char* tag) {
    std::size_t at = ToLowerText(instanceId).find(tag);
    if (at == std::string::npos)
        return -1;
    std::string copy = instanceId.substr(at, 8);
    if (copy.size() <= 7)
        return -1;
    return static_cast<std::int32_t>(std::strtoul(copy.c_str() + 4, nullptr, 16) & 0xFFFF);
}
