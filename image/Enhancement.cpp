#include "image/Enhancement.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <memory>
#include <mutex>
#include <numeric>
#include <vector>

#include "image/Convolution.h"
#include "image/Multiversion.h"
#include "image/RecordValues.h"
#include "image/ResultImage.h"
#include "image/RowBands.h"

namespace {

// Writes perSample(v) for every picture sample over the rows on every core, with
// progress (first + rows done) / divisor (rows done / height by default).
template <typename PerSample>
bool MapRows(const CKIPImage16Bit& image, CKIPImage16Bit& result, ProgressCallback progress,
             PerSample perSample, std::uint32_t first = 0, std::uint32_t divisor = 0) {
    const std::size_t width = image.GetWidth();
    return ForEachRowInChunks(
        image.GetHeight(), 64, progress,
        [&] {
            return [&](std::uint32_t y) {
                const std::uint16_t* __restrict__ in = image.GetRow(y);
                std::uint16_t* __restrict__ out = result.GetRow(y);
                for (std::size_t x = 0; x < width; ++x)
                    out[x] = perSample(in[x]);
            };
        },
        first, divisor);
}

// A table with an entry for every 16-bit sample, so looking up needs no bounds
// check; samples above the significant bits are looked up as the maximum.
using SampleTable = std::vector<std::uint16_t>;
constexpr std::size_t kSampleValues = 0x10000;

// Writes table[v] for every picture sample over the rows, with progress
// (first + rows done) / divisor (rows done / height by default).
bool LookUpRows(const CKIPImage16Bit& image, CKIPImage16Bit& result, const SampleTable& table,
                ProgressCallback progress, std::uint32_t first = 0, std::uint32_t divisor = 0) {
    const std::uint16_t* lookUp = table.data();
    return MapRows(
        image, result, progress, [=](std::uint16_t v) { return lookUp[v]; }, first, divisor);
}

// A result made by looking every sample up in the table.
std::unique_ptr<CKIPImage16Bit> MapSamples(const CKIPImage16Bit* image, const SampleTable& table,
                                           ProgressCallback progress) {
    auto result = NewResult(*image);
    if (!result)
        return nullptr;
    EscapeAbort::ClearAbort();
    return LookUpRows(*image, *result, table, progress) ? std::move(result) : nullptr;
}

// The formula is evaluated for every value up to maxValue, in chunks over the cores.
template <typename Formula> SampleTable TableOf(std::uint32_t maxValue, Formula formula) {
    SampleTable table(kSampleValues);
    maxValue = std::min<std::uint32_t>(maxValue, kSampleValues - 1);
    constexpr std::uint32_t kChunk = 1024;
    std::uint32_t chunks = maxValue / kChunk + 1;
    ParallelFor(chunks, 8, [&](std::uint32_t chunk) {
        std::uint32_t begin = chunk * kChunk;
        std::uint32_t end = std::min<std::uint32_t>(maxValue, begin + kChunk - 1);
        for (std::uint32_t v = begin; v <= end; ++v)
            table[v] = formula(v);
    });
    std::fill(table.begin() + maxValue + 1, table.end(), table[maxValue]);
    return table;
}

// The gamma tables of the last few gammas and depths: captures repeat the same
// few, and a table costs a power function per sample value.
std::shared_ptr<const SampleTable> GammaTable(double gamma, std::uint32_t maxValue) {
    struct Entry {
        double gamma;
        std::uint32_t maxValue;
        std::shared_ptr<const SampleTable> table;
    };
    constexpr std::size_t kKept = 4;
    static std::mutex guard;
    static std::deque<Entry> recent;
    std::lock_guard<std::mutex> lock(guard);
    for (const Entry& entry : recent)
        if (entry.gamma == gamma && entry.maxValue == maxValue)
            return entry.table;
    const double g = 1 / gamma;
    const double top = maxValue;
    auto table = std::make_shared<const SampleTable>(TableOf(maxValue, [&](std::uint32_t v) {
        return static_cast<std::uint16_t>(std::trunc(std::min(top, top * std::pow(v / top, g))));
    }));
    recent.push_front({gamma, maxValue, table});
    if (recent.size() > kKept)
        recent.pop_back();
    return table;
}

// The second pass of a two-pass operation: every sample through the table,
// progress (height + y) / (2 x height). Null on abort.
std::unique_ptr<CKIPImage16Bit> LookUpSecondPass(const CKIPImage16Bit& image,
                                                 std::unique_ptr<CKIPImage16Bit> result,
                                                 const SampleTable& table,
                                                 ProgressCallback progress) {
    const std::uint32_t height = image.GetHeight();
    return LookUpRows(image, *result, table, progress, height, 2 * height) ? std::move(result)
                                                                           : nullptr;
}

struct BrightnessContrast {
    std::uint32_t top; // samples above it count as it
    double maxValue;
    double mid;
    double gain;
    double offset;
};

// Computed per sample rather than through a table, which vectorises.
TOVI_WIDE_PIXEL_LOOP void BrightnessContrastRow(const std::uint16_t* __restrict__ in,
                                                std::uint16_t* __restrict__ out, std::size_t width,
                                                BrightnessContrast change) {
    for (std::size_t x = 0; x < width; ++x) {
        double v = std::min<std::uint32_t>(in[x], change.top);
        double w = v + (v - change.mid) * change.gain + change.offset;
        w = std::min(std::max(w, 0.0), change.maxValue);
        out[x] = static_cast<std::uint16_t>(static_cast<std::int32_t>(w)); // truncates
    }
}

TOVI_WIDE_PIXEL_LOOP void SampleRange(const std::uint16_t* __restrict__ in, std::size_t width,
                                      std::uint16_t& smallest, std::uint16_t& largest) {
    std::uint16_t low = 0xFFFF, high = 0;
    for (std::size_t x = 0; x < width; ++x) {
        low = std::min(low, in[x]);
        high = std::max(high, in[x]);
    }
    smallest = low;
    largest = high;
}

struct Stretch {
    std::uint32_t smallest; // no sample is below it
    double span;
    double maxValue;
    bool viaReciprocal;
};

// trunc((v - smallest) / span x maxValue) of an offset v - smallest, by the
// quotient as written or through the reciprocal of span, which is quicker.
inline std::int32_t ByQuotient(std::int32_t offset, const Stretch& stretch) {
    return static_cast<std::int32_t>(offset / stretch.span * stretch.maxValue);
}
inline std::int32_t ByReciprocal(std::int32_t offset, double reciprocal, const Stretch& stretch) {
    return static_cast<std::int32_t>(offset * reciprocal * stretch.maxValue);
}

TOVI_WIDE_PIXEL_LOOP void StretchByQuotient(const std::uint16_t* __restrict__ in,
                                            std::uint16_t* __restrict__ out, std::size_t width,
                                            Stretch stretch) {
    const auto smallest = static_cast<std::int32_t>(stretch.smallest);
    for (std::size_t x = 0; x < width; ++x)
        out[x] = static_cast<std::uint16_t>(ByQuotient(in[x] - smallest, stretch));
}

TOVI_WIDE_PIXEL_LOOP void StretchByReciprocal(const std::uint16_t* __restrict__ in,
                                              std::uint16_t* __restrict__ out, std::size_t width,
                                              Stretch stretch) {
    const auto smallest = static_cast<std::int32_t>(stretch.smallest);
    const double reciprocal = 1 / stretch.span;
    for (std::size_t x = 0; x < width; ++x)
        out[x] = static_cast<std::uint16_t>(ByReciprocal(in[x] - smallest, reciprocal, stretch));
}

// Both products lie within 4e-11 of offset x maxValue / span, which is at least
// 1 / span away from a whole number unless offset x maxValue is a multiple of
// span; so they can only truncate differently at those offsets, every
// span / gcd(span, maxValue), and the reciprocal serves when they agree at all.
Stretch PlanStretch(std::uint32_t smallest, std::uint32_t span, std::uint32_t maxValue) {
    Stretch stretch{smallest, static_cast<double>(span), static_cast<double>(maxValue), true};
    const std::uint32_t multiples = std::gcd(span, maxValue);
    if (multiples > 4096) { // checking them all would cost more than dividing
        stretch.viaReciprocal = false;
        return stretch;
    }
    const std::uint32_t period = span / multiples;
    for (std::uint32_t offset = 0; offset <= span && stretch.viaReciprocal; offset += period)
        stretch.viaReciprocal =
            ByQuotient(static_cast<std::int32_t>(offset), stretch) ==
            ByReciprocal(static_cast<std::int32_t>(offset), 1 / stretch.span, stretch);
    return stretch;
}

#if TOVI_HAS_FMA_LOOPS
// The quotient offset / span without dividing: the product with the reciprocal,
// corrected by its remainder, which the fused multiply-add gives exactly, is the
// correctly rounded quotient (Markstein), so this equals StretchByQuotient. It
// was checked against the division for every span and offset up to 65535 when
// written; the filter tests compare the two on the spans that come here.
TOVI_FMA_LOOP void StretchByCorrectedReciprocal(const std::uint16_t* __restrict__ in,
                                                std::uint16_t* __restrict__ out, std::size_t width,
                                                Stretch stretch) {
    const auto smallest = static_cast<std::int32_t>(stretch.smallest);
    const double reciprocal = 1 / stretch.span;
    for (std::size_t x = 0; x < width; ++x) {
        const double offset = in[x] - smallest;
        const double estimate = offset * reciprocal;
        const double remainder = __builtin_fma(-estimate, stretch.span, offset);
        const double quotient = __builtin_fma(remainder, reciprocal, estimate);
        out[x] = static_cast<std::uint16_t>(static_cast<std::int32_t>(quotient * stretch.maxValue));
    }
}
#endif

void StretchRow(const std::uint16_t* in, std::uint16_t* out, std::size_t width,
                const Stretch& stretch) {
    if (stretch.viaReciprocal)
        StretchByReciprocal(in, out, width, stretch);
#if TOVI_HAS_FMA_LOOPS
    else if (CpuHasFma())
        StretchByCorrectedReciprocal(in, out, width, stretch);
#endif
    else
        StretchByQuotient(in, out, width, stretch);
}

// How many picture samples have each value up to maxValue, those above it
// counted as it; progress rows done / (2 x height). False on abort.
bool CountSamples(const CKIPImage16Bit& image, ProgressCallback progress,
                  std::vector<std::uint32_t>& histogram) {
    // Each thread counts into a table of every 16-bit value of its own; a
    // table's samples stay where they are when the list of tables grows.
    std::mutex guard;
    std::vector<std::vector<std::uint32_t>> counts;
    const std::size_t width = image.GetWidth();
    const std::uint32_t height = image.GetHeight();
    bool counted = ForEachRowInChunks(
        height, 64, progress,
        [&] {
            std::lock_guard<std::mutex> lock(guard);
            std::uint32_t* count = counts.emplace_back(kSampleValues, 0).data();
            return [&image, width, count](std::uint32_t y) {
                const std::uint16_t* in = image.GetRow(y);
                for (std::size_t x = 0; x < width; ++x)
                    ++count[in[x]];
            };
        },
        0, 2 * height);
    if (!counted)
        return false;
    const std::uint32_t maxValue = std::min<std::uint32_t>(image.GetMaxValue(), kSampleValues - 1);
    histogram.assign(std::size_t{maxValue} + 1, 0);
    for (const auto& table : counts) {
        for (std::uint32_t v = 0; v < maxValue; ++v)
            histogram[v] += table[v];
        for (std::size_t v = maxValue; v < kSampleValues; ++v)
            histogram[maxValue] += table[v];
    }
    return true;
}

struct LevelRange {
    std::uint32_t lo = 0; // the samples below it are the low share; 0: none
    std::uint32_t hi = 0; // the samples above it are the high share; 0: none
};

// The levels that cut the low and the high share of the samples between 0 and
// maxValue off, counted from the histogram; progress as CountSamples. False on abort.
bool FindLevels(const CKIPImage16Bit& image, double low, double high, ProgressCallback progress,
                LevelRange& levels) {
    std::vector<std::uint32_t> histogram;
    if (!CountSamples(image, progress, histogram))
        return false;
    const std::uint32_t maxValue = image.GetMaxValue();
    std::uint64_t total = 0;
    for (std::uint32_t v = 1; v < maxValue; ++v)
        total += histogram[v];
    auto lowCount = static_cast<std::uint64_t>(std::trunc(total * low));
    auto highCount = static_cast<std::uint64_t>(std::trunc(total * high));
    std::uint64_t running = 0;
    for (std::uint32_t v = 1; v <= maxValue; ++v) {
        if (histogram[v] == 0)
            continue;
        running += histogram[v];
        if (running >= lowCount) {
            levels.lo = v;
            break;
        }
    }
    running = 0;
    for (std::uint32_t v = maxValue - 1; v >= 1; --v) {
        if (histogram[v] != 0) {
            running += histogram[v];
            if (running >= highCount) {
                levels.hi = v;
                break;
            }
        }
    }
    return true;
}

bool Valid(const CKIPImage16Bit* image) {
    return image != nullptr && image->IsValid();
}

// trunc(resolution x factor + 0.5), false when that does not fit the 32 bits.
bool Calibrated(std::uint32_t resolution, double factor, std::uint32_t& calibrated) {
    double value = std::trunc(resolution * factor + 0.5);
    if (!(value <= std::numeric_limits<std::uint32_t>::max()))
        return false;
    calibrated = static_cast<std::uint32_t>(value);
    return true;
}

} // namespace

