#include "platform/FileSystem.h"

#include <algorithm>
#include <cctype>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string NativePath(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

bool SameLetter(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
}

// Windows wildcard rules: "*" any run, "?" one character, case-insensitive.
bool MatchesWildcard(const char* pattern, const char* name) {
    const char* starPattern = nullptr;
    const char* starName = nullptr;
    while (*name != '\0') {
        if (*pattern == '*') {
            starPattern = ++pattern;
            starName = name;
        } else if (*pattern == '?' || SameLetter(*pattern, *name)) {
            ++pattern;
            ++name;
        } else if (starPattern != nullptr) {
            pattern = starPattern;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

bool Matches(const std::string& pattern, const std::string& name) {
    if (pattern == "*.*")
        return true;
    return MatchesWildcard(pattern.c_str(), name.c_str());
}

} // namespace

int OpenDescriptor(const std::string& path, const OpenMode& mode, int) {
    int flags = mode.write ? O_WRONLY : O_RDONLY;
    if (mode.create)
        flags |= O_CREAT;
    if (mode.truncate)
        flags |= O_TRUNC;
    if (mode.append)
        flags |= O_APPEND;
    return ::open(NativePath(path).c_str(), flags | O_CLOEXEC, 0666);
}

int ReadDescriptor(int descriptor, void* buffer, unsigned count) {
    return static_cast<int>(::read(descriptor, buffer, count));
}

int WriteDescriptor(int descriptor, const void* buffer, unsigned count) {
    return static_cast<int>(::write(descriptor, buffer, count));
}

std::int64_t SeekDescriptor(int descriptor, std::int64_t offset, int origin) {
    return ::lseek(descriptor, offset, origin);
}

bool CloseDescriptor(int descriptor) {
    return ::close(descriptor) == 0;
}

// POSIX keeps no settable birth time, so the modification time stands in for
// the creation time; retention then orders log files by their last write.
std::optional<PathStatus> StatPath(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(NativePath(path).c_str(), &info) != 0)
        return std::nullopt;
    PathStatus status;
    status.isDirectory = S_ISDIR(info.st_mode);
    status.size = static_cast<std::uint64_t>(info.st_size);
    status.modified = info.st_mtime;
    status.created = info.st_mtime;
    status.accessed = info.st_atime;
    return status;
}

std::vector<DirectoryEntry> FindEntries(const std::string& searchPath) {
    std::vector<DirectoryEntry> entries;
    std::string path = NativePath(searchPath);
    std::size_t slash = path.rfind('/');
    std::string directory = slash == std::string::npos ? "." : path.substr(0, slash);
    std::string pattern = slash == std::string::npos ? path : path.substr(slash + 1);
    DIR* listing = ::opendir(directory.empty() ? "/" : directory.c_str());
    if (listing == nullptr)
        return entries;
    while (const dirent* entry = ::readdir(listing)) {
        std::string name = entry->d_name;
        if (!Matches(pattern, name))
            continue;
        struct stat info {};
        bool isDirectory =
            ::stat((directory + "/" + name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        entries.push_back({name, isDirectory});
    }
    ::closedir(listing);
    std::sort(entries.begin(), entries.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
    return entries;
}

bool MakeDirectory(const std::string& path) {
    return ::mkdir(NativePath(path).c_str(), 0777) == 0;
}

bool RemoveFile(const std::string& path) {
    std::string native = NativePath(path);
    struct stat info {};
    if (::stat(native.c_str(), &info) == 0)
        ::chmod(native.c_str(), info.st_mode | S_IWUSR);
    return ::unlink(native.c_str()) == 0;
}

bool SetFileTimes(const std::string& path, std::int64_t modified, std::int64_t) {
    timespec times[2] = {{static_cast<time_t>(modified), 0}, {static_cast<time_t>(modified), 0}};
    return ::utimensat(AT_FDCWD, NativePath(path).c_str(), times, 0) == 0;
}

} // namespace platform
