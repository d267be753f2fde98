#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The file system with the plug-in's backslash paths. The native backend maps
// "\" to "/" at the system call.
namespace platform {

// Share modes of the C runtime's _sopen.
constexpr int kShareDenyReadWrite = 0x10;
constexpr int kShareDenyWrite = 0x20;
constexpr int kShareDenyNone = 0x40;

struct OpenMode {
    bool write = false;
    bool create = false;
    bool truncate = false;
    bool append = false;
    bool text = false;
};

// C runtime descriptors: -1 when the open fails; counts are -1 on error.
int OpenDescriptor(const std::string& path, const OpenMode& mode, int share);
int ReadDescriptor(int descriptor, void* buffer, unsigned count);
int WriteDescriptor(int descriptor, const void* buffer, unsigned count);
// origin is SEEK_SET, SEEK_CUR or SEEK_END; -1 on error.
std::int64_t SeekDescriptor(int descriptor, std::int64_t offset, int origin);
bool CloseDescriptor(int descriptor);

// Times are calendar seconds since 1970 (UTC).
struct PathStatus {
    bool isDirectory = false;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    std::int64_t created = 0;
    std::int64_t accessed = 0;
};
std::optional<PathStatus> StatPath(const std::string& path);

struct DirectoryEntry {
    std::string name;
    bool isDirectory = false;
};
// Entries matching "directory\pattern" (wildcards "*" and "?", case-insensitive),
// "." and ".." included where the system lists them.
std::vector<DirectoryEntry> FindEntries(const std::string& searchPath);

bool MakeDirectory(const std::string& path);
// Clears the read-only, hidden and system attributes, then deletes the file.
bool RemoveFile(const std::string& path);
// Sets the modification and creation times where the system keeps them.
bool SetFileTimes(const std::string& path, std::int64_t modified, std::int64_t created);

} // namespace platform
