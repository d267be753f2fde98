#include "plugin/GroupOffsets.h"

namespace {

using O = SensorOptions::Offset;

constexpr GroupOffsets k2000{O::MedianOn2000,
                             O::MedianKind2000,
                             O::SmoothingOn2000,
                             O::SmoothingMaskWidth2000,
                             O::SmoothingMaskHeight2000,
                             O::SmoothingFactor2000,
                             O::SharpeningOn2000,
                             O::SharpeningMaskWidth2000,
                             O::SharpeningMaskHeight2000,
                             O::SharpeningFactor2000,
                             O::LaplaceOn2000,
                             O::LaplaceMaskWidth2000,
                             O::LaplaceMaskHeight2000,
                             O::LaplaceFactor2000,
                             O::PosteriorBrightness2000,
                             O::PosteriorContrast2000,
                             O::AnteriorBrightness2000,
                             O::AnteriorContrast2000,
                             O::PosteriorGamma2000,
                             O::AnteriorGamma2000,
                             O::PqeLevel2000,
                             true,
                             O::ReservedMaskWidth2000,
                             O::ReservedMaskHeight2000};

constexpr GroupOffsets kToviRay{O::MedianOnToviRay,
                                O::MedianKindToviRay,
                                O::SmoothingOnToviRay,
                                O::SmoothingMaskWidthToviRay,
                                O::SmoothingMaskHeightToviRay,
                                O::SmoothingFactorToviRay,
                                O::SharpeningOnToviRay,
                                O::SharpeningMaskWidthToviRay,
                                O::SharpeningMaskHeightToviRay,
                                O::SharpeningFactorToviRay,
                                O::LaplaceOnToviRay,
                                O::LaplaceMaskWidthToviRay,
                                O::LaplaceMaskHeightToviRay,
                                O::LaplaceFactorToviRay,
                                O::PosteriorBrightnessToviRay,
                                O::PosteriorContrastToviRay,
                                O::AnteriorBrightnessToviRay,
                                O::AnteriorContrastToviRay,
                                O::PosteriorGammaToviRay,
                                O::AnteriorGammaToviRay,
                                O::PqeLevelToviRay,
                                false,
                                O::Version,
                                O::Version};

constexpr GroupOffsets k2000Plus{O::MedianOn2000Plus,
                                 O::MedianKind2000Plus,
                                 O::SmoothingOn2000Plus,
                                 O::SmoothingMaskWidth2000Plus,
                                 O::SmoothingMaskHeight2000Plus,
                                 O::SmoothingFactor2000Plus,
                                 O::SharpeningOn2000Plus,
                                 O::SharpeningMaskWidth2000Plus,
                                 O::SharpeningMaskHeight2000Plus,
                                 O::SharpeningFactor2000Plus,
                                 O::LaplaceOn2000Plus,
                                 O::LaplaceMaskWidth2000Plus,
                                 O::LaplaceMaskHeight2000Plus,
                                 O::LaplaceFactor2000Plus,
                                 O::PosteriorBrightness2000Plus,
                                 O::PosteriorContrast2000Plus,
                                 O::AnteriorBrightness2000Plus,
                                 O::AnteriorContrast2000Plus,
                                 O::PosteriorGamma2000Plus,
                                 O::AnteriorGamma2000Plus,
                                 O::PqeLevel2000Plus,
                                 true,
                                 O::ReservedMaskWidth2000Plus,
                                 O::ReservedMaskHeight2000Plus};

} // namespace

const GroupOffsets& OffsetsOfFamily(std::int32_t family) {
    return family == 0 ? k2000 : family == 2 ? k2000Plus : kToviRay;
}
