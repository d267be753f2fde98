#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The reading side of a file over a byte buffer in memory: either a copy it
// owns or a caller's buffer it only looks at (the parser's text).
class CKSPMemoryFile {
public:
    CKSPMemoryFile() = default;
    CKSPMemoryFile(const CKSPMemoryFile&) = delete;
    CKSPMemoryFile& operator=(const CKSPMemoryFile&) = delete;

    // Looks at the caller's bytes, which must outlive this object's use of them.
    void Attach(const std::uint8_t* data, std::size_t length);
    void AttachCopy(const std::uint8_t* data, std::size_t length);
    void Adopt(std::vector<std::uint8_t> data);
    // Hands the owned buffer over (a copy when the bytes are only attached) and detaches.
    std::vector<std::uint8_t> Release();
    void Detach();

    bool IsOpen() const { return data_ != nullptr && length_ > 0; }
    bool IsAtEnd() const { return position_ >= length_; }
    std::size_t GetPosition() const { return position_; }
    std::size_t GetLength() const { return length_; }
    const std::uint8_t* GetData() const { return data_; }
    // Positions are clamped to 0 ... length.
    void SetPosition(std::ptrdiff_t position);
    void Skip(std::ptrdiff_t count);
    // The byte at the position, advancing; 0 at the end without advancing.
    std::uint8_t GetNextByte();
    // The byte at position + offset, 0 outside the buffer.
    std::uint8_t PeekByte(std::ptrdiff_t offset) const;
    // Copies up to count bytes from the position; -1 without a buffer.
    int PeekBytes(std::uint8_t* buffer, std::size_t count) const;

private:
    std::vector<std::uint8_t> owned_;
    const std::uint8_t* data_ = nullptr;
    std::size_t length_ = 0;
    std::size_t position_ = 0;
};
