// The capture's hand-off of the largest frame of each family, from the
// corrected raw frame to the packed DIB the host receives: the copy into a
// 16-bit image, the family's default chain, the 8-bit conversion, the label,
// the rotation and the DIB. The chain alone is measured beside it, so the
// chain's share of the whole can be read off.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>

#include "bench/SteadyHeap.h"
#include "image/Image16.h"
#include "platform/GlobalMemory.h"
#include "plugin/CaptureResult.h"
#include "plugin/ImageHandOff.h"
#include "plugin/SensorOptions.h"

namespace {

const bool steadyHeap = KeepFrameSizedBlocksOnTheHeap();

struct Geometry {
    std::uint32_t width;
    std::int32_t height;
};

// The 2000 class D, the ToviRay D and the 2000+ class D.
Geometry LargestFrame(std::int32_t family) {
    return family == 1 ? Geometry{798, 1070} : Geometry{1156, 1600};
}

// A smooth radiograph-like field with sensor noise: 12-bit samples.
RawFrame Frame(std::int32_t family) {
    const Geometry size = LargestFrame(family);
    RawFrame frame;
    frame.Allocate(size.width, size.height, 600, 600);
    std::mt19937 random(5);
    std::uniform_int_distribution<int> noise(0, 60);
    for (std::int32_t y = 0; y < size.height; ++y)
        for (std::uint32_t x = 0; x < size.width; ++x) {
            const int level =
                800 + static_cast<int>((x * 7 + static_cast<std::uint32_t>(y) * 3) % 2400);
            frame.SetPixel(x, static_cast<std::uint32_t>(y),
                           static_cast<std::uint16_t>(level + noise(random)));
        }
    return frame;
}

HandOffRequest Request(std::int32_t family, const SensorOptions& options, LabelBitmaps& labels) {
    HandOffRequest request;
    request.family = family;
    request.permanentTeeth = 1u << 7; // tooth 8: anterior, turned by 180 degrees
    request.options = &options;
    request.labels = &labels;
    return request;
}

void HandOff(benchmark::State& state) {
    const auto family = static_cast<std::int32_t>(state.range(0));
    const RawFrame frame = Frame(family);
    const SensorOptions options;
    LabelBitmaps labels;
    for (auto _ : state) {
        CaptureResult result;
        ProcessBitmapToImage(frame.Clone(), Request(family, options, labels), result.Images());
        platform::GlobalHandle dib = result.CreatePackedDIB();
        benchmark::DoNotOptimize(dib);
        platform::GlobalFreeBlock(dib);
    }
}

void ChainAlone(benchmark::State& state) {
    const auto family = static_cast<std::int32_t>(state.range(0));
    const RawFrame frame = Frame(family);
    const SensorOptions options;
    LabelBitmaps labels;
    const HandOffRequest request = Request(family, options, labels);
    for (auto _ : state) {
        state.PauseTiming();
        auto image = std::make_unique<CKIPImage16Bit>();
        const auto height = static_cast<std::uint32_t>(frame.height);
        image->Create(frame.width, height, (frame.width + 1) & ~1u, 16, 600, 600);
        for (std::uint32_t y = 0; y < height; ++y)
            std::copy_n(frame.Line(y), frame.width, image->GetRow(y));
        state.ResumeTiming();
        RunProcessingChain(request, image);
        benchmark::DoNotOptimize(image.get());
    }
}

} // namespace

BENCHMARK(HandOff)->Arg(0)->Arg(1)->Arg(2)->ArgName("family")->Unit(benchmark::kMillisecond);
BENCHMARK(ChainAlone)->Arg(0)->Arg(1)->Arg(2)->ArgName("family")->Unit(benchmark::kMillisecond);
