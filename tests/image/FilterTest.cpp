#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "image/Convolution.h"
#include "image/Enhancement.h"
#include "image/NoiseReduction.h"
#include "platform/KeyboardAbort.h"
#include "tests/image/FilterOracle.h"

namespace {

struct Shape {
    std::uint32_t width, height, bits;
};
const Shape kShapes[] = {{1, 1, 16}, {7, 5, 8}, {33, 17, 12}, {64, 65, 16}, {21, 22, 16}};

std::unique_ptr<CKIPImage16Bit> RandomImage(const Shape& shape, unsigned seed) {
    auto image = std::make_unique<CKIPImage16Bit>();
    image->Create(shape.width, shape.height, shape.width + 3, shape.bits, 600, 600);
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::uint32_t> value(0, image->GetMaxValue());
    for (std::uint32_t y = 0; y < shape.height; ++y)
        for (std::uint32_t x = 0; x < shape.width; ++x)
            image->GetRow(y)[x] =
                static_cast<std::uint16_t>((x + y) % 7 == 0 ? image->GetMaxValue() : value(random));
    return image;
}

void ExpectSame(const CKIPImage16Bit* actual, const CKIPImage16Bit* expected, const char* what) {
    ASSERT_NE(actual, nullptr) << what;
    ASSERT_NE(expected, nullptr) << what;
    ASSERT_EQ(actual->GetWidth(), expected->GetWidth()) << what;
    for (std::uint32_t y = 0; y < actual->GetHeight(); ++y)
        ASSERT_EQ(std::memcmp(actual->GetRow(y), expected->GetRow(y), 2 * actual->GetWidth()), 0)
            << what << " row " << y;
}

std::unique_ptr<CKIPImage16Bit> Flat(std::uint32_t width, std::uint32_t height,
                                     std::uint16_t value) {
    auto image = std::make_unique<CKIPImage16Bit>();
    image->Create(width, height, width, 16, 0, 0);
    std::fill_n(image->GetPixels(), image->SampleCount(), value);
    return image;
}

} // namespace

TEST(Filters, ConvolutionsMatchTheOracle) {
    const std::uint32_t masks[][2] = {{1, 1}, {3, 3}, {4, 2}, {5, 3}, {3, 7}, {9, 9}, {21, 21}};
    for (const Shape& shape : kShapes) {
        auto image = RandomImage(shape, shape.width * 31 + shape.bits);
        for (const auto& mask : masks) {
            SCOPED_TRACE(testing::Message() << shape.width << "x" << shape.height << " mask "
                                            << mask[0] << "x" << mask[1]);
            if (!MaskFits(mask[0], mask[1], image.get())) {
                EXPECT_EQ(SmoothImage(image.get(), mask[0], mask[1], 50u), nullptr);
                continue;
            }
            for (std::uint32_t percent : {0u, 37u, 100u, 150u}) {
                FilterKernel kernel;
                MakeSmoothingKernel(kernel, mask[0], mask[1], percent);
                ExpectSame(SmoothImage(image.get(), mask[0], mask[1], percent).get(),
                           oracle::Convolve(*image, kernel).get(), "smooth");
                MakeSharpenKernel(kernel, mask[0], mask[1], percent);
                ExpectSame(SharpenImage(image.get(), mask[0], mask[1], percent).get(),
                           oracle::Convolve(*image, kernel).get(), "sharpen");
                MakeLaplaceKernel(kernel, mask[0], mask[1], percent / 10);
                ExpectSame(LaplaceEnhance(image.get(), mask[0], mask[1], percent / 10).get(),
                           oracle::Laplace(*image, kernel).get(), "laplace");
            }
        }
    }
}

TEST(Filters, MediansMatchTheOracle) {
    for (const Shape& shape : kShapes) {
        auto image = RandomImage(shape, shape.height);
        ExpectSame(FastMedian(image.get()).get(), oracle::FastMedian(*image).get(), "fast");
        for (std::uint32_t k : {1u, 2u, 3u, 4u, 5u, 6u, 7u}) {
            if (k > shape.width || k > shape.height) {
                EXPECT_EQ(MedianFilter(image.get(), k), nullptr);
                continue;
            }
            ExpectSame(MedianFilter(image.get(), k).get(), oracle::Median(*image, k).get(),
                       "median");
        }
    }
}

