#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plugin/SensorOptions.h"

// What each page of the options sheet shows in its controls, how it fills
// them from the record when it opens, what its Defaults button puts there, and
// how its values go into the record on OK. The views only move these values to
// and from the controls.
namespace ui {

// The sensor families of the processing and adjustments pages.
enum class PageFamily : std::int32_t { Series2000 = 0, ToviRay = 1, Series2000Plus = 2 };

struct GeneralValues {
    bool pauseBetweenGroupCaptures = false;
    bool autoOrient = false;
    bool extendedFlushTimes = false;
    bool logging = false;
    bool rawDump = false;
    // The device manager's hardware summary, one line per device.
    std::string hardware;
    friend bool operator==(const GeneralValues&, const GeneralValues&) = default;
};
GeneralValues OpenGeneral(const SensorOptions& options, int saveRawDump, std::string hardware);
void ApplyGeneral(const GeneralValues& values, SensorOptions& options, int& saveRawDump);

// A mask-operation control: its size text and its factor.
struct MaskOperation {
    std::string size;
    std::int32_t factor = 0;
    friend bool operator==(const MaskOperation&, const MaskOperation&) = default;
};

struct ProcessingValues {
    bool median = false;
    bool fastMedian = false;
    bool thoroughMedian = false;
    bool smoothing = false;
    bool sharpening = false;
    bool laplace = false;
    MaskOperation smoothingMask, sharpeningMask, laplaceMask;
    friend bool operator==(const ProcessingValues&, const ProcessingValues&) = default;
};
// Repairs the record's empty masks and factors first; the repair stays.
ProcessingValues OpenProcessing(SensorOptions& options, PageFamily family);
ProcessingValues ProcessingDefaults(PageFamily family);
// False, writing nothing, when a mask size is not usable.
bool ApplyProcessing(const ProcessingValues& values, SensorOptions& options, PageFamily family);

struct AdjustmentGroup {
    std::int32_t brightness = 0;
    std::int32_t contrast = 0;
    // The slider shows gamma x 100 (0 to 500); the field the gamma with "%0.2lf".
    std::int32_t gammaSlider = 0;
    std::string gamma;
    friend bool operator==(const AdjustmentGroup&, const AdjustmentGroup&) = default;
};
// The slider's position for a gamma, and the field's text.
std::int32_t GammaSliderPosition(double gamma);
std::string GammaText(double gamma);

// The entries of the "PQE Enhancement Level" list.
const std::vector<std::string>& EnhancementLevelNames();

struct AdjustmentValues {
    AdjustmentGroup posterior, anterior;
    // The list's selection; -1 when the record's level is none of its entries.
    std::int32_t level = 0;
    friend bool operator==(const AdjustmentValues&, const AdjustmentValues&) = default;
};
AdjustmentValues OpenAdjustments(const SensorOptions& options, PageFamily family);
AdjustmentValues AdjustmentDefaults(PageFamily family);
void ApplyAdjustments(const AdjustmentValues& values, SensorOptions& options, PageFamily family);

struct CalibrationValues {
    std::string factor; // "%lf"
    friend bool operator==(const CalibrationValues&, const CalibrationValues&) = default;
};
CalibrationValues OpenCalibration(const SensorOptions& options);
void ApplyCalibration(const CalibrationValues& values, SensorOptions& options);

// The entries of both "Detection Sensitivity" lists; the record holds index + 1.
const std::vector<std::string>& SensitivityNames();

struct DetectionValues {
    std::int32_t sensitivity2000 = 0; // list indices
    std::int32_t sensitivityToviRay = 0;
    std::int32_t threshold2000 = 0;
    std::int32_t integrationTime2000 = 0;
    std::int32_t thresholdToviRay = 0;
    std::int32_t integrationTimeToviRay = 0;
    bool returnBinnedImage = false;
    friend bool operator==(const DetectionValues&, const DetectionValues&) = default;
};
DetectionValues OpenDetection(const SensorOptions& options);
// The lists, thresholds and integration times to their defaults; "Return
// binned image" stays as it is.
void SetDetectionDefaults(DetectionValues& values);
void ApplyDetection(const DetectionValues& values, SensorOptions& options);

} // namespace ui