std::unique_ptr<CKIPImage16Bit> InvertImage(const CKIPImage16Bit* image,
                                            ProgressCallback progress) {
    if (!Valid(image))
        return nullptr;
    auto result = NewResult(*image);
    if (!result)
        return nullptr;
    const auto mask = static_cast<std::uint16_t>(image->GetMaxValue());
    EscapeAbort::ClearAbort();
    bool done = MapRows(*image, *result, progress,
                        [=](std::uint16_t v) { return static_cast<std::uint16_t>(~v & mask); });
    return done ? std::move(result) : nullptr;
}

std::unique_ptr<CKIPImage16Bit> GammaCorrect(const CKIPImage16Bit* image, double gamma,
                                             ProgressCallback progress) {
    if (!Valid(image))
        return nullptr;
    if (!(gamma > 0) || !std::isfinite(gamma) || gamma == 1) // NaN and infinity change nothing
        return image->Clone();
    return MapSamples(image, *GammaTable(gamma, image->GetMaxValue()), progress);
}

std::unique_ptr<CKIPImage16Bit> AutoLevel(const CKIPImage16Bit* image, double low, double high,
                                          ProgressCallback progress) {
    if (!Valid(image))
        return nullptr;
    EscapeAbort::ClearAbort();
    LevelRange levels;
    if (!FindLevels(*image, low, high, progress, levels))
        return nullptr;
    // Made after the count, so the histograms never coexist with two frames.
    auto result = NewResult(*image);
    if (!result)
        return nullptr;
    const std::uint32_t lo = levels.lo, hi = levels.hi;
    if (hi == 0 || lo >= hi) { // nothing to stretch: the copy
        std::copy_n(image->GetPixels(), image->SampleCount(), result->GetPixels());
        return result;
    }
    const std::uint32_t maxValue = image->GetMaxValue();
    const double span = hi - lo;
    auto table = TableOf(maxValue, [&](std::uint32_t v) {
        if (v < lo)
            return std::uint16_t{0};
        if (v > hi)
            return static_cast<std::uint16_t>(maxValue);
        return static_cast<std::uint16_t>(std::trunc((v - lo) / span * maxValue));
    });
    return LookUpSecondPass(*image, std::move(result), table, progress);
}