TEST(Filters, PointwiseStepsMatchTheOracle) {
    auto ramp = std::make_unique<CKIPImage16Bit>(); // every value, so the stretch spans maxValue
    ramp->Create(256, 256, 259, 16, 0, 0);
    for (std::uint32_t y = 0; y < 256; ++y)
        for (std::uint32_t x = 0; x < 256; ++x)
            ramp->GetRow(y)[x] = static_cast<std::uint16_t>(y * 256 + x);
    std::vector<std::unique_ptr<CKIPImage16Bit>> images;
    images.push_back(std::move(ramp));
    for (const Shape& shape : kShapes)
        images.push_back(RandomImage(shape, shape.width + 7));
    for (const auto& image : images) {
        SCOPED_TRACE(testing::Message() << image->GetWidth() << "x" << image->GetHeight());
        ExpectSame(NormalizeImage(image.get()).get(), oracle::Normalize(*image).get(), "normalize");
        for (auto [brightness, contrast] : {std::pair{-5, 5}, {-10, 0}, {37, -120}, {0, 300}})
            ExpectSame(AdjustBrightnessContrast(image.get(), brightness, contrast).get(),
                       oracle::BrightnessContrast(*image, brightness, contrast).get(), "b/c");
    }
    // A narrow range whose stretch factor is no whole number.
    auto narrow = RandomImage({90, 30, 16}, 3);
    for (std::uint32_t y = 0; y < 30; ++y)
        for (std::uint32_t x = 0; x < 90; ++x)
            narrow->GetRow(y)[x] = static_cast<std::uint16_t>(1000 + narrow->GetRow(y)[x] % 777);
    ExpectSame(NormalizeImage(narrow.get()).get(), oracle::Normalize(*narrow).get(), "narrow");
    // Every offset of many ranges, the stretch factor's whole-number cases among them.
    // The spans from 4369 on share so many multiples with 65535 that they are divided.
    std::vector<std::uint32_t> spans;
    for (std::uint32_t span = 1; span < 700; span += 3)
        spans.push_back(span);
    for (std::uint32_t span : {4369u, 13107u, 21845u, 43690u, 65535u})
        spans.push_back(span);
    for (std::uint32_t span : spans) {
        auto every = std::make_unique<CKIPImage16Bit>();
        every->Create(span + 1, 1, span + 1, 16, 0, 0);
        for (std::uint32_t x = 0; x <= span; ++x)
            every->GetRow(0)[x] = static_cast<std::uint16_t>(65535 - span + x);
        ExpectSame(NormalizeImage(every.get()).get(), oracle::Normalize(*every).get(), "every");
    }
}

TEST(Filters, MedianRemovalRules) {
    auto dot = Flat(9, 9, 100);
    dot->GetRow(4)[4] = 65535;
    EXPECT_EQ(FastMedian(dot.get())->GetRow(4)[4], 100);
    EXPECT_EQ(MedianFilter(dot.get(), 3)->GetRow(4)[4], 100);
    auto line = Flat(9, 9, 100);
    for (std::uint32_t x = 0; x < 9; ++x)
        line->GetRow(4)[x] = 65535;
    EXPECT_EQ(FastMedian(line.get())->GetRow(4)[4], 65535);
    EXPECT_EQ(MedianFilter(line.get(), 3)->GetRow(4)[4], 100);
    auto corner = Flat(4, 4, 100);
    corner->GetRow(0)[0] = 65535;
    EXPECT_EQ(MedianFilter(corner.get(), 3)->GetRow(0)[0], 100);
    corner->GetRow(0)[1] = 65535;
    EXPECT_EQ(MedianFilter(corner.get(), 3)->GetRow(0)[0], 65535);
    auto thin = Flat(5, 2, 7);
    thin->GetRow(0)[2] = 9;
    ExpectSame(FastMedian(thin.get()).get(), thin.get(), "height 2 unchanged");
}

TEST(Filters, ConvolutionRoundingAndKernelRules) {
    FilterKernel kernel;
    kernel.SetKernelSize(4, 2);
    EXPECT_EQ(kernel.Cols(), 5u);
    EXPECT_EQ(kernel.Rows(), 3u);
    kernel.SetKernelSize(0, 0);
    EXPECT_EQ(kernel.Cols(), 1u);
    auto one = Flat(1, 1, 20);
    kernel.SetKernelCentre(-0.16); // 20 x -0.16 = -3.2
    kernel.scale = 1;
    EXPECT_EQ(Convolve(one.get(), kernel)->GetRow(0)[0], 0);
    kernel.SetKernelCentre(0.525); // 10.5
    EXPECT_EQ(Convolve(one.get(), kernel)->GetRow(0)[0], 11);
    auto full = Flat(1, 1, 65535);
    kernel.SetKernelCentre(65535.7 / 65535);
    EXPECT_EQ(Convolve(full.get(), kernel)->GetRow(0)[0], 65535);

    FilterKernel three;
    three.SetKernelSize(3, 3);
    EXPECT_NEAR(three.KernelDistance(0, 0), 2.1213, 1e-4);
    EXPECT_NEAR(three.KernelDistance(1, 0), 1.5811, 1e-4);
    EXPECT_NEAR(three.KernelDistance(1, 1), 0.7071, 1e-4);
    MakeLaplaceKernel(three, 3, 3, 1);
    EXPECT_NEAR(three.Coefficient(0, 0), -0.0589, 1e-4);
    EXPECT_NEAR(three.Coefficient(2, 2), -0.1768, 1e-4);
    EXPECT_NEAR(three.Coefficient(1, 1), 0.9055, 1e-4);

    auto flat = Flat(8, 8, 30000);
    ExpectSame(SharpenImage(flat.get(), 3, 3, 50).get(), flat.get(), "flat sharpen");
    ExpectSame(LaplaceEnhance(flat.get(), 3, 3, 5).get(), flat.get(), "flat laplace");
    auto zero = SharpenImage(flat.get(), 3, 3, 100);
    EXPECT_EQ(std::count(zero->GetPixels(), zero->GetPixels() + zero->SampleCount(), 0),
              static_cast<std::ptrdiff_t>(zero->SampleCount()));
    EXPECT_EQ(SmoothImage(flat.get(), 9, 3, 50), nullptr);             // wider than the image
    EXPECT_EQ(SmoothImage(flat.get(), 0xFFFFFFFFu, 3u, 50u), nullptr); // never allocated
}

