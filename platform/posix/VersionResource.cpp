#include "platform/VersionResource.h"

#include "Version.h"
#include "platform/Environment.h"

namespace platform {

namespace {

// Native modules carry no version resource; the plug-in's own module answers
// with the version it was built as, the other files with none.
class BuiltInVersionResource : public VersionResource {
public:
    std::optional<std::string> QueryText(const std::string& subBlock) const override {
        if (subBlock == "\\StringFileInfo\\040904B0\\ProductVersion")
            return std::string(TOVI_VERSION_TEXT);
        return std::nullopt;
    }
    std::vector<std::uint8_t> QueryBytes(const std::string& subBlock) const override {
        if (subBlock == "\\VarFileInfo\\Translation")
            return {0x09, 0x04, 0xB0, 0x04};
        return {};
    }
};

} // namespace

std::unique_ptr<VersionResource> LoadVersionResource(const std::string& path) {
    if (path.empty() || path != ModulePath())
        return nullptr;
    return std::make_unique<BuiltInVersionResource>();
}

} // namespace platform
