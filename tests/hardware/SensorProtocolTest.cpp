#include <gtest/gtest.h>

#include <set>

#include "hardware/DeviceStatus.h"
#include "tests/hardware/DeviceFixture.h"

// The protocol pinned to the values the hardware defines, written here as
// literals: a typo in a device constant must fail one of these.
namespace {

using namespace device_testing;
using simulator::DriverFamily;

TEST(SensorProtocol, StatusCodesKeepTheirValues) {
    const std::pair<std::int32_t, std::int32_t> codes[] = {
        {kUsbOk, 0},
        {kUsbOpenFailed, -4096},
        {kUsbNotOpen, -4097},
        {kUsbBadPipe, -4098},
        {kUsbRequestFailed, -4104},
        {kDeviceOk, 0},
        {kNoSensorId, -8193},
        {kUnknownReply, -8196},
        {kBadSizeClass, -8197},
        {kXilinxError, -8199},
        {kUnknownHardwareError, -8207},
        {kPropertyRefused, -8208},
        {kUnknownImageType, -8209},
        {kDefectDataTooLong, -8211},
        {kExposureTimeout, -8214},
        {kUnknownImageTypeName, -8215},
        {kAbortNoAnswer, static_cast<std::int32_t>(0xFFFF0001u)},
    };
    for (const auto& [code, literal] : codes)
        EXPECT_EQ(code, literal);
}

std::vector<std::uint8_t> Bytes(std::initializer_list<std::uint8_t> bytes) {
    return bytes;
}

class SensorProtocolTest : public DeviceTest {
protected:
    // Open, capture and the corrected image; the frame, or null on failure.
    std::unique_ptr<RawFrame> Capture(Device2000& device) {
        std::unique_ptr<RawFrame> frame;
        EXPECT_EQ(device.CaptureImage(), kDeviceOk) << LastErrorText();
        EXPECT_EQ(device.GetImage(frame), kDeviceOk) << LastErrorText();
        return frame;
    }

    CountedRef<Device2000> OpenSensor(const std::string& id, DriverFamily family,
                                      simulator::Sensor2000Config config = {}) {
        config.sensorId = id;
        auto device = MakeDevice(config, family);
        EXPECT_EQ(device->Open(), kDeviceOk) << LastErrorText();
        device->SetProperty("flush_time", "0");
        return device;
    }
};

TEST_F(SensorProtocolTest, EachDriverFamilyUsesItsOwnRequestCodes) {
    struct Expected {
        DriverFamily family;
        std::uint32_t reset, transfer;
    };
    for (Expected expected : {Expected{DriverFamily::EzUsb, 0x00222031u, 0x0022204Eu},
                              Expected{DriverFamily::CyUsb, 0x00220030u, 0x00220024u}}) {
        driver->ClearRequests();
        auto device = OpenSensor("XCCD0007A", expected.family);
        ASSERT_NE(Capture(*device), nullptr);
        std::set<std::uint32_t> codes;
        for (const auto& request : driver->Requests())
            codes.insert(request.code);
        EXPECT_EQ(codes, (std::set<std::uint32_t>{expected.reset, expected.transfer}));
        EXPECT_EQ(driver->Requests().front().code, expected.reset);
    }
}

TEST_F(SensorProtocolTest, CaptureCommandsGoOutInTheirOrder) {
    auto device = OpenSensor("XCCD0007A", DriverFamily::EzUsb);
    device->SetProperty("threshold", "9");
    device->SetProperty("integration_time", "700");
    device->SetProperty("sensitivity", "3");
    driver->ClearRequests();
    ASSERT_NE(Capture(*device), nullptr);
    auto commands = Commands();
    auto threshold = std::find(commands.begin(), commands.end(), Bytes({0x05, 9}));
    ASSERT_NE(threshold, commands.end());
    ASSERT_GE(commands.end() - threshold, 4);
    EXPECT_EQ(threshold[1], Bytes({0x04, 0x02, 0xBC}));
    EXPECT_EQ(threshold[2], Bytes({0x02, 0x70}));
    EXPECT_EQ(threshold[3], Bytes({0x02, 0x20, 0x30}));
    EXPECT_EQ(Sensor().Flushes(), 1u);
}

TEST_F(SensorProtocolTest, EverySizeClassCapturesFullAndBinned) {
    struct Case {
        const char* id;
        bool binned;
        std::uint8_t sizeCode;
        std::uint32_t width, height; // before the 10 + 10 pixel margins of the settings
    };
    const Case cases[] = {
        {"XCCD0001A", false, 0x25, 468, 578},   {"XCCD0001A", true, 0x27, 468, 578},
        {"XCCD0002B", false, 0x29, 578, 800},   {"XCCD0002B", true, 0x2B, 578, 800},
        {"XCCD0003C", false, 0x2D, 890, 1420},  {"XCCD0003C", true, 0x2F, 445, 710},
        {"XCCD0004D", false, 0x21, 1156, 1600}, {"XCCD0004D", true, 0x23, 578, 800},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.id) + (c.binned ? " binned" : " full"));
        auto device = OpenSensor(c.id, DriverFamily::CyUsb);
        device->SetProperty("binned", c.binned ? "true" : "false");
        driver->ClearRequests();
        auto frame = Capture(*device);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(Sensor().SizeCode(), c.sizeCode);
        auto commands = Commands();
        EXPECT_NE(std::find(commands.begin(), commands.end(), Bytes({0x02, c.sizeCode})),
                  commands.end());
        EXPECT_EQ(frame->width, c.width - 10);
        EXPECT_EQ(static_cast<std::uint32_t>(frame->height), c.height - 10);
    }
}

