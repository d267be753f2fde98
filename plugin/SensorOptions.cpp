#include "plugin/SensorOptions.h"
#include "support/ByteFields.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

using O = SensorOptions::Offset;

constexpr std::pair<O, std::int32_t> kIntDefaults[] = {
    {O::Version, SensorOptions::kVersion},
    {O::MedianOn2000, 1},
    {O::SmoothingFactor2000, 50},
    {O::Reserved16, 100},
    {O::AutoOrient, 1},
    {O::Reserved152, 0x11223344},
    {O::FullResolution, 1},
    {O::PosteriorBrightness2000, -10},
    {O::PosteriorContrast2000, 10},
    {O::AnteriorBrightness2000, -10},
    {O::AnteriorContrast2000, 10},
    {O::Sensitivity2000, 1},
    {O::Threshold2000, 15},
    {O::IntegrationTime2000, 300},
    {O::SensitivityToviRay, 4},
    {O::ThresholdToviRay, 160},
    {O::IntegrationTimeToviRay, 350},
    {O::SmoothingMaskWidth2000, 3},
    {O::ReservedMaskWidth2000, 3},
    {O::SharpeningMaskWidth2000, 3},
    {O::SharpeningFactor2000, 50},
    {O::LaplaceMaskWidth2000, 3},
    {O::LaplaceFactor2000, 3},
    {O::PosteriorBrightnessToviRay, -5},
    {O::PosteriorContrastToviRay, 5},
    {O::AnteriorBrightnessToviRay, -5},
    {O::AnteriorContrastToviRay, 5},
    {O::MedianOnToviRay, 1},
    {O::MedianKindToviRay, 2},
    {O::SmoothingFactorToviRay, 50},
    {O::SmoothingMaskWidthToviRay, 3},
    {O::SharpeningOnToviRay, 1},
    {O::SharpeningFactorToviRay, 5},
    {O::SharpeningMaskWidthToviRay, 21},
    {O::LaplaceFactorToviRay, 3},
    {O::LaplaceMaskWidthToviRay, 3},
    {O::SmoothingMaskHeight2000, 3},
    {O::ReservedMaskHeight2000, 3},
    {O::SharpeningMaskHeight2000, 3},
    {O::LaplaceMaskHeight2000, 3},
    {O::SmoothingMaskHeightToviRay, 3},
    {O::SharpeningMaskHeightToviRay, 21},
    {O::LaplaceMaskHeightToviRay, 3},
    {O::MedianOn2000Plus, 1},
    {O::SmoothingFactor2000Plus, 50},
    {O::Reserved404, 100},
    {O::PosteriorBrightness2000Plus, -10},
    {O::AnteriorBrightness2000Plus, -10},
    {O::SmoothingMaskWidth2000Plus, 3},
    {O::ReservedMaskWidth2000Plus, 3},
    {O::SharpeningMaskWidth2000Plus, 3},
    {O::SharpeningFactor2000Plus, 50},
    {O::LaplaceMaskWidth2000Plus, 3},
    {O::LaplaceFactor2000Plus, 3},
    {O::SmoothingMaskHeight2000Plus, 3},
    {O::ReservedMaskHeight2000Plus, 3},
    {O::SharpeningMaskHeight2000Plus, 3},
    {O::LaplaceMaskHeight2000Plus, 3},
    {O::PqeLevel2000Plus, 1},
};

constexpr std::pair<O, double> kDoubleDefaults[] = {
    {O::PosteriorGamma2000, 0.75},    {O::AnteriorGamma2000, 0.75},
    {O::CalibrationFactor, 1.0},      {O::PosteriorGammaToviRay, 0.75},
    {O::AnteriorGammaToviRay, 0.75},  {O::PosteriorGamma2000Plus, 0.75},
    {O::AnteriorGamma2000Plus, 0.75},
};

