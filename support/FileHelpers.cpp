#include "support/FileHelpers.h"

#include <cctype>
#include <new>

#include "platform/FileSystem.h"
#include "platform/LocalTime.h"
#include "support/LastError.h"
#include "support/TextFormat.h"

namespace ksp {

namespace {

bool IsDotEntry(const std::string& name) {
    return name == "." || name == "..";
}

bool IsBareDrive(const std::string& path) {
    return (path.size() == 2 && path[1] == ':') ||
           (path.size() == 3 && path[1] == ':' && path[2] == '\\');
}

// "\\server\share" with nothing after the share name.
bool IsShareRoot(const std::string& path) {
    if (path.size() < 3 || path.compare(0, 2, "\\\\") != 0)
        return false;
    std::size_t shareStart = path.find('\\', 2);
    if (shareStart == std::string::npos)
        return false;
    std::size_t shareEnd = path.find('\\', shareStart + 1);
    return shareEnd == std::string::npos || shareEnd == path.size() - 1;
}

// Length of the drive or server-and-share prefix; 0 without one.
std::size_t RootLength(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':')
        return 2;
    if (path.compare(0, 2, "\\\\") != 0)
        return 0;
    std::size_t shareStart = path.find('\\', 2);
    if (shareStart == std::string::npos)
        return path.size();
    std::size_t shareEnd = path.find('\\', shareStart + 1);
    return shareEnd == std::string::npos ? path.size() : shareEnd;
}

bool IsSafeCharacter(unsigned char c) {
    return c < 128 && (std::isalnum(c) || c == '-' || c == '~');
}

std::string FilePath(const std::string& directory, const std::string& name,
                     const std::string& extension) {
    return extension.empty() ? directory + "\\" + name : directory + "\\" + name + "." + extension;
}

} // namespace

std::unique_ptr<char[]> ReadWholeFile(const std::string& path, std::uint32_t& size) {
    size = GetFileSize(path);
    if (size == 0) {
        SetLastErrorText(FileExists(path) ? "The file was empty" : "The file did not exist");
        return nullptr;
    }
    std::unique_ptr<char[]> data(new (std::nothrow) char[std::size_t{size} + 1]);
    if (!data) {
        SetLastErrorText("Out of memory.");
        return nullptr;
    }
    data[size] = '\0';
    int descriptor = platform::OpenDescriptor(path, {}, platform::kShareDenyReadWrite);
    if (descriptor < 0) {
        SetLastErrorText("The file could not be opened.");
        return nullptr;
    }
    int read = platform::ReadDescriptor(descriptor, data.get(), size);
    platform::CloseDescriptor(descriptor);
    if (read < 0 || static_cast<std::uint32_t>(read) < size) {
        SetLastErrorText("The entire file could not be read.");
        return nullptr;
    }
    return data;
}

bool FileExists(const std::string& path) {
    return !path.empty() && platform::StatPath(path).has_value();
}

std::uint32_t GetFileSize(const std::string& path) {
    auto status = platform::StatPath(path);
    return status ? static_cast<std::uint32_t>(status->size) : 0;
}

bool GetFileTimes(const std::string& path, std::int64_t* modified, std::int64_t* created,
                  std::int64_t* accessed) {
    auto status = platform::StatPath(path);
    if (!status)
        return false;
    if (modified != nullptr)
        *modified = status->modified;
    if (created != nullptr)
        *created = status->created;
    if (accessed != nullptr)
        *accessed = status->accessed;
    return true;
}

std::int64_t GetModifiedTime(const std::string& path) {
    std::int64_t time = 0;
    return GetFileTimes(path, &time, nullptr, nullptr) ? time : 0;
}

std::int64_t GetCreatedTime(const std::string& path) {
    std::int64_t time = 0;
    return GetFileTimes(path, nullptr, &time, nullptr) ? time : 0;
}

bool DirectoryExists(const std::string& path) {
    if (path.empty())
        return false;
    if (IsBareDrive(path) || IsShareRoot(path))
        return true;
    auto status = platform::StatPath(path);
    return status && status->isDirectory;
}

bool CreateDirectoryTree(const std::string& path) {
    std::string full = RemoveTrailingBackslashes(path);
    if (full.empty())
        return false;
    std::size_t at = RootLength(full);
    std::string current = full.substr(0, at);
    while (at < full.size()) {
        if (full[at] == '\\') {
            current += '\\';
            ++at;
            continue;
        }
        std::size_t end = full.find('\\', at);
        if (end == std::string::npos)
            end = full.size();
        current += full.substr(at, end - at);
        at = end;
        // Another process may create it between the test and the call.
        if (!DirectoryExists(current) && !platform::MakeDirectory(current) &&
            !DirectoryExists(current))
            return false;
    }
    return DirectoryExists(current);
}

