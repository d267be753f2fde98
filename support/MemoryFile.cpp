#include "support/MemoryFile.h"

#include <algorithm>
#include <cstring>

void CKSPMemoryFile::Attach(const std::uint8_t* data, std::size_t length) {
    owned_.clear();
    data_ = data;
    length_ = data != nullptr ? length : 0;
    position_ = 0;
}

void CKSPMemoryFile::AttachCopy(const std::uint8_t* data, std::size_t length) {
    std::vector<std::uint8_t> copy;
    if (data != nullptr)
        copy.assign(data, data + length);
    Adopt(std::move(copy));
}

void CKSPMemoryFile::Adopt(std::vector<std::uint8_t> data) {
    owned_ = std::move(data);
    data_ = owned_.empty() ? nullptr : owned_.data();
    length_ = owned_.size();
    position_ = 0;
}

std::vector<std::uint8_t> CKSPMemoryFile::Release() {
    std::vector<std::uint8_t> result = owned_.empty() && data_ != nullptr
                                           ? std::vector<std::uint8_t>(data_, data_ + length_)
                                           : std::move(owned_);
    Detach();
    return result;
}

void CKSPMemoryFile::Detach() {
    owned_.clear();
    data_ = nullptr;
    length_ = 0;
    position_ = 0;
}

void CKSPMemoryFile::SetPosition(std::ptrdiff_t position) {
    position_ = static_cast<std::size_t>(
        std::clamp<std::ptrdiff_t>(position, 0, static_cast<std::ptrdiff_t>(length_)));
}

void CKSPMemoryFile::Skip(std::ptrdiff_t count) {
    SetPosition(static_cast<std::ptrdiff_t>(position_) + count);
}

std::uint8_t CKSPMemoryFile::GetNextByte() {
    if (IsAtEnd())
        return 0;
    return data_[position_++];
}

std::uint8_t CKSPMemoryFile::PeekByte(std::ptrdiff_t offset) const {
    std::ptrdiff_t at = static_cast<std::ptrdiff_t>(position_) + offset;
    if (data_ == nullptr || at < 0 || at >= static_cast<std::ptrdiff_t>(length_))
        return 0;
    return data_[at];
}

int CKSPMemoryFile::PeekBytes(std::uint8_t* buffer, std::size_t count) const {
    if (data_ == nullptr)
        return -1;
    std::size_t available = std::min(count, length_ - std::min(position_, length_));
    if (available > 0)
        std::memcpy(buffer, data_ + position_, available);
    return static_cast<int>(available);
}
