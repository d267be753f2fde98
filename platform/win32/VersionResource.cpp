#include "platform/VersionResource.h"

#include <windows.h>

namespace platform {

namespace {

// The resource data lives in a movable global block, locked for its lifetime.
class Win32VersionResource : public VersionResource {
public:
    explicit Win32VersionResource(HGLOBAL block) : block_(block), data_(::GlobalLock(block)) {}
    ~Win32VersionResource() override {
        ::GlobalUnlock(block_);
        ::GlobalFree(block_);
    }
    Win32VersionResource(const Win32VersionResource&) = delete;
    Win32VersionResource& operator=(const Win32VersionResource&) = delete;

    void* Data() const { return data_; }

    std::optional<std::string> QueryText(const std::string& subBlock) const override {
        void* value = nullptr;
        UINT length = 0;
        if (!Query(subBlock, value, length))
            return std::nullopt;
        const char* text = static_cast<const char*>(value);
        return std::string(text, strnlen(text, length));
    }

    std::vector<std::uint8_t> QueryBytes(const std::string& subBlock) const override {
        void* value = nullptr;
        UINT length = 0;
        if (!Query(subBlock, value, length))
            return {};
        const auto* bytes = static_cast<const std::uint8_t*>(value);
        return std::vector<std::uint8_t>(bytes, bytes + length);
    }

private:
    bool Query(const std::string& subBlock, void*& value, UINT& length) const {
        return data_ != nullptr &&
               ::VerQueryValueA(data_, subBlock.c_str(), &value, &length) != 0 && value != nullptr;
    }

    HGLOBAL block_;
    void* data_;
};

} // namespace

std::unique_ptr<VersionResource> LoadVersionResource(const std::string& path) {
    DWORD handle = 0;
    DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0)
        return nullptr;
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (block == nullptr)
        return nullptr;
    auto resource = std::make_unique<Win32VersionResource>(block);
    if (resource->Data() == nullptr ||
        !::GetFileVersionInfoA(path.c_str(), 0, size, resource->Data()))
        return nullptr;
    return resource;
}

} // namespace platform
