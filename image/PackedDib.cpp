#include "image/PackedDib.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "image/ImageError.h"
#include "support/ByteFields.h"

namespace {

constexpr std::size_t kHeaderSize = 40;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::int64_t kMaxDimension = 0x7FFFFFFF;

struct DibHeader {
    std::int64_t width = 0;  // |biWidth|
    std::int64_t height = 0; // |biHeight|
    bool topDown = false;
    std::uint32_t planes = 0;
    std::uint32_t bitCount = 0;
    std::uint32_t compression = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t clrUsed = 0;
};

bool InvalidImage() {
    SetImageErrorText("Invalid image was specified");
    return false;
}

bool ReadHeader(const std::uint8_t* dib, std::size_t size, DibHeader& header) {
    if (dib == nullptr || size < kHeaderSize || LoadLittleEndian<std::uint32_t>(dib) < kHeaderSize)
        return InvalidImage();
    std::int64_t width = LoadLittleEndian<std::int32_t>(dib + 4);
    std::int64_t height = LoadLittleEndian<std::int32_t>(dib + 8);
    header.width = width < 0 ? -width : width;
    header.height = height < 0 ? -height : height;
    header.topDown = height < 0;
    header.planes = LoadLittleEndian<std::uint16_t>(dib + 12);
    header.bitCount = LoadLittleEndian<std::uint16_t>(dib + 14);
    header.compression = LoadLittleEndian<std::uint32_t>(dib + 16);
    header.xPelsPerMeter = LoadLittleEndian<std::int32_t>(dib + 24);
    header.yPelsPerMeter = LoadLittleEndian<std::int32_t>(dib + 28);
    header.clrUsed = LoadLittleEndian<std::uint32_t>(dib + 32);
    if (header.width == 0 || header.height == 0 || header.width > kMaxDimension ||
        header.height > kMaxDimension)
        return InvalidImage();
    return true;
}

bool CheckPlanesAndCompression(const DibHeader& header) {
    if (header.planes != 1) {
        SetLastImageError(kImageErrorBitPlanes, "Unsupported number of bit planes %lu",
                          header.planes);
        return false;
    }
    if (header.compression != kBiRgb && header.compression != kBiBitfields) {
        SetLastImageError(kImageErrorCompression, "Unsupported compression");
        return false;
    }
    return true;
}

std::size_t MaskBytes(const DibHeader& header) {
    return header.compression == kBiBitfields ? 12 : 0;
}

bool Fits(std::size_t size, std::uint64_t offset, std::uint64_t length) {
    return offset <= size && length <= size - offset;
}

// Copies rows into bottom-up order; a top-down source is read from its end.
void CopyRows(std::uint8_t* destination, std::size_t destinationPitch, const std::uint8_t* source,
              std::size_t sourcePitch, std::size_t rowBytes, std::size_t rows, bool topDown) {
    for (std::size_t row = 0; row < rows; ++row) {
        std::size_t from = topDown ? rows - 1 - row : row;
        std::memcpy(destination + row * destinationPitch, source + from * sourcePitch, rowBytes);
    }
}

std::unique_ptr<CKIPImage> NewImage(const DibHeader& header, std::uint32_t bitsPerPixel) {
    auto image = std::make_unique<CKIPImage>();
    if (!image->Create("", static_cast<std::uint32_t>(header.width),
                       static_cast<std::uint32_t>(header.height), 0, 0, bitsPerPixel)) {
        SetLastImageError(kImageErrorOutOfMemory, "Out of memory");
        return nullptr;
    }
    image->SetResolutionPPM(static_cast<std::uint32_t>(header.xPelsPerMeter),
                            static_cast<std::uint32_t>(header.yPelsPerMeter));
    return image;
}

std::unique_ptr<CKIPImage> IndexedFromDib(const std::uint8_t* dib, std::size_t size,
                                          const DibHeader& header) {
    std::uint32_t maxColours = 1u << header.bitCount;
    std::uint32_t colours = header.clrUsed != 0 ? header.clrUsed : maxColours;
    std::uint64_t rowBytes = header.bitCount == 1 ? (header.width + 7) / 8 : header.width;
    rowBytes = (rowBytes + 3) / 4 * 4;
    std::uint64_t tableBytes = 4ull * colours;
    if (colours > maxColours || !Fits(size, kHeaderSize, tableBytes) ||
        !Fits(size, kHeaderSize + tableBytes, rowBytes * header.height)) {
        InvalidImage();
        return nullptr;
    }
    auto image = NewImage(header, header.bitCount);
    if (!image)
        return nullptr;
    std::vector<std::uint32_t> table(colours);
    for (std::uint32_t i = 0; i < colours; ++i)
        table[i] = LoadLittleEndian<std::uint32_t>(dib + kHeaderSize + 4 * i);
    image->SetColourTable(std::move(table));
    CopyRows(image->GetBits(), image->GetRowBytes(), dib + kHeaderSize + tableBytes, rowBytes,
             rowBytes, image->GetHeight(), header.topDown);
    return image;
}

std::unique_ptr<CKIPImage> TrueColourFromDib(const std::uint8_t* dib, std::size_t size,
                                             const DibHeader& header) {
    std::uint64_t rowBytes = (3 * header.width + 3) / 4 * 4;
    if (!Fits(size, kHeaderSize, rowBytes * header.height)) {
        InvalidImage();
        return nullptr;
    }
    auto image = NewImage(header, 24);
    if (image)
        CopyRows(image->GetBits(), image->GetRowBytes(), dib + kHeaderSize, rowBytes, rowBytes,
                 image->GetHeight(), header.topDown);
    return image;
}

std::uint32_t LowestSetBit(std::uint32_t mask) {
    for (std::uint32_t bit = 0; bit < 32; ++bit) {
        if (mask & (1u << bit))
            return bit;
    }
    return 32;
}

std::uint8_t MaskedByte(std::uint32_t value, std::uint32_t mask) {
    std::uint32_t shift = LowestSetBit(mask);
    return shift >= 32 ? 0 : static_cast<std::uint8_t>((value & mask) >> shift);
}

std::unique_ptr<CKIPImage> FromDib32(const std::uint8_t* dib, std::size_t size,
                                     const DibHeader& header) {
    std::size_t masks = MaskBytes(header);
    std::uint64_t rowBytes = 4 * static_cast<std::uint64_t>(header.width);
    if (!Fits(size, kHeaderSize, masks) ||
        !Fits(size, kHeaderSize + masks, rowBytes * header.height)) {
        InvalidImage();
        return nullptr;
    }
    std::uint32_t red = 0x00FF0000, green = 0x0000FF00, blue = 0x000000FF;
    if (masks != 0) {
        red = LoadLittleEndian<std::uint32_t>(dib + kHeaderSize);
        green = LoadLittleEndian<std::uint32_t>(dib + kHeaderSize + 4);
        blue = LoadLittleEndian<std::uint32_t>(dib + kHeaderSize + 8);
    }
    auto image = NewImage(header, 24);
    if (!image)
        return nullptr;
    const std::uint8_t* pixels = dib + kHeaderSize + masks;
    for (std::uint32_t row = 0; row < image->GetHeight(); ++row) {
        std::uint32_t from = header.topDown ? image->GetHeight() - 1 - row : row;
        const std::uint8_t* source = pixels + from * rowBytes;
        std::uint8_t* target = image->GetStoredRow(row);
        for (std::uint32_t x = 0; x < image->GetWidth(); ++x) {
            auto value = LoadLittleEndian<std::uint32_t>(source + 4 * x);
            target[3 * x] = MaskedByte(value, blue);
            target[3 * x + 1] = MaskedByte(value, green);
            target[3 * x + 2] = MaskedByte(value, red);
        }
    }
    return image;
}

std::uint32_t SixteenBitRowBytes(std::uint32_t stride) {
    return (2 * stride + 3) / 4 * 4;
}

void StoreHeader(std::uint8_t* at, std::int32_t width, std::int32_t height, std::uint16_t bits,
                 std::uint32_t sizeImage, std::uint32_t xPpm, std::uint32_t yPpm,
                 std::uint32_t colours) {
    StoreLittleEndian<std::uint32_t>(at, kHeaderSize);
    StoreLittleEndian<std::int32_t>(at + 4, width);
    StoreLittleEndian<std::int32_t>(at + 8, height);
    StoreLittleEndian<std::uint16_t>(at + 12, 1);
    StoreLittleEndian<std::uint16_t>(at + 14, bits);
    StoreLittleEndian<std::uint32_t>(at + 16, kBiRgb);
    StoreLittleEndian<std::uint32_t>(at + 20, sizeImage);
    StoreLittleEndian<std::uint32_t>(at + 24, xPpm);
    StoreLittleEndian<std::uint32_t>(at + 28, yPpm);
    StoreLittleEndian<std::uint32_t>(at + 32, colours);
    StoreLittleEndian<std::uint32_t>(at + 36, colours);
}

// A locked global block, unlocked on scope exit.
class LockedBlock {
public:
    explicit LockedBlock(platform::GlobalHandle block)
        : block_(block), bytes_(static_cast<std::uint8_t*>(platform::GlobalLockBlock(block))) {}
    ~LockedBlock() {
        if (bytes_ != nullptr)
            platform::GlobalUnlockBlock(block_);
    }
    LockedBlock(const LockedBlock&) = delete;
    LockedBlock& operator=(const LockedBlock&) = delete;
    std::uint8_t* Bytes() const { return bytes_; }

private:
    platform::GlobalHandle block_;
    std::uint8_t* bytes_;
};

platform::GlobalHandle AllocateLocked(std::uint64_t size, std::unique_ptr<LockedBlock>& lock) {
    if (size > 0x7FFFFFFF)
        return nullptr;
    platform::GlobalHandle block = platform::GlobalAllocZeroed(static_cast<std::size_t>(size));
    if (block == nullptr)
        return nullptr;
    lock = std::make_unique<LockedBlock>(block);
    if (lock->Bytes() == nullptr) {
        lock.reset();
        platform::GlobalFreeBlock(block);
        return nullptr;
    }
    return block;
}

} // namespace

