// Correcting the largest 2000-series frame: dark subtraction, line offsets and
// the defect repair of 500 flaw pixels, 5 flaw rows and 5 flaw columns.

#include <benchmark/benchmark.h>

#include <random>

#include "hardware/Codec.h"
#include "hardware/FrameCorrection.h"

namespace {

constexpr std::uint32_t kWidth = 1156;
constexpr std::int32_t kHeight = 1600;

RawFrame NoisyFrame(unsigned seed, std::uint16_t level) {
    RawFrame frame;
    frame.Allocate(kWidth, kHeight, 600, 600);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> noise(0, 200);
    for (std::int32_t y = 0; y < kHeight; ++y)
        for (std::uint32_t x = 0; x < kWidth; ++x)
            frame.SetPixel(x, static_cast<std::uint32_t>(y),
                           static_cast<std::uint16_t>(level + noise(random)));
    return frame;
}

Codec2000 Defects() {
    std::string text;
    std::mt19937 random(7);
    for (int i = 0; i < 500; ++i)
        text +=
            std::to_string(random() % kWidth) + " " + std::to_string(random() % kHeight) + " 0\n";
    for (int i = 0; i < 5; ++i) {
        text += std::to_string(100 + i * 200) + " 0 2\n";
        text += "0 " + std::to_string(150 + i * 300) + " 3\n";
    }
    Codec2000 codec;
    codec.ParseDefectText(text.c_str(), kWidth, kHeight);
    return codec;
}

void CorrectLargestFrame(benchmark::State& state) {
    const RawFrame exposed = NoisyFrame(1, 2000);
    const RawFrame dark = NoisyFrame(2, 300);
    Codec2000 codec = Defects();
    for (auto _ : state) {
        auto frame = exposed.Clone();
        SubtractDark(*frame, dark);
        CorrectOffset(*frame, 7);
        codec.CorrectFrame(*frame, false);
        benchmark::DoNotOptimize(frame->pixels.get());
    }
}

} // namespace

BENCHMARK(CorrectLargestFrame)->Unit(benchmark::kMillisecond);
