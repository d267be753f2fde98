#include <cstring>
#include <vector>

#include "hardware/Device2000.h"
#include "hardware/DeviceLog.h"
#include "hardware/DeviceStatus.h"
#include "hardware/FrameCorrection.h"
#include "hardware/PropertyValues.h"
#include "image/ImageTestSaver.h"
#include "support/LogChannels.h"
#include "support/Translation.h"

namespace {

struct ImageType {
    const char* name;
    std::int32_t number;
};
constexpr ImageType kImageTypes[] = {{"UNPROCESSED_NORMAL_FRAME", 1},
                                     {"UNPROCESSED_DARK_FRAME", 2},
                                     {"OFFSET_CORRECTED", 3},
                                     {"OFFSET_DEFECT_CORRECTED", 4},
                                     {"OFFSET_DEFECT_HISTOGRAM_CORRECTED", 5}};

const char* const kImageTag = "Device2000::DoGetImage()::%s";
const char* const kNoImage = "No image has been captured from the hardware yet.";
const char* const kNoDarkFrame = "No dark frame was read from the hardware for this image.  "
                                 "Please check the hardware connection and then retry the "
                                 "operation.";

void MaskTo12Bits(RawFrame& frame) {
    if (!frame.pixels)
        return;
    std::size_t count = static_cast<std::size_t>(frame.stride / 2) * frame.height;
    for (std::size_t i = 0; i < count; ++i)
        frame.pixels[i] &= 0x0FFF;
}

} // namespace

// Unbinned lines arrive whole; otherwise every second sample, from the second
// on, is a pixel (small sensors send each pixel twice as many samples long).
std::int32_t Device2000::ReadImage(RawFrame& frame) {
    LogStep("Device2000::ReadImage()::Begin");
    std::uint32_t width = pixelsPerLine_, height = linesPerFrame_;
    const bool smallSensor = sizeClass_ == 0 || sizeClass_ == 1;
    if (fullResolution_ == 0) {
        width /= 2;
        height /= 2;
    }
    if (smallSensor) {
        width *= 2;
        height *= 2;
    }
    frame.Allocate(width, static_cast<std::int32_t>(height), GetResolutionX(), GetResolutionY());
    LogStep("Device2000::ReadImage()::Reading image data");
    std::int32_t status = kUsbOk;
    if (!frame.pixels) {
        status = kBadSizeClass;
    } else if (fullResolution_ != 0) {
        for (std::uint32_t line = 0; line < height && status == kUsbOk; ++line)
            status = Channel().ReadBulk(frame.Line(line), 2 * pixelsPerLine_);
    } else {
        std::uint32_t samples = smallSensor ? 2 * pixelsPerLine_ : pixelsPerLine_;
        std::vector<std::uint8_t> buffer(2 * std::size_t{samples});
        for (std::uint32_t line = 0; line < height && status == kUsbOk; ++line) {
            status = Channel().ReadBulk(buffer.data(), 2 * samples);
            std::uint16_t* out = frame.Line(line);
            for (std::uint32_t x = 0; x < width && status == kUsbOk; ++x)
                out[x] = static_cast<std::uint16_t>(buffer[4 * x + 2] | (buffer[4 * x + 3] << 8));
        }
    }
    // Also a partial frame: no sample above 12 bits may reach the image chain.
    MaskTo12Bits(frame);
    if (status != kUsbOk) {
        SetTranslatedMessage("Unable to read image data from the hardware.  Please check the "
                             "hardware connection and then retry the operation.");
        return status;
    }
    LogStep("Device2000::ReadImage()::End");
    return kDeviceOk;
}

std::int32_t Device2000::GetImage(std::unique_ptr<RawFrame>& frame) {
    LogStep("Device2000::GetImage()::Begin");
    const std::string typeName = "OFFSET_DEFECT_HISTOGRAM_CORRECTED";
    std::int32_t type = 0;
    for (const ImageType& known : kImageTypes)
        if (typeName == known.name)
            type = known.number;
    if (type == 0) {
        SetTranslatedMessage("An unknown image type was returned from the hardware.  Please "
                             "check the hardware connection and then retry the operation.");
        return kUnknownImageTypeName;
    }
    LogStep("Device2000::GetImage()::End -> Calling GetImage()");
    return DoGetImage(type, 0.4, frame);
}

