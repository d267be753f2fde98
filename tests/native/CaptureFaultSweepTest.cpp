// Every driver request of a whole capture through the exports fails in turn
// (then answers short, then foreign): the capture returns null with a message,
// the host hears "done" exactly once, nothing stays open, and the next capture
// of the same sensor succeeds.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "tests/native/CaptureFixture.h"

using capture_testing::CaptureTest;
using capture_testing::StatusLog;
using simulator::DriverFamily;
using simulator::DriverRequest;
using simulator::Fault;

namespace {

enum class Family { Series2000, ToviRay };

// The offsets of the requests to break: every request except inside runs of
// identical requests, which are broken at their first and last only; a short
// or foreign answer only means something for a request that reads.
std::vector<std::uint32_t> SweepOffsets(const std::vector<DriverRequest>& requests, Fault fault) {
    auto same = [](const DriverRequest& a, const DriverRequest& b) {
        return a.code == b.code && a.pipe == b.pipe && a.outputLength == b.outputLength &&
               a.input == b.input && a.data == b.data;
    };
    std::vector<std::uint32_t> offsets;
    for (std::size_t index = 0; index < requests.size(); ++index) {
        const bool first = index == 0 || !same(requests[index - 1], requests[index]);
        const bool last =
            index + 1 == requests.size() || !same(requests[index + 1], requests[index]);
        const bool reads = requests[index].outputLength > 0;
        if ((first || last) && (reads || fault == Fault::Fail))
            offsets.push_back(static_cast<std::uint32_t>(index));
    }
    return offsets;
}

class CaptureFaultSweep
    : public CaptureTest,
      public ::testing::WithParamInterface<std::tuple<Family, DriverFamily, Fault>> {
protected:
    void AttachSensor() {
        simulator::UsbPresence presence = Serial("SWEEP");
        presence.family = std::get<1>(GetParam());
        if (std::get<0>(GetParam()) == Family::Series2000) {
            simulator::Sensor2000Config config;
            config.sensorId = "XCCD0001A"; // the smallest frame keeps the sweep quick
            driver->Attach(std::move(config), presence);
        } else {
            simulator::SensorToviRayConfig config;
            config.sensorId = "TR2S0042C"; // the smaller of the two sizes
            driver->AttachToviRay(std::move(config), presence);
        }
    }
    // One 8-bit capture; the image's presence. The host's idle time follows it.
    bool Capture() {
        StatusLog::Instance().Clear();
        void* dib = SEDCaptureImage(1u << 29, 0);
        const bool got = !ReceivedBytes(dib).empty();
        HostIdle();
        return got;
    }
};

} // namespace

TEST_P(CaptureFaultSweep, EveryBrokenRequestFailsTheCaptureCleanlyAndTheNextOneSucceeds) {
    AttachSensor();
    ASSERT_TRUE(Capture()) << ErrorText(); // selects the sensor and reads its memory
    driver->ClearRequests();
    ASSERT_TRUE(Capture()) << ErrorText();
    const std::vector<DriverRequest> whole = driver->Requests();
    ASSERT_FALSE(whole.empty());
    const std::uint32_t handles = static_cast<std::uint32_t>(driver->OpenHandles());
    const Fault fault = std::get<2>(GetParam());
    for (std::uint32_t offset : SweepOffsets(whole, fault)) {
        SCOPED_TRACE("request " + std::to_string(offset + 1) + " of " +
                     std::to_string(whole.size()));
        driver->InjectFault(driver->RequestCount() + offset + 1, fault);
        if (!Capture()) {
            EXPECT_FALSE(ErrorText().empty());
        }
        EXPECT_EQ(StatusLog::Instance().Count(0), 1);
        EXPECT_LE(driver->OpenHandles(), handles);
        ASSERT_TRUE(Capture()) << ErrorText();
        EXPECT_EQ(StatusLog::Instance().Count(0), 1);
    }
}

// Both request layouts fail every request; short and foreign answers, which
// the layouts pass through alike, are swept over one of them.
INSTANTIATE_TEST_SUITE_P(Failures, CaptureFaultSweep,
                         ::testing::Combine(::testing::Values(Family::Series2000, Family::ToviRay),
                                            ::testing::Values(DriverFamily::EzUsb,
                                                              DriverFamily::CyUsb),
                                            ::testing::Values(Fault::Fail)));
INSTANTIATE_TEST_SUITE_P(Answers, CaptureFaultSweep,
                         ::testing::Combine(::testing::Values(Family::Series2000, Family::ToviRay),
                                            ::testing::Values(DriverFamily::EzUsb),
                                            ::testing::Values(Fault::Short, Fault::Foreign)));

namespace {

class UnplugSweep : public CaptureFaultSweep {};

} // namespace

// The sensor is pulled out at every step of a capture (arming, the wait, the
// read-out of both frames), then plugged back in.
TEST_P(UnplugSweep, EveryStepEndsWithAMessageAndThePluggedBackSensorCaptures) {
    AttachSensor();
    ASSERT_TRUE(Capture()) << ErrorText();
    driver->ClearRequests();
    ASSERT_TRUE(Capture()) << ErrorText();
    const std::vector<DriverRequest> whole = driver->Requests();
    for (std::uint32_t offset : SweepOffsets(whole, Fault::Fail)) {
        SCOPED_TRACE("request " + std::to_string(offset + 1) + " of " +
                     std::to_string(whole.size()));
        driver->InjectFault(driver->RequestCount() + offset + 1, Fault::Unplug);
        const bool got = Capture();
        const std::string message = ErrorText();
        if (!got) {
            EXPECT_TRUE(message.find("has been removed.") != std::string::npos ||
                        message.find("check the hardware connection") != std::string::npos)
                << message;
        }
        EXPECT_EQ(StatusLog::Instance().Count(0), 1);
        AttachSensor();
        HostIdle();
        ASSERT_TRUE(Capture()) << ErrorText();
    }
}

INSTANTIATE_TEST_SUITE_P(Unplugs, UnplugSweep,
                         ::testing::Combine(::testing::Values(Family::Series2000, Family::ToviRay),
                                            ::testing::Values(DriverFamily::EzUsb),
                                            ::testing::Values(Fault::Unplug)));
