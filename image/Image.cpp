#include "image/Image.h"

#include <algorithm>
#include <cstring>

#include "image/ImageError.h"
#include "image/Resolution.h"

namespace {

constexpr std::uint32_t kWhite = 0x00FFFFFF;

int Component(std::uint32_t colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xFF);
}

std::uint32_t RowBytesOf(std::uint32_t width, std::uint32_t bitsPerPixel) {
    std::uint64_t bytes = bitsPerPixel == 1   ? (std::uint64_t{width} + 7) / 8
                          : bitsPerPixel == 8 ? width
                                              : 3 * std::uint64_t{width};
    return static_cast<std::uint32_t>(bytes);
}

} // namespace

std::vector<std::uint32_t> MakeGreyColourTable() {
    std::vector<std::uint32_t> table(256);
    for (std::uint32_t i = 0; i < 256; ++i)
        table[i] = i | (i << 8) | (i << 16);
    return table;
}

void CKIPImage::Destroy() {
    colourTable_.clear();
    dib_.reset();
    bits_ = nullptr;
    name_.clear();
    infoText.clear();
    attachment = ImageAttachment{};
    userValue = 0;
    userFlag = 0;
    width_ = height_ = resolutionX_ = resolutionY_ = 0;
    rowPadding_ = rowBytes_ = imageSize_ = 0;
    bitsPerPixel_ = 24;
}

bool CKIPImage::Create(const std::string& name, std::uint32_t width, std::uint32_t height,
                       std::uint32_t resolutionX, std::uint32_t resolutionY,
                       std::uint32_t bitsPerPixel) {
    name_ = name;
    if (bitsPerPixel != 1 && bitsPerPixel != 8 && bitsPerPixel != 24) {
        SetLastImageError(kImageErrorBitsPerPixel, "Invalid bits-per-pixel (%lu)", bitsPerPixel);
        return false;
    }
    if (width == 0 || height == 0) {
        SetLastImageError(kImageErrorDimensions, "Invalid image dimensions (%lux%lu)", width,
                          height);
        return false;
    }
    dib_.reset();
    bits_ = nullptr;
    width_ = width;
    height_ = height;
    resolutionX_ = resolutionX == 0 ? 1 : resolutionX;
    resolutionY_ = resolutionY == 0 ? 1 : resolutionY;
    bitsPerPixel_ = bitsPerPixel;
    std::uint64_t rowBytes = RowBytesOf(width, bitsPerPixel);
    rowPadding_ = static_cast<std::uint32_t>((4 - rowBytes % 4) % 4);
    rowBytes += rowPadding_;
    std::uint64_t imageSize = rowBytes * height;
    if (rowBytes > 0x7FFFFFFF || imageSize > 0x7FFFFFFF || width > 0x7FFFFFFF ||
        height > 0x7FFFFFFF)
        return false;
    rowBytes_ = static_cast<std::uint32_t>(rowBytes);
    imageSize_ = static_cast<std::uint32_t>(imageSize);
    dib_ = platform::CreateDibSection(Format(), bitsPerPixel == 24 ? std::vector<std::uint32_t>{}
                                                                   : colourTable_);
    if (!dib_)
        return false;
    bits_ = dib_->Bits();
    FillWhite();
    return true;
}

void CKIPImage::FillWhite() {
    std::uint32_t index = 0;
    std::uint8_t white = 0xFF;
    if (bitsPerPixel_ == 8 && NearestColour(kWhite, index))
        white = static_cast<std::uint8_t>(index);
    std::memset(bits_, white, imageSize_);
}

std::unique_ptr<CKIPImage> CKIPImage::Clone(bool copyPixels) const {
    auto copy = std::make_unique<CKIPImage>();
    if (!copy->CreateLike(*this))
        return nullptr;
    if (bitsPerPixel_ != 24)
        copy->SetColourTable(colourTable_);
    if (copyPixels)
        std::memcpy(copy->bits_, bits_, imageSize_);
    return copy;
}

bool CKIPImage::CopyFrom(const CKIPImage& source) {
    if (&source == this)
        return true;
    if (!CreateLike(source))
        return false;
    if (source.bitsPerPixel_ != 24)
        SetColourTable(source.colourTable_);
    std::memcpy(bits_, source.bits_, imageSize_);
    userValue = source.userValue;
    userFlag = source.userFlag;
    return true;
}

void CKIPImage::TakeOver(CKIPImage& source) {
    if (&source == this)
        return;
    Destroy();
    userValue = source.userValue;
    userFlag = source.userFlag;
    name_ = source.name_;
    width_ = source.width_;
    height_ = source.height_;
    resolutionX_ = source.resolutionX_;
    resolutionY_ = source.resolutionY_;
    bitsPerPixel_ = source.bitsPerPixel_;
    colourTable_ = std::move(source.colourTable_);
    source.colourTable_.clear();
    rowPadding_ = source.rowPadding_;
    rowBytes_ = source.rowBytes_;
    imageSize_ = source.imageSize_;
    dib_ = std::move(source.dib_);
    bits_ = source.bits_;
    source.bits_ = nullptr;
    TakeOverInfo(source);
}

