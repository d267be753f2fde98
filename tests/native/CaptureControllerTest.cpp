#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "plugin/ui/options/PasswordGate.h"
#include "support/FileHelpers.h"
#include "support/LastError.h"
#include "tests/native/CaptureFixture.h"
#include "tests/native/LogFiles.h"

using capture_testing::CaptureTest;
using capture_testing::Status;
using capture_testing::StatusLog;
using ui::CaptureAction;
using ui::SelectSensorAction;

SED_EXPORT int SED_CALL SEDPreUnmount();
SED_EXPORT int SED_CALL SEDDisplayOptions();
SED_EXPORT int SED_CALL SEDDisplayConfiguration();
SED_EXPORT void SED_CALL SEDGetCurrentSensorDefinition(char*, int);

namespace {

bool HasStatus(const std::vector<Status>& statuses, int code, const std::string& text) {
    return std::any_of(statuses.begin(), statuses.end(), [&](const Status& status) {
        return status.code == code && status.text == text;
    });
}

bool HasStatusStartingWith(const std::vector<Status>& statuses, int code,
                           const std::string& start) {
    return std::any_of(statuses.begin(), statuses.end(), [&](const Status& status) {
        return status.code == code && status.text.rfind(start, 0) == 0;
    });
}

} // namespace

TEST_F(CaptureTest, AOneSensorCaptureSelectsItselfAndHandsOverTheImage) {
    Attach2000("S2000");
    auto dib = Received(SEDCaptureImage(0, 0));
    ASSERT_EQ(dib.bitCount, 8) << ErrorText();
    EXPECT_GT(dib.width, 0);
    EXPECT_GT(dib.height, 0);

    // The single sensor confirmed itself in the capture-mode selection dialog.
    ASSERT_EQ(views->SelectionDialogs().size(), 1u);
    EXPECT_EQ(Options().Text(SensorOptions::DeviceName), "2000");
    EXPECT_EQ(Options().Text(SensorOptions::SensorId), "XCCD0100C");
    EXPECT_EQ(Options().Text(SensorOptions::DeviceId), "usb\\vid_7a1c&pid_2000\\s2000");

    const std::vector<Status> statuses = StatusLog::Instance().Statuses();
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses.front().code, 5);
    EXPECT_EQ(statuses.front().text, "2000 XCCD0100C");
    EXPECT_TRUE(HasStatus(statuses, 6, "2000 XCCD0100C"));
    EXPECT_TRUE(HasStatusStartingWith(statuses, 5, "Flushing sensor "));
    EXPECT_TRUE(HasStatusStartingWith(statuses, 7, "Retrieving image "));
    EXPECT_TRUE(HasStatus(statuses, 7, "Normalize..."));
    EXPECT_EQ(statuses.back().code, 0);
    EXPECT_FALSE(statuses.back().hasText);
    EXPECT_EQ(StatusLog::Instance().Count(0), 1);

    // The dialog lines came from the worker; the dialog and the device are gone.
    ASSERT_EQ(views->CaptureDialogs().size(), 1u);
    const ui::CaptureDialogRecord dialog = views->CaptureDialogs()[0];
    EXPECT_TRUE(dialog.destroyed);
    EXPECT_EQ(dialog.loopResult, ui::DialogResult::Ok);
    EXPECT_NE(std::find(dialog.statusLines.begin(), dialog.statusLines.end(),
                        "Waiting for exposure.: Waiting for exposure (0%)"),
              dialog.statusLines.end());
    EXPECT_EQ(driver->OpenHandles(), 0u);
    EXPECT_EQ(SEDUserTerminated(), 0);

    // With the selection attached, the next capture asks nothing.
    EXPECT_EQ(Received(SEDCaptureImage16(0, 0)).bitCount, 16) << ErrorText();
    EXPECT_EQ(views->SelectionDialogs().size(), 1u);
}

TEST_F(CaptureTest, TheToviRayFrameKeepsItsGeometryInSixteenBits) {
    AttachToviRay("SRAY");
    Options().SetInt(SensorOptions::AutoOrient, 0);
    auto dib = Received(SEDCaptureImage16(0, 0));
    ASSERT_EQ(dib.bitCount, 16) << ErrorText();
    // Size D, 798 x 1070, less the shipped margins of 2 on every side.
    EXPECT_EQ(dib.width, 798 - 4);
    EXPECT_EQ(dib.height, 1070 - 4);
    EXPECT_EQ(Options().Text(SensorOptions::DeviceName), "TOVIRAY");
    EXPECT_TRUE(HasStatus(StatusLog::Instance().Statuses(), 6, "TOVIRAY TR2S0042D"));
}

