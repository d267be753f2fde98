// The filters and the default processing chains on sensor-sized frames, beside
// their single-threaded OpenCV equivalents on the same frames; and the ToviRay
// flaw repair on its frame.

#include <benchmark/benchmark.h>

#include <cmath>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <random>

#include "bench/SteadyHeap.h"
#include "image/Convolution.h"
#include "image/Enhancement.h"
#include "image/FlawMap.h"
#include "image/NoiseReduction.h"
#include "image/RowBands.h"

namespace {

const bool steadyHeap = KeepFrameSizedBlocksOnTheHeap();

struct Frame {
    std::uint32_t width;
    std::uint32_t height;
};
constexpr Frame kToviRay{798, 1070};
constexpr Frame kLargest2000{1156, 1600};

const CKIPImage16Bit& Image(const Frame& frame) {
    static CKIPImage16Bit images[2];
    CKIPImage16Bit& image = images[frame.width == kToviRay.width ? 0 : 1];
    if (!image.IsValid()) {
        image.Create(frame.width, frame.height, frame.width, 16, 600, 600);
        std::mt19937 random(frame.width);
        std::normal_distribution<double> noise(0, 900);
        for (std::uint32_t y = 0; y < frame.height; ++y)
            for (std::uint32_t x = 0; x < frame.width; ++x) {
                double v = 20000 + 25 * x + 10 * y + noise(random);
                image.GetRow(y)[x] = static_cast<std::uint16_t>(std::clamp(v, 0.0, 65535.0));
            }
    }
    return image;
}

cv::Mat MatOf(const Frame& frame) {
    const CKIPImage16Bit& image = Image(frame);
    return cv::Mat(static_cast<int>(image.GetHeight()), static_cast<int>(image.GetWidth()),
                   CV_16UC1, image.GetPixels(), 2 * std::size_t{image.GetStride()});
}

// Ours on the threads the benchmark's argument gives (0: every core).
template <typename Filter> void Ours(benchmark::State& state, const Frame& frame, Filter filter) {
    const CKIPImage16Bit& image = Image(frame);
    row_bands::LimitThreads(static_cast<unsigned>(state.range(0)));
    for (auto _ : state) {
        auto result = filter(&image);
        benchmark::DoNotOptimize(result.get());
    }
    row_bands::LimitThreads(0);
}

template <typename Filter> void OpenCv(benchmark::State& state, const Frame& frame, Filter filter) {
    cv::setNumThreads(1);
    cv::Mat source = MatOf(frame);
    for (auto _ : state) {
        cv::Mat result;
        filter(source, result);
        benchmark::DoNotOptimize(result.data);
    }
}

cv::Mat KernelMat(const FilterKernel& kernel) {
    cv::Mat mat(static_cast<int>(kernel.Rows()), static_cast<int>(kernel.Cols()), CV_64F);
    for (std::uint32_t r = 0; r < kernel.Rows(); ++r)
        for (std::uint32_t c = 0; c < kernel.Cols(); ++c)
            mat.at<double>(static_cast<int>(r), static_cast<int>(c)) =
                kernel.Coefficient(r, c) * kernel.scale;
    return mat;
}

void Filter2D(const cv::Mat& source, cv::Mat& result, const cv::Mat& kernel) {
    cv::filter2D(source, result, CV_16U, kernel, cv::Point(-1, -1), 0, cv::BORDER_REPLICATE);
}

// Pointwise steps in OpenCV: one 16-bit table look-up per sample.
void TableLookUp(const cv::Mat& source, cv::Mat& result, const std::vector<std::uint16_t>& table) {
    result.create(source.size(), CV_16U);
    for (int y = 0; y < source.rows; ++y) {
        const auto* in = source.ptr<std::uint16_t>(y);
        auto* out = result.ptr<std::uint16_t>(y);
        for (int x = 0; x < source.cols; ++x)
            out[x] = table[in[x]];
    }
}

// The default chains of the three processing families (a posterior capture).
std::unique_ptr<CKIPImage16Bit> ToviRayChain(const CKIPImage16Bit* frame) {
    auto image = InvertImage(frame);
    image = AutoLevel(image.get(), 0.0075, 0.0025);
    image = AdjustBrightnessContrast(image.get(), -5, 5);
    image = GammaCorrect(image.get(), 0.75);
    image = MedianFilter(image.get(), 5);
    image = SharpenImage(image.get(), 21, 21, 5);
    return NormalizeImage(image.get());
}

std::unique_ptr<CKIPImage16Bit> Chain2000(const CKIPImage16Bit* frame, bool plus) {
    auto image = InvertImage(frame);
    if (plus)
        image = GammaCorrect(image.get(), 0.7);
    image = AutoLevel(image.get(), 0.0075, 0.0025);
    image = AdjustBrightnessContrast(image.get(), -10, plus ? 0 : 10);
    image = GammaCorrect(image.get(), 0.75);
    image = MedianFilter(image.get(), 3);
    return NormalizeImage(image.get());
}

// The levels step's histogram of every 16-bit value.
void Histogram(const cv::Mat& source, cv::Mat& histogram) {
    int size = 65536;
    float range[] = {0, 65536};
    const float* ranges[] = {range};
    int channel = 0;
    cv::calcHist(&source, 1, &channel, cv::Mat(), histogram, 1, &size, ranges);
}

// The same steps in OpenCV: a table look-up for each pointwise step, the
// levels step's after its histogram, then the median, the sharpening filter
// when there is one, and the min-max stretch.
void OpenCvChain(const cv::Mat& source, cv::Mat& result, int lookUps, int median,
                 const cv::Mat* sharpen) {
    static const std::vector<std::uint16_t> table = [] {
        std::vector<std::uint16_t> t(65536);
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = static_cast<std::uint16_t>(65535 - i);
        return t;
    }();
    cv::Mat step = source;
    cv::Mat histogram;
    for (int i = 0; i < lookUps; ++i) {
        if (i == lookUps - 3) // levels, before brightness and contrast and gamma
            Histogram(step, histogram);
        cv::Mat next; // a fresh result for every step, as ours
        TableLookUp(step, next, table);
        step = next;
    }
    cv::medianBlur(step, result, median); // 16 bits only up to 5 x 5
    if (sharpen != nullptr) {
        Filter2D(result, step, *sharpen);
        result = step;
    }
    cv::normalize(result, step, 0, 65535, cv::NORM_MINMAX);
    result = step;
}

void OpenCvToviRayChain(const cv::Mat& source, cv::Mat& result) {
    static const cv::Mat sharpen = [] {
        FilterKernel kernel;
        MakeSharpenKernel(kernel, 21, 21, 5);
        return KernelMat(kernel);
    }();
    OpenCvChain(source, result, 4, 5, &sharpen);
}

} // namespace

