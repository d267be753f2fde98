#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "hardware/Codec.h"
#include "hardware/RawFrame.h"

// The ToviRay sensor's scaling of the dark frame by the exposure ("PDI" block).
struct ScalingBlock {
    bool enabled = false;
    double a = 0, b = 0, c = 0;
};

// The widest and tallest frame the correction's work planes take.
constexpr std::uint32_t kFpnMaxSide = 1200;

// The column fixed-pattern-noise correction of a ToviRay frame against its
// dark frame, the seam ramp when the scaling is off, and the shift to 16 bits.
// `sizeClass` is the stored class (2 or 3), which places the seam. Null when
// the frames differ in size, exceed kFpnMaxSide or the entries are fewer than
// the columns.
std::unique_ptr<RawFrame> CorrectFixedPatternNoise(const RawFrame& exposed, const RawFrame& dark,
                                                   const std::vector<tagFPNEntry>& entries,
                                                   const ScalingBlock& scaling,
                                                   std::int32_t sizeClass);

// The seam line of a stored size class for a frame of the given height; -1 when
// the frame has no seam line inside it.
std::int32_t SeamLine(std::int32_t sizeClass, std::int32_t height);

// The smoothing window's weights for a half-width r: a Gaussian of 30 columns'
// full width at half maximum over -r .. r, normalised to sum 1.
std::vector<double> SmoothingWeights(std::uint32_t r);
