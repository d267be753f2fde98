#include <gtest/gtest.h>

#include <cstdlib>

#include "hardware/DeviceStatus.h"
#include "support/Environment.h"
#include "support/FileHelpers.h"
#include "support/LogChannels.h"
#include "tests/hardware/DeviceFixture.h"

namespace {

using namespace device_testing;
using simulator::DriverFamily;

class Device2000CaptureTest : public DeviceTest,
                              public ::testing::WithParamInterface<DriverFamily> {
protected:
    simulator::Sensor2000Config SmallSensor() {
        simulator::Sensor2000Config config;
        config.sensorId = "XCCD0007A";
        return config;
    }

    // An opened small sensor whose x-ray never comes.
    CountedRef<Device2000> SensorWithoutExposure() {
        simulator::Sensor2000Config config = SmallSensor();
        config.exposureDelay.reset();
        auto device = MakeDevice(config);
        EXPECT_EQ(device->Open(), kDeviceOk);
        return device;
    }

    // Every pixel of the corrected, cropped frame equals the simulator's signal,
    // except the repaired defects, which must lie within the range of the signal
    // around them, and the tail of the last line, which the line displacement
    // never delivers.
    void ExpectSignal(const RawFrame& frame, std::uint32_t left, std::uint32_t top,
                      std::uint32_t fullWidth, std::uint32_t fullHeight) {
        simulator::SampleImage signal = Sensor().ExpectedSignal(fullWidth, fullHeight);
        std::uint32_t mismatches = 0;
        for (std::uint32_t y = 0; y < static_cast<std::uint32_t>(frame.height); ++y)
            for (std::uint32_t x = 0; x < frame.width; ++x) {
                std::uint32_t fx = x + left, fy = y + top;
                if (fy == fullHeight - 1 && fx + 8 >= fullWidth)
                    continue;
                int actual = frame.Pixel(x, y);
                if (IsDefect(fx, fullHeight - 1 - fy))
                    ExpectWithinNeighbourhood(signal, fx, fy, actual);
                else if (actual != signal.At(fx, fy))
                    ++mismatches;
            }
        EXPECT_EQ(mismatches, 0u);
    }

    // Defect rows count from the last stored line up.
    bool IsDefect(std::uint32_t x, std::uint32_t row) {
        using Kind = simulator::Defect::Kind;
        for (const auto& d : Sensor().Config().defects)
            if ((d.kind == Kind::Pixel && d.x == x && d.y == row) ||
                (d.kind == Kind::Column && d.x == x) || (d.kind == Kind::Row && d.y == row))
                return true;
        return false;
    }

    void ExpectWithinNeighbourhood(const simulator::SampleImage& signal, std::uint32_t x,
                                   std::uint32_t y, int actual) {
        int low = 4095, high = 0;
        for (std::uint32_t ny = y == 0 ? 0 : y - 1; ny <= y + 1 && ny < signal.height; ++ny)
            for (std::uint32_t nx = x == 0 ? 0 : x - 1; nx <= x + 1 && nx < signal.width; ++nx) {
                low = std::min<int>(low, signal.At(nx, ny));
                high = std::max<int>(high, signal.At(nx, ny));
            }
        EXPECT_GE(actual, low - 40) << x << "," << y;
        EXPECT_LE(actual, high + 40) << x << "," << y;
    }
};

TEST_P(Device2000CaptureTest, CapturesACorrectedFrameInVirtualTime) {
    auto device = MakeDevice(SmallSensor(), GetParam());
    ASSERT_EQ(device->Open(), kDeviceOk) << LastErrorText();
    ASSERT_EQ(device->CaptureImage(), kDeviceOk) << LastErrorText();
    EXPECT_EQ(Sensor().Threshold(), 8u);
    EXPECT_EQ(Sensor().IntegrationTime(), 300u);
    EXPECT_EQ(Sensor().ArmLevel(), 0x40);

    // 25 preparation steps of 200 ms, the exposure after 2 s of polling, the download.
    std::vector<Notification> expected;
    for (int i = 0; i < 25; ++i)
        expected.push_back({"Preparing sensor.", 2, 100 * i / 25});
    expected.push_back({"Preparing sensor.", 2, 100});
    expected.push_back({"Waiting for exposure.", 3, 0});
    for (int i = 0; i < 20; ++i)
        expected.push_back({"Waiting for exposure.", 999, 0});
    expected.push_back({"Exposure detected.", 3, 100});
    expected.push_back({"Downloading image.", 4, 0});
    expected.push_back({"Downloading image.", 4, 50});
    // The dark frame: three polls while the sensor integrates, one that finds it ready.
    for (int i = 0; i < 4; ++i)
        expected.push_back({"Waiting for exposure.", 999, 0});
    expected.push_back({"Downloading image.", 4, 100});
    EXPECT_EQ(Notifications(), expected);

    std::unique_ptr<RawFrame> frame;
    ASSERT_EQ(device->GetImage(frame), kDeviceOk);
    // 468 x 578 less the margins 4 + 6 and 2 + 8.
    EXPECT_EQ(frame->width, 458u);
    EXPECT_EQ(frame->height, 568);
    EXPECT_EQ(frame->resolutionX, 564);
    ExpectSignal(*frame, 4, 2, 468, 578);

    // The raw frames stay; every GetImage builds a new result from them.
    std::unique_ptr<RawFrame> unprocessed;
    ASSERT_EQ(device->SetProperty("cropping_on", "false"), kDeviceOk);
    ASSERT_EQ(device->DoGetImage(3, unprocessed), kDeviceOk);
    EXPECT_EQ(unprocessed->width, 468u);
    EXPECT_EQ(device->DoGetImage(6, unprocessed), kUnknownImageType);
}

TEST_P(Device2000CaptureTest, ASensorWithoutMemoryIsCorrectedFromItsDeviceFile) {
    simulator::Sensor2000Config config = SmallSensor();
    config.memoryPresent = false;
    ksp::CreateDirectoryTree(data.Path("Devices"));
    testing_files::WriteFile(data.Path("Devices\\XCCD0007A.tovi"),
                             simulator::DefectText(config.defects));
    auto device = MakeDevice(config, GetParam());
    device->SetSensorId("XCCD0007A"); // as the device manager passes it from the options
    ASSERT_EQ(device->Open(), kDeviceOk) << LastErrorText();
    ASSERT_EQ(device->CaptureImage(), kDeviceOk) << LastErrorText();
    std::unique_ptr<RawFrame> frame;
    ASSERT_EQ(device->GetImage(frame), kDeviceOk);
    EXPECT_EQ(device->GetProperty("hw_correction_data"), "false");
    ExpectSignal(*frame, 4, 2, 468, 578);
}

INSTANTIATE_TEST_SUITE_P(BothDriverFamilies, Device2000CaptureTest,
                         ::testing::Values(DriverFamily::EzUsb, DriverFamily::CyUsb));

class CaptureSequenceTest : public Device2000CaptureTest {};

TEST_F(CaptureSequenceTest, FullAndBinnedReadOutsOfALargeSensor) {
    auto device = MakeDevice();
    ASSERT_EQ(device->Open(), kDeviceOk);
    ASSERT_EQ(device->SetProperty("cropping_on", "false"), kDeviceOk);
    ASSERT_EQ(device->SetProperty("flush_time", "0"), kDeviceOk);
    ASSERT_EQ(device->CaptureImage(), kDeviceOk) << LastErrorText();
    std::unique_ptr<RawFrame> frame;
    ASSERT_EQ(device->GetImage(frame), kDeviceOk);
    EXPECT_EQ(frame->width, 890u);
    EXPECT_EQ(frame->height, 1420);
    ExpectSignal(*frame, 0, 0, 890, 1420);

    ASSERT_EQ(device->SetProperty("binned", "true"), kDeviceOk);
    driver->ClearRequests();
    ASSERT_EQ(device->CaptureImage(), kDeviceOk) << LastErrorText();
    std::size_t lineReads = 0;
    for (const auto& request : driver->Requests())
        if (request.pipe == 3 && request.outputLength == 1780)
            ++lineReads;
    EXPECT_EQ(lineReads, 2u * 710u);
    ASSERT_EQ(device->DoGetImage(3, frame), kDeviceOk);
    EXPECT_EQ(frame->width, 445u);
    EXPECT_EQ(frame->height, 710);
}

TEST_F(CaptureSequenceTest, PreparationWaitsFollowTheFlushTime) {
    auto device = MakeDevice(SmallSensor());
    ASSERT_EQ(device->Open(), kDeviceOk);
    host->extendedFlushTimes = true;
    CaptureLog.OpenLogFile(data.Path(), "capture.ToviLog");
    ASSERT_EQ(device->CaptureImage(), kDeviceOk);
    CaptureLog.CloseLog();
    std::string log = testing_files::ReadFile(data.Path("capture.ToviLog"));
    for (const char* tag :
         {"Device2000::CaptureImage()::Begin",
          "Device2000::GetSettingsFrom1WireMemory()::ReadDefectDataParams",
          "Device2000::CaptureImage()::Wait(8000)", "Device2000::CaptureImage()::DetectExposure",
          "Device2000::ReadImage()::End", "Device2000::CaptureImage()::End"})
        EXPECT_NE(log.find(tag), std::string::npos) << tag;
    auto preparing = [] {
        return std::count_if(Notifications().begin(), Notifications().end(),
                             [](const Notification& n) { return n.kind == 2; });
    };
    EXPECT_EQ(preparing(), 41); // 8000 ms in 40 steps, then 100 %

    Notifications().clear();
    host->extendedFlushTimes = false;
    ASSERT_EQ(device->SetProperty("flush_time", "199"), kDeviceOk);
    ASSERT_EQ(device->CaptureImage(), kDeviceOk);
    EXPECT_EQ(preparing(), 1);
    EXPECT_EQ(Notifications().front(), (Notification{"Preparing sensor.", 2, 100}));
    Notifications().clear();
    ASSERT_EQ(device->SetProperty("flush_time", "-1"), kDeviceOk);
    ASSERT_EQ(device->CaptureImage(), kDeviceOk);
    EXPECT_EQ(preparing(), 1);
}

TEST_F(CaptureSequenceTest, NoExposureTimesOutAndDrainsTheSensor) {
    auto device = SensorWithoutExposure();
    ASSERT_EQ(device->SetProperty("capture_timeout", "3000"), kDeviceOk);
    std::uint64_t before = clock->Milliseconds();
    EXPECT_EQ(device->CaptureImage(), kExposureTimeout);
    EXPECT_EQ(LastErrorText(),
              "The hardware timed-out waiting for x-ray exposure or was unplugged.");
    EXPECT_GE(clock->Milliseconds() - before, 5000u + 3000u);
    // The abort triggered the sensor once and took its dark frame.
    EXPECT_EQ(Sensor().Triggers(), 1u);
    EXPECT_EQ(device->DarkFrame().width, 468u);

    // A time-out of 0 fails at the first status that is not listed.
    ASSERT_EQ(device->SetProperty("capture_timeout", "0"), kDeviceOk);
    ASSERT_EQ(device->SetProperty("flush_time", "0"), kDeviceOk);
    before = clock->Milliseconds();
    EXPECT_EQ(device->CaptureImage(), kExposureTimeout);
}

TEST_F(CaptureSequenceTest, TriggerRequestsAndStatusReplies) {
    auto device = SensorWithoutExposure();
    ASSERT_EQ(device->SetProperty("flush_time", "0"), kDeviceOk);
    // The sensor sends status replies by itself once armed.
    ASSERT_EQ(device->SetProperty("capture_timeout", "-1"), kDeviceOk);
    ASSERT_EQ(device->SetProperty("sensitivity", "2"), kDeviceOk);
    device->RequestTrigger();
    ASSERT_EQ(device->CaptureImage(), kDeviceOk);
    EXPECT_EQ(Sensor().Triggers(), 1u);
    EXPECT_EQ(Sensor().ArmLevel(), 0x20);

    // A reply that is not a status ends the wait at once.
    static const std::uint8_t ready[] = {0x60};
    driver->InjectFault(driver->RequestCount() + 1, simulator::Fault::Foreign);
    Sensor().Command(std::vector<std::uint8_t>{0x02, 0x20, 0x10}.data(), 3);
    EXPECT_EQ(device->WaitForCcdStatus(ready, 1, -1), -1);
    EXPECT_EQ(device->WaitForCcdStatus(ready, 0, -1), 0);
}

// The request numbers of the last capture's dark frame: its first status poll
// (replies come on pipe 1) and its first line (image data on pipe 3).
struct DarkFrameRequests {
    std::uint32_t firstPoll = 0;
    std::uint32_t firstLine = 0;
};

DarkFrameRequests LastDarkFrame(const std::vector<simulator::DriverRequest>& requests) {
    DarkFrameRequests dark;
    std::size_t i = requests.size();
    while (i > 1 && !(requests[i - 2].pipe == 3 && requests[i - 1].pipe == 1))
        --i;
    if (i <= 1)
        return dark;
    dark.firstPoll = requests[i - 1].number;
    while (i < requests.size() && requests[i].pipe != 3)
        ++i;
    if (i < requests.size())
        dark.firstLine = requests[i].number;
    return dark;
}

class DarkFrameTest : public CaptureSequenceTest {
protected:
    // An opened sensor on a fresh driver that fails the request numbered faultAt
    // (none for 0), so that request numbers repeat from run to run.
    CountedRef<Device2000> FreshDevice(const simulator::Sensor2000Config& config,
                                       std::uint32_t faultAt) {
        driver = std::make_shared<simulator::SimulatedDriver>();
        platform::SetUsbDriver(driver);
        if (faultAt != 0)
            driver->InjectFault(faultAt, simulator::Fault::Fail);
        auto device = MakeDevice(config);
        EXPECT_EQ(device->Open(), 0) << LastErrorText();
        return device;
    }

