#include <gtest/gtest.h>

#include <vector>

#include "image/FlawMap.h"

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