bool HasAnteriorTeeth(std::uint32_t permanentTeeth, std::uint32_t primaryTeeth) {
    const std::uint32_t permanent = 0x00001FF8u | 0x1FF80000u; // teeth 4-13 and 20-29
    const std::uint32_t primary = 0x00000078u | 0x0001E000u;   // D-G and N-Q
    return (permanentTeeth & permanent) != 0 || (primaryTeeth & primary) != 0;
}

std::unique_ptr<CKIPImage16Bit> AdjustBrightnessContrast(const CKIPImage16Bit* image,
                                                         std::int32_t brightness,
                                                         std::int32_t contrast,
                                                         ProgressCallback progress) {
    if (!Valid(image))
        return nullptr;
    const double maxValue = image->GetMaxValue();
    const double mid = image->GetLevelCount() / 2;
    const double offset = brightness / 100.0 * maxValue;
    const double gain = contrast / 100.0;
    const BrightnessContrast change{image->GetMaxValue(), maxValue, mid, gain, offset};
    auto result = NewResult(*image);
    if (!result)
        return nullptr;
    EscapeAbort::ClearAbort();
    const std::size_t width = image->GetWidth();
    bool done = ForEachRowInChunks(image->GetHeight(), 64, progress, [&] {
        return [&](std::uint32_t y) {
            BrightnessContrastRow(image->GetRow(y), result->GetRow(y), width, change);
        };
    });
    return done ? std::move(result) : nullptr;
}