    // Types 3 to 5 fail with -8209 and the message; the frame stays empty.
    void ExpectNoCorrectedImage(Device2000& device, const std::string& message) {
        for (std::int32_t type : {3, 4, 5}) {
            SCOPED_TRACE(type);
            SetLastErrorText("");
            std::unique_ptr<RawFrame> frame;
            EXPECT_EQ(device.DoGetImage(type, frame), -8209);
            EXPECT_EQ(LastErrorText(), message);
            EXPECT_FALSE(frame);
        }
        SetLastErrorText("");
        std::unique_ptr<RawFrame> frame;
        EXPECT_EQ(device.GetImage(frame), -8209);
        EXPECT_EQ(LastErrorText(), message);
        EXPECT_FALSE(frame);
    }

    const std::string noDarkFrame = "No dark frame was read from the hardware for this image.  "
                                    "Please check the hardware connection and then retry the "
                                    "operation.";
};

TEST_F(DarkFrameTest, CorrectedImagesNeedTheDarkFrameOfTheirExposure) {
    auto clean = FreshDevice(SmallSensor(), 0);
    ASSERT_EQ(clean->CaptureImage(), 0);
    DarkFrameRequests dark = LastDarkFrame(driver->Requests());
    ASSERT_NE(dark.firstPoll, 0u);
    ASSERT_NE(dark.firstLine, 0u);

    // The dark frame's wait fails: no dark frame at all.
    auto waitFailed = FreshDevice(SmallSensor(), dark.firstPoll);
    EXPECT_EQ(waitFailed->CaptureImage(), -8214);
    ExpectNoCorrectedImage(*waitFailed, noDarkFrame);
    std::unique_ptr<RawFrame> exposed;
    EXPECT_EQ(waitFailed->DoGetImage(1, exposed), 0); // the exposed frame as it came
    std::unique_ptr<RawFrame> none;
    EXPECT_EQ(waitFailed->DoGetImage(2, none), -8209);
    EXPECT_EQ(LastErrorText(), noDarkFrame);

    // The dark frame's first line fails: a dark frame that holds nothing read.
    auto readFailed = FreshDevice(SmallSensor(), dark.firstLine);
    EXPECT_EQ(readFailed->CaptureImage(), -4104);
    EXPECT_EQ(LastErrorText(), "Unable to read image data from the hardware.  Please check the "
                               "hardware connection and then retry the operation.");
    ExpectNoCorrectedImage(*readFailed, noDarkFrame);
    std::unique_ptr<RawFrame> partial;
    EXPECT_EQ(readFailed->DoGetImage(2, partial), 0); // the dark frame as far as it was read

    // The next capture brings both frames again.
    ASSERT_EQ(readFailed->CaptureImage(), 0) << LastErrorText();
    std::unique_ptr<RawFrame> frame;
    EXPECT_EQ(readFailed->GetImage(frame), 0);
}

// After "binned" changed, a failed dark-frame wait leaves the full-resolution
// dark frame beside a binned exposure.
TEST_F(DarkFrameTest, ADarkFrameOfAnotherReadOutIsNotSubtracted) {
    auto captureTwice = [](Device2000& device) {
        EXPECT_EQ(device.CaptureImage(), 0) << LastErrorText();
        EXPECT_EQ(device.SetProperty("binned", "true"), 0);
        return device.CaptureImage();
    };
    auto clean = FreshDevice({}, 0);
    ASSERT_EQ(captureTwice(*clean), 0);
    DarkFrameRequests dark = LastDarkFrame(driver->Requests());
    ASSERT_NE(dark.firstPoll, 0u);

    auto device = FreshDevice({}, dark.firstPoll);
    EXPECT_EQ(captureTwice(*device), -8214);
    EXPECT_EQ(device->ExposedFrame().width, 445u);
    EXPECT_EQ(device->DarkFrame().width, 890u);
    ExpectNoCorrectedImage(*device, noDarkFrame);
}

TEST_F(DarkFrameTest, NoImageBeforeTheFirstCapture) {
    auto device = FreshDevice(SmallSensor(), 0);
    for (std::int32_t type : {1, 2, 3, 4, 5}) {
        SCOPED_TRACE(type);
        SetLastErrorText("An earlier failure");
        std::unique_ptr<RawFrame> frame;
        EXPECT_EQ(device->DoGetImage(type, frame), -8209);
        EXPECT_EQ(LastErrorText(), "No image has been captured from the hardware yet.");
        EXPECT_FALSE(frame);
    }
    SetLastErrorText("An earlier failure");
    std::unique_ptr<RawFrame> frame;
    EXPECT_EQ(device->GetImage(frame), -8209);
    EXPECT_EQ(LastErrorText(), "No image has been captured from the hardware yet.");
}

TEST_F(CaptureSequenceTest, DumpsTheFrameWhenAsked) {
    auto device = MakeDevice(SmallSensor());
    ASSERT_EQ(device->Open(), kDeviceOk);
    ASSERT_EQ(device->SetProperty("flush_time", "0"), kDeviceOk);
    ASSERT_EQ(device->CaptureImage(), kDeviceOk);
    host->saveRawDump = true;
    std::string dump = ksp::GetHostDirectory() + "\\ToviUSBII_RawSensorData.RAW16";
    ksp::DeleteFile(dump);
    std::unique_ptr<RawFrame> frame;
    ASSERT_EQ(device->GetImage(frame), kDeviceOk);
    ASSERT_EQ(device->GetImage(frame), kDeviceOk);
    // Each capture's saver first removes the earlier dump: one file remains.
    std::uint32_t rowBytes = static_cast<std::uint32_t>(frame->stride);
    EXPECT_EQ(ksp::GetFileSize(dump), 8 * 4 + rowBytes * static_cast<std::uint32_t>(frame->height));
    ksp::DeleteFile(dump);
}

} // namespace
