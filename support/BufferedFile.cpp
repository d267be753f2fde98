#include "support/BufferedFile.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "support/LastError.h"
#include "support/TextFormat.h"

CKSPBufferedFile::CKSPBufferedFile(int bufferSize) : bufferSize_(bufferSize > 0 ? bufferSize : 0) {
    if (bufferSize_ > 0)
        buffer_ = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(bufferSize_));
}

CKSPBufferedFile::~CKSPBufferedFile() {
    CloseFile();
}

void CKSPBufferedFile::ResetState() {
    bufferIndex_ = -1;
    bufferFill_ = 0;
    position_ = 0;
    mark_ = -1;
    atEnd_ = false;
    writing_ = textMode_ = append_ = existed_ = false;
}

bool CKSPBufferedFile::Open(const std::string& path, const platform::OpenMode& mode, int share) {
    CloseFile();
    ResetState();
    fileName_ = path;
    if (mode.append)
        existed_ = platform::StatPath(path).has_value();
    writing_ = mode.write;
    textMode_ = mode.text;
    append_ = mode.append;
    descriptor_ = platform::OpenDescriptor(path, mode, share);
    if (descriptor_ >= 0 && mode.append) {
        std::int64_t end = platform::SeekDescriptor(descriptor_, 0, SEEK_END);
        position_ = end > 0 ? static_cast<int>(end) : 0;
    }
    return IsOpen();
}

bool CKSPBufferedFile::OpenRead(const std::string& path, int share) {
    return Open(path, {}, share);
}
bool CKSPBufferedFile::OpenWrite(const std::string& path, int share, bool truncate) {
    return Open(path, {.write = true, .create = true, .truncate = truncate}, share);
}
bool CKSPBufferedFile::OpenAppend(const std::string& path, int share) {
    return Open(path, {.write = true, .create = true, .append = true}, share);
}
bool CKSPBufferedFile::OpenTextRead(const std::string& path, int share) {
    return Open(path, {.text = true}, share);
}
bool CKSPBufferedFile::OpenTextWrite(const std::string& path, int share, bool truncate) {
    return Open(path, {.write = true, .create = true, .truncate = truncate, .text = true}, share);
}
bool CKSPBufferedFile::OpenTextAppend(const std::string& path, int share) {
    return Open(path, {.write = true, .create = true, .append = true, .text = true}, share);
}

bool CKSPBufferedFile::CloseFile() {
    if (!IsOpen())
        return true;
    bool flushed = FlushBuffer();
    bool closed = platform::CloseDescriptor(descriptor_);
    descriptor_ = -1;
    DiscardBuffer();
    return flushed && closed;
}

bool CKSPBufferedFile::WriteBuffer() {
    int count = bufferFill_;
    DiscardBuffer();
    if (count == 0)
        return true;
    return platform::WriteDescriptor(descriptor_, buffer_.get(), static_cast<unsigned>(count)) ==
           count;
}

bool CKSPBufferedFile::FlushBuffer() {
    if (!IsOpenForWrite() || bufferFill_ == 0)
        return true;
    return WriteBuffer();
}

void CKSPBufferedFile::DiscardBuffer() {
    bufferIndex_ = -1;
    bufferFill_ = 0;
}

void CKSPBufferedFile::FillBuffer() {
    int count =
        platform::ReadDescriptor(descriptor_, buffer_.get(), static_cast<unsigned>(bufferSize_));
    if (count <= 0) {
        DiscardBuffer();
        atEnd_ = true;
        return;
    }
    bufferFill_ = count;
    bufferIndex_ = 0;
    atEnd_ = false; // a short read is no end: text mode returns fewer bytes as it folds CR LF
}

