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

// Every sample of a row from its kernel sum: ClampRounded(source x sourceWeight
// + sum x scale), where a weight of 0 or 1 leaves the sum exactly as it was or
// adds the source sample exactly.
TOVI_PIXEL_LOOP void StoreRow(const std::uint16_t* __restrict__ in, const double* __restrict__ sums,
                              std::uint16_t* __restrict__ out, std::uint32_t width, double scale,
                              double sourceWeight, double maxValue) {
    for (std::uint32_t x = 0; x < width; ++x)
        out[x] = ClampRounded(in[x] * sourceWeight + sums[x] * scale, maxValue);
}

// The marks of four values: within tolerance + slack of a rounding step and in
// range. Out of range a value is never marked; in it, a step below 0 is.
typedef std::int32_t Int32x4 __attribute__((vector_size(16)));
typedef std::int64_t Mask4 __attribute__((vector_size(32)));
typedef std::uint16_t Sample4 __attribute__((vector_size(8)));

inline void MarkNearSteps(const Lanes& value, double upper, double slack, Mask4& marks) {
    const Mask4 inRange = (value > -1.0) & (value < upper);
    const Lanes step = inRange ? value + 0.5 : Lanes{} + 0.5;
    const Lanes fraction =
        step - __builtin_convertvector(__builtin_convertvector(step, Int32x4), Lanes);
    const Lanes other = 1.0 - fraction;
    const Lanes distance = fraction < other ? fraction : other;
    marks = inRange & (distance <= slack);
}

// StoreRow, marking the samples whose value lies within about tolerance of a
// rounding step (a superset: the caller checks each exactly).
TOVI_PIXEL_LOOP void StoreRowMarkingSteps(const std::uint16_t* __restrict__ in,
                                          const double* __restrict__ sums,
                                          std::uint16_t* __restrict__ out,
                                          std::uint8_t* __restrict__ marks, std::uint32_t width,
                                          double scale, double sourceWeight, double maxValue,
                                          double tolerance) {
    const double slack = tolerance + 1e-9, upper = maxValue + 1;
    std::uint32_t x = 0;
    for (; x + kLanes <= width; x += kLanes) {
        Sample4 samples;
        Lanes sum;
        std::memcpy(&samples, in + x, sizeof samples);
        std::memcpy(&sum, sums + x, sizeof sum);
        const Lanes value = __builtin_convertvector(samples, Lanes) * sourceWeight + sum * scale;
        Lanes clamped = value < 0.0 ? Lanes{} : value;
        clamped = clamped > maxValue ? Lanes{} + maxValue : clamped;
        const Int32x4 rounded = __builtin_convertvector(clamped + 0.5, Int32x4); // truncates
        Mask4 near;
        MarkNearSteps(value, upper, slack, near);
        for (std::size_t i = 0; i < kLanes; ++i) {
            out[x + i] = static_cast<std::uint16_t>(rounded[i]);
            marks[x + i] = near[i] != 0;
        }
    }
    for (; x < width; ++x) {
        const double value = in[x] * sourceWeight + sums[x] * scale;
        out[x] = ClampRounded(value, maxValue);
        Mask4 near;
        MarkNearSteps(Lanes{} + value, upper, slack, near);
        marks[x] = near[0] != 0;
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
          result_(result), sums_(image.GetWidth()), marks_(image.GetWidth()) {
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
        const double sourceWeight = addSource_ ? 1.0 : 0.0;
        if (!grouped_) {
            convolution_detail::StoreRow(in, sums_.data(), out, width, kernel_.scale, sourceWeight,
                                         maxValue);
            return;
        }
        // The grouped sums can be off by up to tolerance: a value that near a
        // rounding step takes the formula's own sum.
        convolution_detail::StoreRowMarkingSteps(in, sums_.data(), out, marks_.data(), width,
                                                 kernel_.scale, sourceWeight, maxValue, tolerance_);
        for (std::uint32_t x = 0; x < width; ++x) {
            if (marks_[x] == 0 ||
                !NearRoundingStep(Value(in[x], sums_[x] * kernel_.scale), tolerance_, maxValue))
                continue;
            out[x] = ClampRounded(Value(in[x], ApplyKernel(kernel_, image_, x, y)), maxValue);
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
    std::vector<std::uint8_t> marks_;
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
    if (!ForEachRowInChunks(image->GetHeight(), 32, progress, makeWorker))
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
