#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// File helpers over the plug-in's backslash paths. Failures of ReadWholeFile
// leave their reason in lastErrorText.
namespace ksp {

// The whole file followed by a zero byte; null on failure. size receives the file size.
std::unique_ptr<char[]> ReadWholeFile(const std::string& path, std::uint32_t& size);
// An existing file or directory; false for an empty path.
bool FileExists(const std::string& path);
// 0 when the path cannot be examined.
std::uint32_t GetFileSize(const std::string& path);
// Calendar times in seconds; each output may be null.
bool GetFileTimes(const std::string& path, std::int64_t* modified, std::int64_t* created,
                  std::int64_t* accessed);
std::int64_t GetModifiedTime(const std::string& path);
std::int64_t GetCreatedTime(const std::string& path);

bool DirectoryExists(const std::string& path);
bool CreateDirectoryTree(const std::string& path);
// At the last backslash; without one the whole path is the file name.
void SplitPath(const std::string& path, std::string& fileName, std::string& directory);
std::string RemoveTrailingBackslashes(std::string text);
// Every "\.\" becomes "\".
std::string CollapseCurrentDirectory(std::string text);
// Letters, digits, "-" and "~" stay, every other byte becomes "_"; an empty
// result becomes the calendar time in hexadecimal.
std::string MakeSafeFileName(const std::string& text, bool keepSpaces, bool keepDots);
// "dir\name.ext", or the first free "dir\name_N.ext" from N = 2. Nothing is created.
std::string MakeUniqueFilePath(const std::string& directory, const std::string& name,
                               const std::string& extension);

// Full paths of the entries of directory matching pattern, appended to files.
// Both return the number of paths the list then holds.
std::size_t ListFiles(const std::string& directory, const std::string& pattern,
                      std::vector<std::string>& files, bool includeDirectories, bool clearFirst);
std::size_t ListFilesRecursive(const std::string& directory, const std::string& pattern,
                               std::vector<std::string>& files, bool includeDirectories,
                               bool clearFirst);
// Stable by modification or creation time; unreadable times count as 0.
void SortFilesByTime(std::vector<std::string>& files, bool newestFirst, bool byModified);
// True when the file is gone afterwards; read-only files are deleted too.
bool DeleteFile(const std::string& path);
// Sizes of all files below path, plus directoryCost for every directory, path included.
std::uint64_t GetDirectorySize(const std::string& path, std::uint64_t directoryCost);

} // namespace ksp