void SplitPath(const std::string& path, std::string& fileName, std::string& directory) {
    std::size_t slash = path.rfind('\\');
    if (slash == std::string::npos) {
        fileName = path;
        directory.clear();
        return;
    }
    std::string name = path.substr(slash + 1);
    directory = path.substr(0, slash);
    fileName = std::move(name);
}

std::string RemoveTrailingBackslashes(std::string text) {
    while (!text.empty() && text.back() == '\\')
        text.pop_back();
    return text;
}

std::string CollapseCurrentDirectory(std::string text) {
    for (std::size_t at = text.find("\\.\\"); at != std::string::npos; at = text.find("\\.\\", at))
        text.erase(at, 2);
    return text;
}

std::string MakeSafeFileName(const std::string& text, bool keepSpaces, bool keepDots) {
    std::string safe;
    safe.reserve(text.size());
    for (unsigned char c : text) {
        if (IsSafeCharacter(c) || (c == ' ' && keepSpaces) || (c == '.' && keepDots))
            safe += static_cast<char>(c);
        else
            safe += '_';
    }
    if (safe.empty())
        safe = FormatText("%lx", static_cast<unsigned long>(platform::CalendarNow()));
    return safe;
}

std::string MakeUniqueFilePath(const std::string& directory, const std::string& name,
                               const std::string& extension) {
    std::string safe = MakeSafeFileName(name, true, true);
    std::string path = FilePath(directory, safe, extension);
    for (unsigned long n = 2; FileExists(path); ++n)
        path = FilePath(directory, FormatText("%s_%lu", safe.c_str(), n), extension);
    return path;
}

std::size_t ListFiles(const std::string& directory, const std::string& pattern,
                      std::vector<std::string>& files, bool includeDirectories, bool clearFirst) {
    if (clearFirst)
        files.clear();
    for (const platform::DirectoryEntry& entry :
         platform::FindEntries(directory + "\\" + pattern)) {
        if (IsDotEntry(entry.name) || (entry.isDirectory && !includeDirectories))
            continue;
        files.push_back(directory + "\\" + entry.name);
    }
    return files.size();
}

namespace {
// Deep enough for any real tree, shallow enough to stop a link that loops.
constexpr int kMaxListingDepth = 64;

void ListBelow(const std::string& directory, const std::string& pattern,
               std::vector<std::string>& files, bool includeDirectories, int depth) {
    ListFiles(directory, pattern, files, includeDirectories, false);
    if (depth >= kMaxListingDepth)
        return;
    for (const platform::DirectoryEntry& entry : platform::FindEntries(directory + "\\*.*")) {
        if (entry.isDirectory && !IsDotEntry(entry.name))
            ListBelow(directory + "\\" + entry.name, pattern, files, includeDirectories, depth + 1);
    }
}
} // namespace

std::size_t ListFilesRecursive(const std::string& directory, const std::string& pattern,
                               std::vector<std::string>& files, bool includeDirectories,
                               bool clearFirst) {
    if (clearFirst)
        files.clear();
    ListBelow(directory, pattern, files, includeDirectories, 0);
    return files.size();
}

void SortFilesByTime(std::vector<std::string>& files, bool newestFirst, bool byModified) {
    std::vector<std::int64_t> keys;
    keys.reserve(files.size());
    for (const std::string& file : files)
        keys.push_back(byModified ? GetModifiedTime(file) : GetCreatedTime(file));
    auto outOfOrder = [&](std::size_t i) {
        return newestFirst ? keys[i] < keys[i + 1] : keys[i] > keys[i + 1];
    };
    // Adjacent exchanges only, never of equal keys: files of equal time keep their order.
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (std::size_t i = 0; i + 1 < files.size(); ++i) {
            if (outOfOrder(i)) {
                std::swap(keys[i], keys[i + 1]);
                std::swap(files[i], files[i + 1]);
                swapped = true;
            }
        }
    }
}

bool DeleteFile(const std::string& path) {
    if (!FileExists(path))
        return true;
    return platform::RemoveFile(path);
}

std::uint64_t GetDirectorySize(const std::string& path, std::uint64_t directoryCost) {
    std::uint64_t total = directoryCost;
    for (const platform::DirectoryEntry& entry : platform::FindEntries(path + "\\*.*")) {
        if (IsDotEntry(entry.name))
            continue;
        std::string child = path + "\\" + entry.name;
        if (entry.isDirectory) {
            total += GetDirectorySize(child, directoryCost);
        } else if (auto status = platform::StatPath(child)) {
            total += status->size;
        }
    }
    return total;
}

} // namespace ksp
