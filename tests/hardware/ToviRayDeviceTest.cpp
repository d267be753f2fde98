#include <gtest/gtest.h>

#include <cmath>

#include "hardware/DeviceStatus.h"
#include "hardware/DeviceToviRay.h"
#include "hardware/ToviRayRecords.h"
#include "tests/hardware/DeviceFixture.h"

namespace {

using namespace device_testing;
using simulator::DriverFamily;
using simulator::SensorToviRayConfig;

class ToviRayTest : public DeviceTest {
protected:
    DeviceTOVIRAY& MakeToviRay(SensorToviRayConfig config = {},
                               DriverFamily family = DriverFamily::EzUsb) {
        path = driver->AttachToviRay(std::move(config), family);
        ref = DeviceRef::Make<DeviceTOVIRAY>(ChannelFor(family), path, RecordNotification, host);
        auto& device = static_cast<DeviceTOVIRAY&>(*ref);
        device.SetInstanceId("USB\\VID_7A1C&PID_1005\\SIM0001");
        device.SetFamilyKey("TOVIRAY");
        return device;
    }
    simulator::SensorToviRay& Sensor() { return driver->ToviRayAt(path); }

    std::unique_ptr<RawFrame> Capture(DeviceTOVIRAY& device) {
        std::unique_ptr<RawFrame> frame;
        EXPECT_EQ(device.Open(), kDeviceOk) << LastErrorText();
        EXPECT_EQ(device.CaptureImage(), kDeviceOk) << LastErrorText();
        EXPECT_EQ(device.GetImage(frame), kDeviceOk) << LastErrorText();
        return frame;
    }

    DeviceRef ref;
};

// How far the corrected frame lies from the signal: the mean absolute error
// and the spread of the column means (what a column pattern leaves), in
// 12-bit counts, away from the listed defects.
struct Residual {
    double meanError = 0;
    double columnSpread = 0;
    double seamStep = 0; // mean difference of the lines beside the seam line, less the signal's
};

Residual Measure(const RawFrame& frame, const simulator::SampleImage& signal) {
    Residual residual;
    std::vector<double> columnSums(frame.width, 0.0);
    double total = 0;
    std::size_t count = 0;
    for (std::int32_t y = 20; y < frame.height - 20; ++y)
        for (std::uint32_t x = 20; x + 20 < frame.width; ++x) {
            double error = frame.Pixel(x, y) / 16.0 - signal.At(x, static_cast<std::uint32_t>(y));
            columnSums[x] += error;
            total += std::fabs(error);
            ++count;
        }
    residual.meanError = total / count;
    double mean = 0, squares = 0;
    std::size_t columns = 0;
    for (std::uint32_t x = 20; x + 20 < frame.width; ++x, ++columns)
        mean += columnSums[x] / (frame.height - 40);
    mean /= columns;
    for (std::uint32_t x = 20; x + 20 < frame.width; ++x) {
        double d = columnSums[x] / (frame.height - 40) - mean;
        squares += d * d;
    }
    residual.columnSpread = std::sqrt(squares / columns);
    double step = 0;
    for (std::uint32_t x = 0; x < frame.width; ++x)
        step += (frame.Pixel(x, 535) / 16.0 - signal.At(x, 535)) -
                (frame.Pixel(x, 534) / 16.0 - signal.At(x, 534));
    residual.seamStep = step / frame.width;
    return residual;
}

TEST_F(ToviRayTest, CapturesBothSizesOverBothDriversWithThePatternAndSeamRemoved) {
    struct Case {
        const char* id;
        DriverFamily family;
        std::uint32_t width, height;
        std::uint8_t code;
    };
    for (Case c : {Case{"TR2S0042C", DriverFamily::EzUsb, 616, 944, 0x25},
                   Case{"TR2S0042D", DriverFamily::CyUsb, 798, 1070, 0x29}}) {
        SCOPED_TRACE(c.id);
        SensorToviRayConfig config;
        config.sensorId = c.id;
        auto& device = MakeToviRay(config, c.family);
        device.SetProperty("flush_time", "0");
        auto frame = Capture(device);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->width, c.width);
        EXPECT_EQ(static_cast<std::uint32_t>(frame->height), c.height);
        EXPECT_EQ(Sensor().SizeCode(), c.code);
        EXPECT_EQ(device.ProcessingFamily(), 1);
        ASSERT_NE(device.GetFpnCodec(), nullptr);
        EXPECT_EQ(device.GetFpnCodec()->FpnEntries().size(), c.width);
        Residual residual = Measure(*frame, Sensor().ExpectedSignal(c.width, c.height));
        // Uncorrected, the columns spread by tens of counts and the seam steps by about 100.
        EXPECT_LT(residual.meanError, 1.5);
        EXPECT_LT(residual.columnSpread, 1.0);
        EXPECT_LT(std::fabs(residual.seamStep), 3.0);
    }
}

