#include "platform/FileSystem.h"

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

namespace platform {

namespace {

constexpr std::int64_t kFileTimeOf1970 = 116444736000000000LL;
constexpr std::int64_t kFileTicksPerSecond = 10000000LL;

std::int64_t CalendarSeconds(const FILETIME& time) {
    std::int64_t ticks =
        (static_cast<std::int64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return ticks == 0 ? 0 : (ticks - kFileTimeOf1970) / kFileTicksPerSecond;
}

FILETIME FileTimeOf(std::int64_t seconds) {
    std::int64_t ticks = seconds * kFileTicksPerSecond + kFileTimeOf1970;
    return {static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
}

} // namespace

int OpenDescriptor(const std::string& path, const OpenMode& mode, int share) {
    int flags = mode.text ? _O_TEXT : _O_BINARY;
    flags |= mode.write ? _O_WRONLY : _O_RDONLY;
    if (mode.create)
        flags |= _O_CREAT;
    if (mode.truncate)
        flags |= _O_TRUNC;
    if (mode.append)
        flags |= _O_APPEND;
    return ::_sopen(path.c_str(), flags, share, _S_IREAD | _S_IWRITE);
}

int ReadDescriptor(int descriptor, void* buffer, unsigned count) {
    return ::_read(descriptor, buffer, count);
}

int WriteDescriptor(int descriptor, const void* buffer, unsigned count) {
    return ::_write(descriptor, buffer, count);
}

std::int64_t SeekDescriptor(int descriptor, std::int64_t offset, int origin) {
    return ::_lseeki64(descriptor, offset, origin);
}

bool CloseDescriptor(int descriptor) {
    return ::_close(descriptor) == 0;
}

std::optional<PathStatus> StatPath(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    PathStatus status;
    status.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    status.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    status.modified = CalendarSeconds(data.ftLastWriteTime);
    status.created = CalendarSeconds(data.ftCreationTime);
    status.accessed = CalendarSeconds(data.ftLastAccessTime);
    return status;
}

std::vector<DirectoryEntry> FindEntries(const std::string& searchPath) {
    std::vector<DirectoryEntry> entries;
    WIN32_FIND_DATAA found{};
    HANDLE search = ::FindFirstFileA(searchPath.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return entries;
    do {
        entries.push_back(
            {found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return entries;
}

bool MakeDirectory(const std::string& path) {
    return ::CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool RemoveFile(const std::string& path) {
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        attributes &= ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        ::SetFileAttributesA(path.c_str(), attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes);
    }
    return ::DeleteFileA(path.c_str()) != 0;
}

bool SetFileTimes(const std::string& path, std::int64_t modified, std::int64_t created) {
    HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    FILETIME creation = FileTimeOf(created);
    FILETIME write = FileTimeOf(modified);
    bool ok = ::SetFileTime(file, &creation, nullptr, &write) != 0;
    ::CloseHandle(file);
    return ok;
}

} // namespace platform
