#include "platform/UsbDriver.h"

#include "platform/PortSlot.h"

namespace platform {

std::shared_ptr<UsbDriver> CurrentUsbDriver() {
    return SlotOf<UsbDriver, SystemUsbDriver>().Get();
}

void SetUsbDriver(std::shared_ptr<UsbDriver> driver) {
    SlotOf<UsbDriver, SystemUsbDriver>().Set(std::move(driver));
}

} // namespace platform
