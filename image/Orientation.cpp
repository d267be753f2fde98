#include "image/Orientation.h"

#include <algorithm>

#include "image/ImageError.h"
#include "image/PackedDib.h"
#include "support/LastError.h"

namespace {

bool Any(std::uint32_t mask, int firstBit, int lastBit) {
    for (int bit = firstBit; bit <= lastBit; ++bit) {
        if (mask & (1u << bit))
            return true;
    }
    return false;
}

enum class Turn { Quarter, Half, ThreeQuarters };

// Result position of source stored row r, column c for a W x H source.
struct Mapping {
    Turn turn;
    std::uint32_t width;
    std::uint32_t height;
    void Map(std::uint32_t r, std::uint32_t c, std::uint32_t& row, std::uint32_t& column) const {
        switch (turn) {
        case Turn::Quarter:
            row = width - 1 - c;
            column = r;
            break;
        case Turn::Half:
            row = height - 1 - r;
            column = width - 1 - c;
            break;
        case Turn::ThreeQuarters:
            row = c;
            column = height - 1 - r;
            break;
        }
    }
};

// 8-bit results for indexed sources (1-bit pixels become their index bytes);
// 24-bit sources turn into 24-bit results.
std::unique_ptr<CKIPImage> Rotate8(const CKIPImage* source, Turn turn) {
    if (source == nullptr || !source->IsValid())
        return nullptr;
    std::uint32_t depth = source->GetBitsPerPixel();
    if (depth != 24 && source->GetColourTable().empty())
        return nullptr;
    bool quarter = turn != Turn::Half;
    std::uint32_t width = source->GetWidth();
    std::uint32_t height = source->GetHeight();
    auto result = std::make_unique<CKIPImage>();
    if (depth != 24)
        result->SetColourTable(source->GetColourTable());
    std::uint32_t resultDepth = depth == 24 ? 24 : 8;
    if (!result->Create("", quarter ? height : width, quarter ? width : height,
                        quarter ? source->GetResolutionY() : source->GetResolutionX(),
                        quarter ? source->GetResolutionX() : source->GetResolutionY(), resultDepth))
        return nullptr;
    Mapping mapping{turn, width, height};
    for (std::uint32_t r = 0; r < height; ++r) {
        const std::uint8_t* sourceRow = source->GetStoredRow(r);
        for (std::uint32_t c = 0; c < width; ++c) {
            std::uint32_t row = 0, column = 0;
            mapping.Map(r, c, row, column);
            std::uint8_t* target = result->GetStoredRow(row);
            if (depth == 24)
                std::copy_n(sourceRow + 3 * c, 3, target + 3 * column);
            else if (depth == 8)
                target[column] = sourceRow[c];
            else
                target[column] = static_cast<std::uint8_t>((sourceRow[c / 8] >> (7 - c % 8)) & 1);
        }
    }
    return result;
}

bool RowDone(std::uint32_t row, std::uint32_t rows, ProgressCallback progress) {
    if (EscapeAbort::PollAbort())
        return false;
    if (progress != nullptr)
        progress(static_cast<double>(row) / rows);
    return true;
}

constexpr std::uint32_t kTile = 64;

// Source rows band ... bandEnd of a quarter turn, tile by tile; each result row
// of a tile is written contiguously. Clockwise: (r, c) goes to row W - 1 - c,
// column r; counter-clockwise: to row c, column H - 1 - r.
template <bool clockwise>
void CopyQuarterBand(const CKIPImage16Bit& source, CKIPImage16Bit& result, std::uint32_t band,
                     std::uint32_t bandEnd) {
    const std::uint32_t width = source.GetWidth();
    const std::uint32_t height = source.GetHeight();
    const std::size_t sourceStride = source.GetStride();
    const std::uint16_t* sourcePixels = source.GetPixels();
    for (std::uint32_t tile = 0; tile < width; tile += kTile) {
        std::uint32_t tileEnd = std::min(width, tile + kTile);
        for (std::uint32_t c = tile; c < tileEnd; ++c) {
            std::uint16_t* target = clockwise ? result.GetRow(width - 1 - c) : result.GetRow(c);
            const std::uint16_t* column = sourcePixels + c;
            for (std::uint32_t r = band; r < bandEnd; ++r)
                target[clockwise ? r : height - 1 - r] = column[r * sourceStride];
        }
    }
}

// Quarter turns copy in tiles so that reads and writes both stay in cache;
// each band of source rows is reported row by row once it is complete.
std::unique_ptr<CKIPImage16Bit> RotateQuarter16(const CKIPImage16Bit* source, Turn turn,
                                                ProgressCallback progress) {
    if (source == nullptr || !source->IsValid())
        return nullptr;
    std::uint32_t width = source->GetWidth();
    std::uint32_t height = source->GetHeight();
    auto result = std::make_unique<CKIPImage16Bit>();
    if (!result->Create(height, width, height, source->GetBits(), source->GetResolutionX(),
                        source->GetResolutionY()))
        return nullptr;
    EscapeAbort::ClearAbort();
    for (std::uint32_t band = 0; band < height; band += kTile) {
        std::uint32_t bandEnd = std::min(height, band + kTile);
        if (turn == Turn::Quarter)
            CopyQuarterBand<true>(*source, *result, band, bandEnd);
        else
            CopyQuarterBand<false>(*source, *result, band, bandEnd);
        for (std::uint32_t r = band; r < bandEnd; ++r) {
            if (!RowDone(r, height, progress))
                return nullptr;
        }
    }
    return result;
}

std::unique_ptr<CKIPImage> CloneOf(const CKIPImage* image) {
    return image->Clone(true);
}
std::unique_ptr<CKIPImage16Bit> CloneOf(const CKIPImage16Bit* image) {
    return image->Clone();
}

template <typename Image>
void AutoOrientImage(std::unique_ptr<Image>& image, std::uint32_t permanentTeeth,
                     std::uint32_t primaryTeeth, int extra) {
    if (!image)
        return;
    int angle = NormaliseAngle(ToothAngle(permanentTeeth, primaryTeeth) + extra);
    std::unique_ptr<Image> rotated;
    if (angle == 90)
        rotated = Rotate90(image.get());
    else if (angle == 180)
        rotated = Rotate180(image.get());
    else if (angle == 270)
        rotated = Rotate270(image.get());
    if (rotated)
        image = std::move(rotated);
}

template <typename Image>
std::unique_ptr<Image> Reorient(const Image* image, std::uint32_t currentPermanent,
                                std::uint32_t currentPrimary, std::uint32_t wantedPermanent,
                                std::uint32_t wantedPrimary, int extra) {
    if (image == nullptr)
        return nullptr;
    int from = NormaliseAngle(ToothAngle(currentPermanent, currentPrimary) + extra);
    int to = NormaliseAngle(ToothAngle(wantedPermanent, wantedPrimary) + extra);
    int turn = NormaliseAngle(to - from);
    if (turn == 0)
        return CloneOf(image);
    if (turn == 90)
        return Rotate90(image);
    if (turn == 180)
        return Rotate180(image);
    return Rotate270(image);
}

// Locks the host's block and hands its bytes, bounded by the block size, to import.
template <typename Import>
auto FromGlobalDIB(platform::GlobalHandle block, Import import) -> decltype(import(nullptr, 0)) {
    if (block == nullptr) {
        SetImageErrorText("No image was specified");
        return nullptr;
    }
    void* bytes = platform::GlobalLockBlock(block);
    if (bytes == nullptr) {
        SetImageErrorText("Out of memory.  Not enough memory was available to operate on the "
                          "image.");
        return nullptr;
    }
    auto image = import(static_cast<const std::uint8_t*>(bytes), platform::GlobalBlockSize(block));
    platform::GlobalUnlockBlock(block);
    if (!image)
        SetImageErrorText("Invalid image was specified");
    return image;
}

} // namespace

