#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <string>

#include "image/Convolution.h"
#include "image/Enhancement.h"
#include "tests/image/FilterOracle.h"

namespace {

std::unique_ptr<CKIPImage16Bit> NoisyImage(std::uint32_t width, std::uint32_t height,
                                           unsigned seed) {
    auto image = std::make_unique<CKIPImage16Bit>();
    image->Create(width, height, width + 1, 16, 600, 600);
    std::mt19937 random(seed);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            image->GetRow(y)[x] = static_cast<std::uint16_t>(random() % 65536);
    return image;
}

bool SamePicture(const CKIPImage16Bit& a, const CKIPImage16Bit& b) {
    for (std::uint32_t y = 0; y < a.GetHeight(); ++y)
        if (!std::equal(a.GetRow(y), a.GetRow(y) + a.GetWidth(), b.GetRow(y)))
            return false;
    return true;
}

bool AllPictureSamplesAre(const CKIPImage16Bit& image, std::uint16_t value) {
    for (std::uint32_t y = 0; y < image.GetHeight(); ++y)
        if (std::any_of(image.GetRow(y), image.GetRow(y) + image.GetWidth(),
                        [&](std::uint16_t v) { return v != value; }))
            return false;
    return true;
}

} // namespace

TEST(AnteriorTeeth, EveryToothOnItsOwn) {
    const std::set<int> anteriorPermanent = {4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                                             20, 21, 22, 23, 24, 25, 26, 27, 28, 29};
    for (int tooth = 1; tooth <= 32; ++tooth) {
        SCOPED_TRACE(testing::Message() << "permanent tooth " << tooth);
        EXPECT_EQ(HasAnteriorTeeth(1u << (tooth - 1), 0), anteriorPermanent.count(tooth) != 0);
    }
    const std::string anteriorPrimary = "DEFGNOPQ";
    for (char tooth = 'A'; tooth <= 'T'; ++tooth) {
        SCOPED_TRACE(testing::Message() << "primary tooth " << tooth);
        EXPECT_EQ(HasAnteriorTeeth(0, 1u << (tooth - 'A')),
                  anteriorPrimary.find(tooth) != std::string::npos);
    }
    EXPECT_FALSE(HasAnteriorTeeth(0, 0));
}

TEST(Sharpening, ExactlyOneHundredPercentGivesZeroForEveryMaskSize) {
    auto image = NoisyImage(40, 30, 5);
    for (std::uint32_t size = 1; size <= 21; size += 2) {
        SCOPED_TRACE(testing::Message() << "mask " << size);
        auto sharpened = SharpenImage(image.get(), size, size, 100u);
        ASSERT_NE(sharpened, nullptr);
        EXPECT_TRUE(AllPictureSamplesAre(*sharpened, 0));
        FilterKernel kernel;
        MakeSharpenKernel(kernel, size, size, 100);
        EXPECT_EQ(kernel.scale, 0.0);
    }
    auto tall = SharpenImage(image.get(), 3u, 21u, 100u);
    ASSERT_NE(tall, nullptr);
    EXPECT_TRUE(AllPictureSamplesAre(*tall, 0));
}

TEST(Sharpening, NearOneHundredPercentStillSharpens) {
    auto flat = std::make_unique<CKIPImage16Bit>();
    flat->Create(25, 25, 26, 16, 600, 600);
    std::fill_n(flat->GetPixels(), flat->SampleCount(), 30000);
    auto image = NoisyImage(30, 24, 9);
    for (std::uint32_t size = 3; size <= 21; size += 2) {
        for (std::uint32_t percent : {99u, 101u}) {
            SCOPED_TRACE(testing::Message() << "mask " << size << " at " << percent);
            FilterKernel kernel;
            MakeSharpenKernel(kernel, size, size, percent);
            EXPECT_NE(kernel.scale, 0.0);
            auto sharpened = SharpenImage(flat.get(), size, size, percent);
            ASSERT_NE(sharpened, nullptr);
            EXPECT_TRUE(AllPictureSamplesAre(*sharpened, 30000));
            auto noisy = SharpenImage(image.get(), size, size, percent);
            ASSERT_NE(noisy, nullptr);
            EXPECT_TRUE(SamePicture(*noisy, *oracle::Convolve(*image, kernel)));
        }
    }
}

TEST(Calibration, FactorsThatGiveNoResolutionLeaveItUnchanged) {
    const double bad[] = {std::numeric_limits<double>::quiet_NaN(),
                          std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(),
                          0.0,
                          -0.0,
                          -1.0,
                          -std::numeric_limits<double>::denorm_min(),
                          std::numeric_limits<double>::max(),
                          1e10, // 500 dpi becomes 5e12
                          1e7}; // only the horizontal 500 dpi overflows
    for (double factor : bad) {
        SCOPED_TRACE(testing::Message() << "factor " << factor);
        CKIPImage16Bit image;
        ASSERT_TRUE(image.Create(2, 2, 2, 16, 500, 400));
        ApplyCalibration(&image, factor);
        EXPECT_EQ(image.GetResolutionX(), 500u);
        EXPECT_EQ(image.GetResolutionY(), 400u);
    }
    ApplyCalibration(nullptr, 1.05);

    CKIPImage16Bit image;
    ASSERT_TRUE(image.Create(2, 2, 2, 16, 500, 1));
    ApplyCalibration(&image, 1.05);
    EXPECT_EQ(image.GetResolutionX(), 525u);
    image.SetResolution(1, 1);
    ApplyCalibration(&image, 4294967295.0); // the largest resolution still fits
    EXPECT_EQ(image.GetResolutionX(), 4294967295u);
    image.SetResolution(1, 1);
    ApplyCalibration(&image, 4294967295.5); // rounds to 2^32
    EXPECT_EQ(image.GetResolutionX(), 1u);
}

