#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "image/FlawMap.h"
#include "tests/image/InterpolationOracle.h"

namespace {

// A width x height frame, stored top-down unless the map is told bottomUp.
struct Frame {
    Frame(std::uint32_t w, std::uint32_t h, std::uint16_t value, std::uint32_t pad = 0)
        : width(w), height(h), rowPad(pad), samples((w + pad) * h, value) {}
    std::uint16_t& At(std::uint32_t x, std::uint32_t y) {
        return samples[y * (width + rowPad) + x];
    }
    std::uint32_t width, height, rowPad;
    std::vector<std::uint16_t> samples;
};

// Some lines flawed with the chance given; runs of them when it is high.
template <typename Add>
void FlawSomeLines(std::mt19937& random, std::uint32_t count, double chance, Add add) {
    std::bernoulli_distribution flawed(chance);
    for (std::uint32_t i = 0; i < count; ++i)
        if (flawed(random))
            add(static_cast<std::int32_t>(i));
}

// A map of flaw pixels, rows and columns in and around a width x height frame,
// in random order, sometimes scaled (which can list a flaw twice or put a
// pixel on a line).
FlawMap RandomMap(std::mt19937& random, std::uint32_t width, std::uint32_t height) {
    FlawMap map;
    std::uniform_int_distribution<std::int32_t> x(-3, static_cast<std::int32_t>(width) + 2);
    std::uniform_int_distribution<std::int32_t> y(-3, static_cast<std::int32_t>(height) + 2);
    const double chances[] = {0, 0.05, 0.3, 0.7, 0.95, 1};
    std::uniform_int_distribution<int> chance(0, 5);
    const double rowChance = chances[chance(random)];
    const double columnChance = chances[chance(random)] / 2;
    std::uniform_int_distribution<std::uint32_t> pixels(0, width * height / 2);
    for (std::uint32_t i = pixels(random); i > 0; --i)
        map.AddPixelFlaw(x(random), y(random));
    FlawSomeLines(random, height, rowChance, [&](std::int32_t row) { map.AddRowFlaw(row); });
    FlawSomeLines(random, width, columnChance,
                  [&](std::int32_t column) { map.AddColumnFlaw(column); });
    map.AddRowFlaw(y(random));
    map.AddColumnFlaw(x(random));
    if (random() % 4 == 0)
        map.ScaleFlaws(random() % 2 ? 0.5 : 1.5, random() % 2 == 0);
    return map;
}

} // namespace

TEST(FlawMap, ListsKeepTheirInvariants) {
    FlawMap map;
    map.AddPixelFlaw(5, 7);
    map.AddRowFlaw(7);
    EXPECT_TRUE(map.FlawPixels().empty());
    map.AddPixelFlaw(5, 7); // lies on a flaw row: pruned at once
    EXPECT_TRUE(map.FlawPixels().empty());
    map.AddColumnFlaw(3);
    map.AddColumnFlaw(3);
    EXPECT_EQ(map.FlawColumns().size(), 1u);
    map.AddPixelFlaw(1, 1);
    map.AddPixelFlaw(1, 1);
    map.AddPixelFlaw(2, 2);
    EXPECT_EQ(map.FlawPixels().size(), 2u);
    EXPECT_TRUE(map.IsFlawed(3, 100));
    EXPECT_TRUE(map.IsFlawed(100, 7));
    EXPECT_TRUE(map.IsFlawed(1, 1));
    EXPECT_FALSE(map.IsFlawed(1, 2));

    FlawMap scaled;
    scaled.CopyFlaws(map);
    scaled.AddPixelFlaw(5, 4);
    scaled.ScaleFlaws(0.5, true);
    EXPECT_EQ(scaled.FlawPixels().back().x, 3);
    EXPECT_EQ(scaled.FlawPixels().back().y, 2);
    FlawMap truncated;
    truncated.AddPixelFlaw(5, 4);
    truncated.ScaleFlaws(0.5, false);
    EXPECT_EQ(truncated.FlawPixels().back().x, 2);
    EXPECT_TRUE(truncated.IsFlawed(2, 2));
    map.ClearFlaws();
    EXPECT_FALSE(map.IsFlawed(3, 0));
}

