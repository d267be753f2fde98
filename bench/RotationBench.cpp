// A quarter turn of a sensor-sized 16-bit frame against a plain tiled transpose.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "image/Orientation.h"
#include "image/PackedDib.h"

namespace {

constexpr std::uint32_t kWidth = 1156;
constexpr std::uint32_t kHeight = 1600;

const CKIPImage16Bit& Frame() {
    static CKIPImage16Bit frame;
    if (!frame.IsValid()) {
        frame.Create(kWidth, kHeight, kWidth, 16, 600, 600);
        for (std::uint32_t r = 0; r < kHeight; ++r)
            for (std::uint32_t c = 0; c < kWidth; ++c)
                frame.GetRow(r)[c] = static_cast<std::uint16_t>(r * 31 + c * 7);
    }
    return frame;
}

void Rotate90Frame(benchmark::State& state) {
    const CKIPImage16Bit& frame = Frame();
    for (auto _ : state) {
        auto turned = Rotate90(&frame);
        benchmark::DoNotOptimize(turned->GetPixels());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kWidth * kHeight * 2);
}

// The reference: a transpose in 64 x 64 tiles into a fresh buffer.
void TiledTranspose(benchmark::State& state) {
    const CKIPImage16Bit& frame = Frame();
    constexpr std::uint32_t tile = 64;
    for (auto _ : state) {
        std::vector<std::uint16_t> out(std::size_t{kWidth} * kHeight);
        for (std::uint32_t r0 = 0; r0 < kHeight; r0 += tile)
            for (std::uint32_t c0 = 0; c0 < kWidth; c0 += tile)
                for (std::uint32_t r = r0; r < std::min(kHeight, r0 + tile); ++r)
                    for (std::uint32_t c = c0; c < std::min(kWidth, c0 + tile); ++c)
                        out[std::size_t{c} * kHeight + r] = frame.GetRow(r)[c];
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kWidth * kHeight * 2);
}

void Rotate180Frame(benchmark::State& state) {
    const CKIPImage16Bit& frame = Frame();
    for (auto _ : state) {
        auto turned = Rotate180(&frame);
        benchmark::DoNotOptimize(turned->GetPixels());
    }
}

void ConvertFrameTo8Bit(benchmark::State& state) {
    const CKIPImage16Bit& frame = Frame();
    for (auto _ : state) {
        auto eight = ConvertTo8Bit(&frame);
        benchmark::DoNotOptimize(eight->GetBits());
    }
}

} // namespace

BENCHMARK(Rotate90Frame)->Unit(benchmark::kMillisecond);
BENCHMARK(TiledTranspose)->Unit(benchmark::kMillisecond);
BENCHMARK(Rotate180Frame)->Unit(benchmark::kMillisecond);
BENCHMARK(ConvertFrameTo8Bit)->Unit(benchmark::kMillisecond);
