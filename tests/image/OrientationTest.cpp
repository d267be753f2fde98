#include <gtest/gtest.h>

#include "image/Orientation.h"
#include "platform/KeyboardAbort.h"
#include "support/LastError.h"

namespace {
constexpr std::uint32_t Tooth(int number) {
    return 1u << (number - 1);
}

std::unique_ptr<CKIPImage16Bit> Numbered(std::uint32_t width, std::uint32_t height) {
    auto image = std::make_unique<CKIPImage16Bit>();
    image->Create(width, height, width + 1, 16, 600, 500);
    for (std::uint32_t r = 0; r < height; ++r)
        for (std::uint32_t c = 0; c < width; ++c)
            image->GetRow(r)[c] = static_cast<std::uint16_t>(r * 100 + c);
    return image;
}
} // namespace

TEST(Orientation, ToothAnglesAndNormalising) {
    EXPECT_EQ(ToothAngle(0, 0), 0);
    EXPECT_EQ(ToothAngle(Tooth(21) | Tooth(28), 0), 0);
    EXPECT_EQ(ToothAngle(Tooth(13) | Tooth(3), 0), 90);
    EXPECT_EQ(ToothAngle(Tooth(1) | Tooth(8), 0), 90);
    EXPECT_EQ(ToothAngle(Tooth(8) | Tooth(14), 0), 270);
    EXPECT_EQ(ToothAngle(Tooth(8), 0), 180);
    EXPECT_EQ(ToothAngle(0, 1u << 18), 90);  // primary S
    EXPECT_EQ(ToothAngle(0, 1u << 10), 270); // primary K
    EXPECT_EQ(ToothAngle(0, 1u << 4), 180);  // primary E
    EXPECT_EQ(ToothAngle(0, 1u << 14), 0);   // primary O
    EXPECT_EQ(NormaliseAngle(-90), 270);
    EXPECT_EQ(NormaliseAngle(450), 90);
    EXPECT_EQ(NormaliseAngle(360), 360);
    EXPECT_EQ(NormaliseAngle(720), 360);
}

TEST(Orientation, SixteenBitMappingsAndResolutions) {
    auto source = Numbered(3, 2);
    auto quarter = Rotate90(source.get());
    ASSERT_NE(quarter, nullptr);
    EXPECT_EQ(quarter->GetWidth(), 2u);
    EXPECT_EQ(quarter->GetHeight(), 3u);
    EXPECT_EQ(quarter->GetStride(), 2u);
    EXPECT_EQ(quarter->GetResolutionX(), 600u); // 16-bit turns keep the resolutions
    for (std::uint32_t r = 0; r < 2; ++r)
        for (std::uint32_t c = 0; c < 3; ++c) {
            EXPECT_EQ(quarter->GetRow(3 - 1 - c)[r], r * 100 + c);
            EXPECT_EQ(Rotate270(source.get())->GetRow(c)[2 - 1 - r], r * 100 + c);
            EXPECT_EQ(Rotate180(source.get())->GetRow(2 - 1 - r)[3 - 1 - c], r * 100 + c);
        }
    EXPECT_EQ(Rotate180(source.get())->GetStride(), 4u);

    auto turned = Numbered(70, 130); // more than one tile each way
    auto original = turned->Clone();
    for (int i = 0; i < 4; ++i)
        turned = Rotate90(turned.get());
    for (std::uint32_t r = 0; r < 130; ++r)
        for (std::uint32_t c = 0; c < 70; ++c)
            ASSERT_EQ(turned->GetRow(r)[c], original->GetRow(r)[c]);
}

