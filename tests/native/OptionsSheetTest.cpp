#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "plugin/Logs.h"
#include "plugin/ui/DialogViews.h"
#include "plugin/ui/headless/HeadlessDialogViews.h"
#include "plugin/ui/options/PasswordGate.h"
#include "tests/native/DialogFixture.h"

SED_EXPORT int SED_CALL SEDDisplayOptions();

using ui::OptionsPage;
using ui::OptionsSheetAction;

namespace {

class OptionsSheet : public DialogFixture {
protected:
    void SetUp() override {
        DialogFixture::SetUp();
        ui::SetDialogViews(views);
        ui::PasswordGate::Module().Forget();
    }
    void TearDown() override {
        ui::PasswordGate::Module().Forget();
        ui::SetDialogViews(nullptr);
        DialogFixture::TearDown();
    }
    static SensorOptions& Options() { return PluginModule::Instance().state.options; }
    static std::int32_t IntAt(std::size_t offset) {
        return Options().Int(static_cast<SensorOptions::Offset>(offset));
    }
    void OpenDetection(std::optional<std::string> password) {
        views->ScriptPassword(std::move(password));
        views->Script(OptionsSheetAction::Open(OptionsPage::Detection));
    }
    template <typename Values> void Edit(OptionsPage page, std::function<void(Values&)> change) {
        views->Script(OptionsSheetAction::Edit<Values>(page, std::move(change)));
    }

