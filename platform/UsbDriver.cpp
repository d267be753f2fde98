#include "platform/UsbDriver.h"

namespace platform {

namespace {

// Never destroyed: a device may close its handle while the module unloads.
std::shared_ptr<UsbDriver>& Installed() {
    static auto* driver = new std::shared_ptr<UsbDriver>();
    return *driver;
}

} // namespace

UsbDriver& CurrentUsbDriver() {
    auto& installed = Installed();
    return installed ? *installed : SystemUsbDriver();
}

void SetUsbDriver(std::shared_ptr<UsbDriver> driver) {
    Installed() = std::move(driver);
}

} // namespace platform
