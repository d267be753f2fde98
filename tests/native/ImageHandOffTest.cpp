#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "image/Orientation.h"
#include "plugin/ImageHandOff.h"
#include "plugin/PluginState.h"
#include "support/LastError.h"

namespace {

// A frame with a gradient and a bright disc, odd width so rows are padded.
RawFrame TestFrame(std::uint32_t width = 101, std::int32_t height = 80) {
    RawFrame frame;
    frame.Allocate(width, height, 600, 600);
    for (std::int32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            const int dx = static_cast<int>(x) - 50, dy = y - 40;
            const int disc = dx * dx + dy * dy < 400 ? 1500 : 0;
            frame.SetPixel(x, static_cast<std::uint32_t>(y),
                           static_cast<std::uint16_t>(300 + 20 * x + 5 * y + disc));
        }
    return frame;
}

class RecordingEnhancer : public ImageEnhancer {
public:
    std::unique_ptr<CKIPImage16Bit> Enhance(const CKIPImage16Bit& image,
                                            std::int32_t level) override {
        levels.push_back(level);
        auto result = image.Clone();
        result->GetRow(0)[0] = 12345;
        return result;
    }
    std::vector<std::int32_t> levels;
};

class ImageHandOffTest : public ::testing::Test {
protected:
    void SetUp() override {
        PluginModule::Instance().Reset();
        request.options = &options;
        request.labels = &labels;
        request.sendProcessing = [this](const std::string& text) { texts.push_back(text); };
    }
    void TearDown() override { PluginModule::Instance().Reset(); }

    void AllFiltersOff(std::int32_t family) {
        using O = SensorOptions::Offset;
        const O off2000[] = {O::MedianOn2000, O::SmoothingOn2000, O::SharpeningOn2000,
                             O::LaplaceOn2000};
        const O offToviRay[] = {O::MedianOnToviRay, O::SmoothingOnToviRay, O::SharpeningOnToviRay,
                                O::LaplaceOnToviRay};
        for (O at : family == 0 ? off2000 : offToviRay)
            options.SetInt(at, 0);
    }

