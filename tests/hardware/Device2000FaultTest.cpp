#include <gtest/gtest.h>

#include "hardware/DeviceStatus.h"
#include "tests/hardware/DeviceFixture.h"

namespace {

using namespace device_testing;
using simulator::DriverFamily;
using simulator::Fault;

struct RunResult {
    std::int32_t status = 0;
    std::string message;
    std::uint32_t requests = 0;
};

class Device2000FaultTest : public DeviceTest {
protected:
    // A fresh driver and sensor, the fault at one request, then Open, CaptureImage
    // and GetImage as far as they get.
    RunResult RunWithFault(std::uint32_t request, Fault fault, DriverFamily family) {
        driver = std::make_shared<simulator::SimulatedDriver>();
        platform::SetUsbDriver(driver);
        simulator::Sensor2000Config config;
        config.sensorId = "XCCD0007A";
        device = MakeDevice(config, family);
        device->SetProperty("flush_time", "0");
        if (request != 0)
            driver->InjectFault(request, fault);
        SetLastErrorText("");
        RunResult result;
        result.status = device->Open();
        if (result.status == kDeviceOk)
            result.status = device->CaptureImage();
        std::unique_ptr<RawFrame> frame;
        if (result.status == kDeviceOk)
            result.status = device->GetImage(frame);
        result.message = LastErrorText();
        result.requests = driver->RequestCount();
        return result;
    }

    // Afterwards the same device opens and captures again.
    void ExpectRecovery() {
        device->Close();
        EXPECT_EQ(driver->OpenHandles(), 0u);
        ASSERT_EQ(device->Open(), kDeviceOk) << LastErrorText();
        ASSERT_EQ(device->CaptureImage(), kDeviceOk) << LastErrorText();
        std::unique_ptr<RawFrame> frame;
        ASSERT_EQ(device->GetImage(frame), kDeviceOk);
        EXPECT_EQ(frame->width, 458u);
    }

    std::unique_ptr<Device2000> device;
};

// Requests whose failure the sequence tolerates: the size command inside
// GetSensorSize, and the MAC read at the end of the memory settings (its
// memory-present query, the command and the data).
std::vector<bool> Tolerated(const std::vector<simulator::DriverRequest>& requests) {
    std::vector<bool> tolerated(requests.size(), false);
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const auto& data = requests[i].data;
        if (data.size() == 2 && data[0] == 0x02 && (data[1] & 0xF0) == 0x20)
            tolerated[i] = true;
        if (data == std::vector<std::uint8_t>{0x06} && i >= 2 && i + 1 < requests.size())
            tolerated[i - 2] = tolerated[i - 1] = tolerated[i] = tolerated[i + 1] = true;
    }
    return tolerated;
}

TEST_F(Device2000FaultTest, EveryRequestOfACaptureCanFail) {
    for (DriverFamily family : {DriverFamily::EzUsb, DriverFamily::CyUsb}) {
        RunResult clean = RunWithFault(0, Fault::Fail, family);
        ASSERT_EQ(clean.status, kDeviceOk) << clean.message;
        std::vector<simulator::DriverRequest> requests = driver->Requests();
        std::vector<bool> tolerated = Tolerated(requests);
        for (std::uint32_t n = 1; n <= clean.requests; ++n) {
            const auto& original = requests[n - 1];
            // Of a run of identical reads (the status polls, the lines of a frame),
            // the first and the last.
            auto same = [&](std::size_t i) {
                return i < requests.size() && requests[i].data.empty() &&
                       requests[i].pipe == original.pipe &&
                       requests[i].outputLength == original.outputLength;
            };
            if (original.data.empty() && n >= 2 && same(n - 2) && same(n))
                continue;
            RunResult run = RunWithFault(n, Fault::Fail, family);
            SCOPED_TRACE("request " + std::to_string(n));
            if (tolerated[n - 1]) {
                EXPECT_EQ(run.status, kDeviceOk);
            } else {
                EXPECT_LT(run.status, 0);
                EXPECT_FALSE(run.message.empty());
            }
            ExpectRecovery();
            if (HasFatalFailure())
                return;
        }
    }
}

TEST_F(Device2000FaultTest, TheFailingStepGivesItsStatusAndMessage) {
    RunResult reset = RunWithFault(1, Fault::Fail, DriverFamily::EzUsb);
    EXPECT_EQ(reset.status, kUsbRequestFailed);
    EXPECT_EQ(reset.message, "The usb connection to the hardware could not be reset.  Please "
                             "check the hardware connection and then retry the operation.");
    RunResult power = RunWithFault(5, Fault::Fail, DriverFamily::CyUsb);
    EXPECT_EQ(power.status, kUsbRequestFailed);
    EXPECT_EQ(power.message, "The power command could not be sent to the hardware.  Please "
                             "check the hardware connection and then retry the operation.");

    // An unplug while waiting for the exposure reads as a time-out.
    RunResult clean = RunWithFault(0, Fault::Fail, DriverFamily::EzUsb);
    std::uint32_t firstPoll = 0;
    for (const auto& request : driver->Requests())
        if (request.pipe == 1 && request.number > 25 && firstPoll == 0 &&
            driver->Requests()[request.number - 2].data ==
                std::vector<std::uint8_t>({0x02, 0x20, 0x40}))
            firstPoll = request.number;
    ASSERT_NE(firstPoll, 0u);
    RunResult unplugged = RunWithFault(firstPoll + 3, Fault::Unplug, DriverFamily::EzUsb);
    EXPECT_EQ(unplugged.status, kExposureTimeout);
    EXPECT_EQ(unplugged.message,
              "The hardware timed-out waiting for x-ray exposure or was unplugged.");

    // A short line read leaves the frame as it was filled; a failed one fails the capture.
    RunResult lineFailed = RunWithFault(clean.requests - 10, Fault::Fail, DriverFamily::EzUsb);
    EXPECT_EQ(lineFailed.status, kUsbRequestFailed);
    EXPECT_EQ(lineFailed.message, "Unable to read image data from the hardware.  Please check "
                                  "the hardware connection and then retry the operation.");
    RunResult shortLine = RunWithFault(clean.requests - 10, Fault::Short, DriverFamily::EzUsb);
    EXPECT_EQ(shortLine.status, kDeviceOk);
    EXPECT_LE(device->DarkFrame().Pixel(0, 577), 0x0FFF);
}

} // namespace
