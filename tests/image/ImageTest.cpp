#include <gtest/gtest.h>

#include <cstring>

#include "image/BitmapExchange.h"
#include "image/Image.h"
#include "image/Image16.h"
#include "image/ImageError.h"
#include "image/PackedDib.h"
#include "image/Resolution.h"
#include "platform/GlobalMemory.h"
#include "support/ByteFields.h"
#include "support/LastError.h"

TEST(Image16, CreateRulesAndOwnership) {
    CKIPImage16Bit image;
    EXPECT_FALSE(image.Create(4, 2, 3, 16, 0, 0));
    EXPECT_EQ(LastErrorText(), "Invalid image parameter specified.");
    EXPECT_FALSE(image.Create(4, 2, 4, 0, 0, 0));
    EXPECT_FALSE(image.Create(4, 2, 4, 17, 0, 0));
    EXPECT_FALSE(image.IsValid());
    ASSERT_TRUE(image.Create(3, 2, 4, 12, 600, 500));
    EXPECT_EQ(image.GetSpareSamples(), 1u);
    EXPECT_EQ(image.GetMaxValue(), 4095u);
    EXPECT_EQ(image.GetLevelCount(), 4096u);
    EXPECT_EQ(image.GetPixelPtr(1, 1), image.GetPixels() + 5);
    image.GetRow(1)[2] = 77;
    image.infoText = "info";

    auto clone = image.Clone();
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->GetRow(1)[2], 77);
    EXPECT_EQ(clone->GetResolutionX(), 600u);
    EXPECT_EQ(clone->infoText, ""); // info travels only by TakeOver

    CKIPImage16Bit taker;
    taker.TakeOver(image);
    EXPECT_EQ(taker.GetRow(1)[2], 77);
    EXPECT_EQ(taker.infoText, "info");
    EXPECT_EQ(image.infoText, "");
    auto buffer = taker.DetachPixels();
    EXPECT_NE(buffer, nullptr);
    EXPECT_FALSE(taker.IsValid());

    std::uint16_t lent[4] = {1, 2, 3, 4};
    CKIPImage16Bit borrowed;
    borrowed.AttachBorrowed(lent, 2, 2, 2, 16);
    EXPECT_TRUE(borrowed.IsValid());
    EXPECT_EQ(borrowed.DetachPixels(), nullptr); // never owned

    EXPECT_EQ(DpiToPpm(600), 23622u);
    EXPECT_EQ(PpmToDpi(23622), 600u);
    CKIPImage16Bit resolution;
    resolution.SetResolutionPPM(0, 23622);
    EXPECT_EQ(resolution.GetResolutionX(), 0u); // 16-bit images keep 0
}

TEST(Image16, CreateRefusesSizesBeyondTwoGigabytes) {
    CKIPImage16Bit image;
    // 2^31 bytes; and 2^32 + 2^16 samples, which a 32-bit product wraps to 2^16.
    const std::uint32_t sizes[][3] = {{0x8000, 0x8000, 0x8000},
                                      {0x10000, 0x10000, 0x10001},
                                      {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF},
                                      {1, 0x40000000, 1}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(testing::Message() << size[0] << " x " << size[1] << " stride " << size[2]);
        SetLastErrorText("");
        EXPECT_FALSE(image.Create(size[0], size[1], size[2], 16, 0, 0));
        EXPECT_EQ(LastErrorText(), "Out of memory.");
        EXPECT_FALSE(image.IsValid());
        EXPECT_EQ(image.GetWidth(), 0u);
    }
}

TEST(Resolution, PixelsPerMetreBeyond32BitsSaturate) {
    volatile std::uint32_t largest = 0xFFFFFFFF, beyond = 109092170, fits = 109092169;
    EXPECT_EQ(DpiToPpm(largest), 0xFFFFFFFFu);
    EXPECT_EQ(DpiToPpm(beyond), 0xFFFFFFFFu);
    EXPECT_EQ(PpmToDpi(largest), 109092169u);
    EXPECT_EQ(DpiToPpm(fits), 4294967283u); // the largest that fits
}

TEST(Image, CreateRowsWhiteFillAndErrors) {
    CKIPImage image;
    EXPECT_FALSE(image.Create(5, 5, 16));
    EXPECT_EQ(LastImageErrorCode(), 0x20000000u);
    EXPECT_EQ(LastErrorText(), "Invalid bits-per-pixel (16)");
    EXPECT_FALSE(image.Create(0, 5, 8));
    EXPECT_EQ(LastImageErrorCode(), 0x20000001u);
    EXPECT_EQ(LastErrorText(), "Invalid image dimensions (0x5)");

    ASSERT_TRUE(image.Create(5, 2, 8));
    EXPECT_EQ(image.GetRowBytes(), 8u);
    EXPECT_EQ(image.GetRowPadding(), 3u);
    EXPECT_EQ(image.GetBits()[0], 0xFF);
    ASSERT_TRUE(image.Create(9, 1, 1));
    EXPECT_EQ(image.GetRowBytes(), 4u);
    ASSERT_TRUE(image.Create(3, 1, 0, 0, 24));
    EXPECT_EQ(image.GetRowBytes(), 12u);
    EXPECT_EQ(image.GetResolutionX(), 1u);

    // A grey table installed before Create makes white index 255.
    CKIPImage grey;
    std::vector<std::uint32_t> table = MakeGreyColourTable();
    table[255] = 0x00FEFEFE;
    table[7] = 0x00FFFFFF;
    grey.SetColourTable(table);
    ASSERT_TRUE(grey.Create(2, 2, 8));
    EXPECT_EQ(grey.GetBits()[0], 7);
    EXPECT_TRUE(grey.IsGreyscale());
    grey.SetPixel(1, 0, 42); // top row is the last stored row
    EXPECT_EQ(grey.GetStoredRow(1)[1], 42);
    EXPECT_EQ(grey.GetPixel(1, 0), 42u);
}