platform::GlobalHandle CreatePackedDIB(const CKIPImage16Bit& image) {
    if (!image.IsValid())
        return nullptr;
    std::uint32_t rowBytes = SixteenBitRowBytes(image.GetStride());
    std::unique_ptr<LockedBlock> lock;
    platform::GlobalHandle block =
        AllocateLocked(kHeaderSize + std::uint64_t{rowBytes} * image.GetHeight(), lock);
    if (block == nullptr)
        return nullptr;
    std::uint8_t* bytes = lock->Bytes();
    StoreHeader(bytes, static_cast<std::int32_t>(image.GetWidth()),
                static_cast<std::int32_t>(image.GetHeight()), 16, 0, image.GetResolutionXPPM(),
                image.GetResolutionYPPM(), 0);
    for (std::uint32_t row = 0; row < image.GetHeight(); ++row)
        std::memcpy(bytes + kHeaderSize + std::size_t{row} * rowBytes, image.GetRow(row),
                    2 * std::size_t{image.GetStride()});
    return block;
}

platform::GlobalHandle CKIPImage::CreatePackedDIB(const std::vector<std::uint32_t>* table) const {
    if (bits_ == nullptr)
        return nullptr;
    const std::vector<std::uint32_t> none;
    const std::vector<std::uint32_t>& colours =
        bitsPerPixel_ == 24 ? none : (table != nullptr ? *table : colourTable_);
    bool writeTable = bitsPerPixel_ != 24 && !colourTable_.empty();
    std::unique_ptr<LockedBlock> lock;
    platform::GlobalHandle block =
        AllocateLocked(kHeaderSize + 4ull * colours.size() + imageSize_, lock);
    if (block == nullptr)
        return nullptr;
    std::uint8_t* bytes = lock->Bytes();
    auto count = static_cast<std::uint32_t>(colours.size());
    StoreHeader(bytes, static_cast<std::int32_t>(width_), static_cast<std::int32_t>(height_),
                static_cast<std::uint16_t>(bitsPerPixel_), imageSize_, GetResolutionXPPM(),
                GetResolutionYPPM(), count);
    std::uint8_t* at = bytes + kHeaderSize;
    if (writeTable) {
        for (std::uint32_t entry : colours) {
            StoreLittleEndian(at, entry);
            at += 4;
        }
    } else {
        at += 4 * colours.size();
    }
    std::memcpy(at, bits_, imageSize_);
    return block;
}

