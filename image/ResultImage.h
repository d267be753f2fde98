#pragma once

#include <algorithm>
#include <memory>

#include "image/Image16.h"

// A result of the source's geometry whose picture samples the caller writes;
// the spare samples of each row are copied, so the result is a full copy in
// everything the caller does not write.
inline std::unique_ptr<CKIPImage16Bit> NewResult(const CKIPImage16Bit& image) {
    auto result = std::make_unique<CKIPImage16Bit>();
    if (!result->CreateForOverwrite(image))
        return nullptr;
    if (image.GetSpareSamples() != 0) {
        for (std::uint32_t y = 0; y < image.GetHeight(); ++y)
            std::copy(image.GetRow(y) + image.GetWidth(), image.GetRow(y) + image.GetStride(),
                      result->GetRow(y) + image.GetWidth());
    }
    return result;
}
