#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "plugin/SensorOptions.h"
#include "plugin/ui/DialogViews.h"
#include "plugin/ui/SelectSensorDialog.h"
#include "plugin/ui/headless/HeadlessDialogViews.h"
#include "plugin/ui/headless/HeadlessSelectSensorView.h"
#include "tests/native/DialogFixture.h"

using ui::DialogResult;
using ui::SelectionMode;
using ui::SelectSensorAction;

namespace {

// MB_OK | MB_ICONWARNING | MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST
constexpr unsigned kWarningBox = 0x00000030 | 0x00002000 | 0x00010000 | 0x00040000;

const char* const kNothingSelected =
    "You must select a Tovi USB II hardware system before you can click on the 'OK' button";
const char* const kUnsupported =
    "You may only select a Tovi 2000, ToviRayII or ToviRay sensor system with this sensor "
    "extension.  Please select either the 2000 series, ToviRayII series, or ToviRay series "
    "sensor system.";

class SelectSensorDialog : public DialogFixture {
protected:
    DialogResult Run(SelectionMode mode, std::vector<SelectSensorAction> actions = {}) {
        auto owned = std::make_unique<ui::HeadlessSelectSensorView>();
        script = owned->GetScript();
        record = owned->GetRecord();
        for (const SelectSensorAction& action : actions)
            script->Push(action);
        ui::SelectSensorHooks hooks;
        hooks.initialize = [this] { return initializes; };
        hooks.getDevices = [this](DeviceIdList& list) {
            ++listings;
            list = devices;
        };
        ui::CSelectSensorDlg dialog(std::move(owned), mode, options, hooks);
        return dialog.DoModal(reinterpret_cast<void*>(0x77));
    }
    ui::SelectSensorRecord Shown() const { return record->Snapshot(); }
    // The option record's text field at a literal offset.
    std::string Field(std::size_t offset) const {
        return reinterpret_cast<const char*>(options.Bytes().data() + offset);
    }
    void ExpectOneWarning(const std::string& text, const std::string& caption) const {
        auto shown = boxes->Shown();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, text);
        EXPECT_EQ(shown[0].caption, caption);
        EXPECT_EQ(shown[0].style, kWarningBox);
    }
    void ExpectNothingStored() const {
        EXPECT_EQ(Field(24), "");
        EXPECT_EQ(Field(88), "");
        EXPECT_EQ(Field(500), "");
    }

    bool initializes = true;
    int listings = 0;
    DeviceIdList devices;
    SensorOptions options;
    std::shared_ptr<ui::HeadlessSelectSensorView::Script> script;
    std::shared_ptr<ui::HeadlessSelectSensorView::Record> record;
};

const _ToviDeviceId kSensor2000{"2000", "A1B2C3", "USB\\VID_0547&PID_2131\\5&1"};
const _ToviDeviceId kToviRay{"TOVIRAY", "TR000042", "USB\\VID_04B4&PID_8613\\6&2"};

} // namespace

TEST_F(SelectSensorDialog, ListsTheSensorsWithTheFirstSelected) {
    devices = {kSensor2000, kToviRay};
    EXPECT_EQ(Run(SelectionMode::Normal, {SelectSensorAction::Cancel()}), DialogResult::Cancel);
    ui::SelectSensorRecord shown = Shown();
    EXPECT_EQ(shown.parent, reinterpret_cast<void*>(0x77));
    EXPECT_EQ(shown.columns, (std::vector<std::string>{"Device Name", "Sensor ID", "Device ID"}));
    ASSERT_EQ(shown.messages.size(), 1u);
    EXPECT_EQ(shown.messages[0].first,
              "Select that sensor that is to be used to capture the digital x-ray.");
    EXPECT_EQ(shown.messages[0].second, (ui::TextStyle{{0, 0, 128}, true, "MS Sans Serif"}));
    ASSERT_EQ(shown.rows.size(), 2u);
    EXPECT_EQ(shown.rows[0],
              (std::vector<std::string>{"2000", "A1B2C3", "USB\\VID_0547&PID_2131\\5&1"}));
    EXPECT_EQ(shown.rows[1][0], "TOVIRAY");
    EXPECT_EQ(shown.selectedRow, 0);
    EXPECT_EQ(shown.focusedRow, 0);
    EXPECT_FALSE(shown.listHidden);
    ExpectNothingStored();
}

