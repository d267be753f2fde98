// Opens a simulated 2000-series sensor whose 1-Wire memory holds arbitrary
// bytes: the slot scan, the sensor id, the defect text and its parse.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "fuzz/SimulatedSensorHost.h"
#include "hardware/Device2000.h"
#include "simulator/SimulatedDriver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::shared_ptr<StaticDeviceHost>& host = FuzzDeviceHost();
    auto driver = std::make_shared<simulator::SimulatedDriver>();
    platform::SetUsbDriver(driver);
    simulator::Sensor2000Config config;
    config.memoryImage = std::vector<std::uint8_t>(data, data + size);
    std::string path = driver->Attach(config, simulator::DriverFamily::EzUsb);
    {
        auto device =
            CountedRef<Device2000>::Make(std::make_unique<EzUsbIo>(), path, nullptr, host);
        device->SetFamilyKey("2000");
        device->Open();
        char identity[kIdentifyBufferSize];
        device->Close();
        device->Identify(identity);
    }
    platform::SetUsbDriver(nullptr);
    return 0;
}