bool CKSPBufferedFile::ReadByte(std::uint8_t& value) {
    if (!IsOpenForRead())
        return false;
    if (bufferSize_ == 0) {
        if (platform::ReadDescriptor(descriptor_, &value, 1) != 1) {
            atEnd_ = true;
            return false;
        }
    } else {
        if (!BufferHoldsUnread()) {
            if (atEnd_) // a read already returned nothing
                return false;
            FillBuffer();
            if (!BufferHoldsUnread())
                return false;
        }
        value = buffer_[static_cast<std::size_t>(bufferIndex_++)];
    }
    ++position_;
    return true;
}

bool CKSPBufferedFile::WriteByte(std::uint8_t value) {
    if (!IsOpenForWrite())
        return false;
    if (bufferSize_ == 0) {
        if (platform::WriteDescriptor(descriptor_, &value, 1) != 1)
            return false;
    } else {
        buffer_[static_cast<std::size_t>(bufferFill_++)] = value;
        if (bufferFill_ == bufferSize_ && !WriteBuffer())
            return false;
    }
    ++position_;
    return true;
}

int CKSPBufferedFile::ReadBytes(void* buffer, int count) {
    if (!IsOpenForRead())
        return -1;
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    int done = 0;
    while (done < count && ReadByte(bytes[done]))
        ++done;
    return done;
}

int CKSPBufferedFile::WriteBytes(const void* buffer, int count) {
    if (!IsOpenForWrite())
        return -1;
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    int done = 0;
    while (done < count && WriteByte(bytes[done]))
        ++done;
    return done;
}

int CKSPBufferedFile::Skip(int count) {
    if (!IsOpenForRead())
        return -1;
    int done = 0;
    std::uint8_t ignored = 0;
    while (done < count && ReadByte(ignored))
        ++done;
    return done;
}

bool CKSPBufferedFile::ReadString(std::string& text) {
    std::uint32_t length = 0;
    if (!ReadValue(length) || length > kMaxStringLength)
        return false;
    std::string read(length, '\0');
    if (ReadBytes(read.data(), static_cast<int>(length)) != static_cast<int>(length))
        return false;
    text = std::move(read);
    return true;
}

bool CKSPBufferedFile::WriteString(std::string_view text) {
    if (!WriteValue(static_cast<std::uint32_t>(text.size())))
        return false;
    return WriteText(text);
}

bool CKSPBufferedFile::ReadStringArray(std::vector<std::string>& texts) {
    std::uint32_t count = 0;
    if (!ReadValue(count))
        return false;
    std::vector<std::string> read;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string text;
        if (!ReadString(text))
            return false;
        read.push_back(std::move(text));
    }
    texts = std::move(read);
    return true;
}

bool CKSPBufferedFile::WriteStringArray(const std::vector<std::string>& texts) {
    if (!WriteValue(static_cast<std::uint32_t>(texts.size())))
        return false;
    for (const std::string& text : texts) {
        if (!WriteString(text))
            return false;
    }
    return true;
}

bool CKSPBufferedFile::WriteText(std::string_view text) {
    int length = static_cast<int>(text.size());
    return WriteBytes(text.data(), length) == length;
}

bool CKSPBufferedFile::WriteQuotedText(std::string_view text) {
    return WriteText("\"") && WriteText(text) && WriteText("\"");
}

bool CKSPBufferedFile::ReadFixed(void* buffer, std::uint32_t size) {
    std::uint32_t stored = 0;
    if (!ReadValue(stored))
        return false;
    if (stored < size)
        std::memset(buffer, 0, size);
    std::uint32_t wanted = stored < size ? stored : size;
    if (ReadBytes(buffer, static_cast<int>(wanted)) != static_cast<int>(wanted))
        return false;
    std::uint32_t rest = stored - wanted;
    return rest == 0 || Skip(static_cast<int>(rest)) == static_cast<int>(rest);
}

bool CKSPBufferedFile::WriteBlock(const void* data, std::uint32_t count) {
    return WriteValue(count) &&
           WriteBytes(data, static_cast<int>(count)) == static_cast<int>(count);
}

bool CKSPBufferedFile::WriteBlockOrEmpty(const void* data, std::uint32_t count) {
    if (data == nullptr || count == 0)
        return WriteValue(std::uint32_t{0});
    return WriteBlock(data, count);
}