int ToothAngle(std::uint32_t permanent, std::uint32_t primary) {
    if (Any(permanent, 0, 3) || Any(permanent, 28, 31) || Any(primary, 0, 2) ||
        Any(primary, 17, 19))
        return 90;
    if (Any(permanent, 12, 19) || Any(primary, 7, 12))
        return 270;
    if (Any(permanent, 4, 11) || Any(primary, 3, 6))
        return 180;
    return 0;
}

int NormaliseAngle(int angle) {
    while (angle < 0)
        angle += 360;
    while (angle > 360)
        angle -= 360;
    return angle;
}

std::unique_ptr<CKIPImage> Rotate90(const CKIPImage* source) {
    return Rotate8(source, Turn::Quarter);
}
std::unique_ptr<CKIPImage> Rotate180(const CKIPImage* source) {
    return Rotate8(source, Turn::Half);
}
std::unique_ptr<CKIPImage> Rotate270(const CKIPImage* source) {
    return Rotate8(source, Turn::ThreeQuarters);
}

std::unique_ptr<CKIPImage16Bit> Rotate90(const CKIPImage16Bit* source, ProgressCallback progress) {
    return RotateQuarter16(source, Turn::Quarter, progress);
}

std::unique_ptr<CKIPImage16Bit> Rotate270(const CKIPImage16Bit* source, ProgressCallback progress) {
    return RotateQuarter16(source, Turn::ThreeQuarters, progress);
}

