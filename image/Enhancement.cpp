#include "image/Enhancement.h"

#include <cmath>
#include <vector>

#include "image/Convolution.h"
#include "image/ResultImage.h"
#include "image/RowBands.h"

namespace {

// Runs a pass over every picture sample row by row with the abort poll and
// progress (first + y) / divisor; false on abort.
template <typename Row>
bool EachRow(const CKIPImage16Bit& image, ProgressCallback progress, std::uint32_t first,
             std::uint32_t divisor, Row row) {
    for (std::uint32_t y = 0; y < image.GetHeight(); ++y) {
        row(y);
        if (EscapeAbort::PollAbort())
            return false;
        if (progress != nullptr)
            progress(static_cast<double>(first + y) / divisor);
    }
    return true;
}

// Writes perSample(v) for every picture sample over bands of rows.
template <typename PerSample>
bool MapRows(const CKIPImage16Bit& image, CKIPImage16Bit& result, ProgressCallback progress,
             PerSample perSample) {
    const std::uint32_t width = image.GetWidth();
    return ForEachRowInBands(image.GetHeight(), 64, progress, [&] {
        return [&](std::uint32_t y) {
            const std::uint16_t* __restrict__ in = image.GetRow(y);
            std::uint16_t* __restrict__ out = result.GetRow(y);
            for (std::uint32_t x = 0; x < width; ++x)
                out[x] = perSample(in[x]);
        };
    });
}

// A result made by looking every sample up in a table of maxValue + 1 entries.
std::unique_ptr<CKIPImage16Bit> MapSamples(const CKIPImage16Bit* image,
                                           const std::vector<std::uint16_t>& table,
                                           ProgressCallback progress) {
    auto result = NewResult(*image);
    if (!result)
        return nullptr;
    EscapeAbort::ClearAbort();
    const std::uint16_t* lookUp = table.data();
    const std::uint16_t last = table.back();
    const std::size_t size = table.size();
    bool done = MapRows(*image, *result, progress,
                        [=](std::uint16_t v) { return v < size ? lookUp[v] : last; });
    return done ? std::move(result) : nullptr;
}

// Samples above the significant bits are looked up as the maximum in tables; the
// formulas are evaluated for every value up to maxValue.
template <typename Formula>
std::vector<std::uint16_t> TableOf(std::uint32_t maxValue, Formula formula) {
    std::vector<std::uint16_t> table(std::size_t{maxValue} + 1);
    constexpr std::uint32_t kChunk = 1024;
    std::uint32_t chunks = (maxValue + kChunk) / kChunk;
    ParallelFor(chunks, 8, [&](std::uint32_t chunk) {
        std::uint32_t end = std::min<std::uint32_t>(maxValue, (chunk + 1) * kChunk - 1);
        for (std::uint32_t v = chunk * kChunk; v <= end; ++v)
            table[v] = formula(v);
    });
    return table;
}

// The second pass of a two-pass operation: every sample through the table of
// maxValue + 1 entries, progress (height + y) / (2 x height). Null on abort.
std::unique_ptr<CKIPImage16Bit> LookUpSecondPass(const CKIPImage16Bit& image,
                                                 std::unique_ptr<CKIPImage16Bit> result,
                                                 const std::vector<std::uint16_t>& table,
                                                 ProgressCallback progress) {
    const std::uint32_t height = image.GetHeight();
    const std::uint32_t width = image.GetWidth();
    const std::size_t last = table.size() - 1;
    bool mapped = EachRow(image, progress, height, 2 * height, [&](std::uint32_t y) {
        const std::uint16_t* in = image.GetRow(y);
        std::uint16_t* out = result->GetRow(y);
        for (std::uint32_t x = 0; x < width; ++x)
            out[x] = table[std::min<std::size_t>(in[x], last)];
    });
    return mapped ? std::move(result) : nullptr;
}

bool Valid(const CKIPImage16Bit* image) {
    return image != nullptr && image->IsValid();
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
    if (gamma <= 0 || gamma == 1)
        return image->Clone();
    const double g = 1 / gamma;
    const double maxValue = image->GetMaxValue();
    auto table = TableOf(image->GetMaxValue(), [&](std::uint32_t v) {
        return static_cast<std::uint16_t>(
            std::trunc(std::min(maxValue, maxValue * std::pow(v / maxValue, g))));
    });
    return MapSamples(image, table, progress);
}

std::unique_ptr<CKIPImage16Bit> AutoLevel(const CKIPImage16Bit* image, double low, double high,
                                          ProgressCallback progress) {
    if (!Valid(image))
        return nullptr;
    auto result = image->Clone();
    if (!result)
        return nullptr;
    const std::uint32_t maxValue = image->GetMaxValue();
    const std::uint32_t width = image->GetWidth();
    const std::uint32_t height = image->GetHeight();
    std::vector<std::uint32_t> histogram(std::size_t{maxValue} + 1, 0);
    EscapeAbort::ClearAbort();
    bool counted = EachRow(*image, progress, 0, 2 * height, [&](std::uint32_t y) {
        const std::uint16_t* in = image->GetRow(y);
        for (std::uint32_t x = 0; x < width; ++x)
            ++histogram[std::min<std::uint32_t>(in[x], maxValue)];
    });
    if (!counted)
        return nullptr;
    std::uint64_t total = 0;
    for (std::uint32_t v = 1; v < maxValue; ++v)
        total += histogram[v];
    auto lowCount = static_cast<std::uint64_t>(std::trunc(total * low));
    auto highCount = static_cast<std::uint64_t>(std::trunc(total * high));
    std::uint32_t lo = 0;
    std::uint64_t running = 0;
    for (std::uint32_t v = 1; v <= maxValue; ++v) {
        if (histogram[v] == 0)
            continue;
        running += histogram[v];
        if (running >= lowCount) {
            lo = v;
            break;
        }
    }
    std::uint32_t hi = 0;
    running = 0;
    for (std::uint32_t v = maxValue - 1; v >= 1; --v) {
        if (histogram[v] != 0) {
            running += histogram[v];
            if (running >= highCount) {
                hi = v;
                break;
            }
        }
    }
    if (hi == 0 || lo >= hi)
        return result;
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
    const std::uint32_t permanent = 0x000003F8u | 0x1FF80000u; // teeth 4-13 and 20-29
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
    auto table = TableOf(image->GetMaxValue(), [&](std::uint32_t v) {
        double w = v + (v - mid) * gain + offset;
        w = w < 0 ? 0 : (w > maxValue ? maxValue : std::trunc(w));
        return static_cast<std::uint16_t>(w);
    });
    return MapSamples(image, table, progress);
}

void MakeSharpenKernel(FilterKernel& kernel, std::uint32_t cols, std::uint32_t rows,
                       std::uint32_t percent) {
    kernel.SetKernelSize(cols, rows);
    double f = percent / 100.0;
    kernel.FillKernelInverseDistance(-1 - f);
    kernel.SetKernelCentre(0);
    double offCentre = kernel.KernelSum();
    kernel.SetKernelCentre((2 / std::pow(2.0, f)) * (-offCentre));
    double sum = kernel.KernelSum();
    kernel.scale = sum != 0 ? 1 / sum : 0.0;
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
    const double maxValue = image->GetMaxValue();
    return ConvolveRows(image, kernel, progress,
                        [&](std::uint32_t y, const double* sums, std::uint16_t* out) {
                            const std::uint16_t* in = image->GetRow(y);
                            for (std::uint32_t x = 0; x < image->GetWidth(); ++x)
                                out[x] = ClampRounded(in[x] + sums[x], maxValue);
                        });
}

std::unique_ptr<CKIPImage16Bit> NormalizeImage(const CKIPImage16Bit* image,
                                               ProgressCallback progress) {
    if (!Valid(image))
        return nullptr;
    auto result = image->Clone();
    if (!result)
        return nullptr;
    const std::uint32_t maxValue = image->GetMaxValue();
    const std::uint32_t width = image->GetWidth();
    const std::uint32_t height = image->GetHeight();
    std::uint32_t smallest = maxValue;
    std::uint32_t largest = 0;
    EscapeAbort::ClearAbort();
    bool scanned = EachRow(*image, progress, 0, 2 * height, [&](std::uint32_t y) {
        const std::uint16_t* in = image->GetRow(y);
        for (std::uint32_t x = 0; x < width; ++x) {
            smallest = std::min<std::uint32_t>(smallest, in[x]);
            largest = std::max<std::uint32_t>(largest, in[x]);
        }
    });
    if (!scanned)
        return nullptr;
    const double span = static_cast<double>(largest) - smallest;
    std::vector<std::uint16_t> table(65536, 0);
    if (largest > smallest) {
        for (std::uint32_t v = smallest; v <= largest; ++v)
            table[v] = static_cast<std::uint16_t>(std::trunc((v - smallest) / span * maxValue));
    }
    return LookUpSecondPass(*image, std::move(result), table, progress);
}

void ApplyCalibration(CKIPImage16Bit* image, double factor) {
    if (image == nullptr || factor <= 0)
        return;
    image->SetResolution(
        static_cast<std::uint32_t>(std::trunc(image->GetResolutionX() * factor + 0.5)),
        static_cast<std::uint32_t>(std::trunc(image->GetResolutionY() * factor + 0.5)));
}
