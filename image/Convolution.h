#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

#include "image/EscapeAbort.h"
#include "image/FilterKernel.h"
#include "image/Image16.h"

// The weighted sum under the kernel at (x, y) of stored rows, with border
// replication, times the kernel's scale.
double ApplyKernel(const FilterKernel& kernel, const CKIPImage16Bit& image, std::uint32_t x,
                   std::uint32_t y);

// Every sample becomes trunc(v + 0.5) of the clamped kernel value.
std::unique_ptr<CKIPImage16Bit> Convolve(const CKIPImage16Bit* image, const FilterKernel& kernel,
                                         ProgressCallback progress = nullptr);

void MakeSmoothingKernel(FilterKernel& kernel, std::uint32_t cols, std::uint32_t rows,
                         std::uint32_t percent);
std::unique_ptr<CKIPImage16Bit> SmoothImage(const CKIPImage16Bit* image, std::uint32_t cols,
                                            std::uint32_t rows, std::uint32_t percent,
                                            ProgressCallback progress = nullptr);
// With the option record's signed values: null when one is negative.
std::unique_ptr<CKIPImage16Bit> SmoothImage(const CKIPImage16Bit* image, std::int32_t cols,
                                            std::int32_t rows, std::int32_t percent,
                                            ProgressCallback progress = nullptr);

// v limited to 0 ... maxValue, then trunc(v + 0.5) (the conversion truncates,
// in a form the compiler vectorises).
inline std::uint16_t ClampRounded(double v, double maxValue) {
    v = std::min(std::max(v, 0.0), maxValue);
    return static_cast<std::uint16_t>(static_cast<std::int32_t>(v + 0.5));
}

// Filters refuse a kernel larger than the image in either direction.
bool KernelFits(const FilterKernel& kernel, const CKIPImage16Bit& image);
// The same test on a mask size from the option record, before a kernel is built.
bool MaskFits(std::uint32_t cols, std::uint32_t rows, const CKIPImage16Bit* image);

// How ConvolveRows may reach each pixel's weighted sum; tests force the
// formula's tap-by-tap sum for every pixel through minimumTolerance.
struct ConvolutionOptions {
    bool allowGrouping = true;
    double minimumTolerance = 0;
};

// Every stored sample becomes ClampRounded of the kernel value at (x, y) (plus
// the source sample when addSource), the kernel value being ApplyKernel's:
// each pixel's terms in the kernel's row-major order, or a sum of grouped
// terms wherever that cannot change the rounded result. Null on abort or a
// kernel that does not fit.
std::unique_ptr<CKIPImage16Bit> ConvolveRows(const CKIPImage16Bit* image,
                                             const FilterKernel& kernel, ProgressCallback progress,
                                             bool addSource,
                                             const ConvolutionOptions& options = {});
