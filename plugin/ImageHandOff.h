#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "hardware/RawFrame.h"
#include "image/Image.h"
#include "image/Image16.h"
#include "plugin/SensorOptions.h"

// The external enhancement library as the processing chain sees it: the image
// and the group's level in, the enhanced image out (null: the chain keeps its own).
class ImageEnhancer {
public:
    virtual ~ImageEnhancer() = default;
    virtual std::unique_ptr<CKIPImage16Bit> Enhance(const CKIPImage16Bit& image,
                                                    std::int32_t level) = 0;
    // The open capture dialog's window, for a library that shows windows of its own.
    virtual void SetWindow(void*) {}
};

// The three 1-bit label bitmaps, loaded while a capture is processed and
// released when the next capture starts.
class LabelBitmaps {
public:
    // The family's label; null when any of the three fails to load.
    const CKIPImage* ForFamily(std::int32_t family);
    void Release();

private:
    bool LoadAll();
    std::array<std::unique_ptr<CKIPImage>, 3> labels_; // 5004, 5005, 5006
};

// What one capture's processing needs.
struct HandOffRequest {
    std::int32_t family = 0;
    bool sixteenBit = false;
    std::uint32_t permanentTeeth = 0;
    std::uint32_t primaryTeeth = 0;
    const SensorOptions* options = nullptr;
    // Receives each translated progress text (status code 7 for the host).
    std::function<void(const std::string&)> sendProcessing;
    ImageEnhancer* enhancer = nullptr; // none: the enhancement step is skipped
    LabelBitmaps* labels = nullptr;
};

// The finished image: 8-bit for an 8-bit capture, else 16-bit.
struct HandOffResult {
    std::unique_ptr<CKIPImage> image8;
    std::unique_ptr<CKIPImage16Bit> image16;
};

// The frame's pixels taken over as a 16-bit image (the frame is consumed, so
// that processing holds no third frame), the family's processing chain, the
// 8-bit conversion when asked, the label and the orientation by the teeth.
// False with the reason in lastErrorText (the result then holds no image).
bool ProcessBitmapToImage(std::unique_ptr<RawFrame> frame, const HandOffRequest& request,
                          HandOffResult& result);

// The chain alone, on the 16-bit image (exposed for tests).
void RunProcessingChain(const HandOffRequest& request, std::unique_ptr<CKIPImage16Bit>& image);
