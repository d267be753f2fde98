#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "image/Convolution.h"
#include "image/Enhancement.h"
#include "image/GroupedKernel.h"
#include "tests/image/FilterOracle.h"

using convolution_detail::GroupedKernel;
using convolution_detail::GroupedRows;

namespace {

// Noise over the full 16 bits, with runs of the extremes that saturate sums.
std::unique_ptr<CKIPImage16Bit> NoisyImage(std::uint32_t width, std::uint32_t height) {
    auto image = std::make_unique<CKIPImage16Bit>();
    image->Create(width, height, width + 1, 16, 600, 600);
    std::mt19937 random(width * height);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            image->GetRow(y)[x] =
                static_cast<std::uint16_t>(x % 11 < 2 ? (y % 2 ? 65535 : 0) : random() % 65536);
    return image;
}

void ExpectSameSamples(const CKIPImage16Bit& actual, const CKIPImage16Bit& expected) {
    for (std::uint32_t y = 0; y < actual.GetHeight(); ++y)
        ASSERT_EQ(std::memcmp(actual.GetRow(y), expected.GetRow(y), 2 * actual.GetWidth()), 0)
            << "row " << y;
}

} // namespace

TEST(GroupedKernel, SumsStayWithinTheToleranceOfTheFormula) {
    auto image = NoisyImage(70, 40); // two blocks of pixels and an overlapping third
    for (std::uint32_t percent : {0u, 5u, 50u, 99u}) {
        FilterKernel kernel;
        MakeSharpenKernel(kernel, 21, 21, percent);
        auto plan = GroupedKernel::Plan(kernel);
        ASSERT_NE(plan, nullptr);
        EXPECT_LT(plan->Groups().size(), 80u); // equal distances share one product
        const double tolerance = plan->Tolerance(kernel.scale, false);
        GroupedRows rows(*plan, *image);
        std::vector<double> sums(image->GetWidth());
        for (std::uint32_t y = 0; y < image->GetHeight(); y += 3) {
            rows.Sums(y, sums.data());
            for (std::uint32_t x = 0; x < image->GetWidth(); ++x)
                ASSERT_LE(std::abs(sums[x] * kernel.scale - oracle::Apply(kernel, *image, x, y)),
                          tolerance)
                    << percent << "% at " << x << ", " << y;
        }
    }
}

TEST(GroupedKernel, OnlyLargeFiniteKernelsAreGrouped) {
    FilterKernel kernel;
    MakeSharpenKernel(kernel, 3, 3, 5);
    EXPECT_EQ(GroupedKernel::Plan(kernel), nullptr); // as quick tap by tap
    MakeSharpenKernel(kernel, 201, 201, 5);
    EXPECT_EQ(GroupedKernel::Plan(kernel), nullptr); // integer sums could overflow
    kernel.SetKernelSize(11, 11);
    kernel.FillKernel(std::numeric_limits<double>::infinity());
    EXPECT_EQ(GroupedKernel::Plan(kernel), nullptr);
    // Near 100 % the scale is so large that the tap-by-tap sum is used throughout.
    MakeSharpenKernel(kernel, 21, 21, 99);
    auto image = NoisyImage(40, 30);
    ExpectSameSamples(*SharpenImage(image.get(), 21, 21, 99), *oracle::Convolve(*image, kernel));
}

TEST(GroupedKernel, PixelsNearARoundingStepTakeTheFormulasSum) {
    // A tolerance of a whole sample sends every pixel back to the formula.
    auto image = NoisyImage(45, 25);
    ConvolutionOptions everyPixel;
    everyPixel.minimumTolerance = 1;
    FilterKernel kernel;
    MakeSharpenKernel(kernel, 11, 9, 20);
    ExpectSameSamples(*ConvolveRows(image.get(), kernel, nullptr, false, everyPixel),
                      *oracle::Convolve(*image, kernel));
    MakeLaplaceKernel(kernel, 9, 11, 4);
    ExpectSameSamples(*ConvolveRows(image.get(), kernel, nullptr, true, everyPixel),
                      *oracle::Laplace(*image, kernel));
    // And the grouped sums alone give the same samples on this picture.
    ExpectSameSamples(*LaplaceEnhance(image.get(), 9, 11, 4), *oracle::Laplace(*image, kernel));
}
