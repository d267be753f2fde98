#include <gtest/gtest.h>

#include "hardware/DeviceStatus.h"
#include "simulator/SimulatedSystem.h"
#include "simulator/SimulatorConfig.h"
#include "tests/hardware/DevMgrFixture.h"

namespace {

using namespace devmgr_testing;
using simulator::DriverFamily;
using simulator::SimulatorSetup;

const char* const kContractExample =
    "<simulator time_scale=\"1\">\n"
    "  <sensor family=\"2000\" driver=\"ezusb\" serial=\"20001\" sensor_id=\"XCCD0100C\" "
    "memory=\"true\" exposure_ms=\"1500\"/>\n"
    "  <sensor family=\"TOVIRAY\" driver=\"cyusb\" serial=\"10051\" sensor_id=\"TR00042D\" "
    "exposure_ms=\"1500\"/>\n"
    "</simulator>\n";

SimulatorSetup Parsed(const std::string& text) {
    SimulatorSetup setup;
    EXPECT_TRUE(simulator::ParseSimulatorSetup(text.c_str(), setup)) << text;
    return setup;
}

TEST(SimulatorSetup, ReadsEveryAttributeOfTheContract) {
    SimulatorSetup setup = Parsed(kContractExample);
    EXPECT_EQ(setup.timeScale, 1.0);
    ASSERT_EQ(setup.sensors.size(), 2u);
    const auto& first = setup.sensors[0];
    EXPECT_EQ(first.productId, 0x2000);
    EXPECT_EQ(first.presence.family, DriverFamily::EzUsb);
    EXPECT_EQ(first.presence.serial, "20001");
    EXPECT_EQ(first.sensorId, "XCCD0100C");
    EXPECT_EQ(setup.sensors[1].productId, 0x1005);
    EXPECT_EQ(setup.sensors[1].presence.family, DriverFamily::CyUsb);

    setup = Parsed("<simulator time_scale=\"0.01\"><sensor/>"
                   "<sensor family=\"1600\" vendor=\"046D\" memory=\"false\" sensor_id=\"\" "
                   "exposure_ms=\"never\" arrive_ms=\"2500\" unplug_ms=\"300\" "
                   "fail_request=\"7\"/></simulator>");
    EXPECT_EQ(setup.timeScale, 0.01);
    const auto& plain = setup.sensors[0];
    EXPECT_EQ(plain.productId, 0x2000);
    EXPECT_EQ(plain.presence.vendorId, 0x7A1C);
    EXPECT_EQ(plain.presence.serial, "1");
    EXPECT_EQ(plain.presence.family, DriverFamily::EzUsb);
    EXPECT_FALSE(plain.sensorId);
    EXPECT_TRUE(plain.memory);
    EXPECT_EQ(plain.exposureMs, 1500u);
    EXPECT_FALSE(plain.arriveMs);
    EXPECT_FALSE(plain.presence.unplugAfterArming);
    EXPECT_FALSE(plain.presence.failingRequest);
    const auto& odd = setup.sensors[1];
    EXPECT_EQ(odd.productId, 0x1600);
    EXPECT_EQ(odd.presence.vendorId, 0x046D);
    EXPECT_EQ(odd.presence.serial, "2");
    EXPECT_FALSE(odd.memory);
    EXPECT_EQ(odd.sensorId, "");
    EXPECT_FALSE(odd.exposureMs);
    EXPECT_EQ(odd.arriveMs, 2500u);
    EXPECT_EQ(odd.presence.unplugAfterArming, 300u);
    EXPECT_EQ(odd.presence.failingRequest, 7u);
}

TEST(SimulatorSetup, RefusesWhatDoesNotRead) {
    for (const char* text : {
             "<simulator><sensor></simulator>",
             "<simulators/>",
             "<simulator time_scale=\"0\"/>",
             "<simulator time_scale=\"fast\"/>",
             "<simulator><sensor family=\"ToviRay II\"/></simulator>",
             "<simulator><sensor vendor=\"0x7A1C\"/></simulator>",
             "<simulator><sensor driver=\"winusb\"/></simulator>",
             "<simulator><sensor memory=\"yes\"/></simulator>",
             "<simulator><sensor exposure_ms=\"soon\"/></simulator>",
             "<simulator><sensor arrive_ms=\"-5\"/></simulator>",
             "<simulator><sensor fail_request=\"0\"/></simulator>",
             "<simulator><sensor serial=\"\"/></simulator>",
         }) {
        SimulatorSetup setup;
        EXPECT_FALSE(simulator::ParseSimulatorSetup(text, setup)) << text;
    }
}

TEST(ScaledClockTest, RunsWaitsAndTimeOutsAtTheFactor) {
    auto base = std::make_shared<platform::VirtualClock>();
    base->Advance(1000);
    platform::ScaledClock clock(base, 0.01);
    EXPECT_EQ(clock.Milliseconds(), 0u);
    base->Advance(15);
    EXPECT_EQ(clock.Milliseconds(), 1500u);
    clock.Sleep(600000);
    EXPECT_EQ(base->Milliseconds(), 1000u + 15u + 6000u);
}

// A simulated build's backend over the test's data directory.
class SimulatedSystemTest : public DevMgrTest {
protected:
    void SetUp() override {
        DevMgrTest::SetUp();
        driver = system;
        platform::SetUsbDriver(system);
        platform::SetDeviceEnumerator(system);
        manager = std::make_unique<CDevMgr>(host);
    }
    void TearDown() override {
        DevMgrTest::TearDown();
        platform::SetClock(nullptr);
    }
    void WriteSimulatorXml(const std::string& text) {
        ASSERT_TRUE(testing_files::WriteFile(data.Path("simulator.xml"), text));
    }
    std::string Identify(std::size_t index) {
        DeviceRef device;
        std::string id = manager->GetDevice(index)->InstanceId();
        EXPECT_EQ(manager->CreateDevice(id, "", device), kDeviceOk) << LastErrorText();
        char buffer[32] = {};
        device->Identify(buffer);
        device->Close();
        return buffer;
    }