void Median3(benchmark::State& s, Frame f) {
    Ours(s, f, [](auto* i) { return MedianFilter(i, 3); });
}
void Median5(benchmark::State& s, Frame f) {
    Ours(s, f, [](auto* i) { return MedianFilter(i, 5); });
}
void FastMedian3(benchmark::State& s, Frame f) {
    Ours(s, f, [](auto* i) { return FastMedian(i); });
}
void CvMedian3(benchmark::State& s, Frame f) {
    OpenCv(s, f, [](const cv::Mat& in, cv::Mat& out) { cv::medianBlur(in, out, 3); });
}
void CvMedian5(benchmark::State& s, Frame f) {
    OpenCv(s, f, [](const cv::Mat& in, cv::Mat& out) { cv::medianBlur(in, out, 5); });
}
void Smooth3(benchmark::State& s, Frame f) {
    Ours(s, f, [](auto* i) { return SmoothImage(i, 3, 3, 50); });
}
void CvSmooth3(benchmark::State& s, Frame f) {
    FilterKernel kernel;
    MakeSmoothingKernel(kernel, 3, 3, 50);
    cv::Mat k = KernelMat(kernel);
    OpenCv(s, f, [&](const cv::Mat& in, cv::Mat& out) { Filter2D(in, out, k); });
}
void Sharpen21(benchmark::State& s, Frame f) {
    Ours(s, f, [](auto* i) { return SharpenImage(i, 21, 21, 5); });
}
void CvSharpen21(benchmark::State& s, Frame f) {
    FilterKernel kernel;
    MakeSharpenKernel(kernel, 21, 21, 5);
    cv::Mat k = KernelMat(kernel);
    OpenCv(s, f, [&](const cv::Mat& in, cv::Mat& out) { Filter2D(in, out, k); });
}
void Laplace3(benchmark::State& s, Frame f) {
    Ours(s, f, [](auto* i) { return LaplaceEnhance(i, 3, 3, 3); });
}
void Invert(benchmark::State& s, Frame f) {
    Ours(s, f, [](auto* i) { return InvertImage(i); });
}
void Gamma(benchmark::State& s, Frame f) {
    Ours(s, f, [](auto* i) { return GammaCorrect(i, 0.7); });
}
void Levels(benchmark::State& s, Frame f) {
    Ours(s, f, [](auto* i) { return AutoLevel(i, 0.0075, 0.0025); });
}
void BrightnessContrast(benchmark::State& s, Frame f) {
    Ours(s, f, [](auto* i) { return AdjustBrightnessContrast(i, -5, 5); });
}
void Normalize(benchmark::State& s, Frame f) {
    Ours(s, f, [](auto* i) { return NormalizeImage(i); });
}
// OpenCV equivalents of the pointwise steps with their own tables: the gamma
// table of pow values, the levels histogram, and the normalisation's min-max.
// Ours keeps the tables of recent gammas, so OpenCV's side makes its table once too.
void CvGamma(benchmark::State& s, Frame f) {
    std::vector<std::uint16_t> table(65536);
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<std::uint16_t>(
            std::trunc(std::min(65535.0, 65535.0 * std::pow(i / 65535.0, 1 / 0.7))));
    OpenCv(s, f, [&](const cv::Mat& in, cv::Mat& out) { TableLookUp(in, out, table); });
}
void CvLevels(benchmark::State& s, Frame f) {
    OpenCv(s, f, [](const cv::Mat& in, cv::Mat& out) {
        cv::Mat histogram;
        Histogram(in, histogram);
        std::vector<std::uint16_t> table(65536);
        for (std::size_t i = 0; i < table.size(); ++i)
            table[i] = static_cast<std::uint16_t>(i / 2);
        TableLookUp(in, out, table);
    });
}
void CvNormalize(benchmark::State& s, Frame f) {
    OpenCv(s, f, [](const cv::Mat& in, cv::Mat& out) {
        cv::normalize(in, out, 0, 65535, cv::NORM_MINMAX);
    });
}
void CvLookUp(benchmark::State& s, Frame f) {
    std::vector<std::uint16_t> table(65536);
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<std::uint16_t>(i / 2);
    OpenCv(s, f, [&](const cv::Mat& in, cv::Mat& out) { TableLookUp(in, out, table); });
}
void ChainToviRay(benchmark::State& s, Frame f) {
    Ours(s, f, ToviRayChain);
}
void CvChainToviRay(benchmark::State& s, Frame f) {
    OpenCv(s, f, OpenCvToviRayChain);
}
void Chain2000(benchmark::State& s, Frame f) {
    Ours(s, f, [](auto* i) { return Chain2000(i, false); });
}
void CvChain2000(benchmark::State& s, Frame f) {
    OpenCv(s, f, [](const cv::Mat& in, cv::Mat& out) { OpenCvChain(in, out, 4, 3, nullptr); });
}
void Chain2000Plus(benchmark::State& s, Frame f) {
    Ours(s, f, [](auto* i) { return Chain2000(i, true); });
}
void CvChain2000Plus(benchmark::State& s, Frame f) {
    OpenCv(s, f, [](const cv::Mat& in, cv::Mat& out) { OpenCvChain(in, out, 5, 3, nullptr); });
}

