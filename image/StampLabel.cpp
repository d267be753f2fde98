#include "image/StampLabel.h"

namespace {

bool IsLabel(const CKIPImage& label) {
    return label.IsValid() && label.GetBitsPerPixel() == 1;
}

bool Inside(std::int64_t x, std::int64_t y, std::uint32_t width, std::uint32_t height) {
    return x >= 0 && y >= 0 && x < width && y < height;
}

void InvertPixel(CKIPImage& target, std::uint32_t x, std::uint32_t y) {
    switch (target.GetBitsPerPixel()) {
    case 1:
        target.SetPixel(x, y, target.GetPixel(x, y) ^ 1);
        break;
    case 8:
        if (target.IsGreyscale()) {
            target.SetPixel(x, y, 255 - target.GetPixel(x, y));
        } else {
            std::uint32_t inverse = 0;
            if (target.InverseColourIndex(target.GetPixel(x, y), inverse))
                target.SetPixel(x, y, inverse);
        }
        break;
    default:
        target.SetPixel(x, y, ~target.GetPixel(x, y) & 0xFFFFFF);
        break;
    }
}

} // namespace

bool StampLabel(CKIPImage& target, const CKIPImage& label, std::int32_t x0, std::int32_t y0,
                ProgressCallback progress) {
    if (!IsLabel(label) || !target.IsValid())
        return false;
    EscapeAbort::ClearAbort();
    for (std::uint32_t j = 0; j < label.GetHeight(); ++j) {
        for (std::uint32_t i = 0; i < label.GetWidth(); ++i) {
            std::int64_t x = std::int64_t{x0} + i;
            std::int64_t y = std::int64_t{y0} + j;
            if (label.GetPixel(i, j) == 0 && Inside(x, y, target.GetWidth(), target.GetHeight()))
                InvertPixel(target, static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y));
        }
        if (EscapeAbort::PollAbort())
            return false;
        if (progress != nullptr)
            progress(static_cast<double>(j) / label.GetHeight());
    }
    return true;
}

bool StampLabel(CKIPImage16Bit& target, const CKIPImage& label, std::int32_t x0, std::int32_t y0,
                ProgressCallback progress) {
    if (!IsLabel(label) || !target.IsValid())
        return false;
    std::uint32_t height = label.GetHeight();
    for (std::uint32_t j = 0; j < height; ++j) {
        for (std::uint32_t i = 0; i < label.GetWidth(); ++i) {
            std::int64_t x = std::int64_t{x0} + i;
            std::int64_t row = std::int64_t{y0} + j;
            if (label.GetPixel(i, height - 1 - j) != 0 ||
                !Inside(x, row, target.GetWidth(), target.GetHeight()))
                continue;
            std::uint16_t& sample = target.GetRow(static_cast<std::uint32_t>(row))[x];
            sample = static_cast<std::uint16_t>(target.GetMaxValue() - sample);
        }
        if (progress != nullptr)
            progress(static_cast<double>(j) / height);
    }
    return true;
}
