#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/FileSystem.h"
#include "support/ByteFields.h"

// The 8-byte identifier at the start of a versioned data file, compared as two words.
struct FileIdentifier {
    std::uint32_t low = 0;
    std::uint32_t high = 0;
    bool operator==(const FileIdentifier&) const = default;
};

// A buffered file over a run-time library descriptor. It is either reading or
// writing; values are little-endian, strings and blocks carry a 4-byte count.
class CKSPBufferedFile {
public:
    static constexpr int kDefaultBufferSize = 51200;
    static constexpr std::uint32_t kMaxStringLength = 65535;

    explicit CKSPBufferedFile(int bufferSize = kDefaultBufferSize);
    ~CKSPBufferedFile();
    CKSPBufferedFile(const CKSPBufferedFile&) = delete;
    CKSPBufferedFile& operator=(const CKSPBufferedFile&) = delete;

    bool OpenRead(const std::string& path, int share = platform::kShareDenyNone);
    bool OpenWrite(const std::string& path, int share = platform::kShareDenyNone,
                   bool truncate = true);
    bool OpenAppend(const std::string& path, int share = platform::kShareDenyNone);
    bool OpenTextRead(const std::string& path, int share = platform::kShareDenyNone);
    bool OpenTextWrite(const std::string& path, int share = platform::kShareDenyNone,
                       bool truncate = true);
    bool OpenTextAppend(const std::string& path, int share = platform::kShareDenyNone);

    bool IsOpen() const { return descriptor_ >= 0; }
    bool IsOpenForRead() const { return IsOpen() && !writing_; }
    bool IsOpenForWrite() const { return IsOpen() && writing_; }
    bool IsOpenForAppend() const { return IsOpenForWrite() && append_; }
    bool Existed() const { return existed_; }
    // True when nothing was open.
    bool CloseFile();
    bool FlushBuffer();
    void DiscardBuffer();

    bool ReadByte(std::uint8_t& value);
    bool WriteByte(std::uint8_t value);
    // Byte counts, -1 when the file is closed or in the other mode.
    int ReadBytes(void* buffer, int count);
    int WriteBytes(const void* buffer, int count);
    int Skip(int count);

    template <typename T> bool ReadValue(T& value) {
        static_assert(std::is_arithmetic_v<T> && !std::is_same_v<T, bool>);
        std::uint8_t bytes[sizeof(T)];
        if (ReadBytes(bytes, sizeof(T)) != static_cast<int>(sizeof(T)))
            return false;
        value = LoadLittleEndian<T>(bytes);
        return true;
    }
    template <typename T> bool WriteValue(T value) {
        static_assert(std::is_arithmetic_v<T> && !std::is_same_v<T, bool>);
        std::uint8_t bytes[sizeof(T)];
        StoreLittleEndian(bytes, value);
        return WriteBytes(bytes, sizeof(T)) == static_cast<int>(sizeof(T));
    }

    bool ReadString(std::string& text);
    bool WriteString(std::string_view text);
    bool ReadStringArray(std::vector<std::string>& texts);
    bool WriteStringArray(const std::vector<std::string>& texts);
    bool WriteText(std::string_view text);
    bool WriteQuotedText(std::string_view text);
    // Reads a counted block into exactly size bytes: a longer block is cut, a
    // shorter one leaves the rest zero.
    bool ReadFixed(void* buffer, std::uint32_t size);
    bool WriteBlock(const void* data, std::uint32_t count);
    bool WriteBlockOrEmpty(const void* data, std::uint32_t count);
    bool ReadBlock(std::vector<std::uint8_t>& data);
    bool CompareNext(const void* data, int count);

    bool ReadHeader(FileIdentifier& identifier, std::uint32_t& version);
    bool WriteHeader(const FileIdentifier& identifier, std::uint32_t version);
    bool CheckHeader(const FileIdentifier& identifier, std::uint32_t maxVersion,
                     FileIdentifier& foundIdentifier, std::uint32_t& foundVersion);
    bool ReadAndCheckHeader(const FileIdentifier& identifier, std::uint32_t maxVersion,
                            std::uint32_t& foundVersion);

    // Text mode writes the formatted bytes; binary mode writes them as a counted string.
    bool Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));

    int GetPosition() const { return IsOpen() ? position_ : -1; }
    int SeekFromStart(int offset);
    int SeekFromEnd(int offset);
    int SeekRelative(int offset);
    void MarkPosition() { mark_ = position_; }
    int ReturnToMark();
    const std::string& GetFileName() const { return fileName_; }
    bool IsAtEnd() const;

private:
    bool Open(const std::string& path, const platform::OpenMode& mode, int share);
    void ResetState();
    bool WriteBuffer();
    void FillBuffer();
    int Seek(std::int64_t offset, int origin);
    bool BufferHoldsUnread() const { return bufferIndex_ >= 0 && bufferIndex_ < bufferFill_; }

    int descriptor_ = -1;
    int bufferIndex_ = -1;
    int bufferFill_ = 0;
    int position_ = 0;
    int bufferSize_ = 0;
    std::unique_ptr<std::uint8_t[]> buffer_;
    bool writing_ = false;
    bool textMode_ = false;
    bool append_ = false;
    bool existed_ = false;
    std::string fileName_;
    int mark_ = -1;
    bool atEnd_ = false;
};