TEST(RecordValues, NegativeMaskSizesAndFactorsGiveNothing) {
    auto image = NoisyImage(9, 9, 3);
    const std::int32_t good = 3, factor = 50, negative = -3;
    EXPECT_EQ(SmoothImage(image.get(), negative, good, factor), nullptr);
    EXPECT_EQ(SmoothImage(image.get(), good, negative, factor), nullptr);
    EXPECT_EQ(SmoothImage(image.get(), good, good, -50), nullptr);
    EXPECT_EQ(SharpenImage(image.get(), negative, good, factor), nullptr);
    EXPECT_EQ(SharpenImage(image.get(), good, negative, factor), nullptr);
    EXPECT_EQ(SharpenImage(image.get(), good, good, -1), nullptr);
    EXPECT_EQ(LaplaceEnhance(image.get(), negative, good, good), nullptr);
    EXPECT_EQ(LaplaceEnhance(image.get(), good, negative, good), nullptr);
    EXPECT_EQ(LaplaceEnhance(image.get(), good, good, -3), nullptr);
    EXPECT_EQ(SharpenImage(image.get(), good, good, std::numeric_limits<std::int32_t>::min()),
              nullptr);

    // Values that are not negative behave as the unsigned ones.
    auto same = [](const std::unique_ptr<CKIPImage16Bit>& a,
                   const std::unique_ptr<CKIPImage16Bit>& b) {
        return a && b && SamePicture(*a, *b);
    };
    EXPECT_TRUE(
        same(SmoothImage(image.get(), good, good, factor), SmoothImage(image.get(), 3u, 3u, 50u)));
    EXPECT_TRUE(same(SharpenImage(image.get(), 0, good, 0), SharpenImage(image.get(), 0u, 3u, 0u)));
    EXPECT_TRUE(same(LaplaceEnhance(image.get(), good, good, good),
                     LaplaceEnhance(image.get(), 3u, 3u, 3u)));
}

TEST(Gamma, NonFiniteGammaLeavesThePictureAsItIs) {
    auto image = NoisyImage(9, 5, 3);
    for (double gamma :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        auto result = GammaCorrect(image.get(), gamma, nullptr);
        ASSERT_NE(result, nullptr);
        EXPECT_TRUE(SamePicture(*result, *image));
    }
}

// Tables are kept between calls: each gamma and depth still gets its own formula.
TEST(Gamma, EveryGammaAndDepthTakesItsOwnFormula) {
    for (int round = 0; round < 2; ++round)
        for (double gamma : {0.7, 0.75, 1.3, 0.5, 2.0, 0.7})
            for (std::uint32_t bits : {12u, 16u}) {
                auto image = std::make_unique<CKIPImage16Bit>();
                image->Create(64, 2, 64, bits, 600, 600);
                const double top = (1u << bits) - 1;
                for (std::uint32_t x = 0; x < 64; ++x) {
                    image->GetRow(0)[x] = static_cast<std::uint16_t>(x * 1021 % (1u << bits));
                    image->GetRow(1)[x] = static_cast<std::uint16_t>(top - x);
                }
                auto result = GammaCorrect(image.get(), gamma, nullptr);
                ASSERT_NE(result, nullptr);
                for (std::uint32_t y = 0; y < 2; ++y)
                    for (std::uint32_t x = 0; x < 64; ++x) {
                        const double v = image->GetRow(y)[x];
                        const double expected =
                            std::trunc(std::min(top, top * std::pow(v / top, 1 / gamma)));
                        ASSERT_EQ(result->GetRow(y)[x], expected)
                            << "gamma " << gamma << ", " << bits << " bits, sample " << v;
                    }
            }
}

// Samples above the significant bits count as the largest value: in the gamma
// and levels tables and in the levels histogram.
TEST(Levels, SamplesAboveTheSignificantBitsCountAsTheLargest) {
    auto image = std::make_unique<CKIPImage16Bit>();
    auto clamped = std::make_unique<CKIPImage16Bit>();
    image->Create(40, 30, 40, 12, 600, 600);
    clamped->Create(40, 30, 40, 12, 600, 600);
    for (std::uint32_t y = 0; y < 30; ++y)
        for (std::uint32_t x = 0; x < 40; ++x) {
            const std::uint32_t v = (x * 97 + y * 31) % 3000 + 500;
            const bool above = (x + y) % 9 == 0;
            image->GetRow(y)[x] = static_cast<std::uint16_t>(above ? 4096 + v * 10 : v);
            clamped->GetRow(y)[x] = static_cast<std::uint16_t>(above ? 4095 : v);
        }
    image->GetRow(0)[0] = 65535;
    EXPECT_TRUE(SamePicture(*AutoLevel(image.get(), 0.0075, 0.0025),
                            *AutoLevel(clamped.get(), 0.0075, 0.0025)));
    EXPECT_TRUE(SamePicture(*GammaCorrect(image.get(), 0.75, nullptr),
                            *GammaCorrect(clamped.get(), 0.75, nullptr)));
}