    std::shared_ptr<simulator::SimulatedSystem> system =
        std::make_shared<simulator::SimulatedSystem>();
};

TEST_F(SimulatedSystemTest, TheContractsSensorsBecomeDevices) {
    WriteSimulatorXml(kContractExample);
    ASSERT_EQ(manager->Initialize(nullptr), 0) << LastErrorText();
    EXPECT_EQ(InstanceIds(), (std::vector<std::string>{"usb\\vid_7a1c&pid_2000\\20001",
                                                       "usb\\vid_7a1c&pid_1005\\10051"}));
    EXPECT_EQ(Identify(0), "XCCD0100C");
    EXPECT_EQ(Identify(1), "TR00042D");
}

TEST_F(SimulatedSystemTest, WithoutAFileOneSensorOfClassDWithMemoryIsAttached) {
    ASSERT_EQ(manager->Initialize(nullptr), 0) << LastErrorText();
    EXPECT_EQ(InstanceIds(), std::vector<std::string>{"usb\\vid_7a1c&pid_2000\\1"});
    DeviceRef device;
    ASSERT_EQ(manager->CreateDevice("USB\\VID_7A1C&PID_2000\\1", "", device), 0);
    EXPECT_EQ(device->GetProperty("sensor_size"), "D");
    EXPECT_EQ(device->GetProperty("hw_correction_data"), "true");
}

TEST_F(SimulatedSystemTest, SensorsArriveFailAndLeaveAsTheFileSays) {
    WriteSimulatorXml("<simulator>"
                      "<sensor family=\"1600\"/>"
                      "<sensor serial=\"20002\" fail_request=\"3\"/>"
                      "<sensor family=\"TOVIRAY\" serial=\"10051\" arrive_ms=\"2000\"/>"
                      "</simulator>");
    clock->Advance(500);
    ASSERT_EQ(manager->Initialize(nullptr), 0) << LastErrorText();
    EXPECT_EQ(InstanceIds(), std::vector<std::string>{"usb\\vid_7a1c&pid_2000\\20002"});
    DeviceRef device;
    ASSERT_EQ(manager->CreateDevice("usb\\vid_7a1c&pid_2000\\20002", "", device), 0);
    EXPECT_EQ(LastErrorText(), "The hardware could not be pinged.  Please check the hardware "
                               "connection and then retry the operation.");
    clock->Advance(1999);
    Deliver();
    EXPECT_EQ(manager->DeviceCount(), 1u);
    clock->Advance(1);
    Deliver();
    EXPECT_EQ(manager->DeviceCount(), 2u);
}

TEST_F(SimulatedSystemTest, AMalformedFileIsReportedAndAttachesNothing) {
    WriteSimulatorXml("<simulator><sensor family=\"2000\" driver=\"usb\"/></simulator>");
    EXPECT_EQ(manager->Initialize(nullptr), -8194);
    EXPECT_EQ(LastErrorText(), "The settings file '" + data.Path("simulator.xml") +
                                   "' could not be properly interrupted.  Please check the "
                                   "installation and then retry the operation.");
    std::uint32_t error = 0;
    auto members = system->PresentUsbInterfaces(error);
    EXPECT_FALSE(members->SelectMember(0));

    WriteSimulatorXml("<simulator><sensor serial=\"20001\"/></simulator>");
    EXPECT_EQ(manager->Initialize(nullptr), 0) << LastErrorText();
    EXPECT_EQ(manager->DeviceCount(), 1u);
}

TEST_F(SimulatedSystemTest, ATimeScaleRunsTheClockFaster) {
    WriteSimulatorXml("<simulator time_scale=\"0.01\"/>");
    ASSERT_EQ(manager->Initialize(nullptr), 0);
    EXPECT_NE(dynamic_cast<platform::ScaledClock*>(&platform::CurrentClock()), nullptr);
}

} // namespace
