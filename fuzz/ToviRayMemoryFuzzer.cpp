// Opens a simulated ToviRay sensor whose memory holds arbitrary bytes: the
// sensor id, the record area, the packed records and the scaling block.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "fuzz/SimulatedSensorHost.h"
#include "hardware/DeviceToviRay.h"
#include "simulator/SimulatedDriver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::shared_ptr<StaticDeviceHost>& host = FuzzDeviceHost();
    auto driver = std::make_shared<simulator::SimulatedDriver>();
    platform::SetUsbDriver(driver);
    simulator::SensorToviRayConfig config;
    config.memoryImage = std::vector<std::uint8_t>(data, data + size);
    std::string path = driver->AttachToviRay(config, simulator::DriverFamily::CyUsb);
    {
        DeviceRef device =
            DeviceRef::Make<DeviceTOVIRAY>(std::make_unique<CyUsbIo>(), path, nullptr, host);
        device->SetFamilyKey("TOVIRAY");
        device->Open();
        device->Close();
    }
    platform::SetUsbDriver(nullptr);
    return 0;
}
