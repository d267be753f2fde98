#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "hardware/Device2000.h"
#include "hardware/SensorSettings.h"
#include "hardware/StaticDeviceHost.h"
#include "platform/Clock.h"
#include "simulator/SimulatedDriver.h"
#include "support/LastError.h"
#include "tests/support/TestFiles.h"

namespace device_testing {

struct Notification {
    std::string text;
    std::int32_t kind;
    std::int32_t percent;
    bool operator==(const Notification&) const = default;
};

inline std::vector<Notification>& Notifications() {
    static std::vector<Notification> received;
    return received;
}

inline std::int32_t RecordNotification(const char* text, std::int32_t kind, std::int32_t percent) {
    Notifications().push_back({text, kind, percent});
    return 0;
}

// The settings file of an installation: both families, the 2000 one with margins.
inline const char* const kSettingsXml =
    "<?xml version=\"1.0\"?>\n"
    "<SETTINGS>\n"
    "  <SENSOR id=\"2000\" flush_time=\"5000\" left_margin=\"4\" right_margin=\"6\"\n"
    "          top_margin=\"2\" bottom_margin=\"8\" corner_cut=\"12\" corner_color=\"black\"/>\n"
    "  <SENSOR id=\"toviray\" flush_time=\"2000\"/>\n"
    "</SETTINGS>\n";

// A simulated driver and a virtual clock for the test's lifetime, a data
// directory with "settings.xml", and devices made on the simulated sensors.
class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetClock(clock);
        platform::SetUsbDriver(driver);
        host->dataDirectory = data.Path();
        testing_files::WriteFile(data.Path("settings.xml"), kSettingsXml);
        ASSERT_TRUE(host->settings.Load(data.Path()));
        Notifications().clear();
        SetLastErrorText("");
    }
    void TearDown() override {
        platform::SetUsbDriver(nullptr);
        platform::SetClock(nullptr);
    }

    CountedRef<Device2000>
    MakeDevice(simulator::Sensor2000Config config = {},
               simulator::DriverFamily family = simulator::DriverFamily::EzUsb) {
        path = driver->Attach(std::move(config), family);
        auto device =
            CountedRef<Device2000>::Make(ChannelFor(family), path, RecordNotification, host);
        device->SetInstanceId("USB\\VID_7A1C&PID_2000\\SIM0001");
        device->SetFamilyKey("2000");
        return device;
    }

    simulator::Sensor2000& Sensor() { return driver->SensorAt(path); }

    static std::unique_ptr<UsbIo> ChannelFor(simulator::DriverFamily family) {
        if (family == simulator::DriverFamily::EzUsb)
            return std::make_unique<EzUsbIo>();
        return std::make_unique<CyUsbIo>();
    }

    // The command messages the sensor received, in order.
    std::vector<std::vector<std::uint8_t>> Commands() const {
        std::vector<std::vector<std::uint8_t>> commands;
        for (const auto& request : driver->Requests())
            if (request.pipe == 0)
                commands.push_back(request.data);
        return commands;
    }

    std::shared_ptr<platform::VirtualClock> clock = std::make_shared<platform::VirtualClock>();
    std::shared_ptr<simulator::SimulatedDriver> driver =
        std::make_shared<simulator::SimulatedDriver>();
    testing_files::TempDirectory data;
    std::shared_ptr<StaticDeviceHost> host = std::make_shared<StaticDeviceHost>();
    std::string path;
};

} // namespace device_testing