void MakeSharpenKernel(FilterKernel& kernel, std::uint32_t cols, std::uint32_t rows,
                       std::uint32_t percent) {
    kernel.SetKernelSize(cols, rows);
    double f = percent / 100.0;
    kernel.FillKernelInverseDistance(-1 - f);
    kernel.SetKernelCentre(0);
    double offCentre = kernel.KernelSum();
    kernel.SetKernelCentre((2 / std::pow(2.0, f)) * (-offCentre));
    kernel.scale = kernel.ReciprocalOfSum(); // 0 at 100 %
}

std::unique_ptr<CKIPImage16Bit> SharpenImage(const CKIPImage16Bit* image, std::uint32_t cols,
                                             std::uint32_t rows, std::uint32_t percent,
                                             ProgressCallback progress) {
    if (!MaskFits(cols, rows, image))
        return nullptr;
    FilterKernel kernel;
    MakeSharpenKernel(kernel, cols, rows, percent);
    return Convolve(image, kernel, progress);
}

void MakeLaplaceKernel(FilterKernel& kernel, std::uint32_t cols, std::uint32_t rows,
                       std::uint32_t strength) {
    kernel.SetKernelSize(cols, rows);
    kernel.scale = 1;
    double n = static_cast<double>(kernel.Rows()) * kernel.Cols();
    double w = strength == 0 ? -1.0 : -(strength / (n - 1));
    kernel.FillKernelInverseDistance(w);
    kernel.SetKernelCentre(0);
    kernel.SetKernelCentre(-kernel.KernelSum());
}