// The ToviRay processing group as it is reset when its mask sizes are missing.
constexpr std::pair<O, std::int32_t> kToviRayProcessingReset[] = {
    {O::MedianOnToviRay, 1},
    {O::MedianKindToviRay, 1},
    {O::SmoothingOnToviRay, 0},
    {O::SmoothingFactorToviRay, 50},
    {O::SmoothingMaskWidthToviRay, 3},
    {O::SmoothingMaskHeightToviRay, 3},
    {O::SharpeningOnToviRay, 0},
    {O::SharpeningFactorToviRay, 50},
    {O::SharpeningMaskWidthToviRay, 3},
    {O::SharpeningMaskHeightToviRay, 3},
    {O::LaplaceOnToviRay, 0},
    {O::LaplaceFactorToviRay, 3},
    {O::LaplaceMaskWidthToviRay, 3},
    {O::LaplaceMaskHeightToviRay, 3},
};

// Second mask-size values and the first values they fall back to.
constexpr std::pair<O, O> kMaskHeightFallbacks[] = {
    {O::SmoothingMaskHeight2000, O::SmoothingMaskWidth2000},
    {O::ReservedMaskHeight2000, O::ReservedMaskWidth2000},
    {O::SharpeningMaskHeight2000, O::SharpeningMaskWidth2000},
    {O::LaplaceMaskHeight2000, O::LaplaceMaskWidth2000},
    {O::SmoothingMaskHeightToviRay, O::SmoothingMaskWidthToviRay},
    {O::SharpeningMaskHeightToviRay, O::SharpeningMaskWidthToviRay},
    {O::LaplaceMaskHeightToviRay, O::LaplaceMaskWidthToviRay},
};

bool ToviRayToneIsBlank(const SensorOptions& options) {
    return options.Int(O::PosteriorBrightnessToviRay) == 0 &&
           options.Int(O::PosteriorContrastToviRay) == 0 &&
           options.Int(O::AnteriorBrightnessToviRay) == 0 &&
           options.Int(O::AnteriorContrastToviRay) == 0 &&
           options.Double(O::PosteriorGammaToviRay) == 0.0 &&
           options.Double(O::AnteriorGammaToviRay) == 0.0;
}

} // namespace

void SensorOptions::SetDefaults() {
    bytes_.fill(0);
    for (auto [offset, value] : kIntDefaults)
        SetInt(offset, value);
    for (auto [offset, value] : kDoubleDefaults)
        SetDouble(offset, value);
}

bool SensorOptions::Assign(const void* source, unsigned size) {
    if (source == nullptr || size < sizeof(std::int32_t))
        return false;
    if (LoadLittleEndian<std::int32_t>(static_cast<const std::uint8_t*>(source)) != kVersion)
        return false;
    bytes_.fill(0);
    std::memcpy(bytes_.data(), source, std::min<std::size_t>(size, kSize));
    Repair();
    return true;
}

void SensorOptions::Repair() {
    if (ToviRayToneIsBlank(*this)) {
        SetDouble(O::PosteriorGammaToviRay, 0.7);
        SetDouble(O::AnteriorGammaToviRay, 0.7);
    }
    if (Int(O::SmoothingMaskWidthToviRay) == 0 || Int(O::SharpeningMaskWidthToviRay) == 0) {
        for (auto [offset, value] : kToviRayProcessingReset)
            SetInt(offset, value);
    }
    for (auto [height, width] : kMaskHeightFallbacks) {
        if (Int(height) == 0)
            SetInt(height, Int(width));
    }
}

std::int32_t SensorOptions::Int(Offset offset) const {
    return LoadLittleEndian<std::int32_t>(bytes_.data() + offset);
}

void SensorOptions::SetInt(Offset offset, std::int32_t value) {
    StoreLittleEndian(bytes_.data() + offset, value);
}

double SensorOptions::Double(Offset offset) const {
    return LoadLittleEndian<double>(bytes_.data() + offset);
}

void SensorOptions::SetDouble(Offset offset, double value) {
    StoreLittleEndian(bytes_.data() + offset, value);
}

std::string SensorOptions::Text(Offset offset) const {
    const char* field = reinterpret_cast<const char*>(bytes_.data() + offset);
    return std::string(field, strnlen(field, kTextField - 1));
}

void SensorOptions::SetText(Offset offset, const std::string& value) {
    std::uint8_t* field = bytes_.data() + offset;
    std::memset(field, 0, kTextField);
    CopyBoundedText(reinterpret_cast<char*>(field), kTextField, value);
}