std::unique_ptr<CKIPImage> ImageFromPackedDIB(const std::uint8_t* dib, std::size_t size) {
    DibHeader header;
    if (!ReadHeader(dib, size, header) || !CheckPlanesAndCompression(header))
        return nullptr;
    switch (header.bitCount) {
    case 1:
    case 8:
        return IndexedFromDib(dib, size, header);
    case 16: {
        auto sixteen = Image16FromPackedDIB(dib, size);
        return sixteen ? ConvertTo8Bit(sixteen.get()) : nullptr;
    }
    case 24:
        return TrueColourFromDib(dib, size, header);
    case 32:
        return FromDib32(dib, size, header);
    default:
        SetLastImageError(kImageErrorColorBits, "Unsupported number of color bits %lu",
                          header.bitCount);
        return nullptr;
    }
}

std::unique_ptr<CKIPImage16Bit> Image16FromPackedDIB(const std::uint8_t* dib, std::size_t size) {
    DibHeader header;
    if (!ReadHeader(dib, size, header) || !CheckPlanesAndCompression(header))
        return nullptr;
    if (header.bitCount != 16) {
        SetLastImageError(kImageErrorColorBits, "Unsupported number of color bits %lu",
                          header.bitCount);
        return nullptr;
    }
    std::uint64_t stride = (header.width + 1) / 2 * 2;
    std::size_t masks = MaskBytes(header);
    if (!Fits(size, kHeaderSize, masks) ||
        !Fits(size, kHeaderSize + masks, 2 * stride * header.height)) {
        InvalidImage();
        return nullptr;
    }
    auto image = std::make_unique<CKIPImage16Bit>();
    if (!image->Create(static_cast<std::uint32_t>(header.width),
                       static_cast<std::uint32_t>(header.height),
                       static_cast<std::uint32_t>(stride), 16, 1, 1)) {
        SetLastImageError(kImageErrorOutOfMemory, "Out of memory");
        return nullptr;
    }
    image->SetResolutionPPM(static_cast<std::uint32_t>(header.xPelsPerMeter),
                            static_cast<std::uint32_t>(header.yPelsPerMeter));
    CopyRows(reinterpret_cast<std::uint8_t*>(image->GetPixels()), 2 * stride,
             dib + kHeaderSize + masks, 2 * stride, 2 * stride, image->GetHeight(), header.topDown);
    return image;
}