TEST_F(SelectSensorDialog, OkStoresTheSelectedRow) {
    devices = {kSensor2000, kToviRay};
    EXPECT_EQ(Run(SelectionMode::Normal, {SelectSensorAction::Select(1), SelectSensorAction::Ok()}),
              DialogResult::Ok);
    EXPECT_EQ(Field(24), "TOVIRAY");
    EXPECT_EQ(Field(88), "USB\\VID_04B4&PID_8613\\6&2");
    EXPECT_EQ(Field(500), "TR000042");
    EXPECT_TRUE(boxes->Shown().empty());
}

TEST_F(SelectSensorDialog, StoredTextsAreCutTo63Characters) {
    devices = {{"2000", std::string(70, 's'), std::string(80, 'd')}};
    EXPECT_EQ(Run(SelectionMode::Normal, {SelectSensorAction::Ok()}), DialogResult::Ok);
    EXPECT_EQ(Field(88), std::string(63, 'd'));
    EXPECT_EQ(Field(500), std::string(63, 's'));
}

TEST_F(SelectSensorDialog, CaptureModeConfirmsASingleSensorByItself) {
    devices = {kToviRay};
    EXPECT_EQ(Run(SelectionMode::Capture, {SelectSensorAction::Cancel()}), DialogResult::Ok);
    EXPECT_TRUE(script->Front().has_value());
    EXPECT_EQ(Field(24), "TOVIRAY");
    EXPECT_EQ(Field(500), "TR000042");
}

TEST_F(SelectSensorDialog, OnlyCaptureModeWithOneSensorConfirmsByItself) {
    devices = {kToviRay};
    EXPECT_EQ(Run(SelectionMode::Normal, {SelectSensorAction::Cancel()}), DialogResult::Cancel);
    ExpectNothingStored();
    devices = {kSensor2000, kToviRay};
    EXPECT_EQ(Run(SelectionMode::Capture, {SelectSensorAction::Cancel()}), DialogResult::Cancel);
    ExpectNothingStored();
}

TEST_F(SelectSensorDialog, DeviceNamesMatchWithoutRegardToCase) {
    devices = {{"toviRAY", "TR1", "id-1"}};
    EXPECT_EQ(Run(SelectionMode::Normal, {SelectSensorAction::Ok()}), DialogResult::Ok);
    EXPECT_EQ(Field(24), "toviRAY");
    EXPECT_TRUE(boxes->Shown().empty());
}

TEST_F(SelectSensorDialog, OkWithoutSelectionWarnsAndStaysOpen) {
    devices = {kSensor2000};
    EXPECT_EQ(Run(SelectionMode::Normal, {SelectSensorAction::ClearSelection(),
                                          SelectSensorAction::Ok(), SelectSensorAction::Cancel()}),
              DialogResult::Cancel);
    ExpectOneWarning(kNothingSelected, "No Sensor System Selected");
    ExpectNothingStored();
}

TEST_F(SelectSensorDialog, UnsupportedSensorWarnsAndStaysOpen) {
    devices = {{"3000", "X1", "id-3"}, kSensor2000};
    EXPECT_EQ(Run(SelectionMode::Normal, {SelectSensorAction::Ok(), SelectSensorAction::Select(1),
                                          SelectSensorAction::Ok()}),
              DialogResult::Ok);
    ExpectOneWarning(kUnsupported, "Unsupported % Sensor System Selected");
    EXPECT_EQ(Field(24), "2000");
}

