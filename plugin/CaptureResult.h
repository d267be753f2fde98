#pragma once

#include <cstdint>

#include "plugin/CaptureController.h"
#include "plugin/ImageHandOff.h"

// The images of the last capture, held by the controller until the next one:
// the 8-bit image of an 8-bit capture, and the 16-bit image (the result of a
// 16-bit capture, else the intermediate one).
class CaptureResult : public CapturedImage {
public:
    // The depth handed to the host.
    void SetSixteenBit(bool sixteenBit) { sixteenBit_ = sixteenBit; }
    bool IsSixteenBit() const { return sixteenBit_; }

    HandOffResult& Images() { return images_; }
    // The image of the capture's depth exists.
    bool HasImage() const;
    std::uint32_t Width() const;
    std::uint32_t Height() const;
    void Release();

    platform::GlobalHandle CreatePackedDIB() const override;

private:
    bool sixteenBit_ = false;
    HandOffResult images_;
};
