#pragma once

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "support/BufferedFile.h"
#include "support/FileHelpers.h"

namespace testing_files {

// The plug-in's backslash form of a path of the test machine.
inline std::string PluginPath(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

inline std::string SystemPath(std::string path) {
#ifndef _WIN32
    std::replace(path.begin(), path.end(), '\\', '/');
#endif
    return path;
}

// A fresh directory below the system's temporary directory, removed afterwards.
class TempDirectory {
public:
    TempDirectory() {
        static std::atomic<unsigned> counter{0};
        auto base = std::filesystem::temp_directory_path();
        auto stamp = std::filesystem::file_time_type::clock::now().time_since_epoch().count();
        do {
            path_ = base / ("tovi-test-" + std::to_string(stamp % 1000000007) + "-" +
                            std::to_string(counter++));
        } while (std::filesystem::exists(path_));
        std::filesystem::create_directories(path_);
    }
    ~TempDirectory() {
        std::error_code ignored;
        for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    // Backslash path of the directory or of a name inside it.
    std::string Path() const { return PluginPath(path_.string()); }
    std::string Path(const std::string& name) const { return Path() + "\\" + name; }

private:
    std::filesystem::path path_;
};

inline bool WriteFile(const std::string& path, const std::string& content) {
    CKSPBufferedFile file;
    return file.OpenWrite(path) && file.WriteText(content) && file.CloseFile();
}

inline std::string ReadFile(const std::string& path) {
    std::uint32_t size = 0;
    auto data = ksp::ReadWholeFile(path, size);
    return data ? std::string(data.get(), size) : std::string();
}

// The lines of a file split at "\r\n".
inline std::vector<std::string> ReadLines(const std::string& path) {
    std::string text = ReadFile(path);
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

} // namespace testing_files
