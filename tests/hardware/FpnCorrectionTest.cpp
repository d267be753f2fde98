#include <gtest/gtest.h>

#include "hardware/FpnCorrection.h"
#include "simulator/Radiograph.h"
#include "tests/hardware/FpnOracle.h"

namespace {

struct Frames {
    RawFrame exposed, dark;
    std::vector<tagFPNEntry> entries;
};

// A dark frame with a gradient, a column pattern and two hot columns; an
// exposure on top of it with a seam; coefficients of both signs.
Frames MakeFrames(std::uint32_t w, std::int32_t h, std::int32_t seam, float seamGain) {
    Frames frames;
    frames.exposed.Allocate(w, h, 770, 770);
    frames.dark.Allocate(w, h, 770, 770);
    simulator::NoiseSource noise(99);
    std::vector<int> columnOffset(w);
    for (int& offset : columnOffset)
        offset = static_cast<int>(noise.Next() % 13) - 6;
    columnOffset[w / 3] += 300;
    columnOffset[w / 3 + 1] += 280;
    for (std::uint32_t x = w - 6; x < w; ++x)
        columnOffset[x] += 250 + 10 * (x % 2); // a run at the right edge
    for (std::uint32_t x = 0; x < w; ++x)
        frames.entries.push_back({static_cast<std::int32_t>(noise.Next() % 100000001) - 50000000,
                                  static_cast<std::int32_t>(noise.Next() % 200001) - 100000,
                                  static_cast<std::int32_t>(noise.Next() % 9) - 4});
    for (std::int32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            int dark = 150 + 50 * static_cast<int>(x) / static_cast<int>(w) + columnOffset[x] +
                       static_cast<int>(noise.Next() % 5);
            int signal = static_cast<int>((x * 7 + static_cast<std::uint32_t>(y) * 3) % 2800);
            if (y >= seam && y < seam + 119)
                signal = static_cast<int>(signal * seamGain);
            frames.dark.SetPixel(x, static_cast<std::uint32_t>(y),
                                 static_cast<std::uint16_t>(dark));
            frames.exposed.SetPixel(x, static_cast<std::uint32_t>(y),
                                    static_cast<std::uint16_t>(std::min(4095, dark + signal)));
        }
    return frames;
}

void ExpectSameAsOracle(const Frames& frames, const ScalingBlock& scaling, int storedClass) {
    auto fast =
        CorrectFixedPatternNoise(frames.exposed, frames.dark, frames.entries, scaling, storedClass);
    auto literal =
        fpn_oracle::Correct(frames.exposed, frames.dark, frames.entries, scaling, storedClass);
    ASSERT_NE(fast, nullptr);
    ASSERT_EQ(fast->width, literal->width);
    ASSERT_EQ(fast->height, literal->height);
    std::uint32_t differences = 0;
    for (std::int32_t y = 0; y < fast->height; ++y)
        for (std::uint32_t x = 0; x < fast->width; ++x)
            differences += fast->Pixel(x, y) != literal->Pixel(x, y);
    EXPECT_EQ(differences, 0u);
}

TEST(FpnCorrection, GivesTheLiteralResultForBothSizesWithAndWithoutScaling) {
    const Frames sizeC = MakeFrames(616, 944, 535, 1.04f);
    const Frames sizeD = MakeFrames(798, 1070, 535, 1.05f);
    ExpectSameAsOracle(sizeC, {}, 2);
    ExpectSameAsOracle(sizeD, {}, 3);
    ExpectSameAsOracle(sizeD, {true, 0.9, 0.00005, -0.00000002}, 3);
    ExpectSameAsOracle(sizeC, {true, 1.0, 0, 0}, 2); // enabled without b and c: no scaling, no ramp
    ExpectSameAsOracle(sizeD, {false, 2.0, 0.01, 0.001}, 3); // present but off
    // g0 above 1: only the seam line is scaled.
    ExpectSameAsOracle(MakeFrames(798, 1070, 535, 0.9f), {}, 3);
}

TEST(FpnCorrection, ResultsAreSixteenBitAndKeepTheRawValueOutsideTheRange) {
    Frames frames = MakeFrames(64, 64, 1000, 1.0f);
    for (auto& entry : frames.entries)
        entry = {0, 0, 0};
    frames.exposed.SetPixel(30, 30, 5); // far below its dark value: q2 < 0
    frames.exposed.SetPixel(31, 30, 4095);
    frames.dark.SetPixel(31, 30, 0);
    frames.entries[31] = {-1000000000, 0, 0}; // q1 = 4095 + 100, less its dark: above
    auto result = CorrectFixedPatternNoise(frames.exposed, frames.dark, frames.entries, {}, 3);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->Pixel(30, 30), 5 << 4);
    EXPECT_EQ(result->Pixel(31, 30), 4095 << 4);
    for (std::int32_t y = 0; y < result->height; ++y)
        for (std::uint32_t x = 0; x < result->width; ++x)
            EXPECT_EQ(result->Pixel(x, y) & 0xF, 0);
    EXPECT_EQ(result->resolutionX, 770);
}

TEST(FpnCorrection, RefusesFramesItCannotCorrect) {
    Frames frames = MakeFrames(64, 64, 1000, 1.0f);
    std::vector<tagFPNEntry> fewer(frames.entries.begin(), frames.entries.end() - 1);
    EXPECT_EQ(CorrectFixedPatternNoise(frames.exposed, frames.dark, fewer, {}, 3), nullptr);
    RawFrame other;
    other.Allocate(64, 63, 770, 770);
    EXPECT_EQ(CorrectFixedPatternNoise(frames.exposed, other, frames.entries, {}, 3), nullptr);
    RawFrame wide, wideDark;
    wide.Allocate(1201, 40, 770, 770);
    wideDark.Allocate(1201, 40, 770, 770);
    std::vector<tagFPNEntry> many(1201);
    EXPECT_EQ(CorrectFixedPatternNoise(wide, wideDark, many, {}, 3), nullptr);
    RawFrame empty;
    EXPECT_EQ(CorrectFixedPatternNoise(empty, empty, many, {}, 3), nullptr);
}

TEST(FpnCorrection, AbsurdCoefficientsLeaveTheRawValues) {
    Frames frames = MakeFrames(64, 64, 1000, 1.0f);
    for (auto& entry : frames.entries)
        entry = {INT32_MAX, INT32_MIN, INT32_MAX};
    auto result = CorrectFixedPatternNoise(frames.exposed, frames.dark, frames.entries,
                                           {true, 655.35, 0.065535, 0.0000065535}, 3);
    ASSERT_NE(result, nullptr);
    for (std::int32_t y = 0; y < result->height; ++y)
        for (std::uint32_t x = 0; x < result->width; ++x)
            ASSERT_EQ(result->Pixel(x, y), frames.exposed.Pixel(x, y) << 4);
}

TEST(FpnCorrection, SeamLinesOfTheTwoSizes) {
    EXPECT_EQ(SeamLine(2, 944), 535);
    EXPECT_EQ(SeamLine(3, 1070), 535);
    EXPECT_EQ(SeamLine(3, 500), -1);
}

} // namespace
