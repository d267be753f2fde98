#include "plugin/ui/options/OptionsPages.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "plugin/GroupOffsets.h"
#include "plugin/ui/options/MaskSize.h"
#include "support/TextFormat.h"

namespace ui {

namespace {

using O = SensorOptions::Offset;

const GroupOffsets& Offsets(PageFamily family) {
    return OffsetsOfFamily(static_cast<std::int32_t>(family));
}

bool IsOn(const SensorOptions& options, O offset) {
    return options.Int(offset) != 0;
}

void SetFlag(SensorOptions& options, O offset, bool on) {
    options.SetInt(offset, on ? 1 : 0);
}

// An empty mask becomes 3 x 3.
void RepairMask(SensorOptions& options, O columns, O rows) {
    if (options.Int(columns) == 0) {
        options.SetInt(columns, 3);
        options.SetInt(rows, 3);
    }
}

void RepairFactor(SensorOptions& options, O factor, std::int32_t value) {
    if (options.Int(factor) == 0)
        options.SetInt(factor, value);
}

MaskOperation ReadMask(const SensorOptions& options, O columns, O rows, O factor) {
    return {FormatMaskSize({options.Int(columns), options.Int(rows)}), options.Int(factor)};
}

void WriteMask(const MaskOperation& mask, SensorOptions& options, O columns, O rows, O factor) {
    const MaskSize size = ParseMaskSize(mask.size);
    options.SetInt(columns, size.columns);
    options.SetInt(rows, size.rows);
    options.SetInt(factor, mask.factor);
}

MaskOperation Mask(std::int32_t side, std::int32_t factor) {
    return {FormatMaskSize({side, side}), factor};
}

double ReadDecimal(const std::string& text) {
    const double value = std::strtod(text.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0;
}

AdjustmentGroup ReadAdjustment(const SensorOptions& options, O brightness, O contrast, O gamma) {
    const double value = options.Double(gamma);
    return {options.Int(brightness), options.Int(contrast), GammaSliderPosition(value),
            GammaText(value)};
}

void WriteAdjustment(const AdjustmentGroup& group, SensorOptions& options, O brightness, O contrast,
                     O gamma) {
    options.SetInt(brightness, std::clamp(group.brightness, -100, 100));
    options.SetInt(contrast, std::clamp(group.contrast, -100, 100));
    options.SetDouble(gamma, std::max(ReadDecimal(group.gamma), 0.0));
}

AdjustmentGroup DefaultAdjustment(std::int32_t brightness, std::int32_t contrast) {
    return {brightness, contrast, GammaSliderPosition(0.75), GammaText(0.75)};
}

// The list index of a stored sensitivity, or the fallback when no entry matches.
std::int32_t SensitivityIndex(std::int32_t stored, std::int32_t fallback) {
    const auto entries = static_cast<std::int32_t>(SensitivityNames().size());
    return stored >= 1 && stored <= entries ? stored - 1 : fallback;
}

std::int32_t WithinOr(std::int32_t value, std::int32_t low, std::int32_t high,
                      std::int32_t replacement) {
    return value >= low && value <= high ? value : replacement;
}

constexpr std::int32_t kFirstSensitivity = 0;   // the 2000 series' default entry
constexpr std::int32_t kSeventhSensitivity = 6; // the ToviRay series' default entry

} // namespace

GeneralValues OpenGeneral(const SensorOptions& options, int saveRawDump, std::string hardware) {
    return {IsOn(options, O::PauseBetweenGroupCaptures),
            IsOn(options, O::AutoOrient),
            IsOn(options, O::ExtendedFlush2000),
            IsOn(options, O::EnableLogging),
            saveRawDump != 0,
            std::move(hardware)};
}

void ApplyGeneral(const GeneralValues& values, SensorOptions& options, int& saveRawDump) {
    SetFlag(options, O::PauseBetweenGroupCaptures, values.pauseBetweenGroupCaptures);
    SetFlag(options, O::AutoOrient, values.autoOrient);
    SetFlag(options, O::ExtendedFlush2000, values.extendedFlushTimes);
    SetFlag(options, O::EnableLogging, values.logging);
    saveRawDump = values.rawDump ? 1 : 0;
}

ProcessingValues OpenProcessing(SensorOptions& options, PageFamily family) {
    const GroupOffsets& at = Offsets(family);
    RepairMask(options, at.smoothingCols, at.smoothingRows);
    if (at.hasReservedMask)
        RepairMask(options, at.reservedCols, at.reservedRows);
    RepairMask(options, at.sharpeningCols, at.sharpeningRows);
    RepairMask(options, at.laplaceCols, at.laplaceRows);
    RepairFactor(options, at.sharpeningFactor, 50);
    RepairFactor(options, at.laplaceFactor, 3);
    ProcessingValues values;
    values.median = IsOn(options, at.medianOn);
    values.fastMedian = options.Int(at.medianKind) == 1;
    values.thoroughMedian = options.Int(at.medianKind) == 2;
    values.smoothing = IsOn(options, at.smoothingOn);
    values.sharpening = IsOn(options, at.sharpeningOn);
    values.laplace = IsOn(options, at.laplaceOn);
    values.smoothingMask =
        ReadMask(options, at.smoothingCols, at.smoothingRows, at.smoothingFactor);
    values.sharpeningMask =
        ReadMask(options, at.sharpeningCols, at.sharpeningRows, at.sharpeningFactor);
    values.laplaceMask = ReadMask(options, at.laplaceCols, at.laplaceRows, at.laplaceFactor);
    return values;
}

ProcessingValues ProcessingDefaults(PageFamily family) {
    ProcessingValues values;
    values.median = true;
    values.smoothingMask = Mask(3, 50);
    values.sharpeningMask = Mask(3, 50);
    values.laplaceMask = Mask(3, 3);
    if (family == PageFamily::ToviRay) {
        values.thoroughMedian = true;
        values.sharpening = true;
        values.sharpeningMask = Mask(21, 5);
    }
    return values;
}

bool ApplyProcessing(const ProcessingValues& values, SensorOptions& options, PageFamily family) {
    for (const MaskOperation* mask :
         {&values.smoothingMask, &values.sharpeningMask, &values.laplaceMask})
        if (!IsUsableMaskSize(ParseMaskSize(mask->size)))
            return false;
    const GroupOffsets& at = Offsets(family);
    SetFlag(options, at.medianOn, values.median);
    options.SetInt(at.medianKind, values.fastMedian ? 1 : values.thoroughMedian ? 2 : 0);
    SetFlag(options, at.smoothingOn, values.smoothing);
    SetFlag(options, at.sharpeningOn, values.sharpening);
    SetFlag(options, at.laplaceOn, values.laplace);
    WriteMask(values.smoothingMask, options, at.smoothingCols, at.smoothingRows,
              at.smoothingFactor);
    WriteMask(values.sharpeningMask, options, at.sharpeningCols, at.sharpeningRows,
              at.sharpeningFactor);
    WriteMask(values.laplaceMask, options, at.laplaceCols, at.laplaceRows, at.laplaceFactor);
    return true;
}

std::int32_t GammaSliderPosition(double gamma) {
    if (!std::isfinite(gamma))
        return 0;
    return static_cast<std::int32_t>(std::lround(std::clamp(gamma * 100.0, 0.0, 500.0)));
}

std::string GammaText(double gamma) {
    return FormatText("%0.2lf", gamma);
}

const std::vector<std::string>& EnhancementLevelNames() {
    static const std::vector<std::string> names{"None", "Medium", "High"};
    return names;
}

AdjustmentValues OpenAdjustments(const SensorOptions& options, PageFamily family) {
    const GroupOffsets& at = Offsets(family);
    AdjustmentValues values;
    values.posterior =
        ReadAdjustment(options, at.posteriorBrightness, at.posteriorContrast, at.posteriorGamma);
    values.anterior =
        ReadAdjustment(options, at.anteriorBrightness, at.anteriorContrast, at.anteriorGamma);
    const std::int32_t level = options.Int(at.enhancementLevel);
    const auto entries = static_cast<std::int32_t>(EnhancementLevelNames().size());
    values.level = level >= 0 && level < entries ? level : -1;
    return values;
}

AdjustmentValues AdjustmentDefaults(PageFamily family) {
    AdjustmentValues values;
    switch (family) {
    case PageFamily::Series2000:
        values.posterior = values.anterior = DefaultAdjustment(-10, 10);
        values.level = 1;
        break;
    case PageFamily::ToviRay:
        values.posterior = values.anterior = DefaultAdjustment(-5, 5);
        values.level = 0;
        break;
    case PageFamily::Series2000Plus:
        values.posterior = values.anterior = DefaultAdjustment(-10, 0);
        values.level = 1;
        break;
    }
    return values;
}

void ApplyAdjustments(const AdjustmentValues& values, SensorOptions& options, PageFamily family) {
    const GroupOffsets& at = Offsets(family);
    WriteAdjustment(values.posterior, options, at.posteriorBrightness, at.posteriorContrast,
                    at.posteriorGamma);
    WriteAdjustment(values.anterior, options, at.anteriorBrightness, at.anteriorContrast,
                    at.anteriorGamma);
    // No selection keeps a level the list does not offer.
    if (values.level >= 0)
        options.SetInt(at.enhancementLevel, values.level);
}

CalibrationValues OpenCalibration(const SensorOptions& options) {
    const double factor = options.Double(O::CalibrationFactor);
    return {FormatText("%lf", factor == 0.0 ? 1.0 : factor)};
}

void ApplyCalibration(const CalibrationValues& values, SensorOptions& options) {
    const double factor = ReadDecimal(values.factor);
    options.SetDouble(O::CalibrationFactor, factor > 0.0 ? factor : 1.0);
}

const std::vector<std::string>& SensitivityNames() {
    static const std::vector<std::string> names{"1 (most sensitive)", "2", "3", "4", "5", "6",
                                                "7 (least sensitive)"};
    return names;
}

DetectionValues OpenDetection(const SensorOptions& options) {
    DetectionValues values;
    values.sensitivity2000 = SensitivityIndex(options.Int(O::Sensitivity2000), kFirstSensitivity);
    values.sensitivityToviRay =
        SensitivityIndex(options.Int(O::SensitivityToviRay), kSeventhSensitivity);
    values.threshold2000 = options.Int(O::Threshold2000);
    values.integrationTime2000 = options.Int(O::IntegrationTime2000);
    values.thresholdToviRay = options.Int(O::ThresholdToviRay);
    values.integrationTimeToviRay = options.Int(O::IntegrationTimeToviRay);
    // The record keeps the inverse of "Return binned image".
    values.returnBinnedImage = options.Int(O::FullResolution) == 0;
    return values;
}

void SetDetectionDefaults(DetectionValues& values) {
    const bool binned = values.returnBinnedImage;
    values = {kFirstSensitivity, kSeventhSensitivity, 15, 300, 160, 350, binned};
}

void ApplyDetection(const DetectionValues& values, SensorOptions& options) {
    // A list without a selection counts as its default entry.
    options.SetInt(O::Sensitivity2000,
                   SensitivityIndex(values.sensitivity2000 + 1, kFirstSensitivity) + 1);
    options.SetInt(O::SensitivityToviRay,
                   SensitivityIndex(values.sensitivityToviRay + 1, kSeventhSensitivity) + 1);
    options.SetInt(O::Threshold2000, WithinOr(values.threshold2000, 1, 255, 8));
    options.SetInt(O::ThresholdToviRay, WithinOr(values.thresholdToviRay, 1, 255, 160));
    options.SetInt(O::IntegrationTime2000, WithinOr(values.integrationTime2000, 200, 1000, 300));
    options.SetInt(O::IntegrationTimeToviRay,
                   WithinOr(values.integrationTimeToviRay, 200, 1000, 350));
    options.SetInt(O::FullResolution, values.returnBinnedImage ? 0 : 1);
}

} // namespace ui
