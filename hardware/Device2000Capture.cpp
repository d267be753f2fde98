#include <algorithm>
#include <iterator>

#include "hardware/Device2000.h"
#include "hardware/DeviceLog.h"
#include "hardware/DeviceStatus.h"
#include "platform/Clock.h"
#include "support/LastError.h"
#include "support/LogChannels.h"
#include "support/Translation.h"

namespace {

const char* const kCaptureTag = "Device2000::CaptureImage()::%s";
const char* const kTimedOut = "The hardware timed-out waiting for x-ray exposure or was unplugged.";
constexpr unsigned kStatusPoll = 100;
// A dark frame takes at most the integration time and its read-out; a sensor
// that never reports one must not hold the capture thread for ever.
constexpr std::int32_t kDarkFrameTimeout = 60000;
constexpr std::uint8_t kStatusReply = 0x83;

platform::Clock& Clock() {
    return platform::CurrentClock();
}

} // namespace

std::int32_t Device2000::CaptureImage() {
    LogStep("Device2000::CaptureImage()::Begin");
    LogStep("Device2000::CaptureImage()::GetSettingsFrom1WireMemory");
    if (std::int32_t status = GetSettingsFrom1WireMemory(); status != kDeviceOk)
        return status;
    LogStep("Device2000::CaptureImage()::Setting parameters");
    if (std::int32_t status = SetCaptureParameters(); status != kDeviceOk)
        return status;
    // A negative flush time from the settings would read as weeks of waiting.
    std::uint32_t wait = static_cast<std::uint32_t>(std::max(0, flushTime_));
    if (familyKey_ == "2000" && Host().ExtendedFlushTimes())
        wait += 3000;
    CaptureLog.Log("Device2000::CaptureImage()::Wait(%lu)", static_cast<unsigned long>(wait));
    PrepareWait(wait, 200, "Preparing sensor.", 2);
    LogStep("Device2000::CaptureImage()::DetectExposure");
    if (sensitivity_ >= 1 && sensitivity_ <= 7) {
        auto level = static_cast<std::uint8_t>(0x10 * sensitivity_);
        if (std::int32_t status = Send({0x02, 0x20, level}); status != kUsbOk)
            return Fail(status,
                        "The x-ray detection exposure could not be set.  Please check the "
                        "hardware connection and then retry the operation.",
                        kCaptureTag);
    }
    if (familyKey_ == "TOVIRAY") {
        CaptureLog.Log("Device2000::CaptureImage()::Additional Wait(%lu)", 1500ul);
        PrepareWait(1500, 100, "Waiting.", 100);
    }
    return ReadFrames();
}

std::int32_t Device2000::SetCaptureParameters() {
    if (std::int32_t status = Send({0x05, static_cast<std::uint8_t>(threshold_)}); status != kUsbOk)
        return Fail(status,
                    "The x-ray detection threshold could not be set.  Please check the hardware "
                    "connection and then retry the operation.",
                    kCaptureTag);
    if (std::int32_t status = Send({0x04, static_cast<std::uint8_t>(integrationTime_ >> 8),
                                    static_cast<std::uint8_t>(integrationTime_)});
        status != kUsbOk)
        return Fail(status,
                    "The x-ray integration time could not be set.  Please check the hardware "
                    "connection and then retry the operation.",
                    kCaptureTag);
    if (std::int32_t status = Send({0x02, 0x70}); status != kUsbOk)
        return Fail(status,
                    "The hardware could not be flushed.  Please check the hardware connection "
                    "and then retry the operation.",
                    kCaptureTag);
    return kDeviceOk;
}

// Progress in n = wait / step steps while the user has not cancelled, then 100 %.
void Device2000::PrepareWait(std::uint32_t milliseconds, std::uint32_t step, const char* text,
                             std::int32_t kind) {
    std::uint32_t steps = milliseconds / step;
    for (std::uint32_t i = 0; i < steps && !Host().UserTerminated(); ++i) {
        Notify(text, kind, static_cast<std::int32_t>(100 * i / steps));
        Clock().Sleep(step);
    }
    Notify(text, kind, 100);
}