std::uint32_t SignificantBits(const CKIPImage16Bit& image) {
    std::uint32_t all = 0;
    for (std::uint32_t y = 0; y < image.GetHeight(); ++y) {
        const std::uint16_t* row = image.GetRow(y);
        for (std::uint32_t x = 0; x < image.GetWidth(); ++x)
            all |= row[x];
    }
    std::uint32_t bits = 1;
    for (std::uint32_t bit = 0; bit < 16; ++bit) {
        if (all & (1u << bit))
            bits = bit + 1;
    }
    return bits;
}

std::unique_ptr<CKIPImage> ConvertTo8Bit(const CKIPImage16Bit* image, ProgressCallback progress) {
    if (image == nullptr || !image->IsValid())
        return nullptr;
    auto result = std::make_unique<CKIPImage>();
    if (!result->Create("", image->GetWidth(), image->GetHeight(), image->GetResolutionX(),
                        image->GetResolutionY(), 8))
        return nullptr;
    result->SetColourTable(MakeGreyColourTable());
    std::uint32_t bits = SignificantBits(*image);
    std::vector<std::uint8_t> table(std::size_t{1} << bits);
    for (std::uint32_t i = 0; i < table.size(); ++i) {
        table[i] = bits >= 8 ? static_cast<std::uint8_t>(i >> (bits - 8))
                             : static_cast<std::uint8_t>(
                                   std::min(255.0, std::trunc(i * (1.0 / (1u << bits)) * 255)));
    }
    for (std::uint32_t y = 0; y < image->GetHeight(); ++y) {
        const std::uint16_t* source = image->GetRow(y);
        std::uint8_t* target = result->GetStoredRow(y);
        for (std::uint32_t x = 0; x < image->GetWidth(); ++x)
            target[x] = table[source[x]];
        if (progress != nullptr)
            progress(static_cast<double>(y) / image->GetHeight());
    }
    return result;
}
