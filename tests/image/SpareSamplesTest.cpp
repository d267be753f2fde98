#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "image/Convolution.h"
#include "image/Enhancement.h"
#include "image/Image16.h"
#include "image/NoiseReduction.h"
#include "image/Orientation.h"
#include "image/PackedDib.h"
#include "platform/GlobalMemory.h"

namespace {

// Leaves freed heap blocks of about this size full of a non-zero pattern, so
// that samples a new image does not set show up as non-zero.
void SoilHeap(std::size_t bytes) {
    std::vector<std::uint8_t> block(bytes, 0xA5);
    asm volatile("" : : "r"(block.data()) : "memory"); // the pattern must reach the heap
}

// An image of odd width with stride = width rounded up to even, as the
// captured frames have; only the picture is written.
std::unique_ptr<CKIPImage16Bit> OddWidthPicture(std::uint32_t width, std::uint32_t height) {
    std::uint32_t stride = (width + 1) / 2 * 2;
    SoilHeap(2 * std::size_t{stride} * height);
    auto image = std::make_unique<CKIPImage16Bit>();
    if (!image->Create(width, height, stride, 16, 600, 600))
        return nullptr;
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            image->GetRow(y)[x] = static_cast<std::uint16_t>(1000 + 37 * x + 101 * y);
    return image;
}

bool SpareSamplesAreZero(const CKIPImage16Bit& image) {
    for (std::uint32_t y = 0; y < image.GetHeight(); ++y)
        for (std::uint32_t x = image.GetWidth(); x < image.GetStride(); ++x)
            if (image.GetRow(y)[x] != 0)
                return false;
    return true;
}

} // namespace

TEST(SpareSamples, NewImagesAndCopiesHoldZero) {
    auto image = OddWidthPicture(7, 5);
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(SpareSamplesAreZero(*image));
    SoilHeap(2 * image->SampleCount());
    auto empty = std::make_unique<CKIPImage16Bit>();
    ASSERT_TRUE(empty->CreateCopy(image.get(), false));
    EXPECT_EQ(std::count(empty->GetPixels(), empty->GetPixels() + empty->SampleCount(), 0),
              static_cast<std::ptrdiff_t>(empty->SampleCount()));
    auto clone = image->Clone();
    ASSERT_NE(clone, nullptr);
    EXPECT_TRUE(SpareSamplesAreZero(*clone));
}

TEST(SpareSamples, PackedDibRowsEndInZeroBytes) {
    for (std::uint32_t width : {1u, 3u, 5u, 7u, 33u}) {
        SCOPED_TRACE(testing::Message() << "width " << width);
        auto image = OddWidthPicture(width, 4);
        ASSERT_NE(image, nullptr);
        platform::GlobalHandle block = CreatePackedDIB(*image);
        ASSERT_NE(block, nullptr);
        const std::size_t rowBytes = (2 * (width + 1) + 3) / 4 * 4; // stride of width + 1
        ASSERT_EQ(platform::GlobalBlockSize(block), 40 + 4 * rowBytes);
        const auto* bytes = static_cast<const std::uint8_t*>(platform::GlobalLockBlock(block));
        for (std::size_t row = 0; row < 4; ++row) {
            const std::uint8_t* at = bytes + 40 + row * rowBytes;
            for (std::size_t i = 2 * width; i < rowBytes; ++i)
                EXPECT_EQ(at[i], 0) << "row " << row << " byte " << i;
        }
        platform::GlobalUnlockBlock(block);
        platform::GlobalFreeBlock(block);
    }
}

TEST(SpareSamples, FilterResultsHoldZero) {
    using Filter = std::function<std::unique_ptr<CKIPImage16Bit>(const CKIPImage16Bit*)>;
    const std::pair<const char*, Filter> filters[] = {
        {"invert", [](auto* i) { return InvertImage(i); }},
        {"gamma", [](auto* i) { return GammaCorrect(i, 0.7); }},
        {"auto level", [](auto* i) { return AutoLevel(i, 0.0075, 0.0025); }},
        {"brightness", [](auto* i) { return AdjustBrightnessContrast(i, -10, 10); }},
        {"fast median", [](auto* i) { return FastMedian(i); }},
        {"median 3", [](auto* i) { return MedianFilter(i, 3u); }},
        {"median 5", [](auto* i) { return MedianFilter(i, 5u); }},
        {"smooth", [](auto* i) { return SmoothImage(i, 3u, 3u, 50u); }},
        {"sharpen", [](auto* i) { return SharpenImage(i, 21u, 21u, 5u); }},
        {"laplace", [](auto* i) { return LaplaceEnhance(i, 3u, 3u, 3u); }},
        {"normalize", [](auto* i) { return NormalizeImage(i); }},
        {"half turn", [](auto* i) { return Rotate180(i); }},
    };
    for (const auto& [name, filter] : filters) {
        SCOPED_TRACE(name);
        auto image = OddWidthPicture(41, 23);
        ASSERT_NE(image, nullptr);
        SoilHeap(2 * image->SampleCount());
        auto result = filter(image.get());
        ASSERT_NE(result, nullptr);
        EXPECT_TRUE(SpareSamplesAreZero(*result));
    }
}