std::unique_ptr<CKIPImage16Bit> Rotate180(const CKIPImage16Bit* source, ProgressCallback progress) {
    if (source == nullptr || !source->IsValid())
        return nullptr;
    auto result = source->Clone();
    if (!result)
        return nullptr;
    EscapeAbort::ClearAbort();
    std::uint32_t width = source->GetWidth();
    std::uint32_t height = source->GetHeight();
    for (std::uint32_t r = 0; r < height; ++r) {
        const std::uint16_t* sourceRow = source->GetRow(r);
        std::uint16_t* target = result->GetRow(height - 1 - r);
        std::reverse_copy(sourceRow, sourceRow + width, target);
        if (!RowDone(r, height, progress))
            return nullptr;
    }
    return result;
}

void AutoOrient(std::unique_ptr<CKIPImage>& image, std::uint32_t permanentTeeth,
                std::uint32_t primaryTeeth, int extra) {
    AutoOrientImage(image, permanentTeeth, primaryTeeth, extra);
}
void AutoOrient(std::unique_ptr<CKIPImage16Bit>& image, std::uint32_t permanentTeeth,
                std::uint32_t primaryTeeth, int extra) {
    AutoOrientImage(image, permanentTeeth, primaryTeeth, extra);
}

std::unique_ptr<CKIPImage> ReorientImage(const CKIPImage* image, std::uint32_t currentPermanent,
                                         std::uint32_t currentPrimary,
                                         std::uint32_t wantedPermanent, std::uint32_t wantedPrimary,
                                         int extra) {
    return Reorient(image, currentPermanent, currentPrimary, wantedPermanent, wantedPrimary, extra);
}
std::unique_ptr<CKIPImage16Bit> ReorientImage(const CKIPImage16Bit* image,
                                              std::uint32_t currentPermanent,
                                              std::uint32_t currentPrimary,
                                              std::uint32_t wantedPermanent,
                                              std::uint32_t wantedPrimary, int extra) {
    return Reorient(image, currentPermanent, currentPrimary, wantedPermanent, wantedPrimary, extra);
}

std::unique_ptr<CKIPImage> ImageFromGlobalDIB(platform::GlobalHandle block) {
    return FromGlobalDIB(block, [](const std::uint8_t* dib, std::size_t size) {
        return ImageFromPackedDIB(dib, size);
    });
}
std::unique_ptr<CKIPImage16Bit> Image16FromGlobalDIB(platform::GlobalHandle block) {
    return FromGlobalDIB(block, [](const std::uint8_t* dib, std::size_t size) {
        return Image16FromPackedDIB(dib, size);
    });
}
