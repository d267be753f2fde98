#include "image/Image16.h"

#include <algorithm>
#include <new>

#include "image/ImageError.h"
#include "image/Resolution.h"

bool CKIPImage16Bit::IsValid() const {
    return pixels_ != nullptr && width_ != 0 && height_ != 0 && stride_ >= width_ && bits_ >= 1 &&
           bits_ <= 16;
}

void CKIPImage16Bit::Destroy() {
    owned_.reset();
    pixels_ = nullptr;
    width_ = stride_ = height_ = resolutionX_ = resolutionY_ = bits_ = 0;
    infoText.clear();
    attachment = ImageAttachment{};
}

bool CKIPImage16Bit::Create(std::uint32_t width, std::uint32_t height, std::uint32_t stride,
                            std::uint32_t bits, std::uint32_t resolutionX,
                            std::uint32_t resolutionY) {
    // Zeroed: the spare samples reach the host's DIBs.
    return Allocate(width, height, stride, bits, resolutionX, resolutionY, true);
}

bool CKIPImage16Bit::CreateForOverwrite(const CKIPImage16Bit& source) {
    return Allocate(source.width_, source.height_, source.stride_, source.bits_,
                    source.resolutionX_, source.resolutionY_, false);
}

bool CKIPImage16Bit::Allocate(std::uint32_t width, std::uint32_t height, std::uint32_t stride,
                              std::uint32_t bits, std::uint32_t resolutionX,
                              std::uint32_t resolutionY, bool zeroed) {
    Destroy();
    if (width == 0 || height == 0 || stride < width || bits < 1 || bits > 16) {
        SetImageErrorText("Invalid image parameter specified.");
        return false;
    }
    // Below 2 GiB, as the 8-bit images, so the size fits a 32-bit build too.
    const std::uint64_t samples = std::uint64_t{stride} * height;
    if (samples <= 0x7FFFFFFF / 2) {
        const auto count = static_cast<std::size_t>(samples);
        owned_.reset(zeroed ? new (std::nothrow) std::uint16_t[count]()
                            : new (std::nothrow) std::uint16_t[count]);
    }
    if (!owned_) {
        SetImageErrorText("Out of memory.");
        return false;
    }
    pixels_ = owned_.get();
    width_ = width;
    height_ = height;
    stride_ = stride;
    bits_ = bits;
    resolutionX_ = resolutionX;
    resolutionY_ = resolutionY;
    return true;
}

bool CKIPImage16Bit::CreateCopy(const CKIPImage16Bit* source, bool copyPixels) {
    Destroy();
    if (source == nullptr) {
        SetImageErrorText("Invalid image parameter specified.");
        return false;
    }
    if (!Allocate(source->width_, source->height_, source->stride_, source->bits_,
                  source->resolutionX_, source->resolutionY_, !copyPixels))
        return false;
    if (copyPixels)
        std::copy_n(source->pixels_, SampleCount(), pixels_);
    return true;
}

void CKIPImage16Bit::AttachBorrowed(std::uint16_t* pixels, std::uint32_t width,
                                    std::uint32_t height, std::uint32_t stride,
                                    std::uint32_t bits) {
    Destroy();
    pixels_ = pixels;
    width_ = width;
    height_ = height;
    stride_ = stride;
    bits_ = bits;
}

void CKIPImage16Bit::Adopt(std::unique_ptr<std::uint16_t[]> pixels, std::uint32_t width,
                           std::uint32_t height, std::uint32_t stride, std::uint32_t bits) {
    AttachBorrowed(pixels.get(), width, height, stride, bits);
    owned_ = std::move(pixels);
}

void CKIPImage16Bit::TakeOver(CKIPImage16Bit& source) {
    if (&source == this)
        return;
    Destroy();
    pixels_ = source.pixels_;
    owned_ = std::move(source.owned_); // the source keeps looking at the pixels, not owning them
    width_ = source.width_;
    height_ = source.height_;
    stride_ = source.stride_;
    bits_ = source.bits_;
    resolutionX_ = source.resolutionX_;
    resolutionY_ = source.resolutionY_;
    TakeOverInfo(source);
}

void CKIPImage16Bit::TakeOverInfo(CKIPImage16Bit& source) {
    infoText = std::move(source.infoText);
    source.infoText.clear();
    attachment = std::move(source.attachment);
    source.attachment = ImageAttachment{};
}

bool CKIPImage16Bit::CopyPixels(const CKIPImage16Bit& source) {
    if (!IsValid() || !source.IsValid() || SampleCount() != source.SampleCount())
        return false;
    std::copy_n(source.pixels_, SampleCount(), pixels_);
    return true;
}

std::unique_ptr<CKIPImage16Bit> CKIPImage16Bit::Clone() const {
    auto copy = std::make_unique<CKIPImage16Bit>();
    if (!copy->CreateCopy(this, true))
        return nullptr;
    return copy;
}

std::unique_ptr<std::uint16_t[]> CKIPImage16Bit::DetachPixels() {
    pixels_ = nullptr;
    return std::move(owned_);
}

std::uint32_t CKIPImage16Bit::GetResolutionXPPM() const {
    return DpiToPpm(resolutionX_);
}
std::uint32_t CKIPImage16Bit::GetResolutionYPPM() const {
    return DpiToPpm(resolutionY_);
}
void CKIPImage16Bit::SetResolutionPPM(std::uint32_t x, std::uint32_t y) {
    resolutionX_ = PpmToDpi(x);
    resolutionY_ = PpmToDpi(y);
}
