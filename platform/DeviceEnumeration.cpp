#include "platform/DeviceEnumeration.h"

#include "platform/PortSlot.h"

namespace platform {

std::shared_ptr<DeviceEnumerator> CurrentDeviceEnumerator() {
    return SlotOf<DeviceEnumerator, SystemDeviceEnumerator>().Get();
}

void SetDeviceEnumerator(std::shared_ptr<DeviceEnumerator> enumerator) {
    SlotOf<DeviceEnumerator, SystemDeviceEnumerator>().Set(std::move(enumerator));
}

} // namespace platform
