#include <gtest/gtest.h>

#include <cstring>

#include "image/Image.h"

namespace {
void Fill(CKIPImage& image) {
    for (std::uint32_t y = 0; y < image.GetHeight(); ++y)
        for (std::uint32_t x = 0; x < image.GetWidth(); ++x)
            image.SetPixel(x, y, (x * 16 + y) & 0xFF);
}
} // namespace

TEST(Image, CopiesCarryTablesPixelsAndUserValues) {
    CKIPImage source;
    std::vector<std::uint32_t> table = MakeGreyColourTable();
    table[0] = 0x00123456;
    source.SetColourTable(table);
    ASSERT_TRUE(source.Create("src", 6, 4, 300, 200, 8));
    Fill(source);
    source.userValue = 7;
    source.userFlag = 1;
    source.infoText = "info";

    CKIPImage copy;
    ASSERT_TRUE(copy.CopyFrom(source));
    EXPECT_EQ(copy.GetColourTable(), table);
    EXPECT_EQ(std::memcmp(copy.GetBits(), source.GetBits(), source.GetImageSize()), 0);
    EXPECT_EQ(copy.userValue, 7u);
    EXPECT_EQ(copy.userFlag, 1);
    EXPECT_EQ(copy.GetName(), "src");
    EXPECT_EQ(copy.GetResolutionY(), 200u);
    EXPECT_EQ(copy.infoText, ""); // info travels only by TakeOver

    auto blank = source.Clone(false);
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(blank->GetPixel(1, 1), 0xFFu); // white before the table is installed
    EXPECT_EQ(blank->GetColourTable(), table);

    CKIPImage taker;
    taker.TakeOver(source);
    EXPECT_FALSE(source.IsValid());
    EXPECT_TRUE(source.GetColourTable().empty());
    EXPECT_EQ(taker.GetPixel(2, 3), (2 * 16 + 3) & 0xFFu);
    EXPECT_EQ(taker.infoText, "info");
    EXPECT_EQ(taker.userValue, 7u);
    EXPECT_TRUE(taker.CopyPixels(copy));
    CKIPImage smaller;
    ASSERT_TRUE(smaller.Create(2, 2, 8));
    EXPECT_FALSE(taker.CopyPixels(smaller));
}

TEST(Image, RegionsAreClippedToTheSource) {
    CKIPImage source;
    source.SetColourTable(MakeGreyColourTable());
    ASSERT_TRUE(source.Create(6, 4, 8));
    Fill(source);
    CKIPImage region;
    ASSERT_TRUE(region.CreateFromRegion(source, 4, 2, 3, 3));
    EXPECT_EQ(region.GetWidth(), 3u);
    EXPECT_EQ(region.GetPixel(0, 0), source.GetPixel(4, 2));
    EXPECT_EQ(region.GetPixel(1, 1), source.GetPixel(5, 3));
    EXPECT_EQ(region.GetPixel(2, 2), 255u); // outside the source: the white fill stays

    CKIPImage rgb;
    ASSERT_TRUE(rgb.Create(3, 2, 24));
    rgb.SetPixel(2, 1, 0x010203);
    CKIPImage rgbRegion;
    ASSERT_TRUE(rgbRegion.CreateFromRegion(rgb, 1, 1, 2, 1));
    EXPECT_EQ(rgbRegion.GetPixel(1, 0), 0x010203u);
    CKIPImage empty;
    EXPECT_FALSE(rgbRegion.CreateFromRegion(empty, 0, 0, 1, 1));
}