TEST(Orientation, EightBitTurnsSwapResolutions) {
    CKIPImage image;
    image.SetColourTable(MakeGreyColourTable());
    ASSERT_TRUE(image.Create(300, 400, 600, 500, 8));
    image.SetPixel(0, 0, 1); // top left
    auto turned = Rotate90(&image);
    ASSERT_NE(turned, nullptr);
    EXPECT_EQ(turned->GetWidth(), 400u);
    EXPECT_EQ(turned->GetHeight(), 300u);
    EXPECT_EQ(turned->GetResolutionX(), 500u);
    EXPECT_EQ(turned->GetResolutionY(), 600u);
    EXPECT_EQ(turned->GetPixel(399, 0), 1u); // clockwise: top left goes top right
    EXPECT_EQ(Rotate270(&image)->GetPixel(0, 299), 1u);
    EXPECT_EQ(Rotate180(&image)->GetPixel(299, 399), 1u);

    CKIPImage rgb;
    ASSERT_TRUE(rgb.Create(3, 2, 24));
    rgb.SetPixel(0, 0, 0x123456);
    auto turnedRgb = Rotate90(&rgb);
    ASSERT_NE(turnedRgb, nullptr);
    EXPECT_EQ(turnedRgb->GetBitsPerPixel(), 24u);
    EXPECT_EQ(turnedRgb->GetPixel(1, 0), 0x123456u);
    EXPECT_EQ(turnedRgb->GetPixel(0, 0), 0xFFFFFFu);

    CKIPImage mono; // 1-bit sources turn pixel by pixel into indices
    mono.SetColourTable({0, 0xFFFFFF});
    ASSERT_TRUE(mono.Create(10, 1, 1));
    mono.SetPixel(3, 0, 0);
    auto column = Rotate90(&mono);
    ASSERT_NE(column, nullptr);
    EXPECT_EQ(column->GetPixel(0, 3), 0u);
    EXPECT_EQ(column->GetPixel(0, 4), 1u);
}

TEST(Orientation, AutoOrientAndReorient) {
    auto image = Numbered(3, 2);
    CKIPImage16Bit* before = image.get();
    AutoOrient(image, 0, 0, 0);
    EXPECT_EQ(image.get(), before);
    AutoOrient(image, Tooth(14), 0, 45); // 315: no quarter turn
    EXPECT_EQ(image.get(), before);
    AutoOrient(image, Tooth(2), 0, 0);
    EXPECT_EQ(image->GetWidth(), 2u);

    auto source = Numbered(3, 2);
    auto same = ReorientImage(source.get(), 0, 0, 0, 0, 0);
    ASSERT_NE(same, nullptr);
    EXPECT_NE(same.get(), source.get());
    auto half = ReorientImage(source.get(), Tooth(14), 0, Tooth(2), 0, 0);
    EXPECT_EQ(half->GetRow(1)[2], 0); // 180
    auto clockwise = ReorientImage(source.get(), Tooth(8), 0, Tooth(14), 0, 0);
    EXPECT_EQ(clockwise->GetRow(2)[0], 0); // 90: (0, 0) goes to row W - 1
    auto counter = ReorientImage(source.get(), Tooth(14), 0, Tooth(8), 0, 0);
    EXPECT_EQ(counter->GetRow(0)[1], 0); // 270: (0, 0) goes to column H - 1
    EXPECT_EQ(ReorientImage(static_cast<CKIPImage16Bit*>(nullptr), 0, 0, 0, 0, 0), nullptr);
}

TEST(Orientation, EscapeAbortKeepsTheOldImage) {
    int polls = 0;
    platform::SetEscapeKeySource([&polls] { return ++polls == 3; });
    auto image = Numbered(200, 200);
    CKIPImage16Bit* before = image.get();
    AutoOrient(image, Tooth(2), 0, 0);
    EXPECT_EQ(image.get(), before);
    EXPECT_EQ(polls, 3);
    EXPECT_NE(Rotate180(image.get()), nullptr); // each operation clears the flag first
    platform::SetEscapeKeySource(nullptr);
}

TEST(Orientation, GlobalDibImport) {
    EXPECT_EQ(ImageFromGlobalDIB(nullptr), nullptr);
    EXPECT_EQ(LastErrorText(), "No image was specified");
    platform::GlobalHandle block = platform::GlobalAllocZeroed(20);
    EXPECT_EQ(Image16FromGlobalDIB(block), nullptr);
    EXPECT_EQ(LastErrorText(), "Invalid image was specified");
    platform::GlobalFreeBlock(block);
}