TEST_F(SensorProtocolTest, ReadyStatusesDependOnTheReadOut) {
    struct Case {
        const char* id;
        bool binned;
        std::uint8_t exposureReady, darkReady;
        bool captures;
    };
    const Case cases[] = {
        {"XCCD0003C", true, 0x30, 0x50, true},   {"XCCD0004D", true, 0x40, 0x50, true},
        {"XCCD0003C", false, 0x50, 0x60, true},  {"XCCD0001A", true, 0x40, 0x60, true},
        {"XCCD0003C", false, 0x30, 0x60, false}, {"XCCD0002B", true, 0x30, 0x60, false},
        {"XCCD0004D", true, 0x20, 0x60, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.id) + " " + std::to_string(c.exposureReady));
        simulator::Sensor2000Config config;
        config.exposureReadyStatus = c.exposureReady;
        config.darkReadyStatus = c.darkReady;
        auto device = OpenSensor(c.id, DriverFamily::EzUsb, config);
        device->SetProperty("binned", c.binned ? "true" : "false");
        device->SetProperty("capture_timeout", "3000");
        SetLastErrorText("");
        if (c.captures) {
            EXPECT_NE(Capture(*device), nullptr);
        } else {
            EXPECT_EQ(device->CaptureImage(), -8214);
            EXPECT_EQ(LastErrorText(),
                      "The hardware timed-out waiting for x-ray exposure or was unplugged.");
        }
    }
}

// The simulated firmware itself: a size code it does not know selects nothing,
// and without a size the sensor does not arm.
TEST(SimulatedSensor, RefusesUnknownSizeCodes) {
    simulator::Sensor2000 sensor({});
    const std::uint8_t unknown[] = {0x02, 0x31};
    const std::uint8_t arm[] = {0x02, 0x20, 0x40};
    sensor.Command(unknown, sizeof unknown);
    EXPECT_EQ(sensor.SizeCode(), 0);
    sensor.Command(arm, sizeof arm);
    std::uint8_t reply[64];
    EXPECT_FALSE(sensor.Reply(reply));
    for (std::uint8_t code : {0x21, 0x23, 0x25, 0x27, 0x29, 0x2B, 0x2D, 0x2F}) {
        const std::uint8_t size[] = {0x02, code};
        sensor.Command(size, sizeof size);
        EXPECT_EQ(sensor.SizeCode(), code);
    }
    sensor.Command(unknown, sizeof unknown);
    EXPECT_EQ(sensor.SizeCode(), 0x2F);
}

} // namespace
