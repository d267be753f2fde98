#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "image/ImageAttachment.h"

// Unsigned 16-bit samples with 1 to 16 significant bits, stored rows of
// stride samples, bottom row first.
class CKIPImage16Bit {
public:
    CKIPImage16Bit() = default;
    CKIPImage16Bit(const CKIPImage16Bit& source, bool copyPixels) {
        CreateCopy(&source, copyPixels);
    }
    virtual ~CKIPImage16Bit() = default;
    CKIPImage16Bit(const CKIPImage16Bit&) = delete;
    CKIPImage16Bit& operator=(const CKIPImage16Bit&) = delete;

    bool IsValid() const;
    void Destroy();
    bool CreateCopy(const CKIPImage16Bit* source, bool copyPixels);
    // The source's geometry with samples left unset, for a caller that writes
    // every one of them (zeroing would only be overwritten).
    bool CreateForOverwrite(const CKIPImage16Bit& source);
    // Lends a buffer the image does not free.
    void AttachBorrowed(std::uint16_t* pixels, std::uint32_t width, std::uint32_t height,
                        std::uint32_t stride, std::uint32_t bits);
    void Adopt(std::unique_ptr<std::uint16_t[]> pixels, std::uint32_t width, std::uint32_t height,
               std::uint32_t stride, std::uint32_t bits);
    // Every sample starts at 0, the spare ones too. Fails from 2 GiB of samples up.
    bool Create(std::uint32_t width, std::uint32_t height, std::uint32_t stride, std::uint32_t bits,
                std::uint32_t resolutionX, std::uint32_t resolutionY);
    bool CreateSimple(std::uint32_t width, std::uint32_t height, std::uint32_t bits) {
        return Create(width, height, width, bits, 0, 0);
    }
    void TakeOver(CKIPImage16Bit& source);
    void TakeOverInfo(CKIPImage16Bit& source);
    bool CopyPixels(const CKIPImage16Bit& source);
    std::unique_ptr<CKIPImage16Bit> Clone() const;
    // The owned buffer, or null when it was only lent.
    std::unique_ptr<std::uint16_t[]> DetachPixels();

    std::uint32_t GetWidth() const { return width_; }
    std::uint32_t GetHeight() const { return height_; }
    std::uint32_t GetStride() const { return stride_; }
    std::uint32_t GetSpareSamples() const { return stride_ - width_; }
    std::uint32_t GetBits() const { return bits_; }
    std::uint32_t GetLevelCount() const { return 1u << bits_; }
    std::uint32_t GetMaxValue() const { return (1u << bits_) - 1; }
    std::uint32_t GetResolutionX() const { return resolutionX_; }
    std::uint32_t GetResolutionY() const { return resolutionY_; }
    std::uint32_t GetResolutionXPPM() const;
    std::uint32_t GetResolutionYPPM() const;
    std::uint16_t* GetPixels() const { return pixels_; }
    std::uint16_t* GetRow(std::uint32_t y) const {
        return pixels_ + static_cast<std::size_t>(y) * stride_;
    }
    std::uint16_t* GetPixelPtr(std::uint32_t x, std::uint32_t y) const { return GetRow(y) + x; }
    void SetResolution(std::uint32_t x, std::uint32_t y) {
        resolutionX_ = x;
        resolutionY_ = y;
    }
    void SetResolutionPPM(std::uint32_t x, std::uint32_t y);
    void SetBits(std::uint32_t bits) { bits_ = bits; }
    std::size_t SampleCount() const { return static_cast<std::size_t>(stride_) * height_; }

    std::string infoText;
    ImageAttachment attachment;

private:
    bool Allocate(std::uint32_t width, std::uint32_t height, std::uint32_t stride,
                  std::uint32_t bits, std::uint32_t resolutionX, std::uint32_t resolutionY,
                  bool zeroed);

    std::uint16_t* pixels_ = nullptr;
    std::unique_ptr<std::uint16_t[]> owned_;
    std::uint32_t width_ = 0;
    std::uint32_t stride_ = 0;
    std::uint32_t height_ = 0;
    std::uint32_t resolutionX_ = 0;
    std::uint32_t resolutionY_ = 0;
    std::uint32_t bits_ = 0;
};
