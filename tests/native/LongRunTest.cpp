// Many captures in one process, alternating families, depths and cancels:
// nothing grows. scripts/long-run makes it a thousand (TOVI_LONG_RUN_CAPTURES);
// the everyday run keeps it short.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/native/CaptureFixture.h"
#include "tests/native/ProcessGauges.h"

using capture_testing::CaptureTest;
using capture_testing::StatusLog;

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The sanitizers hold freed memory back and keep shadows of their own; they
// find leaks themselves.
constexpr bool kMemoryMeasured = false;
#else
constexpr bool kMemoryMeasured = true;
#endif

int CaptureCount() {
    const char* text = std::getenv("TOVI_LONG_RUN_CAPTURES");
    const int count = text != nullptr ? std::atoi(text) : 0;
    return count > 0 ? count : 24;
}

class LongRun : public CaptureTest {
protected:
    void SetUp() override {
        CaptureTest::SetUp();
        // Dialogs that keep no record of themselves, as in the product.
        views = std::make_shared<ui::HeadlessDialogViews>(false);
        ui::SetDialogViews(views);
        simulator::Sensor2000Config small;
        small.sensorId = "XCCD0001A";
        Attach2000("LONG2000", small);
        simulator::SensorToviRayConfig ray;
        ray.sensorId = "TR2S0042C";
        AttachToviRay("LONGRAY", ray);
    }
    // Capture number `index`: the family, depth and cancel follow from it.
    void CaptureNumber(int index) {
        const bool toviRay = index % 2 == 1, sixteenBit = index % 3 == 1;
        const bool cancel = index % 5 == 4;
        Options().SetText(SensorOptions::DeviceName, toviRay ? "TOVIRAY" : "2000");
        Options().SetText(SensorOptions::DeviceId, toviRay ? "usb\\vid_7a1c&pid_1005\\longray"
                                                           : "usb\\vid_7a1c&pid_2000\\long2000");
        Options().SetText(SensorOptions::SensorId, toviRay ? "TR2S0042C" : "XCCD0001A");
        if (cancel)
            views->Script(ui::CaptureAction{false, ""});
        StatusLog::Instance().Clear();
        driver->ClearRequests(); // the simulator's own record of every request
        void* dib = sixteenBit ? SEDCaptureImage16(1u << 29, 0) : SEDCaptureImage(1u << 29, 0);
        const bool got = !ReceivedBytes(dib).empty();
        EXPECT_EQ(got, !cancel) << "capture " << index << ": " << ErrorText();
        EXPECT_EQ(StatusLog::Instance().Count(0), 1) << "capture " << index;
        HostIdle();
    }
};

} // namespace

TEST_F(LongRun, CapturesLeaveMemoryThreadsAndHandlesFlat) {
    const int count = CaptureCount();
    for (int index = 0; index < 10; ++index) // the caches and pools settle
        CaptureNumber(index);
    const ProcessGauges before = ProcessGauges::Read();
    for (int index = 10; index < 10 + count; ++index)
        CaptureNumber(index);
    const ProcessGauges after = ProcessGauges::Read();
    std::printf("%d captures: memory %zu -> %zu KiB, threads %zu -> %zu, handles %zu -> %zu, "
                "window objects %zu -> %zu\n",
                count, before.memoryBytes / 1024, after.memoryBytes / 1024, before.threads,
                after.threads, before.handles, after.handles, before.windowObjects,
                after.windowObjects);
    if (kMemoryMeasured) {
        EXPECT_LE(after.memoryBytes, before.memoryBytes + 8u * 1024 * 1024);
    }
    EXPECT_LE(after.threads, before.threads);
    EXPECT_LE(after.handles, before.handles);
    EXPECT_LE(after.windowObjects, before.windowObjects);
    EXPECT_EQ(driver->OpenHandles(), 0u);
}
