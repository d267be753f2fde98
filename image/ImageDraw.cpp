#include "image/Image.h"

platform::DibSectionFormat CKIPImage::Format() const {
    return {static_cast<std::int32_t>(width_),
            static_cast<std::int32_t>(height_),
            static_cast<std::uint16_t>(bitsPerPixel_),
            imageSize_,
            static_cast<std::int32_t>(GetResolutionXPPM()),
            static_cast<std::int32_t>(GetResolutionYPPM())};
}

bool CKIPImage::Draw(void* dc, const platform::DrawRect& destination, int sourceX,
                     int sourceY) const {
    return StretchDraw(dc, destination, {sourceX, sourceY, destination.width, destination.height});
}

bool CKIPImage::Draw(void* dc, int x, int y) const {
    return Draw(dc, {x, y, static_cast<int>(width_), static_cast<int>(height_)}, 0, 0);
}

bool CKIPImage::StretchDraw(void* dc, const platform::DrawRect& destination,
                            const platform::DrawRect& source) const {
    return IsValid() && dib_->Blit(dc, destination, source);
}

bool CKIPImage::DrawDIB(void* dc, const platform::DrawRect& destination,
                        const platform::DrawRect& source) const {
    return IsValid() && platform::StretchDibBits(dc, destination, source, Format(),
                                                 bitsPerPixel_ == 24 ? std::vector<std::uint32_t>{}
                                                                     : colourTable_,
                                                 bits_);
}