void CKIPImage::TakeOverInfo(CKIPImage& source) {
    infoText = std::move(source.infoText);
    source.infoText.clear();
    attachment = std::move(source.attachment);
    source.attachment = ImageAttachment{};
}

bool CKIPImage::CopyPixels(const CKIPImage& source) {
    if (!IsValid() || !source.IsValid() || imageSize_ != source.imageSize_)
        return false;
    std::memcpy(bits_, source.bits_, imageSize_);
    return true;
}

bool CKIPImage::CreateLike(const CKIPImage& source) {
    return Create(source.name_, source.width_, source.height_, source.resolutionX_,
                  source.resolutionY_, source.bitsPerPixel_);
}

bool CKIPImage::CreateFromRegion(const CKIPImage& source, std::uint32_t left, std::uint32_t top,
                                 std::uint32_t width, std::uint32_t height) {
    if (!source.IsValid())
        return false;
    if (!Create("", width, height, source.resolutionX_, source.resolutionY_, source.bitsPerPixel_))
        return false;
    if (source.bitsPerPixel_ != 24)
        SetColourTable(source.colourTable_);
    for (std::uint32_t y = 0; y < height && top + y < source.height_; ++y) {
        for (std::uint32_t x = 0; x < width && left + x < source.width_; ++x) {
            if (bitsPerPixel_ == 24) {
                std::memcpy(GetStoredRow(height_ - 1 - y) + 3 * x,
                            source.GetStoredRow(source.height_ - 1 - (top + y)) + 3 * (left + x),
                            3);
            } else {
                SetPixel(x, y, source.GetPixel(left + x, top + y));
            }
        }
    }
    return true;
}

void CKIPImage::SetColourTable(std::vector<std::uint32_t> table) {
    colourTable_ = std::move(table);
    if (bitsPerPixel_ <= 8 && dib_)
        dib_->SetColourTable(colourTable_);
}

bool CKIPImage::IsGreyscale() const {
    if (colourTable_.empty() || bitsPerPixel_ == 1 || bitsPerPixel_ == 24)
        return false;
    return std::all_of(colourTable_.begin(), colourTable_.end(), [](std::uint32_t entry) {
        return Component(entry, 0) == Component(entry, 8) &&
               Component(entry, 8) == Component(entry, 16);
    });
}

bool CKIPImage::NearestColour(std::uint32_t colour, std::uint32_t& index) const {
    if (colourTable_.empty() || bitsPerPixel_ == 24)
        return false;
    long best = -1;
    for (std::uint32_t i = 0; i < colourTable_.size(); ++i) {
        long distance = 0;
        for (int shift : {0, 8, 16}) {
            long difference = Component(colour, shift) - Component(colourTable_[i], shift);
            distance += difference * difference;
        }
        if (distance == 0) {
            index = i;
            return true;
        }
        if (best < 0 || distance < best) {
            best = distance;
            index = i;
        }
    }
    return true;
}

bool CKIPImage::InverseColourIndex(std::uint32_t index, std::uint32_t& result) const {
    if (index >= colourTable_.size())
        return false;
    return NearestColour(~colourTable_[index] & kWhite, result);
}

std::uint32_t CKIPImage::GetPixel(std::uint32_t x, std::uint32_t y) const {
    if (!IsValid() || x >= width_ || y >= height_)
        return 0;
    const std::uint8_t* row = GetStoredRow(height_ - 1 - y);
    if (bitsPerPixel_ == 1)
        return (row[x / 8] >> (7 - x % 8)) & 1;
    if (bitsPerPixel_ == 8)
        return row[x];
    return row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16);
}

void CKIPImage::SetPixel(std::uint32_t x, std::uint32_t y, std::uint32_t value) {
    if (!IsValid() || x >= width_ || y >= height_)
        return;
    std::uint8_t* row = GetStoredRow(height_ - 1 - y);
    if (bitsPerPixel_ == 1) {
        auto mask = static_cast<std::uint8_t>(0x80 >> (x % 8));
        row[x / 8] =
            static_cast<std::uint8_t>((value & 1) ? row[x / 8] | mask : row[x / 8] & ~mask);
    } else if (bitsPerPixel_ == 8) {
        row[x] = static_cast<std::uint8_t>(value);
    } else {
        for (int i = 0; i < 3; ++i)
            row[3 * x + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

void CKIPImage::SetResolution(std::uint32_t x, std::uint32_t y) {
    resolutionX_ = x == 0 ? 1 : x;
    resolutionY_ = y == 0 ? 1 : y;
}
void CKIPImage::SetResolutionPPM(std::uint32_t x, std::uint32_t y) {
    SetResolution(PpmToDpi(x), PpmToDpi(y));
}
std::uint32_t CKIPImage::GetResolutionXPPM() const {
    return DpiToPpm(resolutionX_);
}
std::uint32_t CKIPImage::GetResolutionYPPM() const {
    return DpiToPpm(resolutionY_);
}
