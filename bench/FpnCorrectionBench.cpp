// The ToviRay correction of the largest frame (798 x 1070): the column
// profile, outlier columns, smoothing, per-pixel FPN formula and seam ramp,
// against the literal version the tests keep as the oracle.

#include <benchmark/benchmark.h>

#include <random>

#include "hardware/FpnCorrection.h"
#include "tests/hardware/FpnOracle.h"

namespace {

constexpr std::uint32_t kWidth = 798;
constexpr std::int32_t kHeight = 1070;

RawFrame NoisyFrame(unsigned seed, int level, int spread) {
    RawFrame frame;
    frame.Allocate(kWidth, kHeight, 770, 770);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> noise(0, spread);
    for (std::int32_t y = 0; y < kHeight; ++y)
        for (std::uint32_t x = 0; x < kWidth; ++x)
            frame.SetPixel(x, static_cast<std::uint32_t>(y),
                           static_cast<std::uint16_t>(level + noise(random)));
    return frame;
}

std::vector<tagFPNEntry> Entries() {
    std::mt19937 random(3);
    std::vector<tagFPNEntry> entries(kWidth);
    for (auto& entry : entries)
        entry = {static_cast<std::int32_t>(random() % 2000001) - 1000000,
                 static_cast<std::int32_t>(random() % 200001) - 100000,
                 static_cast<std::int32_t>(random() % 9) - 4};
    return entries;
}

template <bool kLiteral> void CorrectToviRayFrame(benchmark::State& state) {
    const RawFrame exposed = NoisyFrame(1, 1500, 2000);
    const RawFrame dark = NoisyFrame(2, 200, 30);
    const std::vector<tagFPNEntry> entries = Entries();
    for (auto _ : state) {
        auto frame = kLiteral ? fpn_oracle::Correct(exposed, dark, entries, {}, 3)
                              : CorrectFixedPatternNoise(exposed, dark, entries, {}, 3);
        benchmark::DoNotOptimize(frame->pixels.get());
    }
}

} // namespace

BENCHMARK(CorrectToviRayFrame<false>)->Name("FpnCorrection/product")->Unit(benchmark::kMillisecond);
BENCHMARK(CorrectToviRayFrame<true>)->Name("FpnCorrection/oracle")->Unit(benchmark::kMillisecond);
