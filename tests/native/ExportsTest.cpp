#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

#include "platform/GlobalMemory.h"
#include "platform/HeadlessMessageBoxes.h"
#include "platform/LocalTime.h"
#include "plugin/Logs.h"
#include "plugin/PluginState.h"
#include "support/Environment.h"
#include "support/FileHelpers.h"
#include "tests/native/LogFiles.h"
#include "tests/support/TestFiles.h"

SED_EXPORT void* SED_CALL SEDCaptureImage(unsigned, unsigned);
SED_EXPORT void* SED_CALL SEDCaptureImage16(unsigned, unsigned);
SED_EXPORT void SED_CALL SEDGroupStarted();
SED_EXPORT int SED_CALL SEDGroupEnded();
SED_EXPORT int SED_CALL SEDUserTerminated();
SED_EXPORT void SED_CALL SEDGetErrorMessage(char*, int);
SED_EXPORT void SED_CALL SEDGetCurrentSensorID(char*, int);
SED_EXPORT void SED_CALL SEDGetCurrentSensorDefinition(char*, int);
SED_EXPORT void SED_CALL SEDSetConfigurationAndOptions(const void*, unsigned);
SED_EXPORT void SED_CALL SEDSetStatusCallback(StatusCallback);
SED_EXPORT void SED_CALL SEDSetTranslateCallback(TranslateCallback);
SED_EXPORT int SED_CALL SEDGetImageInfo(char*, int);
SED_EXPORT void* SED_CALL SEDGetDiagnosticMessage(int);
SED_EXPORT int SED_CALL SEDAddNewSensor();
SED_EXPORT int SED_CALL SEDPostMount();
SED_EXPORT int SED_CALL SEDPreUnmount();
SED_EXPORT int SED_CALL SEDDisplayOptions();
SED_EXPORT void SED_CALL SEDGetDICOMInfo(void*);

namespace {

class OneByteImage : public CapturedImage {
public:
    platform::GlobalHandle CreatePackedDIB() const override {
        return platform::GlobalAllocZeroed(1);
    }
};

// Scripted controller: counts captures and can re-enter the exports mid-capture.
class TestController : public CaptureController {
public:
    bool Initialize() override { return initializes; }
    void GetDevices(DeviceIdList& out) override { out = devices; }
    const CapturedImage* CaptureSingleImage(unsigned, unsigned) override { return Capture(); }
    const CapturedImage* CaptureSingleImage16Bit(unsigned, unsigned) override { return Capture(); }
    bool ShowPauseDialog() override {
        ++pauses;
        return pauseContinues;
    }
    bool ShowSelectionDialog() override { return false; }
    void ShowOptionsSheet() override {}
    void Finalize() override { ++finalizes; }

    const CapturedImage* Capture() {
        ++captures;
        if (throws)
            throw 42;
        if (runsOutOfMemory)
            throw std::bad_alloc();
        if (reenter)
            nested = SEDCaptureImage(0, 0);
        return &image;
    }

    bool initializes = true;
    bool pauseContinues = true;
    bool reenter = false;
    bool throws = false;
    bool runsOutOfMemory = false;
    int captures = 0;
    int pauses = 0;
    int finalizes = 0;
    void* nested = reinterpret_cast<void*>(1);
    DeviceIdList devices;
    OneByteImage image;
};

int terminations = 0;
void SED_CALL CountStatus(int, int code, const char*) {
    terminations += code == 0 ? 1 : 0;
}
void SED_CALL ThrowOnTermination(int, int code, const char*) {
    if (code == 0)
        throw std::runtime_error("host failure");
}
void SED_CALL Hostile(const char*, char* out, int size) {
    std::snprintf(out, static_cast<size_t>(size), "%s", "%s %s %n %x");
}
void SED_CALL Shout(const char* text, char* out, int size) {
    std::snprintf(out, static_cast<size_t>(size), "[%s]", text);
}

class Exports : public ::testing::Test {
protected:
    void SetUp() override {
        PluginModule::Instance().Reset();
        auto owned = std::make_unique<TestController>();
        controller = owned.get();
        PluginModule::Instance().SetController(std::move(owned));
        auto ownedBoxes = std::make_unique<platform::HeadlessMessageBoxes>();
        boxes = ownedBoxes.get();
        platform::SetMessageBoxes(std::move(ownedBoxes));
        terminations = 0;
        SEDSetStatusCallback(CountStatus);
    }
    void TearDown() override {
        PluginModule::Instance().SetController(nullptr);
        platform::SetMessageBoxes(nullptr);
        PluginModule::Instance().Reset();
    }
    std::string ErrorText() {
        char text[512];
        SEDGetErrorMessage(text, sizeof text);
        return text;
    }

    TestController* controller = nullptr;
    platform::HeadlessMessageBoxes* boxes = nullptr;
};

} // namespace

