#include <gtest/gtest.h>

#include "image/ImageError.h"
#include "image/PackedDib.h"
#include "support/LastError.h"
#include "tests/image/DibBuilder.h"

TEST(PackedDib, IndexedDibsReadTheirTableAndPixels) {
    // 8 bits, 16 colours: pixels start at 40 + 64.
    auto dib = DibHeaderBytes(3, 2, 8, 0, 16);
    for (std::uint32_t i = 0; i < 16; ++i)
        AppendWord(dib, i * 0x010101);
    for (std::uint8_t value : {1, 2, 3, 0, 4, 5, 6, 0})
        dib.push_back(value);
    auto image = ImageFromPackedDIB(dib.data(), dib.size());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetColourTable().size(), 16u);
    EXPECT_EQ(image->GetResolutionX(), 600u);
    EXPECT_EQ(image->GetPixel(0, 1), 1u); // stored row 0 is the bottom row
    EXPECT_EQ(image->GetPixel(2, 0), 6u);

    // 1 bit without biClrUsed: two entries.
    auto mono = DibHeaderBytes(9, 1, 1);
    AppendWord(mono, 0);
    AppendWord(mono, 0xFFFFFF);
    for (std::uint8_t value : {0x80, 0x80, 0, 0})
        mono.push_back(value);
    auto bits = ImageFromPackedDIB(mono.data(), mono.size());
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(bits->GetPixel(0, 0), 1u);
    EXPECT_EQ(bits->GetPixel(1, 0), 0u);
    EXPECT_EQ(bits->GetPixel(8, 0), 1u);

    // Top-down: the first row in the block is the top of the picture.
    auto topDown = DibHeaderBytes(1, -2, 8, 0, 2);
    AppendWord(topDown, 0);
    AppendWord(topDown, 0xFFFFFF);
    for (std::uint8_t value : {1, 0, 0, 0, 0, 0, 0, 0})
        topDown.push_back(value);
    auto upright = ImageFromPackedDIB(topDown.data(), topDown.size());
    ASSERT_NE(upright, nullptr);
    EXPECT_EQ(upright->GetPixel(0, 0), 1u);
    EXPECT_EQ(upright->GetPixel(0, 1), 0u);
}

TEST(PackedDib, TrueColourAndBitfields) {
    auto dib32 = DibHeaderBytes(1, 1, 32);
    AppendWord(dib32, 0x00112233); // default masks: red 0x11, green 0x22, blue 0x33
    auto plain = ImageFromPackedDIB(dib32.data(), dib32.size());
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->GetBitsPerPixel(), 24u);
    EXPECT_EQ(plain->GetPixel(0, 0), 0x112233u);

    auto fields = DibHeaderBytes(1, 1, 32, 3);
    AppendWord(fields, 0x000000FF); // red
    AppendWord(fields, 0x0000FF00);
    AppendWord(fields, 0x00FF0000); // blue
    AppendWord(fields, 0x00112233);
    auto swapped = ImageFromPackedDIB(fields.data(), fields.size());
    ASSERT_NE(swapped, nullptr);
    EXPECT_EQ(swapped->GetPixel(0, 0), 0x332211u);

    auto dib24 = DibHeaderBytes(1, 1, 24);
    for (std::uint8_t value : {0x33, 0x22, 0x11, 0})
        dib24.push_back(value);
    auto rgb = ImageFromPackedDIB(dib24.data(), dib24.size());
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(rgb->GetPixel(0, 0), 0x112233u);

    auto dib16 = DibHeaderBytes(1, 1, 16);
    AppendWord(dib16, 0xFF00);
    auto eight = ImageFromPackedDIB(dib16.data(), dib16.size());
    ASSERT_NE(eight, nullptr);
    EXPECT_EQ(eight->GetBitsPerPixel(), 8u);
    EXPECT_EQ(eight->GetPixel(0, 0), 0xFFu);
}