TEST(FlawMap, NeighbourRepairWeights) {
    Frame frame(5, 5, 100);
    for (auto [x, y] : {std::pair{1, 1}, {3, 1}, {1, 3}, {3, 3}})
        frame.At(x, y) = 200;
    frame.At(2, 2) = 9999;
    FlawMap map;
    map.AddPixelFlaw(2, 2);
    map.RepairByNeighbours(frame.samples.data(), 5, 5, 0, false);
    EXPECT_EQ(frame.At(2, 2), 133);
    ASSERT_EQ(map.RepairedPixels().size(), 1u);

    Frame corner(4, 4, 0);
    corner.At(1, 0) = 300; // weight 100
    corner.At(0, 1) = 600; // weight 100
    corner.At(1, 1) = 900; // weight 50
    FlawMap cornerMap;
    cornerMap.AddPixelFlaw(0, 0);
    cornerMap.RepairByNeighbours(corner.samples.data(), 4, 4, 0, false);
    EXPECT_EQ(corner.At(0, 0), (300 * 100 + 600 * 100 + 900 * 50 + 125) / 250); // 540

    // Two neighbours flawed too: the 5 x 5 ring joins in.
    Frame ring(4, 4, 1000);
    ring.At(0, 0) = 7;
    FlawMap ringMap;
    ringMap.AddPixelFlaw(0, 0);
    ringMap.AddPixelFlaw(1, 0);
    ringMap.AddPixelFlaw(0, 1);
    ring.At(2, 2) = 2000; // ring corner, weight 10
    ringMap.RepairByNeighbours(ring.samples.data(), 4, 4, 0, false);
    double expected =
        (1000.0 * 50 + 1000 * 25 * 2 + 1000 * 33 * 2 + 2000 * 10) / (50 + 25 * 2 + 33 * 2 + 10);
    EXPECT_EQ(ring.At(0, 0), static_cast<int>(expected + 0.5));

    // No good neighbour within two pixels: the old value stays.
    Frame lonely(3, 3, 50);
    lonely.At(1, 1) = 77;
    FlawMap all;
    for (std::int32_t y = 0; y < 3; ++y)
        for (std::int32_t x = 0; x < 3; ++x)
            all.AddPixelFlaw(x, y);
    all.RepairByNeighbours(lonely.samples.data(), 3, 3, 0, false);
    EXPECT_EQ(lonely.At(1, 1), 77);
}

TEST(FlawMap, RowRepairsAndBottomUp) {
    Frame frame(6, 20, 0);
    for (std::uint32_t x = 0; x < 6; ++x) {
        frame.At(x, 9) = 1000;
        frame.At(x, 11) = 2000;
    }
    Frame copy = frame;
    FlawMap row;
    row.AddRowFlaw(10);
    row.RepairByNeighbours(frame.samples.data(), 6, 20, 0, false);
    EXPECT_EQ(frame.At(3, 10), 1500);
    row.RepairByInterpolation(copy.samples.data(), 6, 20, 0, false, false);
    EXPECT_EQ(copy.At(3, 10), 1500);

    Frame two(4, 20, 0, 2); // with row padding
    for (std::uint32_t x = 0; x < 4; ++x) {
        two.At(x, 9) = 1000;
        two.At(x, 12) = 1300;
    }
    FlawMap rows;
    rows.AddRowFlaw(10);
    rows.AddRowFlaw(11);
    rows.RepairByInterpolation(two.samples.data(), 4, 20, 2, false, false);
    EXPECT_EQ(two.At(1, 10), 1100);
    EXPECT_EQ(two.At(1, 11), 1200);

    Frame edge(5, 5, 400);
    edge.At(2, 0) = 9;
    FlawMap top;
    top.AddRowFlaw(0); // no row above: every pixel takes the pixel repair
    top.RepairByInterpolation(edge.samples.data(), 5, 5, 0, false, false);
    EXPECT_EQ(edge.At(2, 0), 400);
    EXPECT_EQ(top.RepairedPixels().size(), 5u);

    Frame stored(3, 4, 5);
    FlawMap bottom;
    bottom.AddRowFlaw(0);
    bottom.FillFlaws(0, stored.samples.data(), 3, 4, 0, true);
    EXPECT_EQ(stored.At(1, 3), 0); // map row 0 is the last stored row
    EXPECT_EQ(stored.At(1, 0), 5);
}

