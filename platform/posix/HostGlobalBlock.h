#pragma once

// Layout of a native global-memory block. Header-only and built on the C
// library's allocator so that a host and the plug-in, compiled separately,
// lock and free each other's blocks.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace hostblock {

constexpr std::uint32_t kMagic = 0x474C4F42; // "GLOB"

struct Header {
    std::uint32_t magic;
    std::uint32_t lockCount;
    std::size_t size;
};

inline Header* HeaderOf(void* handle) {
    auto* header = static_cast<Header*>(handle);
    return header != nullptr && header->magic == kMagic ? header : nullptr;
}

inline void* Alloc(std::size_t size) {
    if (size == 0 || size > SIZE_MAX - sizeof(Header))
        return nullptr;
    auto* header = static_cast<Header*>(std::calloc(1, sizeof(Header) + size));
    if (header == nullptr)
        return nullptr;
    header->magic = kMagic;
    header->size = size;
    return header;
}

inline void* Lock(void* handle) {
    Header* header = HeaderOf(handle);
    if (header == nullptr)
        return nullptr;
    ++header->lockCount;
    return header + 1;
}

inline void Unlock(void* handle) {
    Header* header = HeaderOf(handle);
    if (header != nullptr && header->lockCount > 0)
        --header->lockCount;
}

inline std::size_t Size(void* handle) {
    Header* header = HeaderOf(handle);
    return header == nullptr ? 0 : header->size;
}

inline void Free(void* handle) {
    Header* header = HeaderOf(handle);
    if (header == nullptr)
        return;
    header->magic = 0;
    std::free(header);
}

} // namespace hostblock