TEST(PackedDib, MalformedDibsNeverReadOutsideTheirBytes) {
    auto expectInvalid = [](std::vector<std::uint8_t> dib, const char* why) {
        SetLastErrorText("");
        EXPECT_EQ(ImageFromPackedDIB(dib.data(), dib.size()), nullptr) << why;
        EXPECT_EQ(Image16FromPackedDIB(dib.data(), dib.size()), nullptr) << why;
        EXPECT_FALSE(LastErrorText().empty()) << why;
    };
    expectInvalid({1, 2, 3}, "shorter than a header");
    expectInvalid(DibHeaderBytes(0, 4, 8), "zero width");
    expectInvalid(DibHeaderBytes(4, 0, 16), "zero height");
    expectInvalid(DibHeaderBytes(INT32_MIN, 1, 16), "absurd width");
    expectInvalid(DibHeaderBytes(0x7FFFFFFF, 0x7FFFFFFF, 16), "pixel area beyond the block");
    auto table = DibHeaderBytes(1, 1, 8, 0, 300);
    table.resize(table.size() + 4 * 300 + 4);
    expectInvalid(table, "more colours than 8 bits hold");
    auto truncated = DibHeaderBytes(4, 4, 24);
    truncated.resize(truncated.size() + 47);
    expectInvalid(truncated, "one byte short");
    auto masks = DibHeaderBytes(1, 1, 32, 3);
    masks.resize(48);
    expectInvalid(masks, "masks cut off");

    auto planes = DibHeaderBytes(1, 1, 8);
    planes[12] = 2;
    EXPECT_EQ(ImageFromPackedDIB(planes.data(), planes.size() + 0), nullptr);
    EXPECT_EQ(LastImageErrorCode(), 0x20000003u);
    EXPECT_EQ(LastErrorText(), "Unsupported number of bit planes 2");
    auto rle = DibHeaderBytes(1, 1, 8, 1);
    EXPECT_EQ(ImageFromPackedDIB(rle.data(), rle.size()), nullptr);
    EXPECT_EQ(LastErrorText(), "Unsupported compression");
    auto four = DibHeaderBytes(1, 1, 4);
    EXPECT_EQ(ImageFromPackedDIB(four.data(), four.size()), nullptr);
    EXPECT_EQ(LastErrorText(), "Unsupported number of color bits 4");
    auto eight = DibHeaderBytes(1, 1, 8);
    EXPECT_EQ(Image16FromPackedDIB(eight.data(), eight.size()), nullptr);
    EXPECT_EQ(LastImageErrorCode(), 0x20000002u);
}

TEST(PackedDib, EightBitExportWritesTableAndRows) {
    CKIPImage image;
    image.SetColourTable(MakeGreyColourTable());
    ASSERT_TRUE(image.Create(3, 2, 600, 600, 8));
    image.SetPixel(0, 0, 9);
    platform::GlobalHandle block = image.CreatePackedDIB();
    ASSERT_NE(block, nullptr);
    ASSERT_EQ(platform::GlobalBlockSize(block), 40u + 1024 + 8);
    auto* bytes = static_cast<std::uint8_t*>(platform::GlobalLockBlock(block));
    EXPECT_EQ(LoadLittleEndian<std::uint32_t>(bytes + 32), 256u);
    EXPECT_EQ(LoadLittleEndian<std::uint32_t>(bytes + 20), 8u);
    EXPECT_EQ(LoadLittleEndian<std::uint32_t>(bytes + 40 + 4 * 255), 0x00FFFFFFu);
    EXPECT_EQ(bytes[40 + 1024 + 4], 9); // the top row is stored last
    auto back = ImageFromPackedDIB(bytes, platform::GlobalBlockSize(block));
    platform::GlobalUnlockBlock(block);
    platform::GlobalFreeBlock(block);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetPixel(0, 0), 9u);
    EXPECT_EQ(back->GetPixel(1, 0), 255u);
}