TEST(FlawMap, HostileMapsStayInsideTheFrameAndQuick) {
    Frame frame(64, 64, 100);
    FlawMap map;
    for (std::int32_t i = 0; i < 20000; ++i) {
        map.AddPixelFlaw(i * 7919 % 100000 - 50000, i * 104729 % 100000 - 50000);
        map.AddRowFlaw(-i - 1);
        map.AddColumnFlaw(1000 + i);
    }
    map.AddPixelFlaw(INT32_MIN, INT32_MAX);
    map.ScaleFlaws(0.5, true);
    map.RepairByNeighbours(frame.samples.data(), 64, 64, 0, true);
    map.RepairByInterpolation(frame.samples.data(), 64, 64, 0, true, true);
    map.FillFlaws(0, frame.samples.data(), 64, 64, 0, false);
    SUCCEED();
}

TEST(FlawMap, InterpolationMatchesTheSearchingRepair) {
    std::mt19937 random(2024);
    for (int trial = 0; trial < 300; ++trial) {
        std::uniform_int_distribution<std::uint32_t> side(1, 40);
        const std::uint32_t width = side(random), height = side(random);
        const std::uint32_t rowPad = random() % 3;
        const bool bottomUp = random() % 2 == 0, useMedian = random() % 5 == 0;
        SCOPED_TRACE(testing::Message() << "trial " << trial << ": " << width << " x " << height);
        Frame frame(width, height, 0, rowPad);
        for (auto& sample : frame.samples)
            sample = static_cast<std::uint16_t>(random());
        Frame expected = frame;
        FlawMap map = RandomMap(random, width, height);
        oracle::InterpolationRepair searching(map);
        searching.Run(expected.samples.data(), width, height, rowPad, bottomUp, useMedian);
        map.RepairByInterpolation(frame.samples.data(), width, height, rowPad, bottomUp, useMedian);
        ASSERT_EQ(frame.samples, expected.samples);
        ASSERT_EQ(map.RepairedPixels().size(), searching.repaired.size());
        for (std::size_t i = 0; i < searching.repaired.size(); ++i) {
            ASSERT_EQ(map.RepairedPixels()[i].x, searching.repaired[i].x) << i;
            ASSERT_EQ(map.RepairedPixels()[i].y, searching.repaired[i].y) << i;
        }
    }
}

TEST(FlawMap, InterpolationOverAFullFrameOfFlawRows) {
    const std::uint32_t width = 798, height = 1070;
    Frame frame(width, height, 0, 2);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            frame.At(x, y) = static_cast<std::uint16_t>(1000 + y);
    Frame untouched = frame;
    FlawMap every;
    for (std::uint32_t y = 0; y < height; ++y)
        every.AddRowFlaw(static_cast<std::int32_t>(y));
    // No good pixel anywhere: every pixel falls back to the pixel repair, which keeps it.
    every.RepairByInterpolation(frame.samples.data(), width, height, 2, true, false);
    EXPECT_EQ(frame.samples, untouched.samples);
    EXPECT_EQ(every.RepairedPixels().size(), std::size_t{width} * height);

    // All but the first and last rows: a straight ramp between them.
    FlawMap inner;
    for (std::uint32_t y = 1; y + 1 < height; ++y)
        inner.AddRowFlaw(static_cast<std::int32_t>(y));
    for (std::uint32_t y = 1; y + 1 < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            frame.At(x, y) = 7;
    inner.RepairByInterpolation(frame.samples.data(), width, height, 2, false, false);
    EXPECT_EQ(frame.samples, untouched.samples);
    EXPECT_TRUE(inner.RepairedPixels().empty());

    // And across: all but the first and last columns.
    FlawMap columns;
    for (std::uint32_t x = 1; x + 1 < width; ++x)
        columns.AddColumnFlaw(static_cast<std::int32_t>(x));
    for (std::uint32_t y = 0; y < height; ++y) {
        frame.At(0, y) = 100;
        frame.At(width - 1, y) = 100 + width - 1;
        for (std::uint32_t x = 1; x + 1 < width; ++x)
            frame.At(x, y) = 7;
    }
    columns.RepairByInterpolation(frame.samples.data(), width, height, 2, false, false);
    for (std::uint32_t x : {1u, 2u, 400u, 796u})
        EXPECT_EQ(frame.At(x, 555), 100 + x);
}