TEST(Image, NearestColourTiesAndInverse) {
    CKIPImage image;
    std::vector<std::uint32_t> table(8, 0);
    table[3] = 0x00FFFFFE;
    table[7] = 0x00FEFFFF;
    table[5] = 0x00FFFF00; // far
    image.SetColourTable(table);
    ASSERT_TRUE(image.Create(1, 1, 8));
    std::uint32_t index = 99;
    ASSERT_TRUE(image.NearestColour(0x00FFFFFF, index));
    EXPECT_EQ(index, 3u);
    ASSERT_TRUE(image.InverseColourIndex(3, index)); // (1, 0, 0) is nearest to black entries
    EXPECT_EQ(index, 0u);
    EXPECT_FALSE(image.IsGreyscale());
    CKIPImage none;
    EXPECT_FALSE(none.NearestColour(0, index));
}

TEST(Image, SixteenBitDibLayoutAndRoundTrip) {
    CKIPImage16Bit image;
    ASSERT_TRUE(image.Create(3, 2, 4, 16, 600, 300));
    for (std::uint32_t i = 0; i < 8; ++i)
        image.GetPixels()[i] = static_cast<std::uint16_t>(0x1000 + i);
    platform::GlobalHandle block = CreatePackedDIB(image);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(platform::GlobalBlockSize(block), 40u + 2 * 8);
    auto* bytes = static_cast<std::uint8_t*>(platform::GlobalLockBlock(block));
    EXPECT_EQ(LoadLittleEndian<std::uint16_t>(bytes + 14), 16);
    EXPECT_EQ(LoadLittleEndian<std::uint32_t>(bytes + 20), 0u); // biSizeImage
    EXPECT_EQ(LoadLittleEndian<std::uint32_t>(bytes + 24), 23622u);
    EXPECT_EQ(LoadLittleEndian<std::uint32_t>(bytes + 32), 0u);
    EXPECT_EQ(LoadLittleEndian<std::uint16_t>(bytes + 40 + 8), 0x1004); // row 1 after 8 bytes
    auto back = Image16FromPackedDIB(bytes, platform::GlobalBlockSize(block));
    platform::GlobalUnlockBlock(block);
    platform::GlobalFreeBlock(block);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetStride(), 4u);
    EXPECT_EQ(back->GetResolutionX(), 600u);
    EXPECT_EQ(back->GetResolutionY(), 300u);
    EXPECT_EQ(std::memcmp(back->GetPixels(), image.GetPixels(), 16), 0);
}

TEST(Image, ConvertTo8BitBySignificantBits) {
    CKIPImage16Bit image;
    ASSERT_TRUE(image.Create(3, 1, 4, 16, 0, 0));
    auto convert = [&](std::uint16_t a, std::uint16_t b, std::uint16_t c) {
        std::uint16_t* row = image.GetRow(0);
        row[0] = a;
        row[1] = b;
        row[2] = c;
        row[3] = 0xFFFF; // spare sample: not part of the picture
        auto eight = ConvertTo8Bit(&image);
        EXPECT_TRUE(eight && eight->IsGreyscale());
        const std::uint8_t* out = eight->GetStoredRow(0);
        return std::vector<int>{out[0], out[1], out[2]};
    };
    EXPECT_EQ(convert(4095, 16, 0), (std::vector<int>{255, 1, 0}));
    EXPECT_EQ(convert(0, 0, 0), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(convert(15, 1, 8), (std::vector<int>{239, 15, 127}));
    EXPECT_EQ(convert(0xFFFF, 0x1234, 0x00FF), (std::vector<int>{255, 0x12, 0}));
    EXPECT_EQ(SignificantBits(image), 16u);
    EXPECT_EQ(ConvertTo8Bit(nullptr), nullptr);
}

TEST(Image16, BitmapHandlesRoundTrip) {
    CKIPImage16Bit image;
    ASSERT_TRUE(image.Create(3, 2, 5, 16, 600, 600));
    for (std::uint32_t r = 0; r < 2; ++r)
        for (std::uint32_t c = 0; c < 3; ++c)
            image.GetRow(r)[c] = static_cast<std::uint16_t>(r * 10 + c + 1);
    platform::BitmapHandle bitmap = CreateDIBSection16(image);
    ASSERT_NE(bitmap, nullptr);
    auto back = Image16FromBitmap(bitmap);
    platform::DeleteBitmap(bitmap);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetStride(), 4u);
    EXPECT_EQ(back->GetResolutionX(), 1u);
    for (std::uint32_t r = 0; r < 2; ++r)
        for (std::uint32_t c = 0; c < 3; ++c)
            EXPECT_EQ(back->GetRow(r)[c], r * 10 + c + 1);
    EXPECT_EQ(Image16FromBitmap(nullptr), nullptr);
    EXPECT_EQ(LastErrorText(), "Unable to query information from image");
    CKIPImage16Bit empty;
    EXPECT_EQ(CreateDIBSection16(empty), nullptr);
}
