#include "image/Convolution.h"

#include <cmath>
#include <cstring>

#include "image/Multiversion.h"

namespace convolution_detail {

namespace {
// Four doubles; without AVX the compiler splits it into SSE2 pairs.
typedef double Lanes __attribute__((vector_size(32)));
constexpr std::size_t kLanes = 4;
// Enough independent sums to hide the latency of the additions.
constexpr std::size_t kAccumulators = 8;
constexpr std::size_t kBlock = kAccumulators * kLanes;

// Adds coefficient x four doubles at at to lanes.
inline void AddScaled(Lanes& lanes, double coefficient, const double* at) {
    Lanes loaded;
    std::memcpy(&loaded, at, sizeof loaded);
    lanes += coefficient * loaded;
}
} // namespace

TOVI_PIXEL_LOOP void KernelSums(const FilterKernel& kernel, const double* const* rows,
                                double* __restrict__ sums, std::uint32_t width) {
    const std::uint32_t kernelRows = kernel.Rows();
    const std::uint32_t kernelCols = kernel.Cols();
    std::size_t x = 0;
    for (; x + kBlock <= width; x += kBlock) {
        Lanes lanes[kAccumulators] = {};
        for (std::uint32_t r = 0; r < kernelRows; ++r) {
            const double* row = rows[r] + x;
            const double* coefficients = kernel.RowCoefficients(r);
            for (std::uint32_t tap = 0; tap < kernelCols; ++tap) {
                for (std::size_t i = 0; i < kAccumulators; ++i)
                    AddScaled(lanes[i], coefficients[tap], row + tap + i * kLanes);
            }
        }
        std::memcpy(sums + x, lanes, sizeof lanes);
    }
    for (; x < width; ++x) {
        double sum = 0.0;
        for (std::uint32_t r = 0; r < kernelRows; ++r)
            for (std::uint32_t c = 0; c < kernelCols; ++c)
                sum += kernel.Coefficient(r, c) * rows[r][x + c];
        sums[x] = sum;
    }
}

} // namespace convolution_detail

bool KernelFits(const FilterKernel& kernel, const CKIPImage16Bit& image) {
    return kernel.Cols() <= image.GetWidth() && kernel.Rows() <= image.GetHeight();
}

bool MaskFits(std::uint32_t cols, std::uint32_t rows, const CKIPImage16Bit* image) {
    auto odd = [](std::uint64_t size) { return size == 0 ? 1 : (size % 2 == 0 ? size + 1 : size); };
    return image != nullptr && odd(cols) <= image->GetWidth() && odd(rows) <= image->GetHeight();
}

double ApplyKernel(const FilterKernel& kernel, const CKIPImage16Bit& image, std::uint32_t x,
                   std::uint32_t y) {
    double sum = 0.0;
    for (std::uint32_t r = 0; r < kernel.Rows(); ++r) {
        std::int64_t yy = std::clamp<std::int64_t>(std::int64_t{y} - kernel.CentreRow() + r, 0,
                                                   image.GetHeight() - 1);
        const std::uint16_t* row = image.GetRow(static_cast<std::uint32_t>(yy));
        for (std::uint32_t c = 0; c < kernel.Cols(); ++c) {
            std::int64_t xx = std::clamp<std::int64_t>(std::int64_t{x} - kernel.CentreCol() + c, 0,
                                                       image.GetWidth() - 1);
            sum += kernel.Coefficient(r, c) * row[xx];
        }
    }
    return sum * kernel.scale;
}

std::unique_ptr<CKIPImage16Bit> Convolve(const CKIPImage16Bit* image, const FilterKernel& kernel,
                                         ProgressCallback progress) {
    if (image == nullptr)
        return nullptr;
    const double maxValue = image->GetMaxValue();
    return ConvolveRows(image, kernel, progress,
                        [&](std::uint32_t, const double* sums, std::uint16_t* out) {
                            for (std::uint32_t x = 0; x < image->GetWidth(); ++x)
                                out[x] = ClampRounded(sums[x], maxValue);
                        });
}

void MakeSmoothingKernel(FilterKernel& kernel, std::uint32_t cols, std::uint32_t rows,
                         std::uint32_t percent) {
    kernel.SetKernelSize(cols, rows);
    double n = static_cast<double>(kernel.Rows()) * kernel.Cols();
    double f = percent / 100.0;
    kernel.FillKernel(f);
    kernel.SetKernelCentre(n * (1 - f) + 1);
    double sum = kernel.KernelSum();
    kernel.scale = sum != 0 ? 1 / sum : 0.0;
}

std::unique_ptr<CKIPImage16Bit> SmoothImage(const CKIPImage16Bit* image, std::uint32_t cols,
                                            std::uint32_t rows, std::uint32_t percent,
                                            ProgressCallback progress) {
    if (!MaskFits(cols, rows, image))
        return nullptr;
    FilterKernel kernel;
    MakeSmoothingKernel(kernel, cols, rows, percent);
    return Convolve(image, kernel, progress);
}
