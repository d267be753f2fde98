#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The version resource of a program file, queried by sub-block path
// ("\StringFileInfo\040904B0\ProductVersion", "\VarFileInfo\Translation").
class VersionResource {
public:
    virtual ~VersionResource() = default;
    virtual std::optional<std::string> QueryText(const std::string& subBlock) const = 0;
    // Empty when the value is missing.
    virtual std::vector<std::uint8_t> QueryBytes(const std::string& subBlock) const = 0;
};

// Null when the file has no version resource.
std::unique_ptr<VersionResource> LoadVersionResource(const std::string& path);

} // namespace platform
