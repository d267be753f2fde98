#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image/ImageAttachment.h"
#include "platform/DibSection.h"
#include "platform/GlobalMemory.h"

// A device-independent bitmap of 1, 8 or 24 bits per pixel with its own colour
// table (4-byte blue, green, red, reserved entries). Rows are stored bottom-up;
// the pixel accessors take top-down coordinates.
class CKIPImage {
public:
    CKIPImage() = default;
    virtual ~CKIPImage() = default;
    CKIPImage(const CKIPImage&) = delete;
    CKIPImage& operator=(const CKIPImage&) = delete;

    void Destroy();
    bool IsValid() const { return bits_ != nullptr && dib_ != nullptr; }
    std::uint32_t GetDataSize() const {
        return imageSize_ + 4 * static_cast<std::uint32_t>(colourTable_.size());
    }
    std::unique_ptr<CKIPImage> Clone(bool copyPixels) const;
    bool CopyFrom(const CKIPImage& source);
    void TakeOver(CKIPImage& source);
    void TakeOverInfo(CKIPImage& source);
    bool CopyPixels(const CKIPImage& source);
    bool CreateLike(const CKIPImage& source);
    bool Create(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel) {
        return Create("", width, height, 1, 1, bitsPerPixel);
    }
    bool Create(std::uint32_t width, std::uint32_t height, std::uint32_t resolutionX,
                std::uint32_t resolutionY, std::uint32_t bitsPerPixel) {
        return Create("", width, height, resolutionX, resolutionY, bitsPerPixel);
    }
    // Replaces the pixel store and fills it with white; the colour table stays.
    bool Create(const std::string& name, std::uint32_t width, std::uint32_t height,
                std::uint32_t resolutionX, std::uint32_t resolutionY, std::uint32_t bitsPerPixel);
    bool CreateFromRegion(const CKIPImage& source, std::uint32_t left, std::uint32_t top,
                          std::uint32_t width, std::uint32_t height);

    // A 1, 8 or 24-bit bitmap of this module's resources.
    bool LoadResourceBitmap(int resourceId);

    void SetColourTable(std::vector<std::uint32_t> table);
    const std::vector<std::uint32_t>& GetColourTable() const { return colourTable_; }
    bool IsGreyscale() const;
    // colour in the table's byte order: blue in the low byte, then green, then red.
    bool NearestColour(std::uint32_t colour, std::uint32_t& index) const;
    bool InverseColourIndex(std::uint32_t index, std::uint32_t& result) const;
    std::uint32_t GetPixel(std::uint32_t x, std::uint32_t y) const;
    void SetPixel(std::uint32_t x, std::uint32_t y, std::uint32_t value);

    // Drawing onto a device context (SRCCOPY); false where nothing displays images.
    bool Draw(void* dc, const platform::DrawRect& destination, int sourceX, int sourceY) const;
    bool Draw(void* dc, int x, int y) const;
    bool StretchDraw(void* dc, const platform::DrawRect& destination,
                     const platform::DrawRect& source) const;
    bool DrawDIB(void* dc, const platform::DrawRect& destination,
                 const platform::DrawRect& source) const;

    // With a null table the image's own table is written; 24-bit images have none.
    platform::GlobalHandle CreatePackedDIB(const std::vector<std::uint32_t>* table = nullptr) const;

    std::uint32_t GetWidth() const { return width_; }
    std::uint32_t GetHeight() const { return height_; }
    std::uint32_t GetBitsPerPixel() const { return bitsPerPixel_; }
    std::uint32_t GetRowBytes() const { return rowBytes_; }
    std::uint32_t GetRowPadding() const { return rowPadding_; }
    std::uint32_t GetImageSize() const { return imageSize_; }
    std::uint32_t GetResolutionX() const { return resolutionX_; }
    std::uint32_t GetResolutionY() const { return resolutionY_; }
    void SetResolution(std::uint32_t x, std::uint32_t y);
    void SetResolutionPPM(std::uint32_t x, std::uint32_t y);
    std::uint32_t GetResolutionXPPM() const;
    std::uint32_t GetResolutionYPPM() const;
    std::uint8_t* GetBits() const { return bits_; }
    std::uint8_t* GetStoredRow(std::uint32_t row) const {
        return bits_ + static_cast<std::size_t>(row) * rowBytes_;
    }
    const std::string& GetName() const { return name_; }
    void* GetBitmapHandle() const { return dib_ ? dib_->Handle() : nullptr; }

    std::uint32_t userValue = 0;
    std::uint8_t userFlag = 0;
    std::string infoText;
    ImageAttachment attachment;

private:
    void FillWhite();
    platform::DibSectionFormat Format() const;

    std::string name_;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    std::uint32_t resolutionX_ = 0;
    std::uint32_t resolutionY_ = 0;
    std::uint32_t bitsPerPixel_ = 24;
    std::vector<std::uint32_t> colourTable_;
    std::uint32_t rowPadding_ = 0;
    std::uint32_t rowBytes_ = 0;
    std::uint32_t imageSize_ = 0;
    std::unique_ptr<platform::DibSection> dib_;
    std::uint8_t* bits_ = nullptr;
};

std::vector<std::uint32_t> MakeGreyColourTable();
