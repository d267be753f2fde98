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
    // GetImage after a failed capture: its status, message and whether it gave a frame.
    std::int32_t imageStatus = 0;
    std::string imageMessage;
    bool imageGiven = false;
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
        if (result.status != kDeviceOk) {
            result.imageStatus = device->GetImage(frame);
            result.imageMessage = LastErrorText();
            result.imageGiven = frame != nullptr;
        }
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

    CountedRef<Device2000> device;
};

std::string Advice(const char* text) {
    return std::string(text) +
           "  Please check the hardware connection and then retry the operation.";
}

// The message that a failure of each request of a clean open and capture must
// leave, walked along the sequence the sensor sees; empty where the sequence
// goes on regardless (the size command, the MAC read).
class ExpectedMessages {
public:
    explicit ExpectedMessages(const std::vector<simulator::DriverRequest>& requests)
        : requests_(requests) {
        Take(1, Advice("The usb connection to the hardware could not be reset."));
        Take(1, Advice("The sensor could not be reset."));
        Take(1, Advice("The hardware could not be pinged."));
        Take(1, Advice("The hardware's status could not be obtained."));
        Take(1, Advice("The power command could not be sent to the hardware."));
        MemorySettings();
        MemorySettings();
        Take(1, Advice("The x-ray detection threshold could not be set."));
        Take(1, Advice("The x-ray integration time could not be set."));
        Take(1, Advice("The hardware could not be flushed."));
        Take(1, Advice("The x-ray detection exposure could not be set."));
        const std::string timedOut =
            "The hardware timed-out waiting for x-ray exposure or was unplugged.";
        const std::string imageData = Advice("Unable to read image data from the hardware.");
        TakeWhilePipe(1, timedOut);
        TakeWhilePipe(3, imageData);
        TakeWhilePipe(1, timedOut);
        TakeWhilePipe(3, imageData);
        EXPECT_EQ(messages_.size(), requests_.size()) << "requests left unexplained";
    }
    const std::string& operator[](std::size_t index) const { return messages_.at(index); }

private:
    void MemorySettings() {
        Take(2, Advice("Could not read from the memory on the hardware."));
        Take(2, Advice("Could not obtain the sensor ID from the hardware."));
        Take(2, Advice("Unable to read the sensor ID from the hardware."));
        Take(1, Advice("Unable to reset the sensor on the hardware."));
        Take(5, "");
    }
    void Take(std::size_t count, const std::string& message) {
        messages_.insert(messages_.end(), count, message);
    }
    void TakeWhilePipe(std::int32_t pipe, const std::string& message) {
        while (messages_.size() < requests_.size() && requests_[messages_.size()].pipe == pipe)
            messages_.push_back(message);
    }

    const std::vector<simulator::DriverRequest>& requests_;
    std::vector<std::string> messages_;
};

TEST_F(Device2000FaultTest, EveryRequestOfACaptureCanFail) {
    for (DriverFamily family : {DriverFamily::EzUsb, DriverFamily::CyUsb}) {
        RunResult clean = RunWithFault(0, Fault::Fail, family);
        ASSERT_EQ(clean.status, kDeviceOk) << clean.message;
        std::vector<simulator::DriverRequest> requests = driver->Requests();
        ExpectedMessages expected(requests);
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
            if (expected[n - 1].empty()) {
                EXPECT_EQ(run.status, kDeviceOk);
            } else {
                EXPECT_LT(run.status, 0);
                EXPECT_EQ(run.message, expected[n - 1]);
                // No image from a failed capture.
                EXPECT_EQ(run.imageStatus, -8209);
                EXPECT_FALSE(run.imageGiven);
                EXPECT_TRUE(run.imageMessage ==
                                "No image has been captured from the hardware yet." ||
                            run.imageMessage == Advice("No dark frame was read from the hardware "
                                                       "for this image."))
                    << run.imageMessage;
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
