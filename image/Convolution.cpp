#include "image/Convolution.h"

#include <cmath>
#include <cstring>

#include "image/ConvolutionRows.h"
#include "image/GroupedKernel.h"
#include "image/Multiversion.h"
#include "image/RecordValues.h"
#include "image/ResultImage.h"
#include "image/RowBands.h"

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

namespace {

using convolution_detail::GroupedKernel;
using convolution_detail::GroupedRows;
using convolution_detail::PaddedRowCache;

// Beyond this the grouped sums would send too many pixels back to the formula.
constexpr double kLargestTolerance = 1e-3;

// Whether the formula's value, within tolerance of value, could round or clamp
// to another sample than value does: the steps lie at the half-integers.
bool NearRoundingStep(double value, double tolerance, double maxValue) {
    if (value <= -1 || value >= maxValue + 1)
        return false;
    double step = value + 0.5;
    return std::abs(step - std::round(step)) <= tolerance;
}

// One thread's rows: grouped sums where the kernel has a plan, the formula's otherwise.
class ConvolutionWorker {
public:
    ConvolutionWorker(const CKIPImage16Bit& image, const FilterKernel& kernel,
                      const GroupedKernel* plan, double tolerance, bool addSource,
                      CKIPImage16Bit& result)
        : image_(image), kernel_(kernel), tolerance_(tolerance), addSource_(addSource),
          result_(result), sums_(image.GetWidth()) {
        if (plan != nullptr)
            grouped_ = std::make_unique<GroupedRows>(*plan, image);
        else
            cache_ = std::make_unique<PaddedRowCache>(image, kernel);
    }

    void Row(std::uint32_t y) {
        const std::uint32_t width = image_.GetWidth();
        if (grouped_)
            grouped_->Sums(y, sums_.data());
        else
            convolution_detail::KernelSums(kernel_, cache_->For(y, kernel_.CentreRow()),
                                           sums_.data(), width);
        const double maxValue = image_.GetMaxValue();
        const std::uint16_t* in = image_.GetRow(y);
        std::uint16_t* out = result_.GetRow(y);
        for (std::uint32_t x = 0; x < width; ++x) {
            double value = Value(in[x], sums_[x] * kernel_.scale);
            if (grouped_ && NearRoundingStep(value, tolerance_, maxValue))
                value = Value(in[x], ApplyKernel(kernel_, image_, x, y));
            out[x] = ClampRounded(value, maxValue);
        }
    }

private:
    double Value(std::uint16_t source, double kernelValue) const {
        return addSource_ ? source + kernelValue : kernelValue;
    }

    const CKIPImage16Bit& image_;
    const FilterKernel& kernel_;
    double tolerance_;
    bool addSource_;
    CKIPImage16Bit& result_;
    std::vector<double> sums_;
    std::unique_ptr<GroupedRows> grouped_;
    std::unique_ptr<PaddedRowCache> cache_;
};

} // namespace

std::unique_ptr<CKIPImage16Bit> ConvolveRows(const CKIPImage16Bit* image,
                                             const FilterKernel& kernel, ProgressCallback progress,
                                             bool addSource, const ConvolutionOptions& options) {
    if (image == nullptr || !image->IsValid() || !KernelFits(kernel, *image))
        return nullptr;
    auto result = NewResult(*image); // every picture sample is written
    if (!result)
        return nullptr;
    auto plan = options.allowGrouping ? GroupedKernel::Plan(kernel) : nullptr;
    double tolerance = 0;
    if (plan) {
        tolerance = std::max(plan->Tolerance(kernel.scale, addSource), options.minimumTolerance);
        if (tolerance > kLargestTolerance && options.minimumTolerance == 0)
            plan.reset();
    }
    EscapeAbort::ClearAbort();
    auto makeWorker = [&] {
        return [worker = std::make_unique<ConvolutionWorker>(*image, kernel, plan.get(), tolerance,
                                                             addSource, *result)](std::uint32_t y) {
            worker->Row(y);
        };
    };
    if (!ForEachRowInBands(image->GetHeight(), 32, progress, makeWorker))
        return nullptr;
    return result;
}

std::unique_ptr<CKIPImage16Bit> Convolve(const CKIPImage16Bit* image, const FilterKernel& kernel,
                                         ProgressCallback progress) {
    return ConvolveRows(image, kernel, progress, false);
}

void MakeSmoothingKernel(FilterKernel& kernel, std::uint32_t cols, std::uint32_t rows,
                         std::uint32_t percent) {
    kernel.SetKernelSize(cols, rows);
    double n = static_cast<double>(kernel.Rows()) * kernel.Cols();
    double f = percent / 100.0;
    kernel.FillKernel(f);
    kernel.SetKernelCentre(n * (1 - f) + 1);
    kernel.scale = kernel.ReciprocalOfSum();
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

std::unique_ptr<CKIPImage16Bit> SmoothImage(const CKIPImage16Bit* image, std::int32_t cols,
                                            std::int32_t rows, std::int32_t percent,
                                            ProgressCallback progress) {
    return WithRecordValues(cols, rows, percent, [&](auto c, auto r, auto p) {
        return SmoothImage(image, c, r, p, progress);
    });
}