// The interpolating repair of a ToviRay frame with every step-th row or
// column flawed: every row leaves no good row, so each pixel falls back to the
// pixel repair; every other line interpolates each pixel. The frame is copied
// afresh for every repair.
void RepairFlawLines(benchmark::State& state, bool rows, std::uint32_t step) {
    const CKIPImage16Bit& image = Image(kToviRay);
    FlawMap map;
    for (std::uint32_t at = 0; at < (rows ? kToviRay.height : kToviRay.width); at += step) {
        if (rows)
            map.AddRowFlaw(static_cast<std::int32_t>(at));
        else
            map.AddColumnFlaw(static_cast<std::int32_t>(at));
    }
    std::vector<std::uint16_t> samples(image.SampleCount());
    for (auto _ : state) {
        std::copy_n(image.GetPixels(), samples.size(), samples.data());
        map.RepairByInterpolation(samples.data(), kToviRay.width, kToviRay.height,
                                  image.GetSpareSamples(), true, false);
        benchmark::DoNotOptimize(samples.data());
    }
}
BENCHMARK_CAPTURE(RepairFlawLines, EveryRow, true, 1u)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RepairFlawLines, EveryOtherRow, true, 2u)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RepairFlawLines, EveryOtherColumn, false, 2u)->Unit(benchmark::kMillisecond);

// Ours on one thread and on every core (the argument: 0 is every core);
// OpenCV's always on one.
#define THREADS(registration) registration->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)
#define ONE_THREAD(registration) registration->Arg(1)->Unit(benchmark::kMillisecond)
#define OURS(name)                                                                                 \
    THREADS(BENCHMARK_CAPTURE(name, ToviRay, kToviRay));                                           \
    THREADS(BENCHMARK_CAPTURE(name, Largest2000, kLargest2000))
#define OPENCV(name)                                                                               \
    ONE_THREAD(BENCHMARK_CAPTURE(name, ToviRay, kToviRay));                                        \
    ONE_THREAD(BENCHMARK_CAPTURE(name, Largest2000, kLargest2000))

OURS(Median3);
OURS(FastMedian3);
OPENCV(CvMedian3);
OURS(Median5);
OPENCV(CvMedian5);
OURS(Smooth3);
OPENCV(CvSmooth3);
OURS(Sharpen21);
OPENCV(CvSharpen21);
OURS(Laplace3);
OURS(Invert);
OURS(Gamma);
OURS(Levels);
OURS(BrightnessContrast);
OURS(Normalize);
OPENCV(CvLookUp);
OPENCV(CvGamma);
OPENCV(CvLevels);
OPENCV(CvNormalize);
OURS(ChainToviRay);
OPENCV(CvChainToviRay);
// The 2000-series chains run on 2000-series frames only.
THREADS(BENCHMARK_CAPTURE(Chain2000, Largest2000, kLargest2000));
ONE_THREAD(BENCHMARK_CAPTURE(CvChain2000, Largest2000, kLargest2000));
THREADS(BENCHMARK_CAPTURE(Chain2000Plus, Largest2000, kLargest2000));
ONE_THREAD(BENCHMARK_CAPTURE(CvChain2000Plus, Largest2000, kLargest2000));