TEST_F(ToviRayTest, ScalingTurnsTheSeamRampOffWhateverTheRecordOrder) {
    SensorToviRayConfig config;
    config.fpnRecordFirst = true;
    config.scaling = {true, true, 1.0, 0.00002, -0.0000000005};
    auto& device = MakeToviRay(config, DriverFamily::CyUsb);
    device.SetProperty("flush_time", "0");
    auto frame = Capture(device);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(device.Scaling().enabled);
    EXPECT_DOUBLE_EQ(device.Scaling().b, 0.00002);
    EXPECT_DOUBLE_EQ(device.Scaling().c, -0.0000000005);
    ASSERT_NE(device.GetCodec(), nullptr);
    EXPECT_EQ(device.GetCodec()->Flaws().FlawRows().size(), 1u);
    Residual residual = Measure(*frame, Sensor().ExpectedSignal(798, 1070));
    EXPECT_LT(residual.columnSpread, 1.0);
    EXPECT_GT(residual.seamStep, 20.0); // no ramp: the seam stays

    // A block that is there but not enabled leaves the ramp on.
    config.scaling.enabled = false;
    auto& plain = MakeToviRay(config);
    plain.SetProperty("flush_time", "0");
    frame = Capture(plain);
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(plain.Scaling().enabled);
    EXPECT_LT(std::fabs(Measure(*frame, Sensor().ExpectedSignal(798, 1070)).seamStep), 3.0);
}

TEST_F(ToviRayTest, OpensWithoutEchoOrPowerAndAnswersItsOwnProperties) {
    auto& device = MakeToviRay();
    EXPECT_EQ(device.GetProperty("hw_correction_data"), "true"); // before Init too
    ASSERT_EQ(device.Open(), kDeviceOk) << LastErrorText();
    for (const auto& command : Commands()) {
        EXPECT_NE(command.front(), 0x0E);
        EXPECT_NE(command.front(), 0x08);
    }
    EXPECT_EQ(device.SensorId(), "TR2S0042D");
    EXPECT_EQ(device.GetProperty("SENSOR_ID"), "TR2S0042D");
    EXPECT_EQ(device.GetProperty("sensitivity"), "7");
    EXPECT_EQ(device.GetProperty("threshold"), "160");
    EXPECT_EQ(device.GetProperty("integration_time"), "350");
    EXPECT_EQ(device.GetProperty("device_name"), "toviray ii");
    EXPECT_EQ(device.GetProperty("flush_time"), "2000"); // from settings.xml
    EXPECT_EQ(device.GetProperty("sensor_size"), "D");
    driver->ClearRequests();
    EXPECT_EQ(device.SetProperty("Binned", "true"), 0);
    EXPECT_EQ(device.SetProperty("sensor_id", "OTHER1C"), 0);
    EXPECT_EQ(device.SetProperty("hw_correction_data", "false"), 0);
    EXPECT_TRUE(driver->Requests().empty());
    EXPECT_EQ(device.SensorId(), "TR2S0042D");
    EXPECT_TRUE(device.FullResolution());
    // The memory is read with 0x0B: the id, then the whole record area.
    std::uint8_t present = 0;
    EXPECT_EQ(device.CheckMemoryPresent(present), 0);
    EXPECT_EQ(present, 1);
}

TEST_F(ToviRayTest, MemoryFailuresGiveTheirStatusAndMessage) {
    struct Case {
        std::vector<std::uint8_t> memory;
        std::int32_t status;
        const char* message;
    };
    std::vector<std::uint8_t> noId = simulator::BuildToviRayMemory("", {}, {});
    std::vector<std::uint8_t> noRecords =
        simulator::BuildToviRayMemory("TR2S0042D", {}, {}); // 0xFFFF first
    std::vector<std::uint8_t> badSize = simulator::BuildToviRayMemory("TR2S0042E", {}, {});
    std::vector<std::uint8_t> badFiller = noRecords;
    badFiller[32] = badFiller[33] = 0x00; // filler that never reaches 0xFF 0x00
    std::fill(badFiller.begin() + 34, badFiller.end(), std::uint8_t{0x00});
    const Case cases[] = {
        {noId, -8193, "Unable to load the ToviRay memory from the sensor"},
        {noRecords, -8211,
         "The ToviRay memory holds no correction data.  Please check the hardware connection "
         "and then retry the operation."},
        {badSize, -8197,
         "Unable to determine the size of the sensor attached to the hardware.  Please check "
         "the hardware connection and then retry the operation."},
        {badFiller, static_cast<std::int32_t>(0x8000FFFF),
         "The ToviRay memory holds malformed correction data.  Please check the hardware "
         "connection and then retry the operation."},
    };
    for (const Case& c : cases) {
        SensorToviRayConfig config;
        config.memoryImage = c.memory;
        auto& device = MakeToviRay(config);
        SetLastErrorText("");
        EXPECT_EQ(device.Open(), c.status);
        EXPECT_EQ(LastErrorText(), c.message);
    }
}

