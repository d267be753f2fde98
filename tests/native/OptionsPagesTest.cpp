#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "plugin/SensorOptions.h"
#include "plugin/ui/options/MaskSize.h"
#include "plugin/ui/options/OptionsPages.h"
#include "plugin/ui/options/PasswordGate.h"

using ui::MaskSize;
using ui::PageFamily;

namespace {

std::int32_t IntAt(const SensorOptions& options, std::size_t offset) {
    return options.Int(static_cast<SensorOptions::Offset>(offset));
}
double DoubleAt(const SensorOptions& options, std::size_t offset) {
    return options.Double(static_cast<SensorOptions::Offset>(offset));
}
void SetIntAt(SensorOptions& options, std::size_t offset, std::int32_t value) {
    options.SetInt(static_cast<SensorOptions::Offset>(offset), value);
}

TEST(OptionsPages, MaskSizeTextTakesTwoNumbersBetweenSeparators) {
    const struct {
        const char* text;
        MaskSize size;
    } cases[] = {
        {"3 x 3", {3, 3}},     {"5x7", {5, 7}},     {"5X7", {5, 7}},     {"21,21", {21, 21}},
        {"9;9", {9, 9}},       {"3\\5", {3, 5}},    {"3:3", {3, 3}},     {"3/4", {3, 4}},
        {" 3  x  3 ", {3, 3}}, {"3.9 x 4", {3, 4}}, {"-3 x 3", {-3, 3}}, {"3", {0, 0}},
        {"3 x 3 x 3", {0, 0}}, {"3 by 3", {0, 0}},  {"", {0, 0}},        {"3 x 3\t", {0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ui::ParseMaskSize(c.text), c.size) << c.text;
    EXPECT_EQ(ui::FormatMaskSize({21, 5}), "21 x 5");
    EXPECT_TRUE(ui::IsUsableMaskSize({1, 99}));
    EXPECT_FALSE(ui::IsUsableMaskSize({0, 3}));
    EXPECT_FALSE(ui::IsUsableMaskSize({-3, 3}));
    EXPECT_FALSE(ui::IsUsableMaskSize({3, 100}));
}

TEST(OptionsPages, AProcessingPageRepairsTheRecordWhenItOpens) {
    SensorOptions options;
    for (std::size_t offset : {236u, 356u, 240u, 360u, 248u, 364u, 260u, 368u, 252u, 264u, 12u})
        SetIntAt(options, offset, 0);
    SetIntAt(options, 160, 1);
    ui::ProcessingValues values = ui::OpenProcessing(options, PageFamily::Series2000);
    // Smoothing, reserved, sharpening and Laplace masks 3 x 3; factors 50 and 3.
    for (std::size_t offset : {236u, 356u, 240u, 360u, 248u, 364u, 260u, 368u})
        EXPECT_EQ(IntAt(options, offset), 3) << offset;
    EXPECT_EQ(IntAt(options, 252), 50);
    EXPECT_EQ(IntAt(options, 264), 3);
    EXPECT_EQ(IntAt(options, 12), 0); // the smoothing factor is not repaired
    EXPECT_TRUE(values.fastMedian);
    EXPECT_FALSE(values.thoroughMedian);
    EXPECT_EQ(values.sharpeningMask.size, "3 x 3");

    // On OK the median kind comes from the two boxes; a bad mask writes nothing.
    values.fastMedian = false;
    values.thoroughMedian = true;
    values.smoothingMask.size = "7;5";
    EXPECT_TRUE(ui::ApplyProcessing(values, options, PageFamily::Series2000));
    EXPECT_EQ(IntAt(options, 160), 2);
    EXPECT_EQ(IntAt(options, 236), 7);
    EXPECT_EQ(IntAt(options, 356), 5);
    const SensorOptions before = options;
    values.laplaceMask.size = "0 x 3";
    values.thoroughMedian = false;
    EXPECT_FALSE(ui::ApplyProcessing(values, options, PageFamily::Series2000));
    EXPECT_EQ(options.Bytes(), before.Bytes());
}

TEST(OptionsPages, DefaultsOfTheProcessingAndAdjustmentsPages) {
    const ui::ProcessingValues series2000 = ui::ProcessingDefaults(PageFamily::Series2000);
    EXPECT_TRUE(series2000.median);
    EXPECT_FALSE(series2000.fastMedian || series2000.thoroughMedian || series2000.smoothing ||
                 series2000.sharpening || series2000.laplace);
    EXPECT_EQ(series2000.smoothingMask, (ui::MaskOperation{"3 x 3", 50}));
    EXPECT_EQ(series2000.sharpeningMask, (ui::MaskOperation{"3 x 3", 50}));
    EXPECT_EQ(series2000.laplaceMask, (ui::MaskOperation{"3 x 3", 3}));
    const ui::ProcessingValues toviRay = ui::ProcessingDefaults(PageFamily::ToviRay);
    EXPECT_TRUE(toviRay.thoroughMedian && toviRay.sharpening);
    EXPECT_EQ(toviRay.sharpeningMask, (ui::MaskOperation{"21 x 21", 5}));

    const struct {
        PageFamily family;
        std::int32_t brightness, contrast, level;
    } adjustments[] = {{PageFamily::Series2000, -10, 10, 1},
                       {PageFamily::ToviRay, -5, 5, 0},
                       {PageFamily::Series2000Plus, -10, 0, 1}};
    for (const auto& expected : adjustments) {
        const ui::AdjustmentValues values = ui::AdjustmentDefaults(expected.family);
        for (const ui::AdjustmentGroup& group : {values.posterior, values.anterior}) {
            EXPECT_EQ(group.brightness, expected.brightness);
            EXPECT_EQ(group.contrast, expected.contrast);
            EXPECT_EQ(group.gammaSlider, 75);
            EXPECT_EQ(group.gamma, "0.75");
        }
        EXPECT_EQ(values.level, expected.level);
    }
    EXPECT_EQ(ui::EnhancementLevelNames(), (std::vector<std::string>{"None", "Medium", "High"}));
}

TEST(OptionsPages, AdjustmentsAreClampedAndCalibrationKeptPositive) {
    SensorOptions options;
    ui::AdjustmentValues values = ui::OpenAdjustments(options, PageFamily::ToviRay);
    values.posterior = {150, -150, 0, "-0.5"};
    values.anterior = {7, -8, 0, "1.25"};
    values.level = 2;
    ui::ApplyAdjustments(values, options, PageFamily::ToviRay);
    EXPECT_EQ(IntAt(options, 268), 100);
    EXPECT_EQ(IntAt(options, 272), -100);
    EXPECT_EQ(DoubleAt(options, 288), 0.0);
    EXPECT_EQ(IntAt(options, 276), 7);
    EXPECT_EQ(IntAt(options, 280), -8);
    EXPECT_EQ(DoubleAt(options, 296), 1.25);
    EXPECT_EQ(IntAt(options, 388), 2);
    EXPECT_EQ(ui::OpenAdjustments(options, PageFamily::ToviRay).anterior.gammaSlider, 125);

    options.SetDouble(SensorOptions::CalibrationFactor, 0.0);
    EXPECT_EQ(ui::OpenCalibration(options).factor, "1.000000");
    for (const char* typed : {"0", "-2", "none"}) {
        ui::ApplyCalibration({typed}, options);
        EXPECT_EQ(DoubleAt(options, 200), 1.0) << typed;
    }
    ui::ApplyCalibration({"1.5"}, options);
    EXPECT_EQ(DoubleAt(options, 200), 1.5);
}

TEST(OptionsPages, DetectionValuesOutOfRangeAreReplaced) {
    SensorOptions options;
    SetIntAt(options, 208, 9); // no such list entry
    SetIntAt(options, 220, 0);
    ui::DetectionValues values = ui::OpenDetection(options);
    EXPECT_EQ(values.sensitivity2000, 0);
    EXPECT_EQ(values.sensitivityToviRay, 6);
    values.threshold2000 = 0;
    values.integrationTimeToviRay = 1500;
    values.integrationTime2000 = 100;
    values.thresholdToviRay = 300;
    values.sensitivity2000 = 2;
    values.returnBinnedImage = true;
    ui::ApplyDetection(values, options);
    EXPECT_EQ(IntAt(options, 212), 8);
    EXPECT_EQ(IntAt(options, 228), 350);
    EXPECT_EQ(IntAt(options, 216), 300);
    EXPECT_EQ(IntAt(options, 224), 160);
    EXPECT_EQ(IntAt(options, 208), 3);
    EXPECT_EQ(IntAt(options, 220), 7);
    EXPECT_EQ(IntAt(options, 156), 0); // "Return binned image" on
    EXPECT_GE(ui::SensitivityNames().size(), 7u);

    ui::SetDetectionDefaults(values);
    EXPECT_EQ(values, (ui::DetectionValues{0, 6, 15, 300, 160, 350, true}));
}

TEST(OptionsPages, ThePasswordIsAskedUntilItIsRight) {
    ui::PasswordGate gate;
    std::vector<std::string> answers = {"RadioFennel", "radio fennel", "radiofennel"};
    int asked = 0;
    std::vector<std::string> warnings;
    auto prompt = [&]() -> std::optional<std::string> { return answers[asked++]; };
    auto warn = [&](const std::string& text) { warnings.push_back(text); };
    EXPECT_FALSE(gate.Admit(prompt, warn));
    EXPECT_FALSE(gate.Admit(prompt, warn));
    EXPECT_EQ(warnings, (std::vector<std::string>(2, "Invalid password specified")));
    EXPECT_TRUE(gate.Admit(prompt, warn));
    EXPECT_TRUE(gate.Admit(prompt, warn));
    EXPECT_EQ(asked, 3);
    // Remembered: no prompt, so even one that would cancel is not consulted.
    EXPECT_TRUE(gate.Admit([] { return std::optional<std::string>(); }, warn));
    gate.Forget();
    EXPECT_FALSE(gate.Admit([] { return std::optional<std::string>(); }, warn));
    EXPECT_EQ(warnings.size(), 2u); // Cancel warns of nothing
}

} // namespace
