#include "plugin/CaptureResult.h"

#include "image/PackedDib.h"

bool CaptureResult::HasImage() const {
    return sixteenBit_ ? images_.image16 != nullptr : images_.image8 != nullptr;
}

std::uint32_t CaptureResult::Width() const {
    if (!HasImage())
        return 0;
    return sixteenBit_ ? images_.image16->GetWidth() : images_.image8->GetWidth();
}

std::uint32_t CaptureResult::Height() const {
    if (!HasImage())
        return 0;
    return sixteenBit_ ? images_.image16->GetHeight() : images_.image8->GetHeight();
}

void CaptureResult::Release() {
    images_.image8.reset();
    images_.image16.reset();
}

platform::GlobalHandle CaptureResult::CreatePackedDIB() const {
    if (!HasImage())
        return nullptr;
    return sixteenBit_ ? ::CreatePackedDIB(*images_.image16) : images_.image8->CreatePackedDIB();
}
