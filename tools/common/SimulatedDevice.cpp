#include "tools/common/SimulatedDevice.h"

#include "hardware/Device2000.h"
#include "hardware/DeviceToviRay.h"

DeviceRef MakeSimulatedDevice(simulator::SimulatedDriver& driver, const std::string& sensorId,
                              NotifyCallback notify,
                              const std::shared_ptr<StaticDeviceHost>& host) {
    DeviceRef device;
    if (sensorId.rfind("TR", 0) == 0) {
        simulator::SensorToviRayConfig config;
        config.sensorId = sensorId;
        std::string path = driver.AttachToviRay(config, simulator::DriverFamily::CyUsb);
        device = DeviceRef::Make<DeviceTOVIRAY>(std::make_unique<CyUsbIo>(), path, notify, host);
        device->SetInstanceId("USB\\VID_7A1C&PID_1005\\SIM0001");
        device->SetFamilyKey("TOVIRAY");
    } else {
        simulator::Sensor2000Config config;
        if (!sensorId.empty())
            config.sensorId = sensorId;
        std::string path = driver.Attach(config, simulator::DriverFamily::EzUsb);
        device = DeviceRef::Make<Device2000>(std::make_unique<EzUsbIo>(), path, notify, host);
        device->SetInstanceId("USB\\VID_7A1C&PID_2000\\SIM0001");
        device->SetFamilyKey("2000");
    }
    return device;
}
