#include "plugin/ImageHandOff.h"

#include <algorithm>

#include "image/Convolution.h"
#include "image/Enhancement.h"
#include "image/NoiseReduction.h"
#include "image/Orientation.h"
#include "image/PackedDib.h"
#include "image/StampLabel.h"
#include "plugin/PluginState.h"
#include "plugin/ProcessingGroup.h"
#include "support/LastError.h"
#include "support/LogChannels.h"

namespace {

constexpr int kLabelResources[] = {kLabelToviRay, kLabel2000, kLabel2000Plus};

// A step that gives an image replaces the chain's; one that gives none leaves it.
void Replace(std::unique_ptr<CKIPImage16Bit>& image, std::unique_ptr<CKIPImage16Bit> result) {
    if (result)
        image = std::move(result);
}

void Progress(const HandOffRequest& request, const char* text) {
    if (request.sendProcessing)
        request.sendProcessing(Translate(text));
}

bool Fail(const char* logLine) {
    SetLastErrorText(Translate("Out of memory"));
    CaptureLog.Log(logLine, LastErrorText().c_str());
    return false;
}

// A frame's rows are its width rounded up to even long, as an image's: the
// image takes the pixels over. A spare sample is cleared, for it reaches the DIB.
std::unique_ptr<CKIPImage16Bit> TakeOverFrame(std::unique_ptr<RawFrame> frame) {
    if (!frame || !frame->pixels || frame->width == 0 || frame->height <= 0)
        return nullptr;
    const std::uint32_t width = frame->width;
    const auto height = static_cast<std::uint32_t>(frame->height);
    const std::uint32_t evenWidth = (width + 1) / 2 * 2;
    auto image = std::make_unique<CKIPImage16Bit>();
    const auto resolutionX = static_cast<std::uint32_t>(frame->resolutionX);
    const auto resolutionY = static_cast<std::uint32_t>(frame->resolutionY);
    if (frame->stride == RawFrame::StrideFor(width)) {
        image->Adopt(std::move(frame->pixels), width, height, evenWidth, 16);
        image->SetResolution(resolutionX, resolutionY);
        for (std::uint32_t y = 0; y < height && evenWidth != width; ++y)
            image->GetRow(y)[width] = 0;
        return image;
    }
    // Any other row length: row by row into a new image.
    if (frame->stride < 0 || static_cast<std::uint32_t>(frame->stride) / 2 < width ||
        !image->Create(width, height, evenWidth, 16, resolutionX, resolutionY))
        return nullptr;
    for (std::uint32_t y = 0; y < height; ++y)
        std::copy_n(frame->Line(y), width, image->GetRow(y));
    return image;
}

std::unique_ptr<CKIPImage16Bit> Median(const CKIPImage16Bit* image, std::int32_t kind) {
    if (kind == 1)
        return FastMedian(image);
    return MedianFilter(image, kind == 2 ? 5 : 3);
}

void StampFamilyLabel(const HandOffRequest& request, HandOffResult& result) {
    const CKIPImage* label = request.labels ? request.labels->ForFamily(request.family) : nullptr;
    if (label == nullptr)
        return;
    if (result.image8) {
        const auto y0 = static_cast<std::int32_t>(result.image8->GetHeight() - label->GetHeight());
        StampLabel(*result.image8, *label, 0, y0);
    } else {
        const auto y0 = static_cast<std::int32_t>(result.image16->GetHeight() - label->GetHeight());
        StampLabel(*result.image16, *label, 0, y0);
    }
}

} // namespace

const CKIPImage* LabelBitmaps::ForFamily(std::int32_t family) {
    if (!LoadAll())
        return nullptr;
    // Family 0 is the 2000 series, 2 the 2000+ series, any other ToviRay.
    return labels_[family == 0 ? 1 : family == 2 ? 2 : 0].get();
}

bool LabelBitmaps::LoadAll() {
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        if (labels_[i])
            continue;
        auto label = std::make_unique<CKIPImage>();
        if (!label->LoadResourceBitmap(kLabelResources[i]))
            return false;
        labels_[i] = std::move(label);
    }
    return true;
}

void LabelBitmaps::Release() {
    for (auto& label : labels_)
        label.reset();
}

void RunProcessingChain(const HandOffRequest& request, std::unique_ptr<CKIPImage16Bit>& image) {
    const ProcessingGroup group = ReadProcessingGroup(*request.options, request.family);
    Replace(image, InvertImage(image.get()));
    if (request.family == 2)
        Replace(image, GammaCorrect(image.get(), 0.7));
    Replace(image, AutoLevel(image.get(), 0.0075, 0.0025));
    const bool anterior = HasAnteriorTeeth(request.permanentTeeth, request.primaryTeeth);
    Progress(request, "Preparing Image ....");
    Replace(image, AdjustBrightnessContrast(
                       image.get(), anterior ? group.anteriorBrightness : group.posteriorBrightness,
                       anterior ? group.anteriorContrast : group.posteriorContrast));
    Replace(image,
            GammaCorrect(image.get(), anterior ? group.anteriorGamma : group.posteriorGamma));
    Progress(request, "Preparing Image .....");
    if (group.medianOn)
        Replace(image, Median(image.get(), group.medianKind));
    Progress(request, "Smoothing Image ......");
    if (group.smoothingOn)
        Replace(image, SmoothImage(image.get(), group.smoothingCols, group.smoothingRows,
                                   group.smoothingFactor));
    Progress(request, "Sharpening Image .......");
    if (group.sharpeningOn)
        Replace(image, SharpenImage(image.get(), group.sharpeningCols, group.sharpeningRows,
                                    group.sharpeningFactor));
    Progress(request, "Laplacing Image .......");
    if (group.laplaceOn)
        Replace(image, LaplaceEnhance(image.get(), group.laplaceCols, group.laplaceRows,
                                      group.laplaceFactor));
    Progress(request, "Normalize...");
    Replace(image, NormalizeImage(image.get()));
    if (group.enhancementLevel != 0) {
        Progress(request, "PQE...");
        if (request.enhancer != nullptr)
            Replace(image, request.enhancer->Enhance(*image, group.enhancementLevel));
    }
    ApplyCalibration(image.get(), request.options->Double(SensorOptions::CalibrationFactor));
}

bool ProcessBitmapToImage(std::unique_ptr<RawFrame> frame, const HandOffRequest& request,
                          HandOffResult& result) {
    CaptureLog.Log("IFace::ProcessBitmapToImage()::Begin");
    result = {};
    std::unique_ptr<CKIPImage16Bit> image = TakeOverFrame(std::move(frame));
    if (!image)
        return Fail("IFace::ProcessBitmapToImage()::%s");
    RunProcessingChain(request, image);
    if (!request.sixteenBit) {
        result.image8 = ConvertTo8Bit(image.get());
        image.reset();
        if (!result.image8)
            return Fail("IFace::CreateFromRaw16BitGrayscale()");
    } else {
        result.image16 = std::move(image);
    }
    StampFamilyLabel(request, result);
    if (request.options->Int(SensorOptions::AutoOrient) != 0) {
        Progress(request, "Orienting Image ...");
        if (result.image8)
            AutoOrient(result.image8, request.permanentTeeth, request.primaryTeeth, 0);
        else
            AutoOrient(result.image16, request.permanentTeeth, request.primaryTeeth, 0);
    }
    CaptureLog.Log("IFace::ProcessBitmapToImage()::End");
    return true;
}