std::unique_ptr<CKIPImage16Bit> LaplaceEnhance(const CKIPImage16Bit* image, std::uint32_t cols,
                                               std::uint32_t rows, std::uint32_t strength,
                                               ProgressCallback progress) {
    if (!MaskFits(cols, rows, image))
        return nullptr;
    FilterKernel kernel;
    MakeLaplaceKernel(kernel, cols, rows, strength);
    return ConvolveRows(image, kernel, progress, true);
}

std::unique_ptr<CKIPImage16Bit> SharpenImage(const CKIPImage16Bit* image, std::int32_t cols,
                                             std::int32_t rows, std::int32_t percent,
                                             ProgressCallback progress) {
    return WithRecordValues(cols, rows, percent, [&](auto c, auto r, auto p) {
        return SharpenImage(image, c, r, p, progress);
    });
}

std::unique_ptr<CKIPImage16Bit> LaplaceEnhance(const CKIPImage16Bit* image, std::int32_t cols,
                                               std::int32_t rows, std::int32_t strength,
                                               ProgressCallback progress) {
    return WithRecordValues(cols, rows, strength, [&](auto c, auto r, auto s) {
        return LaplaceEnhance(image, c, r, s, progress);
    });
}

std::unique_ptr<CKIPImage16Bit> NormalizeImage(const CKIPImage16Bit* image,
                                               ProgressCallback progress) {
    if (!Valid(image))
        return nullptr;
    auto result = NewResult(*image);
    if (!result)
        return nullptr;
    const std::uint32_t maxValue = image->GetMaxValue();
    const std::uint32_t width = image->GetWidth();
    const std::uint32_t height = image->GetHeight();
    std::vector<std::uint16_t> rowSmallest(height), rowLargest(height);
    Stretch stretch{};
    bool flat = false; // a flat picture becomes 0
    auto scan = [&](std::uint32_t y) {
        SampleRange(image->GetRow(y), width, rowSmallest[y], rowLargest[y]);
    };
    auto plan = [&] {
        std::uint32_t smallest = std::min<std::uint32_t>(
            maxValue, *std::min_element(rowSmallest.begin(), rowSmallest.end()));
        std::uint32_t largest = *std::max_element(rowLargest.begin(), rowLargest.end());
        flat = largest <= smallest;
        stretch = PlanStretch(smallest, flat ? 1 : largest - smallest, maxValue);
    };
    auto map = [&](std::uint32_t y) {
        if (flat)
            std::fill_n(result->GetRow(y), width, 0);
        else
            StretchRow(image->GetRow(y), result->GetRow(y), width, stretch);
    };
    EscapeAbort::ClearAbort();
    if (!ForEachRowInTwoPasses(height, 64, progress, scan, plan, map))
        return nullptr;
    return result;
}

void ApplyCalibration(CKIPImage16Bit* image, double factor) {
    if (image == nullptr || !(factor > 0) || !std::isfinite(factor))
        return; // also not a number
    std::uint32_t x = 0, y = 0;
    if (Calibrated(image->GetResolutionX(), factor, x) &&
        Calibrated(image->GetResolutionY(), factor, y))
        image->SetResolution(x, y);
}