TEST_F(ToviRayTest, ImageTypesAndALongId) {
    SensorToviRayConfig config;
    config.sensorId = "ABCDEFGHIJKLMNOD"; // 16 letters, nothing to end them
    auto& device = MakeToviRay(config);
    device.SetProperty("flush_time", "0");
    device.SetProperty("cropping_on", "false");
    ASSERT_NE(Capture(device), nullptr);
    EXPECT_EQ(device.SensorId(), "ABCDEFGHIJKLMNOD");
    std::unique_ptr<RawFrame> exposed, dark, subtracted;
    ASSERT_EQ(device.DoGetImage(1, exposed), 0);
    ASSERT_EQ(device.DoGetImage(2, dark), 0);
    ASSERT_EQ(device.DoGetImage(3, subtracted), 0);
    EXPECT_EQ(exposed->Pixel(100, 100), device.ExposedFrame().Pixel(100, 100));
    EXPECT_EQ(dark->Pixel(100, 100), device.DarkFrame().Pixel(100, 100));
    // Without the line-offset correction: each pixel less its own dark value.
    for (std::uint32_t x : {0u, 7u, 400u, 797u})
        EXPECT_EQ(subtracted->Pixel(x, 1), std::max(0, exposed->Pixel(x, 1) - dark->Pixel(x, 1)));
    std::unique_ptr<RawFrame> none;
    EXPECT_EQ(device.DoGetImage(6, none), -8209);
    EXPECT_EQ(none, nullptr);
}

TEST(ToviRayRecords, AreaThatLiesIsRefused) {
    auto area = [](std::vector<std::uint8_t> bytes) {
        bytes.resize(200, 0xEE);
        return bytes;
    };
    // marker 0x1234, kind 1, length, spare, selector 0, 16-byte name, payload, trailer.
    auto record = [](std::uint32_t length, std::size_t payload) {
        std::vector<std::uint8_t> bytes{0x34,
                                        0x12,
                                        1,
                                        static_cast<std::uint8_t>(length),
                                        static_cast<std::uint8_t>(length >> 8),
                                        static_cast<std::uint8_t>(length >> 16),
                                        static_cast<std::uint8_t>(length >> 24),
                                        0,
                                        0};
        bytes.resize(bytes.size() + 16 + payload + 2, 0x41);
        return bytes;
    };
    std::vector<ToviRayRecord> records;
    auto two = record(5, 5);
    two.insert(two.end(), {0x00, 0x00, 0x11, 0xFF, 0x00});
    auto second = record(3, 3);
    two.insert(two.end(), second.begin() + 2, second.end());
    two.insert(two.end(), {0xFF, 0xFF});
    ASSERT_EQ(ParseToviRayRecords(area(two).data(), 200, records), 0);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].length, 3u);

    const std::int32_t unexpected = static_cast<std::int32_t>(0x8000FFFF);
    EXPECT_EQ(ParseToviRayRecords(area(record(0xFFFFFFF0u, 0)).data(), 200, records), unexpected);
    auto intoTrailer = record(180 - 25, 180 - 25);
    EXPECT_EQ(ParseToviRayRecords(intoTrailer.data(), 180, records), unexpected);
    std::vector<std::uint8_t> five;
    for (int i = 0; i < 5; ++i) {
        auto r = record(1, 1);
        five.insert(five.end(), r.begin(), r.end());
    }
    five.insert(five.end(), {0xFF, 0xFF});
    EXPECT_EQ(ParseToviRayRecords(five.data(), five.size(), records), unexpected);
    std::vector<std::uint8_t> badFiller{0x00, 0x00, 0x11, 0xFF, 0x01};
    EXPECT_EQ(ParseToviRayRecords(area(badFiller).data(), 200, records), unexpected);
    EXPECT_EQ(ParseToviRayRecords(area({0xFF, 0xFF}).data(), 200, records), 0);
    EXPECT_TRUE(records.empty());
}

TEST(ToviRayRecords, ScalingBlockSignsAndMagnitudes) {
    std::uint8_t block[64] = {'P', 'D', 'I', 0, '1', 0x01, 0x2C, 0x00, 0x7B, 0x04, 0xD2, 0, 1, 0};
    ScalingBlock scaling = ReadScalingBlock(block);
    EXPECT_TRUE(scaling.enabled);
    EXPECT_DOUBLE_EQ(scaling.a, -3.0);
    EXPECT_DOUBLE_EQ(scaling.b, 123e-6);
    EXPECT_DOUBLE_EQ(scaling.c, -1234e-10);
    block[4] = '0';
    EXPECT_FALSE(ReadScalingBlock(block).enabled);
    block[0] = 'X';
    ScalingBlock absent = ReadScalingBlock(block);
    EXPECT_FALSE(absent.enabled);
    EXPECT_EQ(absent.a, 0.0);
}

} // namespace