TEST_F(Exports, CaptureHandsOverTheImageAndTerminatesOnce) {
    void* dib = SEDCaptureImage(0x3, 0);
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(platform::GlobalBlockSize(dib), 1u);
    platform::GlobalFreeBlock(dib);
    EXPECT_EQ(terminations, 1);
    EXPECT_EQ(PluginModule::Instance().state.permanentTeeth, 0x3u);
    EXPECT_EQ(PluginModule::Instance().state.captureActive, 0);
}

TEST_F(Exports, ReentrantCaptureIsRefusedWithTheWarningBox) {
    controller->reenter = true;
    void* dib = SEDCaptureImage(0, 0);
    ASSERT_NE(dib, nullptr);
    platform::GlobalFreeBlock(dib);
    EXPECT_EQ(controller->nested, nullptr);
    EXPECT_EQ(controller->captures, 1);
    EXPECT_EQ(terminations, 1);
    const std::string text = "A Tovi USB II capture is currently in process.  You cannot start "
                             "another acquisition until the current one is finished.";
    EXPECT_EQ(ErrorText(), text);
    auto shown = boxes->Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Capture Already Active");
    EXPECT_EQ(shown[0].text, text);
    EXPECT_EQ(shown[0].style, 0x52030u);
}

TEST_F(Exports, PauseDialogOnlyFromTheSecondEightBitCaptureOfAGroup) {
    PluginModule::Instance().state.options.SetInt(SensorOptions::PauseBetweenGroupCaptures, 1);
    SEDGroupStarted();
    platform::GlobalFreeBlock(SEDCaptureImage(0, 0));
    EXPECT_EQ(controller->pauses, 0);
    platform::GlobalFreeBlock(SEDCaptureImage16(0, 0));
    EXPECT_EQ(controller->pauses, 0);
    controller->pauseContinues = false;
    EXPECT_EQ(SEDCaptureImage(0, 0), nullptr);
    EXPECT_EQ(controller->pauses, 1);
    EXPECT_EQ(SEDUserTerminated(), 1);
    EXPECT_EQ(ErrorText(), "The user cancelled the capture process.");
    EXPECT_EQ(PluginModule::Instance().state.groupCaptureCount, 1);
    EXPECT_EQ(terminations, 2); // the aborted call never passed the guard
    EXPECT_EQ(SEDGroupEnded(), 0);
    EXPECT_EQ(PluginModule::Instance().state.groupCaptureCount, 0);
}

TEST_F(Exports, SensorTextsAndSelection) {
    char text[64];
    SEDGetCurrentSensorID(text, sizeof text);
    EXPECT_STREQ(text, "<Tovi USB II Sensor>");
    SEDGetCurrentSensorID(text, 5);
    EXPECT_STREQ(text, "<Tov");

    PluginModule::Instance().state.options.SetText(SensorOptions::DeviceName, "2000");
    SEDGetCurrentSensorDefinition(text, sizeof text);
    EXPECT_STREQ(text, "No Tovi USB II Sensor Detected");
    EXPECT_EQ(PluginModule::Instance().state.options.Text(SensorOptions::DeviceName), "");

    controller->devices = {{"TOVIRAY", "T1", "usb#a"}, {"2000", "XCCD42", "usb#b"}};
    auto& options = PluginModule::Instance().state.options;
    options.SetText(SensorOptions::DeviceId, "USB#B");
    options.SetText(SensorOptions::SensorId, "xccd42");
    options.SetText(SensorOptions::DeviceName, "2000");
    SEDGetCurrentSensorDefinition(text, sizeof text);
    EXPECT_STREQ(text, "2000 xccd42");
    options.SetText(SensorOptions::SensorId, "other");
    SEDGetCurrentSensorDefinition(text, sizeof text);
    EXPECT_STREQ(text, "TOVIRAY T1");

    controller->initializes = false;
    std::strcpy(text, "untouched");
    SEDGetCurrentSensorDefinition(text, sizeof text);
    EXPECT_STREQ(text, "untouched");
    ASSERT_EQ(boxes->Shown().size(), 1u);
    EXPECT_EQ(boxes->Shown()[0].text, "Unable to initialize Tovi USB II hardware interface..");
}

TEST_F(Exports, TranslatedMessagesAndHostBuffers) {
    SEDSetTranslateCallback(Shout);
    SEDAddNewSensor(); // not a translated text
    controller->pauseContinues = false;
    PluginModule::Instance().state.options.SetInt(SensorOptions::PauseBetweenGroupCaptures, 1);
    SEDGroupStarted();
    PluginModule::Instance().state.groupCaptureCount = 1;
    EXPECT_EQ(SEDCaptureImage(0, 0), nullptr);
    EXPECT_EQ(ErrorText(), "[The user cancelled the capture process.]");
    auto shown = boxes->Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text,
              "The 'Add New Sensor' feature is not required for the Tovi USB II system.");
    EXPECT_EQ(shown[0].caption, "ToviUSBII");

    EXPECT_EQ(SEDGetImageInfo(nullptr, 0), 0);
    char none[4] = "abc";
    SEDGetErrorMessage(none, 0);
    EXPECT_STREQ(none, "abc");
    EXPECT_EQ(SEDGetDiagnosticMessage(-1), nullptr);
    EXPECT_EQ(SEDGetDiagnosticMessage(0), nullptr);
}

