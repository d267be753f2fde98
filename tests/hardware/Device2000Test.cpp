#include <gtest/gtest.h>

#include <algorithm>

#include "hardware/DeviceStatus.h"
#include "tests/hardware/DeviceFixture.h"

namespace {

using namespace device_testing;
using Bytes = std::vector<std::uint8_t>;

class Device2000Test : public DeviceTest {
protected:
    void WriteDeviceFile(const std::string& name, const std::string& text) {
        testing_files::WriteFile(data.Path(name), text);
    }
};

TEST_F(Device2000Test, OpenInitialisesFromTheSensorMemory) {
    auto device = MakeDevice();
    ASSERT_EQ(device->Open(), kDeviceOk) << LastErrorText();
    EXPECT_EQ(Commands(), (std::vector<Bytes>{{0x0F},
                                              {0x0E, 0xAA, 0x55},
                                              {0x08, 0x01},
                                              {0x02, 0xC0},
                                              {0x0E, 0xAA, 0x55},
                                              {0x0C, 0x20, 0x00, 0x00, 0x00},
                                              {0x0F},
                                              {0x02, 0x2D},
                                              {0x02, 0xC0},
                                              {0x06}}));
    EXPECT_EQ(driver->Requests().front().code, kEzUsbResetRequest);
    EXPECT_EQ(device->SensorId(), "XCCD0100C");
    EXPECT_EQ(device->SizeClass(), 2);
    EXPECT_TRUE(device->FullResolution());
    EXPECT_EQ(device->ProcessingFamily(), 0);
    EXPECT_EQ(device->GetResolutionX(), 1129);
    EXPECT_TRUE(Sensor().Powered());
    EXPECT_EQ(device->GetProperty("hw_correction_data"), "true");
    EXPECT_EQ(device->GetProperty("sensor_id"), "XCCD0100C");
    EXPECT_EQ(device->GetProperty("sensitivity"), "4");
    EXPECT_EQ(device->GetProperty("device_name"), "usb-2000");
    EXPECT_EQ(device->GetProperty("flush_time"), "5000");
    EXPECT_EQ(device->GetProperty("capture_timeout"), "600000");
    EXPECT_EQ(device->GetProperty("sensor_size"), "C");
    EXPECT_EQ(device->GetProperty("left_margin"), "4");
    // Four flaw pixels, one column and one row from the "newd" text.
    EXPECT_EQ(device->GetCodec()->Flaws().FlawPixels().size(), 4u);
    EXPECT_EQ(device->GetCodec()->Flaws().FlawColumns().size(), 1u);
    EXPECT_EQ(device->GetCodec()->Flaws().FlawRows().size(), 1u);

    device->Close();
    driver->ClearRequests();
    ASSERT_EQ(device->Open(), kDeviceOk);
    EXPECT_TRUE(driver->Requests().empty()); // a second Open only reopens the channel
}

TEST_F(Device2000Test, ASensorWithoutMemoryUsesItsDeviceFile) {
    simulator::Sensor2000Config config;
    config.memoryPresent = false;
    auto device = MakeDevice(config);
    EXPECT_EQ(device->Open(), kNoSensorId); // no id from the host either

    ksp::CreateDirectoryTree(data.Path("Devices"));
    WriteDeviceFile("Devices\\XCCD0042B.fix", "10 20 0\n5 7 2\n\r\n5 7 3\n");
    device->SetSensorId("XCCD0042B");
    ASSERT_EQ(device->Open(), kDeviceOk) << LastErrorText();
    EXPECT_EQ(device->GetProperty("hw_correction_data"), "false");
    EXPECT_EQ(device->SizeClass(), 1);
    EXPECT_EQ(device->DefectDataLength(), 22u);
    const FlawMap& flaws = device->GetCodec()->Flaws();
    EXPECT_TRUE(flaws.IsFlawed(10, 21));
    EXPECT_TRUE(flaws.IsFlawed(5, 0));
    EXPECT_TRUE(flaws.IsFlawed(0, 8));

    // The ".tovi" file wins over the ".fix" one; one larger than the memory is refused.
    WriteDeviceFile("Devices\\XCCD0042B.tovi", std::string(9000, '1'));
    EXPECT_EQ(device->GetSettingsFrom1WireMemory(), kNoSensorId);
    EXPECT_NE(LastErrorText().find("XCCD0042B.tovi' is larger than the sensor memory"),
              std::string::npos);
}

// Another sensor behind the same device: one without memory (its MAC id reads
// as zeros) whose device file holds no defect data. The old sensor's flaws
// must not be repaired into its images.
TEST_F(Device2000Test, ANewSensorWithoutDefectDataLeavesNoFlawMap) {
    auto device = MakeDevice();
    ASSERT_EQ(device->Open(), kDeviceOk) << LastErrorText();
    ASSERT_FALSE(device->GetCodec()->Flaws().FlawPixels().empty());

    ksp::CreateDirectoryTree(data.Path("Devices"));
    WriteDeviceFile("Devices\\XCCD0100C.tovi", "");
    Sensor().Config().memoryPresent = false;
    Sensor().Config().defects.clear();
    device->Close();
    ASSERT_EQ(device->Open(), kDeviceOk) << LastErrorText();
    EXPECT_EQ(device->GetProperty("hw_correction_data"), "false"); // the MAC check read it again
    EXPECT_EQ(device->DefectDataLength(), 0u);
    const FlawMap& flaws = device->GetCodec()->Flaws();
    EXPECT_TRUE(flaws.FlawPixels().empty());
    EXPECT_TRUE(flaws.FlawColumns().empty());
    EXPECT_TRUE(flaws.FlawRows().empty());

    // The defect correction leaves the offset-corrected image as it is.
    ASSERT_EQ(device->SetProperty("cropping_on", "false"), kDeviceOk);
    ASSERT_EQ(device->CaptureImage(), kDeviceOk) << LastErrorText();
    std::unique_ptr<RawFrame> offsetCorrected, defectCorrected;
    ASSERT_EQ(device->DoGetImage(3, offsetCorrected), kDeviceOk);
    ASSERT_EQ(device->DoGetImage(4, defectCorrected), kDeviceOk);
    std::size_t samples = static_cast<std::size_t>(offsetCorrected->stride / 2) *
                          static_cast<std::size_t>(offsetCorrected->height);
    EXPECT_TRUE(std::equal(offsetCorrected->pixels.get(), offsetCorrected->pixels.get() + samples,
                           defectCorrected->pixels.get()));
}

TEST_F(Device2000Test, EchoRepliesAreChecked) {
    simulator::Sensor2000Config config;
    config.xilinxError = true;
    auto device = MakeDevice(config);
    EXPECT_EQ(device->Open(), kXilinxError);
    EXPECT_EQ(LastErrorText(), "Could not obtain the sensor ID from the hardware.  Please check "
                               "the hardware connection and then retry the operation.");
    EXPECT_EQ(device->Echo(true), kXilinxError);
    EXPECT_EQ(LastErrorText(), "A Xilinx error was received from the hardware while trying to "
                               "obtain the sensor ID.  Please check the hardware connection "
                               "and then retry the operation.");
    EXPECT_EQ(device->Echo(false), kDeviceOk);
    driver->InjectFault(driver->RequestCount() + 2, simulator::Fault::Foreign);
    EXPECT_EQ(device->Echo(true), kUnknownReply);
}

TEST_F(Device2000Test, HostileMemoryImagesGiveErrorsNotOverruns) {
    simulator::Sensor2000Config config;
    // The first slot after the header is erased: no id, no defects.
    Bytes erased(64, 0);
    std::fill(erased.begin() + 32, erased.end(), 0xFF);
    config.memoryImage = erased;
    auto device = MakeDevice(config);
    EXPECT_EQ(device->Open(), kBadSizeClass);
    EXPECT_EQ(device->ParseDefectDataAddress(), 0);
    EXPECT_EQ(device->DefectDataLength(), 0u);

    // A defect length that reaches the end of the memory.
    Bytes tooLong(96, 0);
    std::copy_n("newd", 4, tooLong.begin() + 32);
    tooLong[36] = 0xC6; // 8134 + 38 = 8172 ... stays inside
    tooLong[37] = 0x1F;
    config.memoryImage = tooLong;
    auto second = MakeDevice(config);
    ASSERT_EQ(second->Open(), kBadSizeClass);
    tooLong[36] = 0xDA; // 32 + 6 + 8154 = 8192: no room for the end mark
    config.memoryImage = tooLong;
    auto third = MakeDevice(config);
    EXPECT_EQ(third->Open(), kDefectDataTooLong);
    EXPECT_EQ(third->ParseDefectDataAddress(), kDefectDataTooLong);

    // A sensor-id run that reaches the end of the memory ends there.
    Bytes endless(8192, 'A');
    std::copy_n("XCCD", 4, endless.begin() + 32);
    config.memoryImage = endless;
    auto fourth = MakeDevice(config);
    ASSERT_EQ(fourth->Open(), kDeviceOk) << LastErrorText();
    EXPECT_EQ(fourth->SensorId().size(), 8192u - 32u);
    EXPECT_EQ(fourth->SizeClass(), 0);
}

TEST_F(Device2000Test, PropertiesAreValidatedAndTakeEffect) {
    auto device = MakeDevice();
    ASSERT_EQ(device->Open(), kDeviceOk);
    struct Case {
        const char* name;
        const char* value;
        std::int32_t result;
    };
    for (const Case& c : {Case{"sensitivity", "0", kPropertyRefused},
                          {"sensitivity", "8", kPropertyRefused},
                          {"sensitivity", "1", 0},
                          {"sensitivity", "7", 0},
                          {"threshold", "0", kPropertyRefused},
                          {"threshold", "256", kPropertyRefused},
                          {"threshold", "255", 0},
                          {"integration_time", "199", kPropertyRefused},
                          {"integration_time", "1001", kPropertyRefused},
                          {"integration_time", "200", 0},
                          {"integration_time", "1000", 0}})
        EXPECT_EQ(device->SetProperty(c.name, c.value), c.result) << c.name << " " << c.value;
    EXPECT_EQ(device->SetProperty("Threshold", "300"), kPropertyRefused);
    EXPECT_EQ(LastErrorText(), "An invalid threshold value of 300 was specified");
    EXPECT_EQ(device->GetProperty("threshold"), "255");
    EXPECT_EQ(device->GetProperty("integration_time"), "1000");

    driver->ClearRequests();
    EXPECT_EQ(device->SetProperty("binned", "TRUE"), kDeviceOk);
    EXPECT_EQ(Commands(), (std::vector<Bytes>{{0x02, 0x2F}}));
    EXPECT_FALSE(device->FullResolution());
    EXPECT_EQ(device->GetResolutionY(), 564);
    // The memory decides the sensor id.
    EXPECT_EQ(device->SetProperty("sensor_id", "XCCD9999A"), kPropertyRefused);
    EXPECT_EQ(device->SensorId(), "XCCD0100C");
}

TEST_F(Device2000Test, PlusModelsAndIdentityChecks) {
    simulator::Sensor2000Config config;
    config.sensorId = "XCCD0100XC";
    auto device = MakeDevice(config);
    ASSERT_EQ(device->Open(), kDeviceOk);
    EXPECT_EQ(device->ProcessingFamily(), 2);
    EXPECT_EQ(device->SizeClass(), 2);
    EXPECT_EQ(device->GetProductId(), 0x2000);
    EXPECT_TRUE(device->IsProduct2000());

    // The settings are read again only when the sensor's MAC id changes.
    auto memoryReads = [&] {
        return std::count_if(driver->Requests().begin(), driver->Requests().end(),
                             [](const auto& r) { return !r.data.empty() && r.data[0] == 0x0C; });
    };
    driver->ClearRequests();
    device->GetProperty("sensor_id");
    EXPECT_EQ(memoryReads(), 0);
    Sensor().Config().macId[7] = 0x99;
    EXPECT_EQ(device->GetProperty("sensor_id"), "XCCD0100XC");
    EXPECT_EQ(memoryReads(), 1);
    device->Close();

    char identity[kIdentifyBufferSize];
    EXPECT_EQ(device->Identify(identity), kDeviceOk);
    EXPECT_STREQ(identity, "XCCD0100XC");
    EXPECT_EQ(driver->OpenHandles(), 0u);
    simulator::Sensor2000Config withoutMemory;
    withoutMemory.memoryPresent = false;
    auto other = MakeDevice(withoutMemory);
    EXPECT_EQ(other->Identify(identity), kDeviceOk);
    EXPECT_STREQ(identity, "");
}

} // namespace
