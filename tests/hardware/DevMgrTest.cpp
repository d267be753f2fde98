#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "hardware/DeviceToviRay.h"
#include "platform/FileSystem.h"
#include "support/Environment.h"
#include "tests/hardware/DevMgrFixture.h"

namespace {

using namespace devmgr_testing;

std::vector<std::string> Notified;

std::int32_t RecordNotification(const char* text, std::int32_t, std::int32_t) {
    Notified.push_back(text);
    return 0;
}

TEST_F(DevMgrTest, TheShippedSettingsNameEveryFamily) {
    ASSERT_EQ(manager->Initialize(nullptr), 0) << LastErrorText();
    for (const char* family : {"2000", "TOVIRAY"})
        EXPECT_NE(manager->FindSensorProperties(family), nullptr) << family;
    CHardwareProperties copy("BASE");
    EXPECT_TRUE(manager->CopySensorProperties("toviray", copy));
    EXPECT_EQ(copy.Get("id"), "TOVIRAY");
}

TEST_F(DevMgrTest, TwoSensorsOfAFamilyGiveTwoDevicesAndAThirdPluggedInLaterOneMore) {
    std::string first = Attach2000("20001");
    Attach2000("20002");
    ASSERT_EQ(manager->Initialize(nullptr), 0) << LastErrorText();
    ASSERT_EQ(manager->DeviceCount(), 2u);
    DeviceRef device = manager->GetDevice(0);
    EXPECT_EQ(device->InstanceId(), "usb\\vid_7a1c&pid_2000\\20001");
    EXPECT_EQ(device->DevicePath(), first);
    EXPECT_EQ(device->FamilyKey(), "2000");
    EXPECT_NE(dynamic_cast<Device2000*>(device.get()), nullptr);
    EXPECT_EQ(manager->GetDevice(1)->InstanceId(), "usb\\vid_7a1c&pid_2000\\20002");
    EXPECT_FALSE(manager->GetDevice(2));
    Device* second = manager->GetDevice(1).get();

    Attach2000("20003");
    EXPECT_EQ(manager->DeviceCount(), 2u); // until the window's thread dispatches
    EXPECT_EQ(Deliver(), 1u);
    ASSERT_EQ(manager->DeviceCount(), 3u);
    EXPECT_EQ(manager->GetDevice(0).get(), device.get());
    EXPECT_EQ(manager->GetDevice(1).get(), second);
    EXPECT_EQ(manager->GetDevice(2)->InstanceId(), "usb\\vid_7a1c&pid_2000\\20003");
}

TEST_F(DevMgrTest, ASensorDueLaterArrivesWhenTheClockGetsThere) {
    simulator::UsbPresence later = Serial("10051");
    later.arrivalTime = 5000;
    driver->AttachToviRay({}, later);
    ASSERT_EQ(manager->Initialize(nullptr), 0);
    EXPECT_EQ(manager->DeviceCount(), 0u);
    clock->Advance(4999);
    EXPECT_EQ(Deliver(), 0u);
    EXPECT_EQ(manager->DeviceCount(), 0u);
    clock->Advance(1);
    EXPECT_EQ(Deliver(), 1u);
    ASSERT_EQ(manager->DeviceCount(), 1u);
    DeviceRef device = manager->GetDevice(0);
    EXPECT_EQ(device->InstanceId(), "usb\\vid_7a1c&pid_1005\\10051");
    EXPECT_EQ(device->FamilyKey(), "TOVIRAY");
    EXPECT_NE(dynamic_cast<DeviceTOVIRAY*>(device.get()), nullptr);
}

TEST_F(DevMgrTest, AnIdleWindowThreadHearsATimedArrivalWithoutAnyoneUsingTheDriver) {
    simulator::UsbPresence later = Serial("10052");
    later.arrivalTime = 5000;
    driver->AttachToviRay({}, later);
    ASSERT_EQ(manager->Initialize(nullptr), 0);
    clock->Advance(5000);
    // The monitor's timer looks at the clock when the thread dispatches (on
    // Windows the system's timer, so within its period of real time).
    for (int round = 0; round < 2000 && manager->DeviceCount() == 0; ++round) {
        platform::CurrentWindowSystem()->DispatchPending();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(manager->DeviceCount(), 1u);
}

TEST_F(DevMgrTest, EverySkipRuleLeavesTheMemberOut) {
    ASSERT_TRUE(testing_files::WriteFile(data.Path("settings.xml"),
                                         "<SETTINGS><SENSOR id=\"2000\"/></SETTINGS>"));
    simulator::UsbPresence foreign = Serial("F1");
    foreign.vendorId = 0x046D;
    foreign.productId = 0x2000;
    driver->AttachForeign(foreign);
    simulator::UsbPresence unknown = Serial("U1");
    unknown.productId = 0x1600;
    driver->AttachForeign(unknown);
    AttachToviRay("10051"); // no SENSOR element for TOVIRAY
    simulator::UsbPresence noDriver = Serial("ND1");
    noDriver.driverInstalled = false;
    driver->Attach({}, noDriver);
    simulator::UsbPresence noDescription = Serial("NDESC1");
    noDescription.description.reset();
    driver->Attach({}, noDescription);
    Attach2000("20001");

    ASSERT_EQ(manager->Initialize(nullptr), 0) << LastErrorText();
    EXPECT_EQ(InstanceIds(), std::vector<std::string>{"usb\\vid_7a1c&pid_2000\\20001"});
}

TEST_F(DevMgrTest, UnderWow64EveryProductOfOursGetsTheCyUsbChannel) {
    driver->SetWow64(true);
    simulator::UsbPresence noDriver = Serial("ND1");
    noDriver.driverInstalled = false;
    noDriver.family = simulator::DriverFamily::CyUsb;
    driver->Attach({}, noDriver);
    ASSERT_EQ(manager->Initialize(nullptr), 0);
    EXPECT_EQ(manager->DeviceCount(), 1u);
}

TEST_F(DevMgrTest, RemovalsOfDevicesNeverCreatedChangeNothing) {
    simulator::UsbPresence foreign = Serial("F1");
    foreign.vendorId = 0x046D;
    std::string foreignPath = driver->AttachForeign(foreign);
    simulator::UsbPresence unknown = Serial("U1");
    unknown.productId = 0x1800;
    std::string unknownPath = driver->AttachForeign(unknown);
    Attach2000("20001");
    ASSERT_EQ(manager->Initialize(nullptr), 0);
    DeviceRef device = manager->GetDevice(0);

    driver->Unplug(foreignPath);
    driver->Unplug(unknownPath);
    EXPECT_EQ(Deliver(), 2u);
    ASSERT_EQ(manager->DeviceCount(), 1u);
    EXPECT_EQ(manager->GetDevice(0).get(), device.get());
}

TEST_F(DevMgrTest, InterfaceNamesWithoutHashAreIgnored) {
    ASSERT_TRUE(testing_files::WriteFile(data.Path("settings.xml"),
                                         "<SETTINGS><SENSOR id=\"2000\"/></SETTINGS>"));
    Attach2000("20001");
    AttachToviRay("10051");
    ASSERT_EQ(manager->Initialize(nullptr), 0);
    ASSERT_EQ(manager->DeviceCount(), 1u);
    // Both families named now; the list changes only when something arrives.
    plugin_data::Install(data.Path());
    platform::SetFileTimes(data.Path("settings.xml"), 4000000000, 4000000000);
    DeviceRef opened;
    ASSERT_EQ(manager->CreateDevice("usb\\vid_7a1c&pid_2000\\20001", "", opened), 0);

    driver->Broadcast(0x8004, "\\\\?\\USB\\VID_7A1C&PID_2000\\20001");
    driver->Broadcast(0x8000, "\\\\?\\usb_vid_7a1c&pid_1005_10051");
    EXPECT_EQ(Deliver(), 2u);
    EXPECT_EQ(InstanceIds(), std::vector<std::string>{"usb\\vid_7a1c&pid_2000\\20001"});

    // Any arrival with a "#" looks again, whatever it names.
    driver->Broadcast(0x8000, "#");
    Deliver();
    EXPECT_EQ(manager->DeviceCount(), 2u);
}

TEST_F(DevMgrTest, BroadcastsOfOtherDeviceKindsAreNotRead) {
    Attach2000("20001");
    ASSERT_EQ(manager->Initialize(nullptr), 0);
    // DEV_BROADCAST_VOLUME: 20 bytes, type 2; nothing lies at offset 28.
    std::vector<std::uint8_t> volume{20, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0};
    auto windows = platform::CurrentWindowSystem();
    EXPECT_TRUE(windows->PostData(manager->MonitorWindow(), 0x0219, 0x8004, volume));
    // A device interface whose size ends the name early.
    std::string name = "\\\\?\\usb#vid_7a1c&pid_2000#20001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
    std::vector<std::uint8_t> cut(28, 0);
    cut[0] = 28 + 10;
    cut[4] = 5;
    cut.insert(cut.end(), name.begin(), name.end());
    cut.push_back(0);
    EXPECT_TRUE(windows->PostData(manager->MonitorWindow(), 0x0219, 0x8004, cut));
    EXPECT_EQ(Deliver(), 2u);
    EXPECT_EQ(manager->DeviceCount(), 1u);
}

TEST_F(DevMgrTest, InitializeTwiceScansOnce) {
    Attach2000("20001");
    ASSERT_EQ(manager->Initialize(nullptr), 0);
    std::string second = Attach2000("20002"); // heard, not yet dispatched
    EXPECT_EQ(manager->Initialize(nullptr), 0);
    EXPECT_EQ(manager->DeviceCount(), 1u);
    EXPECT_EQ(driver->NotificationCount(), 1u);
    Deliver();
    EXPECT_EQ(manager->DeviceCount(), 2u);
}

TEST_F(DevMgrTest, CreateDeviceFindsTheInstanceIdInAnyCaseAndOpensTheDevice) {
    std::string path = Attach2000("20001");
    ASSERT_EQ(manager->Initialize(RecordNotification), 0);
    for (const char* id : {"USB\\VID_7A1C&PID_2000\\20001", "usb\\Vid_7a1c&PID_2000\\20001"}) {
        SCOPED_TRACE(id);
        DeviceRef device;
        ASSERT_EQ(manager->CreateDevice(id, "XCCD0100C", device), 0) << LastErrorText();
        EXPECT_EQ(device.get(), manager->GetDevice(0).get());
        EXPECT_EQ(device->ReferenceCount(), 2); // the list's and this one
        EXPECT_EQ(device->SensorId(), "XCCD0100C");
        EXPECT_EQ(driver->OpenHandles(), 1u);
        EXPECT_TRUE(driver->SensorAt(path).Powered());
        device->Close();
    }
    Notified.clear();
    manager->GetDevice(0)->Notify("step", 5, 50);
    EXPECT_EQ(Notified, std::vector<std::string>{"step"});
}

TEST_F(DevMgrTest, CreateDeviceWithoutSuchDeviceFails) {
    Attach2000("20001");
    ASSERT_EQ(manager->Initialize(nullptr), 0);
    DeviceRef device;
    EXPECT_EQ(manager->CreateDevice("USB\\VID_7A1C&PID_2000\\20009", "XCCD0100C", device),
              static_cast<std::int32_t>(0x80004002));
    EXPECT_EQ(LastErrorText(), "Unable to find the interface to the selected hardware.  Please "
                               "check the connection to the hardware and then retry the "
                               "operation.");
    EXPECT_FALSE(device);
}

TEST_F(DevMgrTest, CreateDeviceReadsAChangedSettingsFileAndGoesOnWithoutOne) {
    Attach2000("20001");
    ASSERT_EQ(manager->Initialize(nullptr), 0);
    ASSERT_TRUE(testing_files::WriteFile(
        data.Path("settings.xml"), "<SETTINGS><SENSOR id=\"2000\" left_margin=\"9\"/></SETTINGS>"));
    platform::SetFileTimes(data.Path("settings.xml"), 4000000000, 4000000000);
    DeviceRef device;
    ASSERT_EQ(manager->CreateDevice("usb\\vid_7a1c&pid_2000\\20001", "", device), 0);
    EXPECT_EQ(device->GetProperty("left_margin"), "9");
    device->Close();

    ksp::DeleteFile(data.Path("settings.xml"));
    EXPECT_EQ(manager->CreateDevice("usb\\vid_7a1c&pid_2000\\20001", "", device), 0);
    EXPECT_EQ(manager->FindSensorProperties("2000"), nullptr);
}

TEST_F(DevMgrTest, AnUnpluggedDeviceIsClosedAndDroppedAndLivesWhileHeld) {
    std::string path = Attach2000("20001");
    Attach2000("20002");
    ASSERT_EQ(manager->Initialize(nullptr), 0);
    DeviceRef held;
    ASSERT_EQ(manager->CreateDevice("usb\\vid_7a1c&pid_2000\\20001", "XCCD0100C", held), 0);
    const std::int32_t alive = Device::LiveDevices();

    driver->Unplug(path);
    Deliver();
    EXPECT_EQ(InstanceIds(), std::vector<std::string>{"usb\\vid_7a1c&pid_2000\\20002"});
    EXPECT_EQ(driver->OpenHandles(), 0u);
    EXPECT_EQ(Device::LiveDevices(), alive);
    EXPECT_EQ(held->ReferenceCount(), 1);
    EXPECT_EQ(held->InstanceId(), "usb\\vid_7a1c&pid_2000\\20001");
    EXPECT_NE(held->CaptureImage(), 0);

    held = DeviceRef();
    EXPECT_EQ(Device::LiveDevices(), alive - 1);
}

TEST_F(DevMgrTest, ASensorPulledOutDuringACaptureLeavesTheList) {
    simulator::UsbPresence presence = Serial("20001");
    presence.unplugAfterArming = 300;
    simulator::Sensor2000Config config;
    config.exposureDelay.reset();
    driver->Attach(config, presence);
    ASSERT_EQ(manager->Initialize(nullptr), 0);
    DeviceRef device;
    ASSERT_EQ(manager->CreateDevice("usb\\vid_7a1c&pid_2000\\20001", "", device), 0);
    device->SetProperty("flush_time", "0");
    EXPECT_EQ(device->CaptureImage(), -8214);
    EXPECT_EQ(Deliver(), 1u);
    EXPECT_EQ(manager->DeviceCount(), 0u);
}

TEST_F(DevMgrTest, TheHardwareSummaryNamesEveryFamily) {
    EXPECT_EQ(manager->HardwareSummary("\n"), "<No VXR hardware dectected>");
    Attach2000("20001");
    ASSERT_EQ(manager->Initialize(nullptr), 0);
    EXPECT_EQ(manager->HardwareSummary("\n"), "VXR 2000 hardware");
    AttachToviRay("10051");
    Deliver();
    EXPECT_EQ(manager->HardwareSummary("\n"), "VXR 2000 hardware\nVXR TOVIRAY hardware");
    EXPECT_EQ(manager->HardwareSummary(", "), "VXR 2000 hardware, VXR TOVIRAY hardware");
}

TEST_F(DevMgrTest, FinalizeRemovesTheMonitorAndKeepsTheDevices) {
    Attach2000("20001");
    ASSERT_EQ(manager->Initialize(nullptr), 0);
    EXPECT_NE(manager->MonitorWindow(), 0u);
    EXPECT_EQ(manager->Finalize(), 0);
    EXPECT_EQ(manager->MonitorWindow(), 0u);
    EXPECT_EQ(driver->NotificationCount(), 0u);
    std::uint32_t error = 0;
    EXPECT_EQ(platform::CurrentWindowSystem()->CreateHiddenWindow("KUsbWnd", error), 0u)
        << "the class is gone";
    EXPECT_EQ(manager->DeviceCount(), 1u);
    Attach2000("20002");
    Deliver();
    EXPECT_EQ(manager->DeviceCount(), 1u);
}

TEST_F(DevMgrTest, DestroyingTheManagerReleasesItsDevices) {
    Attach2000("20001");
    Attach2000("20002");
    const std::int32_t before = Device::LiveDevices();
    ASSERT_EQ(manager->Initialize(nullptr), 0);
    EXPECT_EQ(Device::LiveDevices(), before + 2);
    DeviceRef held = manager->GetDevice(1);
    manager.reset();
    EXPECT_EQ(Device::LiveDevices(), before + 1);
    EXPECT_EQ(held->InstanceId(), "usb\\vid_7a1c&pid_2000\\20002");
    held = DeviceRef();
    EXPECT_EQ(Device::LiveDevices(), before);
}

TEST_F(DevMgrTest, AMissingSettingsFileFailsInitializeUntilItIsThere) {
    Attach2000("20001");
    ksp::DeleteFile(data.Path("settings.xml"));
    EXPECT_EQ(manager->Initialize(nullptr), -8194);
    EXPECT_EQ(LastErrorText(), "The settings file '" + data.Path("settings.xml") +
                                   "' could not be found.  Please check the installation and "
                                   "then retry the operation.");
    EXPECT_EQ(manager->MonitorWindow(), 0u);
    EXPECT_FALSE(manager->IsInitialized());

    plugin_data::Install(data.Path());
    EXPECT_EQ(manager->Initialize(nullptr), 0) << LastErrorText();
    EXPECT_EQ(manager->DeviceCount(), 1u);
}

TEST_F(DevMgrTest, TheDeviceFilesAreTheTitlesOfTheToviFilesBesideTheModule) {
    testing_files::TempDirectory module;
    host->moduleDirectory = module.Path();
    std::string devices = module.Path() + "\\Devices";
    ASSERT_TRUE(ksp::CreateDirectoryTree(devices));
    testing_files::WriteFile(devices + "\\XCCD0100C.tovi", "a");
    testing_files::WriteFile(devices + "\\XCCD0200D.tovi", "b");
    testing_files::WriteFile(devices + "\\XCCD0300A.fix", "c");
    ASSERT_EQ(manager->Initialize(nullptr), 0);
    std::vector<std::string> files;
    for (std::size_t i = 0; i < manager->DeviceFileCount(); ++i)
        files.push_back(manager->DeviceFile(i));
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"XCCD0100C", "XCCD0200D"}));
    EXPECT_EQ(manager->DeviceFile(2), "");
}

} // namespace