TEST_F(Exports, FailingControllerNeitherEscapesNorLeavesTheCaptureActive) {
    controller->throws = true;
    EXPECT_EQ(SEDCaptureImage16(0, 0), nullptr);
    EXPECT_EQ(terminations, 1);
    EXPECT_EQ(PluginModule::Instance().state.captureActive, 0);
    EXPECT_FALSE(ErrorText().empty());
    controller->throws = false;
    void* dib = SEDCaptureImage16(0, 0);
    EXPECT_NE(dib, nullptr);
    platform::GlobalFreeBlock(dib);
}

TEST_F(Exports, TranslationsAreNeverUsedAsFormats) {
    SEDSetTranslateCallback(Hostile);
    EXPECT_EQ(SEDAddNewSensor(), 1);
    platform::GlobalFreeBlock(SEDCaptureImage(0, 0));
    controller->reenter = true;
    platform::GlobalFreeBlock(SEDCaptureImage(0, 0));
    EXPECT_EQ(ErrorText(), "Tovi USB II %s %n %x");
}

TEST_F(Exports, LoggingWritesTheMainAndCaptureLogsBesideTheHost) {
    platform::SetClock(std::make_shared<platform::VirtualClock>());
    SensorOptions& options = PluginModule::Instance().state.options;
    options.SetInt(SensorOptions::EnableLogging, 1);
    std::string mainPath = log_files::NextLogPath("ToviUSBIIMain", "ToviMainLog");
    EXPECT_EQ(SEDPostMount(), 1);
    EXPECT_TRUE(MainLog.IsLogOpen());
    ASSERT_TRUE(ksp::FileExists(mainPath)) << mainPath;

    std::string capturePath = log_files::NextLogPath("ToviUSBIIICap", "ToviLog");
    platform::GlobalFreeBlock(SEDCaptureImage(0, 0));
    EXPECT_FALSE(CaptureLog.IsLogOpen()); // each capture has a file of its own
    EXPECT_EQ(log_files::LinesAfterHeader(capturePath).back().rfind("Logging closed @ ", 0), 0u);
    std::string secondCapturePath = log_files::NextLogPath("ToviUSBIIICap", "ToviLog");
    controller->reenter = true;
    platform::GlobalFreeBlock(SEDCaptureImage(0, 0));
    char record[1584] = {};
    record[0] = 4;
    SEDGetDICOMInfo(record);
    SEDGetDICOMInfo(nullptr);
    EXPECT_EQ(SEDPreUnmount(), 1);

    options.SetInt(SensorOptions::EnableLogging, 0);
    SEDDisplayOptions();
    EXPECT_FALSE(MainLog.IsLogOpen());
    const std::string refused = "Error: A Tovi USB II capture is currently in process.  You cannot "
                                "start another acquisition until the current one is finished.";
    std::vector<std::string> expected = {"PostMount()",
                                         "SEDCaptureImage()::Begin",
                                         "SEDCaptureImage()::Converting to an HGLOBAL",
                                         "SEDCaptureImage()::HGLOBAL conversion complete",
                                         "SEDCaptureImage()::End",
                                         "SEDCaptureImage()::Begin",
                                         "SEDCaptureImage()::Begin",
                                         refused,
                                         "SEDCaptureImage()::Converting to an HGLOBAL",
                                         "SEDCaptureImage()::HGLOBAL conversion complete",
                                         "SEDCaptureImage()::End",
                                         "SEDGetDICOMInfo()::Begin",
                                         "SEDGetDICOMInfo()::End",
                                         "SEDGetDICOMInfo()::Begin",
                                         "PreUnMount()",
                                         "",
                                         "Logging closed @ " +
                                             platform::LongDateTimeText(platform::CalendarNow())};
    EXPECT_EQ(log_files::LinesAfterHeader(mainPath), expected);
    platform::SetClock(nullptr);
    ksp::DeleteFile(mainPath);
    ksp::DeleteFile(capturePath);
    ksp::DeleteFile(secondCapturePath);
}

TEST_F(Exports, AMemoryFailureLeavesTheTranslatedTextAndEndsTheCapture) {
    SEDSetTranslateCallback(Shout);
    controller->runsOutOfMemory = true;
    EXPECT_EQ(SEDCaptureImage(0, 0), nullptr);
    EXPECT_EQ(ErrorText(), "[Out of memory]");
    EXPECT_EQ(PluginModule::Instance().state.captureActive, 0);
    SEDSetTranslateCallback(nullptr);
}

TEST_F(Exports, ACaptureEndedByAnExceptionLeavesNoCaptureActive) {
    SEDSetStatusCallback(ThrowOnTermination);
    EXPECT_EQ(SEDCaptureImage(0, 0), nullptr); // the image is freed, not handed over
    EXPECT_EQ(PluginModule::Instance().state.captureActive, 0);
    SEDSetStatusCallback(CountStatus);
    void* dib = SEDCaptureImage(0, 0);
    ASSERT_NE(dib, nullptr);
    platform::GlobalFreeBlock(dib);
}