TEST(Filters, PointwiseFormulas) {
    auto image = Flat(4, 1, 0);
    std::uint16_t* row = image->GetRow(0);
    row[0] = 0;
    row[1] = 16384;
    row[2] = 65535;
    row[3] = 1000;
    auto inverted = InvertImage(image.get());
    EXPECT_EQ(inverted->GetRow(0)[0], 65535);
    EXPECT_EQ(inverted->GetRow(0)[2], 0);
    EXPECT_EQ(GammaCorrect(image.get(), 0.5)->GetRow(0)[1], 4096);
    for (double gamma : {1.0, 0.0, -2.0})
        ExpectSame(GammaCorrect(image.get(), gamma).get(), image.get(), "gamma copy");
    ExpectSame(AdjustBrightnessContrast(image.get(), 0, 0).get(), image.get(), "no change");
    EXPECT_EQ(AdjustBrightnessContrast(image.get(), 10, -100)->GetRow(0)[3],
              39321); // 32768 + 6553.5
    EXPECT_EQ(AdjustBrightnessContrast(image.get(), 0, 20)->GetRow(0)[2], 65535);

    auto ramp = std::make_unique<CKIPImage16Bit>();
    ramp->Create(1000, 1, 1000, 16, 0, 0);
    for (std::uint32_t x = 0; x < 1000; ++x)
        ramp->GetRow(0)[x] = static_cast<std::uint16_t>(x + 1);
    auto levelled = AutoLevel(ramp.get(), 0.0075, 0.0025);
    EXPECT_EQ(levelled->GetRow(0)[6], 0);       // 7
    EXPECT_EQ(levelled->GetRow(0)[998], 65535); // 999
    EXPECT_EQ(levelled->GetRow(0)[502], 32767); // 503
    auto extremes = Flat(2, 1, 0);
    extremes->GetRow(0)[1] = 65535;
    ExpectSame(AutoLevel(extremes.get(), 0.0075, 0.0025).get(), extremes.get(), "extremes");
    auto grey = Flat(3, 3, 500);
    ExpectSame(AutoLevel(grey.get(), 0.0075, 0.0025).get(), grey.get(), "single grey");

    auto span = Flat(2, 1, 1000);
    span->GetRow(0)[1] = 3000;
    auto normal = NormalizeImage(span.get());
    EXPECT_EQ(normal->GetRow(0)[0], 0);
    EXPECT_EQ(normal->GetRow(0)[1], 65535);
    auto flatNormal = NormalizeImage(grey.get());
    EXPECT_EQ(flatNormal->GetRow(1)[1], 0);

    CKIPImage16Bit twelve;
    twelve.Create(1, 1, 1, 12, 500, 500);
    twelve.GetRow(0)[0] = 4095;
    EXPECT_EQ(InvertImage(&twelve)->GetRow(0)[0], 0);
    ApplyCalibration(&twelve, 1.05);
    EXPECT_EQ(twelve.GetResolutionX(), 525u);
    ApplyCalibration(&twelve, 0);
    ApplyCalibration(&twelve, -1);
    EXPECT_EQ(twelve.GetResolutionY(), 525u);

    EXPECT_FALSE(HasAnteriorTeeth(0b111u | (0b111111u << 13) | (0b111u << 29), 0b111u));
    EXPECT_TRUE(HasAnteriorTeeth(1u << 3, 0));
    EXPECT_TRUE(HasAnteriorTeeth(1u << 28, 0));
    EXPECT_TRUE(HasAnteriorTeeth(0, 1u << 16));
}

TEST(Filters, EscapeGivesNull) {
    platform::SetEscapeKeySource([] { return true; });
    auto image = Flat(8, 8, 5);
    EXPECT_EQ(SmoothImage(image.get(), 3, 3, 50), nullptr);
    EXPECT_EQ(MedianFilter(image.get(), 3), nullptr);
    EXPECT_EQ(FastMedian(image.get()), nullptr);
    EXPECT_EQ(AutoLevel(image.get(), 0.1, 0.1), nullptr);
    EXPECT_EQ(InvertImage(image.get()), nullptr);
    platform::SetEscapeKeySource(nullptr);
}