TEST_F(CaptureTest, CancelDiscardsTheImageUnlessAModifierIsHeld) {
    // No exposure comes, and the sensor is waited for far longer than the test
    // takes: only the press of Cancel ends the wait.
    std::string settings = plugin_data::ReadResource("settings.xml");
    const std::string family = "<SENSOR id=\"2000\"";
    settings.replace(settings.find(family), family.size(),
                     family + " capture_timeout=\"2000000000\"");
    ASSERT_TRUE(testing_files::WriteFile(data.Path() + "\\settings.xml", settings));
    simulator::Sensor2000Config config;
    config.exposureDelay.reset();
    Attach2000("S2000", config);
    views->Script(CaptureAction{false, "Waiting for exposure"});
    EXPECT_EQ(SEDCaptureImage(0, 0), nullptr);
    EXPECT_EQ(ErrorText(), "Sensor capture cancelled by the user");
    EXPECT_EQ(SEDUserTerminated(), 1);
    const std::vector<Status> statuses = StatusLog::Instance().Statuses();
    EXPECT_TRUE(HasStatus(statuses, 8, "Aborting Capture"));
    EXPECT_TRUE(HasStatusStartingWith(statuses, 8, "Aborting Capture 0%\n"));
    EXPECT_FALSE(HasStatusStartingWith(statuses, 7, "Median"));
    EXPECT_EQ(views->CaptureDialogs().back().loopResult, ui::DialogResult::Cancel);
    EXPECT_EQ(StatusLog::Instance().Count(0), 1);

    // Shift held: a manual trigger, and the image of what the sensor collected.
    StatusLog::Instance().Clear();
    views->Script(CaptureAction{true, "Waiting for exposure"});
    EXPECT_EQ(Received(SEDCaptureImage(0, 0)).bitCount, 8) << ErrorText();
    EXPECT_EQ(SEDUserTerminated(), 0);
    EXPECT_EQ(driver->OpenHandles(), 0u);
}

TEST_F(CaptureTest, RejectedDetectionSettingsStartNoWorker) {
    Attach2000();
    const struct {
        SensorOptions::Offset field;
        std::int32_t value;
        const char* message;
    } cases[] = {
        {SensorOptions::Sensitivity2000, 9,
         "Unable to set detection sensitivity for Tovi USB II device."},
        {SensorOptions::Threshold2000, 0,
         "Unable to set detection threshold for Tovi USB II device."},
        {SensorOptions::IntegrationTime2000, 100,
         "Unable to set integration time for Tovi USB II device."},
    };
    for (const auto& rejected : cases) {
        SensorOptions saved = Options();
        Options().SetInt(rejected.field, rejected.value);
        EXPECT_EQ(SEDCaptureImage16(0, 0), nullptr);
        EXPECT_EQ(ErrorText(), rejected.message);
        // No worker ran: the dialog was left open, the device closed.
        EXPECT_FALSE(views->CaptureDialogs().back().loopResult.has_value());
        EXPECT_FALSE(views->CaptureDialogs().back().destroyed);
        EXPECT_EQ(driver->OpenHandles(), 0u);
        Options() = saved;
    }
    // The next capture destroys the dialog left open, and succeeds.
    EXPECT_EQ(Received(SEDCaptureImage16(0, 0)).bitCount, 16) << ErrorText();
    for (const ui::CaptureDialogRecord& dialog : views->CaptureDialogs())
        EXPECT_TRUE(dialog.destroyed);
}

TEST_F(CaptureTest, SelectionFailuresAndTheirMessages) {
    // Nothing attached and the user cancels.
    views->Script(SelectSensorAction::Cancel());
    EXPECT_EQ(SEDCaptureImage(0, 0), nullptr);
    EXPECT_EQ(ErrorText(), "The user did not select a sensor");
    EXPECT_TRUE(controller->Initialize());
    EXPECT_FALSE(controller->FindSelectedSensor());
    EXPECT_EQ(LastErrorText(), "No Tovi devices detected. Please check your hardware connection.");

    Options().SetText(SensorOptions::DeviceId, "  ");
    EXPECT_FALSE(controller->CreateToviDevice());
    EXPECT_EQ(LastErrorText(), "No viable Tovi USB II sensor was selected in the sensor options; "
                               "the selected sensor system may no longer be available");
    Options().SetText(SensorOptions::DeviceName, "2000");
    Options().SetText(SensorOptions::DeviceId, " usb\\vid_7a1c&pid_2000\\gone ");
    EXPECT_FALSE(controller->CreateToviDevice());
    EXPECT_EQ(LastErrorText(),
              "Unable to create Tovi USB II device for device id: usb\\vid_7a1c&pid_2000\\gone. "
              "Please be sure that the 2000 hardware is plugged in and correctly configured and "
              "then retry the operation.");

    // The dialog cannot be made: the device is closed again.
    Attach2000();
    HostIdle();
    views->FailNextCaptureCreate();
    EXPECT_EQ(SEDCaptureImage(0, 0), nullptr);
    EXPECT_EQ(ErrorText(), "Out of memory!  Unable to create Tovi USB II support window!");
    EXPECT_EQ(driver->OpenHandles(), 0u);
    EXPECT_EQ(StatusLog::Instance().Count(0), 2);
}

