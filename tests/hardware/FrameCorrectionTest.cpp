#include <gtest/gtest.h>

#include "hardware/FrameCorrection.h"

namespace {
RawFrame Numbered(std::uint32_t width, std::int32_t height) {
    RawFrame frame;
    frame.Allocate(width, height, 600, 600);
    for (std::int32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            frame.SetPixel(x, static_cast<std::uint32_t>(y),
                           static_cast<std::uint16_t>(y * 100 + x));
    return frame;
}
} // namespace

TEST(RawFrame, StrideRuleAllocationAndClone) {
    RawFrame frame;
    ASSERT_TRUE(frame.Allocate(445, 710, 600, 600));
    EXPECT_EQ(frame.stride, 892);
    EXPECT_EQ(RawFrame::StrideFor(468), 936);
    EXPECT_EQ(frame.Pixel(444, 709), 0);
    EXPECT_EQ(frame.RowPad(), 1u);
    frame.SetPixel(3, 2, 77);
    auto copy = frame.Clone();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Pixel(3, 2), 77);
    EXPECT_FALSE(frame.Allocate(0, 5, 0, 0));
    EXPECT_FALSE(frame.Allocate(5, -1, 0, 0));
    EXPECT_FALSE(frame.Allocate(100000, 100000, 0, 0));
    EXPECT_EQ(frame.pixels, nullptr);
}

TEST(RawFrame, DarkSubtractionNeverWraps) {
    RawFrame exposed = Numbered(3, 2);
    RawFrame dark;
    dark.Allocate(3, 2, 600, 600);
    dark.SetPixel(0, 0, 5);   // above the exposed 0
    dark.SetPixel(2, 1, 100); // 102 - 100
    ASSERT_TRUE(SubtractDark(exposed, dark));
    EXPECT_EQ(exposed.Pixel(0, 0), 0);
    EXPECT_EQ(exposed.Pixel(2, 1), 2);
    EXPECT_EQ(exposed.Pixel(1, 1), 101);
    RawFrame other;
    other.Allocate(4, 2, 0, 0);
    EXPECT_FALSE(SubtractDark(exposed, other));
}

TEST(RawFrame, LineOffsetCornersAndCropping) {
    RawFrame frame = Numbered(10, 3);
    CorrectOffset(frame, 3);
    EXPECT_EQ(frame.Pixel(7, 0), 100); // line 1's first pixels end line 0
    EXPECT_EQ(frame.Pixel(9, 0), 102);
    EXPECT_EQ(frame.Pixel(0, 1), 103);
    EXPECT_EQ(frame.Pixel(6, 1), 109);
    EXPECT_EQ(frame.Pixel(7, 1), 200);
    EXPECT_EQ(frame.Pixel(0, 2), 203);
    EXPECT_EQ(frame.Pixel(7, 2), 207); // the last line's tail keeps its old values
    EXPECT_EQ(frame.Pixel(9, 2), 209);

    RawFrame corners = Numbered(10, 10);
    ASSERT_TRUE(CutCorners(corners, 3, 4095));
    EXPECT_EQ(corners.Pixel(2, 1), 4095);
    EXPECT_EQ(corners.Pixel(0, 2), 4095);
    EXPECT_NE(corners.Pixel(2, 2), 4095);
    for (std::uint32_t y = 0; y < 10; ++y)
        EXPECT_NE(corners.Pixel(3, y), 4095);
    EXPECT_EQ(corners.Pixel(9, 9), 4095);
    EXPECT_EQ(corners.Pixel(7, 8), 4095);
    EXPECT_FALSE(CutCorners(corners, 6, 0)); // more than half the frame: refused
    EXPECT_TRUE(CutCorners(corners, 0, 0));

    RawFrame source = Numbered(10, 8);
    auto cropped = Crop(source, 2, 3, 1, 4);
    ASSERT_NE(cropped, nullptr);
    EXPECT_EQ(cropped->width, 5u);
    EXPECT_EQ(cropped->height, 3);
    EXPECT_EQ(cropped->Pixel(0, 0), 102);
    EXPECT_EQ(cropped->Pixel(4, 2), 306);
    EXPECT_EQ(cropped->resolutionX, 600);
    EXPECT_EQ(Crop(source, 5, 5, 0, 0), nullptr); // nothing would remain
    EXPECT_EQ(Crop(source, 0, 0, 4, 0xFFFFFFFF), nullptr);
}