TEST_F(SelectSensorDialog, WarningsAreTranslated) {
    Translating();
    devices = {{"3000", "X1", "id-3"}};
    Run(SelectionMode::Normal, {SelectSensorAction::Ok(), SelectSensorAction::ClearSelection(),
                                SelectSensorAction::Ok(), SelectSensorAction::Cancel()});
    auto shown = boxes->Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, std::string("T:") + kUnsupported);
    EXPECT_EQ(shown[0].caption, "T:Unsupported % Sensor System Selected");
    EXPECT_EQ(shown[1].text, std::string("T:") + kNothingSelected);
    EXPECT_EQ(shown[1].caption, "T:No Sensor System Selected");
    ASSERT_FALSE(Shown().messages.empty());
    EXPECT_EQ(Shown().messages[0].first,
              "T:Select that sensor that is to be used to capture the digital x-ray.");
}

TEST_F(SelectSensorDialog, NoHardwareInterfaceLeavesTheListEmpty) {
    initializes = false;
    devices = {kSensor2000};
    EXPECT_EQ(Run(SelectionMode::Capture, {SelectSensorAction::Ok()}), DialogResult::Ok);
    ui::SelectSensorRecord shown = Shown();
    ASSERT_EQ(shown.messages.size(), 2u);
    EXPECT_EQ(shown.messages[1].first, "Unable to initialize Tovi USB II hardware interface.");
    EXPECT_EQ(shown.messages[1].second.colour, (ui::Colour{0, 0, 128}));
    EXPECT_TRUE(shown.rows.empty());
    EXPECT_FALSE(shown.listHidden);
    EXPECT_EQ(listings, 0);
    EXPECT_TRUE(boxes->Shown().empty());
    ExpectNothingStored();
}

TEST_F(SelectSensorDialog, NoDevicesHidesTheListAndOkStoresNothing) {
    options.SetText(SensorOptions::DeviceName, "2000");
    EXPECT_EQ(Run(SelectionMode::Capture, {SelectSensorAction::Ok()}), DialogResult::Ok);
    ui::SelectSensorRecord shown = Shown();
    ASSERT_EQ(shown.messages.size(), 2u);
    EXPECT_EQ(shown.messages[1].first,
              "No Tovi USB II devices detected. Please check your hardware connection.");
    EXPECT_EQ(shown.messages[1].second, (ui::TextStyle{{128, 0, 0}, true, "MS Sans Serif"}));
    EXPECT_TRUE(shown.listHidden);
    EXPECT_TRUE(boxes->Shown().empty());
    EXPECT_EQ(Field(24), "2000");
}

TEST_F(SelectSensorDialog, FormattedMessagesAreTranslatedBeforeFormatting) {
    Translating();
    initializes = false;
    Run(SelectionMode::Normal);
    ASSERT_EQ(Shown().messages.size(), 2u);
    EXPECT_EQ(Shown().messages.back().first,
              "T:Unable to initialize Tovi USB II hardware interface.");
    initializes = true;
    Run(SelectionMode::Normal);
    ASSERT_EQ(Shown().messages.size(), 2u);
    EXPECT_EQ(Shown().messages.back().first,
              "T:No Tovi USB II devices detected. Please check your hardware connection.");
}

TEST_F(SelectSensorDialog, AnEmptyScriptPressesOkOnceThenCancels) {
    devices = {kSensor2000};
    EXPECT_EQ(Run(SelectionMode::Normal), DialogResult::Ok);
    EXPECT_EQ(Field(24), "2000");
    devices = {{"3000", "X1", "id-3"}};
    EXPECT_EQ(Run(SelectionMode::Normal), DialogResult::Cancel);
    EXPECT_EQ(boxes->Shown().size(), 1u);
}

TEST_F(SelectSensorDialog, TheInstalledViewsServeTheDialog) {
    auto views = std::make_shared<ui::HeadlessDialogViews>();
    ui::SetDialogViews(views);
    views->Script(SelectSensorAction::Cancel());
    devices = {kSensor2000};
    ui::CSelectSensorDlg dialog(
        SelectionMode::Normal, options,
        {[] { return true; }, [this](DeviceIdList& list) { list = devices; }});
    EXPECT_EQ(dialog.DoModal(nullptr), DialogResult::Cancel);
    ui::SetDialogViews(nullptr);
    ASSERT_EQ(views->SelectionDialogs().size(), 1u);
    EXPECT_EQ(views->SelectionDialogs()[0].rows.size(), 1u);
}