TEST_F(CaptureTest, ASensorWithoutItsIdIsOfferedOncePerSensorFile) {
    ASSERT_TRUE(ksp::CreateDirectoryTree(module.Path() + "\\Devices"));
    for (const char* name : {"AAA.tovi", "BBB.tovi", "CCC.tovi"})
        ASSERT_TRUE(testing_files::WriteFile(module.Path() + "\\Devices\\" + name, "x"));
    simulator::Sensor2000Config config;
    config.memoryPresent = false;
    Attach2000("NOID", config);
    ASSERT_TRUE(controller->Initialize());
    DeviceIdList devices;
    controller->GetDevices(devices);
    ASSERT_EQ(devices.size(), 3u);
    std::vector<std::string> ids;
    for (const _ToviDeviceId& device : devices) {
        EXPECT_EQ(device.deviceName, "2000");
        EXPECT_EQ(device.deviceId, "usb\\vid_7a1c&pid_2000\\noid");
        ids.push_back(device.sensorId);
    }
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<std::string>{"AAA", "BBB", "CCC"}));
}

TEST_F(CaptureTest, ASensorPulledOutDuringTheCaptureEndsItAndTheNextOneWorks) {
    simulator::UsbPresence presence = Serial("GONE");
    presence.unplugAfterArming = 500;
    driver->Attach(simulator::Sensor2000Config{}, presence);
    EXPECT_EQ(SEDCaptureImage(0, 0), nullptr);
    EXPECT_EQ(ErrorText(), "Device 2000 XCCD0100C has been removed.");
    EXPECT_EQ(views->CaptureDialogs().back().loopResult, ui::DialogResult::Cancel);
    EXPECT_EQ(StatusLog::Instance().Count(0), 1);
    EXPECT_EQ(Device::LiveDevices(), liveDevices);
    EXPECT_EQ(driver->OpenHandles(), 0u);

    // Plugged back in (under its own serial), the capture goes through.
    Attach2000("BACK");
    HostIdle();
    EXPECT_EQ(Received(SEDCaptureImage(0, 0)).bitCount, 8) << ErrorText();
    EXPECT_EQ(Options().Text(SensorOptions::DeviceId), "usb\\vid_7a1c&pid_2000\\back");
}

TEST_F(CaptureTest, AFailedExposureEndsTheCaptureWithTheDevicesMessage) {
    simulator::Sensor2000Config config;
    config.exposureDelay.reset();
    Attach2000("NOXRAY", config);
    EXPECT_EQ(SEDCaptureImage(0, 0), nullptr);
    EXPECT_FALSE(ErrorText().empty());
    EXPECT_EQ(views->CaptureDialogs().back().loopResult, ui::DialogResult::Cancel);
    EXPECT_EQ(driver->OpenHandles(), 0u);
    EXPECT_EQ(StatusLog::Instance().Count(0), 1);
}

TEST_F(CaptureTest, ConfigurationSensorDefinitionAndUnmount) {
    char text[64] = {};
    SEDGetCurrentSensorDefinition(text, sizeof text);
    EXPECT_STREQ(text, "No Tovi USB II Sensor Detected");
    AttachToviRay();
    HostIdle();
    SEDGetCurrentSensorDefinition(text, sizeof text);
    EXPECT_STREQ(text, "TOVIRAY TR2S0042D");

    views->Script(SelectSensorAction::Ok());
    EXPECT_EQ(SEDDisplayConfiguration(), 1);
    views->Script(SelectSensorAction::Cancel());
    EXPECT_EQ(SEDDisplayConfiguration(), 0);
    ASSERT_EQ(views->SelectionDialogs().size(), 2u);

    EXPECT_NE(manager->MonitorWindow(), 0u);
    EXPECT_EQ(SEDPreUnmount(), 1);
    EXPECT_EQ(manager->MonitorWindow(), 0u);
}

