// Hosts that do what they should not: capture again from the status callback,
// take their time in it, unmount right after a cancel, or hand over records
// with every field at its extremes. The plug-in answers each with an image or
// a message, "done" once per capture, and stays usable.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "tests/native/CaptureFixture.h"

using capture_testing::CaptureTest;
using capture_testing::StatusLog;

SED_EXPORT int SED_CALL SEDPostMount();
SED_EXPORT int SED_CALL SEDPreUnmount();

namespace {

std::atomic<bool> nestedTried{false};
std::atomic<int> nestedAttempts{0};
std::atomic<int> nestedImages{0};

// Captures again from inside the plug-in's own notification.
void SED_CALL CaptureFromTheCallback(int sensor, int code, const char* text) {
    StatusLog::Record(sensor, code, text);
    if (code == 5 && !nestedTried.exchange(true)) {
        ++nestedAttempts;
        void* nested = SEDCaptureImage(0, 0);
        nestedImages += nested != nullptr ? 1 : 0;
        platform::GlobalFreeBlock(nested);
    }
}

void SED_CALL SlowCallback(int sensor, int code, const char* text) {
    std::this_thread::sleep_for(std::chrono::microseconds(500));
    StatusLog::Record(sensor, code, text);
}

// The record with every 32-bit field (the version word and the texts aside,
// the detection settings too when kept) set to `value`, every double to `real`.
std::vector<std::uint8_t> Extremes(const SensorOptions& base, std::int32_t value, double real,
                                   bool keepDetection) {
    std::vector<std::uint8_t> record(base.Bytes().begin(), base.Bytes().end());
    const std::size_t doubles[] = {184, 192, 200, 288, 296, 432, 440};
    for (std::size_t offset = 4; offset + 4 <= 500; offset += 4) {
        const bool text = offset >= 24 && offset < 152;
        const bool detection = offset >= 208 && offset <= 228;
        if (!text && !(detection && keepDetection))
            std::memcpy(&record[offset], &value, 4);
    }
    for (std::size_t offset : doubles)
        std::memcpy(&record[offset], &real, 8);
    return record;
}

} // namespace

TEST_F(CaptureTest, ACaptureFromTheStatusCallbackIsRefusedAndTheOuterOneFinishes) {
    Attach2000();
    nestedTried = false;
    nestedAttempts = 0;
    nestedImages = 0;
    SEDSetStatusCallback(&CaptureFromTheCallback);
    const auto dib = ReceivedBytes(SEDCaptureImage(1u << 29, 0));
    EXPECT_FALSE(dib.empty()) << ErrorText();
    EXPECT_EQ(nestedAttempts.load(), 1);
    EXPECT_EQ(nestedImages.load(), 0);
    EXPECT_EQ(StatusLog::Instance().Count(0), 1);
    ASSERT_FALSE(boxes->Shown().empty());
    EXPECT_EQ(boxes->Shown()[0].caption, "Capture Already Active");
}

TEST_F(CaptureTest, ASlowStatusCallbackOnlySlowsTheCapture) {
    Attach2000();
    SEDSetStatusCallback(&SlowCallback);
    EXPECT_EQ(Received(SEDCaptureImage16(1u << 29, 0)).bitCount, 16) << ErrorText();
    EXPECT_EQ(StatusLog::Instance().Count(0), 1);
}

TEST_F(CaptureTest, UnmountRightAfterACancelAndMountAgain) {
    Attach2000();
    views->Script(ui::CaptureAction{false, ""});
    EXPECT_EQ(SEDCaptureImage(1u << 29, 0), nullptr);
    EXPECT_EQ(ErrorText(), "Sensor capture cancelled by the user");
    EXPECT_EQ(SEDPreUnmount(), 1);
    EXPECT_EQ(SEDPostMount(), 1);
    HostIdle();
    StatusLog::Instance().Clear();
    EXPECT_EQ(Received(SEDCaptureImage(1u << 29, 0)).bitCount, 8) << ErrorText();
    EXPECT_EQ(StatusLog::Instance().Count(0), 1);
}

TEST_F(CaptureTest, HostileRecordsGiveAnImageOrAMessage) {
    Attach2000();
    AttachToviRay();
    ASSERT_FALSE(ReceivedBytes(SEDCaptureImage(0, 0)).empty()); // selects the first sensor
    const SensorOptions selected = Options();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    const struct {
        std::int32_t value;
        double real;
    } cases[] = {{INT32_MAX, nan}, {INT32_MIN, infinity}, {-1, -infinity},
                 {0, 0.0},         {1000000, 1e308},      {7, -1e-308}};
    int images = 0;
    for (const auto& hostile : cases) {
        for (int variant = 0; variant < 4; ++variant) {
            const bool toviRay = variant % 2 == 1, keepDetection = variant >= 2;
            SCOPED_TRACE(std::to_string(hostile.value) + (toviRay ? " ToviRay" : " 2000") +
                         (keepDetection ? ", detection kept" : ""));
            SensorOptions base = selected;
            if (toviRay) {
                base.SetText(SensorOptions::DeviceName, "TOVIRAY");
                base.SetText(SensorOptions::DeviceId, "usb\\vid_7a1c&pid_1005\\sray");
                base.SetText(SensorOptions::SensorId, "TR2S0042D");
            }
            const std::vector<std::uint8_t> record =
                Extremes(base, hostile.value, hostile.real, keepDetection);
            SEDSetConfigurationAndOptions(record.data(), static_cast<unsigned>(record.size()));
            StatusLog::Instance().Clear();
            const auto dib = ReceivedBytes(SEDCaptureImage(1u << 29, 0));
            if (dib.empty()) {
                EXPECT_FALSE(ErrorText().empty());
            }
            images += dib.empty() ? 0 : 1;

            EXPECT_EQ(StatusLog::Instance().Count(0), 1);
            HostIdle();
        }
    }
    EXPECT_GE(images, 12); // the records with their detection settings kept reach the chain
}
