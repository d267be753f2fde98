#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "image/ImageError.h"
#include "image/StampLabel.h"
#include "platform/KeyboardAbort.h"
#include "support/LastError.h"

namespace {

std::unique_ptr<CKIPImage> Label(int id) {
    auto label = std::make_unique<CKIPImage>();
    EXPECT_TRUE(label->LoadResourceBitmap(id)) << id;
    return label;
}

std::uint32_t InkCount(const CKIPImage& label) {
    std::uint32_t ink = 0;
    for (std::uint32_t y = 0; y < label.GetHeight(); ++y)
        for (std::uint32_t x = 0; x < label.GetWidth(); ++x)
            ink += label.GetPixel(x, y) == 0;
    return ink;
}

} // namespace

TEST(StampLabel, TheLabelBitmapsAreResources) {
    const struct {
        int id;
        std::uint32_t width;
    } labels[] = {{kLabelToviRay, 78}, {kLabel2000, 69}, {kLabel2000Plus, 84}};
    for (const auto& expected : labels) {
        CKIPImage label;
        ASSERT_TRUE(label.LoadResourceBitmap(expected.id));
        EXPECT_EQ(label.GetWidth(), expected.width);
        EXPECT_EQ(label.GetHeight(), 22u);
        EXPECT_EQ(label.GetBitsPerPixel(), 1u);
        EXPECT_EQ(label.GetColourTable().size(), 2u);
        EXPECT_GT(InkCount(label), 50u);
    }
    CKIPImage missing;
    EXPECT_FALSE(missing.LoadResourceBitmap(4999));
    EXPECT_EQ(LastImageErrorCode(), 0x20000005u);
    EXPECT_EQ(LastErrorText().rfind("Unable to load the bitmap from the application resources "
                                    "(error = ",
                                    0),
              0u);
}

TEST(StampLabel, StampingTwiceRestoresThePicture) {
    auto owned = Label(kLabel2000);
    const CKIPImage& label = *owned;
    CKIPImage grey;
    grey.SetColourTable(MakeGreyColourTable());
    ASSERT_TRUE(grey.Create(80, 30, 8));
    for (std::uint32_t y = 0; y < 30; ++y)
        for (std::uint32_t x = 0; x < 80; ++x)
            grey.SetPixel(x, y, (x * 3 + y) & 0xFF);
    auto original = grey.Clone(true);
    ASSERT_TRUE(StampLabel(grey, label, 20, 15)); // partly outside: clipped
    EXPECT_NE(std::memcmp(grey.GetBits(), original->GetBits(), grey.GetImageSize()), 0);
    ASSERT_TRUE(StampLabel(grey, label, 20, 15));
    EXPECT_EQ(std::memcmp(grey.GetBits(), original->GetBits(), grey.GetImageSize()), 0);

    CKIPImage16Bit frame;
    ASSERT_TRUE(frame.Create(70, 22, 70, 12, 0, 0));
    std::fill_n(frame.GetPixels(), frame.SampleCount(), 100);
    ASSERT_TRUE(StampLabel(frame, label, 0, 0));
    std::uint32_t inverted = 0;
    for (std::size_t i = 0; i < frame.SampleCount(); ++i)
        inverted += frame.GetPixels()[i] == 4095 - 100;
    EXPECT_EQ(inverted, InkCount(label));
    // Stored row j follows label row height - 1 - j: the label stands upright on top.
    EXPECT_EQ(frame.GetRow(21 - 5)[10] == 3995, label.GetPixel(10, 5) == 0);
    ASSERT_TRUE(StampLabel(frame, label, 0, 0));
    EXPECT_EQ(std::count(frame.GetPixels(), frame.GetPixels() + frame.SampleCount(), 100),
              static_cast<std::ptrdiff_t>(frame.SampleCount()));

    CKIPImage rgb;
    ASSERT_TRUE(rgb.Create(69, 22, 24));
    ASSERT_TRUE(StampLabel(rgb, label, 0, 0));
    EXPECT_EQ(rgb.GetPixel(10, 5), label.GetPixel(10, 5) == 0 ? 0u : 0xFFFFFFu);
    EXPECT_FALSE(StampLabel(rgb, grey, 0, 0)); // not a 1-bit label
}

TEST(StampLabel, EscapeEndsTheEightBitStamp) {
    auto owned = Label(kLabelToviRay);
    const CKIPImage& label = *owned;
    CKIPImage grey;
    grey.SetColourTable(MakeGreyColourTable());
    ASSERT_TRUE(grey.Create(78, 22, 8));
    platform::SetEscapeKeySource([] { return true; });
    EXPECT_FALSE(StampLabel(grey, label, 0, 0));
    platform::SetEscapeKeySource(nullptr);
}
