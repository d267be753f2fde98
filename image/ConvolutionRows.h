#pragma once

// The row engine behind Convolve, SharpenImage and LaplaceEnhance.

#include <algorithm>
#include <vector>

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

// Adds coefficient x padded[x + c] for every tap of kernel row r, tap by tap,
// so each pixel's sum keeps the formula's order while the loop runs across pixels.
inline void AccumulateRow(const FilterKernel& kernel, std::uint32_t r, const double* padded,
                          double* sums, std::uint32_t width) {
    for (std::uint32_t c = 0; c < kernel.Cols(); ++c) {
        const double coefficient = kernel.Coefficient(r, c);
        const double* taps = padded + c;
        for (std::uint32_t x = 0; x < width; ++x)
            sums[x] += coefficient * taps[x];
    }
}

} // namespace convolution_detail

template <typename Finish>
std::unique_ptr<CKIPImage16Bit> ConvolveRows(const CKIPImage16Bit* image,
                                             const FilterKernel& kernel, ProgressCallback progress,
                                             Finish finish) {
    if (image == nullptr || !image->IsValid() || !KernelFits(kernel, *image))
        return nullptr;
    auto result = image->Clone();
    if (!result)
        return nullptr;
    const std::uint32_t width = image->GetWidth();
    const std::uint32_t height = image->GetHeight();
    const std::uint32_t pad = kernel.CentreCol();
    std::vector<double> padded(static_cast<std::size_t>(width) + 2 * pad);
    std::vector<double> sums(width);
    EscapeAbort::ClearAbort();
    for (std::uint32_t y = 0; y < height; ++y) {
        std::fill(sums.begin(), sums.end(), 0.0);
        for (std::uint32_t r = 0; r < kernel.Rows(); ++r) {
            std::int64_t yy = std::int64_t{y} - kernel.CentreRow() + r;
            yy = std::clamp<std::int64_t>(yy, 0, height - 1);
            convolution_detail::PaddedRow(*image, static_cast<std::uint32_t>(yy), pad,
                                          padded.data());
            convolution_detail::AccumulateRow(kernel, r, padded.data(), sums.data(), width);
        }
        for (double& sum : sums)
            sum *= kernel.scale;
        finish(y, sums.data(), result->GetRow(y));
        if (EscapeAbort::PollAbort())
            return nullptr;
        if (progress != nullptr)
            progress(static_cast<double>(y) / height);
    }
    return result;
}
