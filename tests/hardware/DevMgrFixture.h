#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "hardware/DevMgr.h"
#include "hardware/StaticDeviceHost.h"
#include "platform/Clock.h"
#include "platform/DeviceEnumeration.h"
#include "platform/WindowSystem.h"
#include "simulator/SimulatedDriver.h"
#include "support/LastError.h"
#include "tests/hardware/PluginData.h"
#include "tests/support/TestFiles.h"

namespace devmgr_testing {

// A simulated bus and driver, a virtual clock, an installed data directory and
// a device manager over them.
class DevMgrTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetClock(clock);
        platform::SetUsbDriver(driver);
        platform::SetDeviceEnumerator(driver);
        host->dataDirectory = data.Path();
        ASSERT_TRUE(plugin_data::Install(data.Path()));
        SetLastErrorText("");
        manager = std::make_unique<CDevMgr>(host);
    }
    void TearDown() override {
        manager.reset();
        platform::SetDeviceEnumerator(nullptr);
        platform::SetUsbDriver(nullptr);
        platform::SetClock(nullptr);
    }

    static simulator::UsbPresence Serial(const std::string& serial) {
        simulator::UsbPresence presence;
        presence.serial = serial;
        return presence;
    }
    std::string Attach2000(const std::string& serial) {
        return driver->Attach(simulator::Sensor2000Config{}, Serial(serial));
    }
    std::string AttachToviRay(const std::string& serial) {
        return driver->AttachToviRay(simulator::SensorToviRayConfig{}, Serial(serial));
    }

    // What the monitor window's thread does between two looks at the list.
    std::size_t Deliver() {
        driver->Poll();
        return platform::CurrentWindowSystem()->DispatchPending();
    }

    std::vector<std::string> InstanceIds() const {
        std::vector<std::string> ids;
        for (std::size_t i = 0; i < manager->DeviceCount(); ++i)
            ids.push_back(manager->GetDevice(i)->InstanceId());
        return ids;
    }

    std::shared_ptr<platform::VirtualClock> clock = std::make_shared<platform::VirtualClock>();
    std::shared_ptr<simulator::SimulatedDriver> driver =
        std::make_shared<simulator::SimulatedDriver>();
    testing_files::TempDirectory data;
    std::shared_ptr<StaticDeviceHost> host = std::make_shared<StaticDeviceHost>();
    std::unique_ptr<CDevMgr> manager;
};

} // namespace devmgr_testing