TEST_F(CaptureTest, TheCaptureLogFollowsEveryStep) {
    Attach2000();
    Options().SetInt(SensorOptions::EnableLogging, 1);
    const auto before = log_files::LogFiles("ToviLog");
    auto dib = Received(SEDCaptureImage(0, 0));
    ASSERT_EQ(dib.bitCount, 8) << ErrorText();
    EXPECT_EQ(Received(SEDCaptureImage16(0, 0)).bitCount, 16) << ErrorText();
    Options().SetInt(SensorOptions::EnableLogging, 0);
    auto after = log_files::LogFiles("ToviLog");
    std::vector<std::string> created;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                        std::back_inserter(created));
    ASSERT_EQ(created.size(), 2u);
    const std::string eightBit = created[0], sixteenBit = created[1];
    const std::string end = "IFace::CaptureSingleImage()::End = Dim=(" + std::to_string(dib.width) +
                            ", " + std::to_string(dib.height) + ")";
    EXPECT_EQ(log_files::LinesStartingWith(eightBit, "IFace::CaptureSingleImage()::"),
              (std::vector<std::string>{
                  "IFace::CaptureSingleImage()::Begin",
                  "IFace::CaptureSingleImage()::Initialize",
                  "IFace::CaptureSingleImage()::SelectSensor",
                  "IFace::CaptureSingleImage()::CreateToviDevice",
                  "IFace::CaptureSingleImage()::CreateCaptureDlg",
                  "IFace::CaptureSingleImage()::CaptureImage",
                  "IFace::CaptureSingleImage()::DoModalCaptureDlg",
                  "IFace::CaptureSingleImage()::DestroyCaptureDlg",
                  "IFace::CaptureSingleImage()::CloseToviHardware",
                  end,
              }));
    EXPECT_EQ(log_files::LinesStartingWith(eightBit, "CaptureProc()::"),
              (std::vector<std::string>{
                  "CaptureProc()::Begin",
                  "CaptureProc()::CaptureImage",
                  "CaptureProc()::GetImage",
                  "CaptureProc()::Processing result",
                  "CaptureProc()::ProcessBitmapToImage",
                  "CaptureProc()::End",
              }));
    EXPECT_EQ(log_files::LinesStartingWith(eightBit, "DLL sending SendReady("),
              std::vector<std::string>{"DLL sending SendReady(2000 XCCD0100C)"});
    EXPECT_EQ(log_files::LinesStartingWith(eightBit, "IFace::CaptureImage()::"),
              (std::vector<std::string>{
                  "IFace::CaptureImage()::Begin",
                  "IFace::CaptureImage()::Setting properties",
                  "IFace::CaptureImage()::Creating capture thread",
                  "IFace::CaptureImage()::End",
              }));

    // The 16-bit capture writes the 8-bit text for the selection and none for the loop.
    const std::vector<std::string> steps16 =
        log_files::LinesStartingWith(sixteenBit, "IFace::CaptureSingleImage16Bit()::");
    EXPECT_EQ(log_files::LinesStartingWith(sixteenBit, "IFace::CaptureSingleImage()::"),
              std::vector<std::string>{"IFace::CaptureSingleImage()::SelectSensor"});
    ASSERT_EQ(steps16.size(), 8u);
    EXPECT_EQ(steps16[4], "IFace::CaptureSingleImage16Bit()::CaptureImage");
    EXPECT_EQ(steps16[5], "IFace::CaptureSingleImage16Bit()::DestroyCaptureDlg");
    EXPECT_EQ(steps16[7].rfind("IFace::CaptureSingleImage16Bit()::End = Dim=(", 0), 0u);
    for (const std::string& file : created)
        std::filesystem::remove(file);
}

TEST_F(CaptureTest, ReturnBinnedImageFromTheSheetReachesTheNextCapture) {
    Attach2000();
    Options().SetInt(SensorOptions::AutoOrient, 0);
    const auto full = Received(SEDCaptureImage16(0, 0));
    ASSERT_EQ(full.bitCount, 16) << ErrorText();

    ui::PasswordGate::Module().Forget();
    views->ScriptPassword(std::string("radiofennel"));
    views->Script(ui::OptionsSheetAction::Open(ui::OptionsPage::Detection));
    views->Script(ui::OptionsSheetAction::Edit<ui::DetectionValues>(
        ui::OptionsPage::Detection,
        std::function<void(ui::DetectionValues&)>(
            [](ui::DetectionValues& values) { values.returnBinnedImage = true; })));
    views->Script(ui::OptionsSheetAction::Ok());
    SEDDisplayOptions();
    ui::PasswordGate::Module().Forget();
    EXPECT_EQ(Options().Int(SensorOptions::FullResolution), 0);

    // "binned" set to "true": the sensor reads out 2 x 2 binned.
    const auto binned = Received(SEDCaptureImage16(0, 0));
    ASSERT_EQ(binned.bitCount, 16) << ErrorText();
    EXPECT_LT(binned.width, full.width * 6 / 10);
    EXPECT_LT(binned.height, full.height * 6 / 10);
}