bool CKSPBufferedFile::ReadBlock(std::vector<std::uint8_t>& data) {
    std::uint32_t count = 0;
    if (!ReadValue(count))
        return false;
    // Grow as bytes arrive, so a corrupt count cannot demand a huge allocation.
    std::vector<std::uint8_t> read;
    std::uint8_t value = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!ReadByte(value))
            return false;
        read.push_back(value);
    }
    data = std::move(read);
    return true;
}

bool CKSPBufferedFile::CompareNext(const void* data, int count) {
    std::vector<std::uint8_t> read(static_cast<std::size_t>(count > 0 ? count : 0));
    return ReadBytes(read.data(), count) == count &&
           std::memcmp(read.data(), data, read.size()) == 0;
}

bool CKSPBufferedFile::ReadHeader(FileIdentifier& identifier, std::uint32_t& version) {
    if (!ReadValue(identifier.low) || !ReadValue(identifier.high)) {
        SetLastErrorText("Invalid file specified (unable to read file identifier).");
        return false;
    }
    if (!ReadValue(version)) {
        SetLastErrorText("Invalid file specified (unable to read file version).");
        return false;
    }
    return true;
}

bool CKSPBufferedFile::WriteHeader(const FileIdentifier& identifier, std::uint32_t version) {
    if (!WriteValue(identifier.low) || !WriteValue(identifier.high)) {
        SetLastErrorText("Unable to write the file identifier.");
        return false;
    }
    if (!WriteValue(version)) {
        SetLastErrorText("Unable to write the file version.");
        return false;
    }
    return true;
}

bool CKSPBufferedFile::CheckHeader(const FileIdentifier& identifier, std::uint32_t maxVersion,
                                   FileIdentifier& foundIdentifier, std::uint32_t& foundVersion) {
    if (!ReadHeader(foundIdentifier, foundVersion))
        return false;
    if (!(foundIdentifier == identifier)) {
        SetLastErrorText("A invalid file type was specified (the file did not contain the proper "
                         "file identifier)");
        return false;
    }
    if (foundVersion > maxVersion) {
        SetLastErrorText(FormatText("An unsupported version (version = %08lX) was detected in the "
                                    "specified file",
                                    static_cast<unsigned long>(foundVersion)));
        return false;
    }
    return true;
}

bool CKSPBufferedFile::ReadAndCheckHeader(const FileIdentifier& identifier,
                                          std::uint32_t maxVersion, std::uint32_t& foundVersion) {
    FileIdentifier found;
    return CheckHeader(identifier, maxVersion, found, foundVersion);
}

bool CKSPBufferedFile::Printf(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::string text = FormatTextV(format, arguments);
    va_end(arguments);
    return textMode_ ? WriteText(text) : WriteString(text);
}

int CKSPBufferedFile::Seek(std::int64_t offset, int origin) {
    if (!IsOpen() || !FlushBuffer())
        return -1;
    DiscardBuffer();
    atEnd_ = false;
    std::int64_t at = platform::SeekDescriptor(descriptor_, offset, origin);
    if (at < 0)
        return -1;
    position_ = static_cast<int>(at);
    return position_;
}

int CKSPBufferedFile::SeekFromStart(int offset) {
    return Seek(offset, SEEK_SET);
}
int CKSPBufferedFile::SeekFromEnd(int offset) {
    return Seek(offset, SEEK_END);
}
// Relative to the logical position: buffered reads keep the descriptor ahead of it.
int CKSPBufferedFile::SeekRelative(int offset) {
    return Seek(static_cast<std::int64_t>(position_) + offset, SEEK_SET);
}
int CKSPBufferedFile::ReturnToMark() {
    return mark_ < 0 ? -1 : SeekFromStart(mark_);
}

bool CKSPBufferedFile::IsAtEnd() const {
    return IsOpenForRead() && atEnd_ && !BufferHoldsUnread();
}