// The exposure, then the exposed frame, the dark frame's wait and the dark frame.
std::int32_t Device2000::ReadFrames() {
    const bool binnedLarge = ReadsBinned() && sizeClass_ >= 2;
    static const std::uint8_t exposureCodes[] = {0x60, 0x50, 0x40, 0x30};
    static const std::uint8_t darkCodes[] = {0x60, 0x50};
    framesPaired_ = false;
    Notify("Waiting for exposure.", 3, 0);
    LogStep("Device2000::CaptureImage()::WaitForCcdStatus");
    if (WaitForCcdStatus(exposureCodes, binnedLarge ? 4 : 3, captureTimeout_) != 0) {
        AbortCapture();
        return Fail(kExposureTimeout, kTimedOut, kCaptureTag);
    }
    Notify("Exposure detected.", 3, 100);
    Notify("Downloading image.", 4, 0);
    LogStep("Device2000::CaptureImage()::ReadImage");
    // A frame that did not arrive whole cannot make an image: the read's message stands.
    std::int32_t exposedStatus = ReadImage(exposedFrame_);
    Notify("Downloading image.", 4, 50);
    triggerRequest_ = 0;
    LogStep("Device2000::CaptureImage()::WaitForCcdStatus");
    if (exposedStatus == kDeviceOk &&
        WaitForCcdStatus(darkCodes, binnedLarge ? 2 : 1, kDarkFrameTimeout) != 0)
        return Fail(kExposureTimeout, kTimedOut, kCaptureTag);
    LogStep("Device2000::CaptureImage()::ReadImage");
    std::int32_t darkStatus = exposedStatus == kDeviceOk ? ReadImage(darkFrame_) : exposedStatus;
    Notify("Downloading image.", 4, 100);
    if (darkStatus != kDeviceOk) {
        CaptureLog.Log(kCaptureTag, LastErrorText().c_str());
        return darkStatus;
    }
    framesPaired_ = true;
    LogStep("Device2000::CaptureImage()::End");
    return kDeviceOk;
}

std::int32_t Device2000::WaitForCcdStatus(const std::uint8_t* codes, std::size_t count,
                                          std::int32_t timeout) {
    std::uint64_t start = Clock().Milliseconds();
    if (count == 0)
        return 0;
    for (;;) {
        if (triggerRequest_.exchange(0) != 0)
            Send({0x02, 0xF0});
        Notify("Waiting for exposure.", 999, 0);
        Clock().Sleep(kStatusPoll);
        std::uint8_t reply[kReplyLength] = {};
        if (Channel().ReadReply(reply) != kUsbOk || reply[0] != kStatusReply)
            return -1;
        std::uint8_t status = reply[1] & 0xF0;
        for (std::size_t i = 0; i < count; ++i) {
            if (status == codes[i])
                return 0;
            if (timeout >= 0 &&
                Clock().Milliseconds() - start > static_cast<std::uint64_t>(timeout))
                return -1;
        }
    }
}

std::int32_t Device2000::AbortCapture() {
    triggerRequest_ = 1;
    framesPaired_ = false; // a new dark frame without its exposure
    LogStep("Device2000::AbortCapture()");
    static const std::uint8_t exposureCodes[] = {0x60, 0x50, 0x40};
    static const std::uint8_t darkCode[] = {0x60};
    if (WaitForCcdStatus(exposureCodes, std::size(exposureCodes), captureTimeout_) != 0)
        return kAbortNoAnswer;
    RawFrame discarded;
    ReadImage(discarded);
    triggerRequest_ = 0;
    if (WaitForCcdStatus(darkCode, std::size(darkCode), kDarkFrameTimeout) == 0)
        ReadImage(darkFrame_);
    return kDeviceOk;
}