std::uint32_t Device2000::OffsetDisplacement() const {
    return (sizeClass_ == 2 || sizeClass_ == 3) && fullResolution_ != 0 ? 7 : 3;
}

std::int32_t Device2000::DoGetImage(std::int32_t type, double, std::unique_ptr<RawFrame>& frame) {
    LogStep("Device2000::DoGetImage()::Begin");
    if (type < 1 || type > 5)
        return kUnknownImageType;
    std::unique_ptr<RawFrame> result;
    if (std::int32_t status = BuildImage(type, result); status != kDeviceOk)
        return status;
    FinishImage(result);
    frame = std::move(result);
    if (Host().SaveRawDump())
        SaveDump(*frame);
    LogStep("Device2000::DoGetImage()::End");
    return kDeviceOk;
}

// The message for an image type the frames held cannot make; null when they can.
const char* Device2000::MissingFrame(std::int32_t type) const {
    const bool exposed = exposedFrame_.pixels != nullptr;
    if (type == 2)
        return darkFrame_.pixels ? nullptr : exposed ? kNoDarkFrame : kNoImage;
    if (!exposed)
        return kNoImage;
    return type == 1 || framesPaired_ ? nullptr : kNoDarkFrame;
}

// The frame of the type before the corners and the margins.
std::int32_t Device2000::BuildImage(std::int32_t type, std::unique_ptr<RawFrame>& frame) {
    if (const char* missing = MissingFrame(type))
        return Fail(kUnknownImageType, missing, kImageTag);
    frame = (type == 2 ? darkFrame_ : exposedFrame_).Clone();
    if (!frame)
        return Fail(kUnknownImageType, "Out of memory", kImageTag);
    if (type >= 3) {
        if (!SubtractDark(*frame, darkFrame_))
            return Fail(kUnknownImageType, kNoDarkFrame, kImageTag);
        LogStep("Device2000::CorrectOffset()");
        CorrectOffset(*frame, OffsetDisplacement());
    }
    if (type >= 4 && codec_)
        codec_->CorrectFrame(*frame, ReadsBinned() && sizeClass_ >= 2);
    return kDeviceOk;
}

// The plus models' cut corners, then the margins when cropping is on.
void Device2000::FinishImage(std::unique_ptr<RawFrame>& frame) {
    const bool plusModel = ProcessingFamily() == 2;
    if (plusModel) {
        auto cut =
            static_cast<std::uint32_t>(std::max(0, PropertyInteger(properties_.Get("corner_cut"))));
        CutCorners(*frame, cut, CornerColour(properties_.Get("corner_color")));
    }
    if (properties_.Get("cropping_on") != "true")
        return;
    Margins margins = ReadMargins(properties_, plusModel);
    std::unique_ptr<RawFrame> cropped =
        Crop(*frame, margins.left, margins.right, margins.top, margins.bottom);
    if (cropped)
        frame = std::move(cropped);
    else
        LogStep("Device2000::DoGetImage()::Margins leave no image; the frame is kept whole");
}

void Device2000::SaveDump(const RawFrame& frame) {
    CKIPImageTestSaver saver;
    saver.SetBaseFilename("ToviUSBII");
    saver.SetDeleteOldFiles(true);
    ImageSaveRequest request;
    request.suffix = "RawSensorData";
    request.samples = frame.pixels.get();
    request.bytesPerSample = 2;
    request.bitsPerSample = 16;
    request.width = frame.width;
    request.height = static_cast<std::uint32_t>(frame.height);
    request.rowLength = static_cast<std::uint32_t>(frame.stride / 2);
    request.resolutionX = static_cast<std::uint32_t>(frame.resolutionX);
    request.resolutionY = static_cast<std::uint32_t>(frame.resolutionY);
    saver.SaveImage(request);
}