    RawFrame frame = TestFrame();
    SensorOptions options;
    LabelBitmaps labels;
    HandOffRequest request;
    HandOffResult result;
    std::vector<std::string> texts;
};

TEST_F(ImageHandOffTest, EveryProgressTextInOrderWhetherTheStepIsOnOrOff) {
    AllFiltersOff(0);
    options.SetInt(SensorOptions::AutoOrient, 0);
    ASSERT_TRUE(ProcessBitmapToImage(frame.Clone(), request, result));
    const std::vector<std::string> expected = {
        "Preparing Image ....",     "Preparing Image .....",   "Smoothing Image ......",
        "Sharpening Image .......", "Laplacing Image .......", "Normalize..."};
    EXPECT_EQ(texts, expected);
    ASSERT_NE(result.image8, nullptr);
    EXPECT_EQ(result.image16, nullptr);
    EXPECT_EQ(result.image8->GetWidth(), 101u); // the odd width stays
    EXPECT_EQ(result.image8->GetHeight(), 80u);

    texts.clear();
    options.SetInt(SensorOptions::AutoOrient, 1);
    options.SetInt(SensorOptions::PqeLevel2000, 3);
    RecordingEnhancer enhancer;
    request.enhancer = &enhancer;
    request.sixteenBit = true;
    ASSERT_TRUE(ProcessBitmapToImage(frame.Clone(), request, result));
    ASSERT_EQ(texts.size(), 8u);
    EXPECT_EQ(texts[6], "PQE...");
    EXPECT_EQ(texts[7], "Orienting Image ...");
    EXPECT_EQ(enhancer.levels, std::vector<std::int32_t>{3});
    ASSERT_NE(result.image16, nullptr);
    EXPECT_EQ(result.image8, nullptr);
}

TEST_F(ImageHandOffTest, TheFrameBecomesTheImageWhateverItsRowLength) {
    // With the chain reduced to the inversion, normalisation and level stretch,
    // the image is still a monotone function of the frame: compare the order.
    AllFiltersOff(0);
    options.SetInt(SensorOptions::AutoOrient, 0);
    request.sixteenBit = true;
    ASSERT_TRUE(ProcessBitmapToImage(frame.Clone(), request, result));
    const CKIPImage16Bit& image = *result.image16;
    EXPECT_EQ(image.GetStride(), 102u);
    EXPECT_EQ(image.GetResolutionX(), 600u);
    // Inverted: a brighter frame pixel is a darker image pixel, along a row and down a column.
    EXPECT_GT(image.GetRow(10)[5], image.GetRow(10)[95]);
    EXPECT_GT(image.GetRow(5)[5], image.GetRow(75)[5]);

    // A frame whose rows are longer than its own layout gives the same image,
    // whatever its padding holds.
    auto padded = std::make_unique<RawFrame>();
    padded->width = frame.width;
    padded->height = frame.height;
    padded->stride = 2 * 110;
    padded->resolutionX = padded->resolutionY = 600;
    padded->pixels.reset(new std::uint16_t[110 * 80]);
    std::fill_n(padded->pixels.get(), 110 * 80, 0xABCD);
    for (std::uint32_t y = 0; y < 80; ++y)
        std::copy_n(frame.Line(y), 101, padded->Line(y));
    HandOffResult fromPadded;
    ASSERT_TRUE(ProcessBitmapToImage(std::move(padded), request, fromPadded));
    ASSERT_EQ(fromPadded.image16->GetStride(), 102u);
    for (std::uint32_t y = 0; y < 80; ++y)
        ASSERT_TRUE(
            std::equal(image.GetRow(y), image.GetRow(y) + 102, fromPadded.image16->GetRow(y)))
            << "row " << y;
}

TEST_F(ImageHandOffTest, AnteriorTeethTakeTheAnteriorAdjustments) {
    AllFiltersOff(0);
    options.SetInt(SensorOptions::AutoOrient, 0);
    options.SetInt(SensorOptions::AnteriorBrightness2000, 40);
    request.sixteenBit = true;
    auto meanOf = [&](std::uint32_t permanent) {
        request.permanentTeeth = permanent;
        EXPECT_TRUE(ProcessBitmapToImage(frame.Clone(), request, result));
        double sum = 0;
        for (std::uint32_t y = 0; y < result.image16->GetHeight(); ++y)
            for (std::uint32_t x = 0; x < result.image16->GetWidth(); ++x)
                sum += result.image16->GetRow(y)[x];
        return sum;
    };
    const double posterior = meanOf(1u << 0); // tooth 1
    EXPECT_NE(meanOf(1u << 10), posterior);   // tooth 11
    EXPECT_EQ(meanOf(1u << 13), posterior);   // tooth 14
}

TEST_F(ImageHandOffTest, LabelAndOrientation) {
    AllFiltersOff(1);
    request.family = 1;
    options.SetInt(SensorOptions::AutoOrient, 0);
    ASSERT_TRUE(ProcessBitmapToImage(frame.Clone(), request, result));
    auto labelled = std::move(result.image8);
    request.labels = nullptr;
    ASSERT_TRUE(ProcessBitmapToImage(frame.Clone(), request, result));
    // The ToviRay label (78 x 22) in the bottom-left corner of the upright picture.
    std::uint32_t inside = 0, outside = 0;
    for (std::uint32_t y = 0; y < 80; ++y)
        for (std::uint32_t x = 0; x < 101; ++x) {
            const bool differs = labelled->GetPixel(x, y) != result.image8->GetPixel(x, y);
            (x < 78 && y >= 80 - 22 ? inside : outside) += differs;
        }
    EXPECT_GT(inside, 50u);
    EXPECT_EQ(outside, 0u);

    options.SetInt(SensorOptions::AutoOrient, 1);
    for (std::uint32_t tooth = 0; tooth < 32; ++tooth) {
        if (NormaliseAngle(ToothAngle(1u << tooth, 0)) != 90)
            continue;
        request.permanentTeeth = 1u << tooth;
        ASSERT_TRUE(ProcessBitmapToImage(frame.Clone(), request, result));
        EXPECT_EQ(result.image8->GetWidth(), 80u);
        EXPECT_EQ(result.image8->GetHeight(), 101u);
        return;
    }
    ADD_FAILURE() << "no tooth turns the picture by 90 degrees";
}

TEST_F(ImageHandOffTest, AFrameWithoutPixelsIsOutOfMemory) {
    SetLastErrorText("");
    EXPECT_FALSE(ProcessBitmapToImage(std::make_unique<RawFrame>(), request, result));
    EXPECT_EQ(LastErrorText(), "Out of memory");
    EXPECT_EQ(result.image8, nullptr);
    EXPECT_EQ(result.image16, nullptr);
}

} // namespace