    std::shared_ptr<ui::HeadlessDialogViews> views = std::make_shared<ui::HeadlessDialogViews>();
};

TEST_F(OptionsSheet, ThePagesTheirOrderAndTheNote) {
    views->Script(OptionsSheetAction::Cancel());
    EXPECT_EQ(SEDDisplayOptions(), 0);
    ASSERT_EQ(views->OptionsSheets().size(), 1u);
    const ui::OptionsSheetRecord sheet = views->OptionsSheets()[0];
    EXPECT_EQ(sheet.caption, "Sensor Options");
    EXPECT_EQ(sheet.note, "* - password protected options");
    const std::vector<std::pair<int, std::string>> expected = {
        {213, "General"},
        {6004, "2000 Image Processing"},
        {6005, "2000 Adjustments"},
        {30013, "ToviRay Image Processing"},
        {30012, "ToviRay Adjustments"},
        {30011, "Default Calibration"},
        {19004, "Detection Sensitivity and Threshold *"},
    };
    ASSERT_EQ(sheet.pages.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(sheet.pages[i].dialogId, expected[i].first);
        EXPECT_EQ(sheet.pages[i].title, expected[i].second);
    }
    const auto& general = std::get<ui::GeneralValues>(sheet.values.at(OptionsPage::General));
    EXPECT_EQ(general.hardware, "<No VXR hardware dectected>");
}

TEST_F(OptionsSheet, DetectionValuesBehindThePasswordAreReplacedOnOk) {
    OpenDetection(std::string("radio"));
    OpenDetection(std::string("RADIOFENNEL"));
    OpenDetection(std::string("radiofennel"));
    Edit<ui::DetectionValues>(OptionsPage::Detection, [](ui::DetectionValues& values) {
        values.threshold2000 = 0;
        values.integrationTimeToviRay = 1500;
        values.returnBinnedImage = true;
    });
    views->Script(OptionsSheetAction::Ok());
    SEDDisplayOptions();
    EXPECT_EQ(IntAt(212), 8);
    EXPECT_EQ(IntAt(228), 350);
    EXPECT_EQ(IntAt(156), 0);
    ASSERT_EQ(views->PasswordDialogs().size(), 3u);
    const ui::PasswordDialogRecord prompt = views->PasswordDialogs()[0];
    EXPECT_EQ(prompt.caption, "Password Required");
    EXPECT_EQ(prompt.label, "Password");
    EXPECT_EQ(prompt.labelStyle.colour, ui::kDarkBlue);
    EXPECT_EQ(prompt.message, "A password is required in order to access the advanced options.");
    EXPECT_EQ(prompt.messageStyle, (ui::TextStyle{ui::kDarkBlue, true, "MS Sans Serif"}));
    EXPECT_EQ(prompt.messageBackground, ui::kWhite);
    EXPECT_TRUE(prompt.sounded);
    ASSERT_EQ(boxes->Shown().size(), 2u);
    EXPECT_EQ(boxes->Shown()[1].text, "Invalid password specified");
    const auto activations = views->OptionsSheets()[0].activations;
    ASSERT_EQ(activations.size(), 4u); // General, then three tries at the detection page
    EXPECT_FALSE(activations[1].second);
    EXPECT_TRUE(activations[3].second);

    // Remembered for the module's life: the page opens without a prompt.
    views->Script(OptionsSheetAction::Open(OptionsPage::Detection));
    views->Script(OptionsSheetAction::Cancel());
    SEDDisplayOptions();
    EXPECT_EQ(views->PasswordDialogs().size(), 3u);
    EXPECT_EQ(views->OptionsSheets()[1].active, OptionsPage::Detection);
}

TEST_F(OptionsSheet, ACancelledPasswordGoesBackToTheFirstPage) {
    OpenDetection(std::nullopt);
    views->Script(OptionsSheetAction::Cancel());
    SEDDisplayOptions();
    EXPECT_EQ(views->OptionsSheets()[0].active, OptionsPage::General);
    EXPECT_TRUE(boxes->Shown().empty());
}

TEST_F(OptionsSheet, OnlyOpenedPagesAreAppliedAndARefusalKeepsTheSheetOpen) {
    Options().SetInt(SensorOptions::PosteriorBrightness2000, 33);
    Edit<ui::GeneralValues>(OptionsPage::General,
                            [](ui::GeneralValues& values) { values.autoOrient = false; });
    views->Script(OptionsSheetAction::Open(OptionsPage::Processing2000));
    Edit<ui::ProcessingValues>(OptionsPage::Processing2000, [](ui::ProcessingValues& values) {
        values.smoothingMask.size = "0 x 0";
        values.laplace = true;
    });
    views->Script(OptionsSheetAction::Ok());
    views->Script(OptionsSheetAction::Cancel());
    SEDDisplayOptions();
    const ui::OptionsSheetRecord sheet = views->OptionsSheets()[0];
    EXPECT_EQ(sheet.refusedOks, 1);
    EXPECT_EQ(sheet.result, ui::DialogResult::Cancel);
    ASSERT_EQ(boxes->Shown().size(), 1u);
    EXPECT_EQ(boxes->Shown()[0].caption, "Invalid Mask Size Specified");
    EXPECT_EQ(boxes->Shown()[0].text,
              "An invalidate mask size was specified.  Please check the values entered for the "
              "various mask sizes before clicking on the 'OK' button.");
    EXPECT_EQ(IntAt(20), 0);  // General came before the refusal and stays applied
    EXPECT_EQ(IntAt(256), 0); // the refusing page wrote nothing
    EXPECT_EQ(IntAt(164), 33);
}

TEST_F(OptionsSheet, DefaultsAskOnEveryPageButDetection) {
    views->Script(OptionsSheetAction::Open(OptionsPage::ProcessingToviRay));
    views->Script(OptionsSheetAction::Defaults(OptionsPage::ProcessingToviRay));
    views->Script(OptionsSheetAction::Open(OptionsPage::Adjustments2000));
    views->Script(OptionsSheetAction::Defaults(OptionsPage::Adjustments2000));
    OpenDetection(std::string("radiofennel"));
    Edit<ui::DetectionValues>(OptionsPage::Detection,
                              [](ui::DetectionValues& values) { values.threshold2000 = 99; });
    views->Script(OptionsSheetAction::Defaults(OptionsPage::Detection));
    boxes->ScriptAnswer(6); // Yes
    boxes->ScriptAnswer(7); // No
    views->Script(OptionsSheetAction::Ok());
    SEDDisplayOptions();
    ASSERT_EQ(boxes->Shown().size(), 2u);
    EXPECT_EQ(boxes->Shown()[0].caption, "Set To Defaults");
    EXPECT_EQ(boxes->Shown()[0].text,
              "Are you sure that you want to set these settings to their defaults?");
    EXPECT_EQ(boxes->Shown()[0].style, 0x0004u);
    // Yes on the ToviRay processing page: sharpening on, 21 x 21, factor 5.
    EXPECT_EQ(IntAt(328), 1);
    EXPECT_EQ(IntAt(336), 21);
    EXPECT_EQ(IntAt(376), 21);
    EXPECT_EQ(IntAt(332), 5);
    EXPECT_EQ(IntAt(312), 2);
    // No on the 2000 adjustments: the record's values stay.
    EXPECT_EQ(IntAt(164), SensorOptions().Int(SensorOptions::PosteriorBrightness2000));
    EXPECT_EQ(IntAt(212), 15); // the detection defaults, without a question
}

TEST_F(OptionsSheet, TheLoggingOptionOpensAndClosesTheMainLog) {
    Edit<ui::GeneralValues>(OptionsPage::General,
                            [](ui::GeneralValues& values) { values.logging = true; });
    SEDDisplayOptions();
    EXPECT_TRUE(MainLog.IsLogOpen());
    Edit<ui::GeneralValues>(OptionsPage::General,
                            [](ui::GeneralValues& values) { values.logging = false; });
    SEDDisplayOptions();
    EXPECT_FALSE(MainLog.IsLogOpen());
}

TEST_F(OptionsSheet, YesToDefaultsOnEveryAskingPageWritesThemOnOk) {
    const OptionsPage asking[] = {OptionsPage::Processing2000, OptionsPage::Adjustments2000,
                                  OptionsPage::ProcessingToviRay, OptionsPage::AdjustmentsToviRay};
    for (OptionsPage page : asking) {
        views->Script(OptionsSheetAction::Open(page));
        views->Script(OptionsSheetAction::Defaults(page));
        boxes->ScriptAnswer(6);
    }
    views->Script(OptionsSheetAction::Ok());
    SEDDisplayOptions();
    EXPECT_EQ(boxes->Shown().size(), 4u);
    // 2000 processing: median on with kind 0, sharpening off, Laplace factor 3.
    EXPECT_EQ(IntAt(4), 1);
    EXPECT_EQ(IntAt(160), 0);
    EXPECT_EQ(IntAt(244), 0);
    EXPECT_EQ(IntAt(264), 3);
    // 2000 adjustments: -10, 10, gamma 0.75, "Medium"; ToviRay: -5, 5, "None".
    EXPECT_EQ(IntAt(164), -10);
    EXPECT_EQ(IntAt(176), 10);
    EXPECT_EQ(Options().Double(SensorOptions::AnteriorGamma2000), 0.75);
    EXPECT_EQ(IntAt(384), 1);
    EXPECT_EQ(IntAt(268), -5);
    EXPECT_EQ(IntAt(280), 5);
    EXPECT_EQ(IntAt(388), 0);
    // ToviRay processing: thorough median, sharpening 21 x 21 at 5.
    EXPECT_EQ(IntAt(312), 2);
    EXPECT_EQ(IntAt(336), 21);
}

} // namespace
