#pragma once

#include <cstdint>
#include <string>

namespace platform {
class VersionResource;
}

// The four parts of a product version; all zero when none is known.
struct FileVersionNumber {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    std::uint32_t revision = 0;
};

namespace ksp {

// ProductVersion of the English block, else of the first translation; "" when none.
std::string ProductVersionOf(const platform::VersionResource& resource);
std::string GetProductVersionString(const std::string& path);
// Words of the version text into parts; three words fill the revision, not the build.
FileVersionNumber ParseVersionString(const std::string& text);
bool GetFileVersion(const std::string& path, FileVersionNumber& version);
// Fills "%s", "%d", "%v1" ... "%v4" and "%v" of the template with the version.
std::string FormatVersion(const FileVersionNumber& version, std::string templateText);
// The template filled with the file's version, or "<Unknown Version>".
std::string FormatFileVersion(const std::string& path, const std::string& templateText);
std::string GetFileVersionText(const std::string& path);

} // namespace ksp
