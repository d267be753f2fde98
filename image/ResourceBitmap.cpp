#include <cstring>

#include "image/Image.h"
#include "image/ImageError.h"
#include "platform/ModuleResources.h"
#include "support/ByteFields.h"

bool CKIPImage::LoadResourceBitmap(int resourceId) {
    platform::ResourceBytes resource;
    unsigned long error = 0;
    if (!platform::FindBitmapResource(resourceId, resource, error)) {
        SetLastImageError(kImageErrorResource,
                          "Unable to load the bitmap from the application resources (error = "
                          "%lu).",
                          error);
        return false;
    }
    if (resource.size < 40)
        return false;
    const std::uint8_t* header = resource.data;
    auto headerSize = LoadLittleEndian<std::uint32_t>(header);
    auto width = LoadLittleEndian<std::int32_t>(header + 4);
    auto height = LoadLittleEndian<std::int32_t>(header + 8);
    auto bitCount = LoadLittleEndian<std::uint16_t>(header + 14);
    auto clrUsed = LoadLittleEndian<std::uint32_t>(header + 32);
    std::uint32_t colours = clrUsed != 0 ? clrUsed : (bitCount < 24 ? 1u << bitCount : 0);
    if (width <= 0 || height <= 0 || headerSize < 40 || colours > 256 ||
        !Create("", static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 1, 1,
                bitCount))
        return false;
    std::size_t tableAt = headerSize;
    std::size_t bitsAt = tableAt + 4 * std::size_t{colours};
    if (bitsAt > resource.size || imageSize_ > resource.size - bitsAt) {
        Destroy();
        return false;
    }
    SetResolutionPPM(LoadLittleEndian<std::uint32_t>(header + 24),
                     LoadLittleEndian<std::uint32_t>(header + 28));
    std::memcpy(bits_, resource.data + bitsAt, imageSize_);
    if (bitCount != 24) {
        std::vector<std::uint32_t> table(colours);
        for (std::uint32_t i = 0; i < colours; ++i)
            table[i] = LoadLittleEndian<std::uint32_t>(resource.data + tableAt + 4 * i);
        SetColourTable(std::move(table));
    }
    return true;
}
