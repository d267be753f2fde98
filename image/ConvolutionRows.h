#pragma once

// The row engine behind Convolve, SharpenImage and LaplaceEnhance.

#include <algorithm>
#include <memory>
#include <vector>

#include "image/FilterKernel.h"
#include "image/Image16.h"

namespace convolution_detail {

// Source row yy as doubles with left and right borders replicated by pad samples.
inline void PaddedRow(const CKIPImage16Bit& image, std::uint32_t yy, std::uint32_t pad,
                      double* out) {
    const std::uint16_t* row = image.GetRow(yy);
    std::uint32_t width = image.GetWidth();
    for (std::uint32_t i = 0; i < pad; ++i)
        out[i] = row[0];
    for (std::uint32_t x = 0; x < width; ++x)
        out[pad + x] = row[x];
    for (std::uint32_t i = 0; i < pad; ++i)
        out[pad + width + i] = row[width - 1];
}

// sums[x] = the kernel's weighted sum over the padded rows, kernel row by
// kernel row and tap by tap for each pixel (the formula's order), computed for
// blocks of pixels held in registers.
void KernelSums(const FilterKernel& kernel, const double* const* rows, double* sums,
                std::uint32_t width);

// The padded source rows a kernel needs, each converted once while the window moves down.
class PaddedRowCache {
public:
    PaddedRowCache(const CKIPImage16Bit& image, const FilterKernel& kernel)
        : image_(image), pad_(kernel.CentreCol()), pitch_(image.GetWidth() + 2 * pad_),
          slots_(kernel.Rows()), rows_(static_cast<std::size_t>(slots_) * pitch_),
          loaded_(slots_, -1), pointers_(slots_) {}

    // Pointers to the rows y - centreRow + r, clamped, for every kernel row r.
    const double* const* For(std::uint32_t y, std::uint32_t centreRow) {
        const std::int64_t height = image_.GetHeight();
        for (std::uint32_t r = 0; r < slots_; ++r) {
            std::int64_t yy =
                std::clamp<std::int64_t>(std::int64_t{y} - centreRow + r, 0, height - 1);
            std::size_t slot = static_cast<std::size_t>(yy % slots_);
            if (loaded_[slot] != yy) {
                PaddedRow(image_, static_cast<std::uint32_t>(yy), pad_, &rows_[slot * pitch_]);
                loaded_[slot] = yy;
            }
            pointers_[r] = &rows_[slot * pitch_];
        }
        return pointers_.data();
    }

private:
    const CKIPImage16Bit& image_;
    std::uint32_t pad_;
    std::size_t pitch_;
    std::uint32_t slots_;
    std::vector<double> rows_;
    std::vector<std::int64_t> loaded_;
    std::vector<const double*> pointers_;
};

} // namespace convolution_detail
