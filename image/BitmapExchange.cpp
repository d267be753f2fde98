#include "image/BitmapExchange.h"

#include "image/ImageError.h"

platform::BitmapHandle CreateDIBSection16(const CKIPImage16Bit& image) {
    if (!image.IsValid())
        return nullptr;
    return platform::CreateDibSection16(
        image.GetWidth(), image.GetHeight(), static_cast<std::int32_t>(image.GetResolutionXPPM()),
        static_cast<std::int32_t>(image.GetResolutionYPPM()), image.GetPixels(), image.GetStride());
}

std::unique_ptr<CKIPImage16Bit> Image16FromBitmap(platform::BitmapHandle bitmap) {
    platform::BitmapFormat format;
    if (!platform::QueryBitmap(bitmap, format)) {
        SetLastImageError(kImageErrorResource, "Unable to query information from image");
        return nullptr;
    }
    if (format.bitsPerPixel != 16) {
        SetLastImageError(kImageErrorColorBits, "Unsupported number of color bits %lu",
                          format.bitsPerPixel);
        return nullptr;
    }
    std::uint32_t width =
        static_cast<std::uint32_t>(format.width < 0 ? -format.width : format.width);
    std::uint32_t height =
        static_cast<std::uint32_t>(format.height < 0 ? -format.height : format.height);
    auto image = std::make_unique<CKIPImage16Bit>();
    if (!image->Create(width, height, (width + 1) / 2 * 2, 16, 1, 1)) {
        SetLastImageError(kImageErrorOutOfMemory, "Out of memory");
        return nullptr;
    }
    if (!platform::ReadBitmap16(bitmap, width, height, image->GetPixels())) {
        SetLastImageError(kImageErrorResource, "Unable to query image data from image");
        return nullptr;
    }
    return image;
}
