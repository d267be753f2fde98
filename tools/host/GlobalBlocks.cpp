#include "tools/host/GlobalBlocks.h"

#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include "platform/posix/HostGlobalBlock.h"
#endif

namespace hostblocks {

#if defined(_WIN32)
std::vector<std::uint8_t> TakeBlock(void* block) {
    std::vector<std::uint8_t> bytes;
    if (block == nullptr)
        return bytes;
    if (const void* data = ::GlobalLock(block)) {
        bytes.assign(static_cast<const std::uint8_t*>(data),
                     static_cast<const std::uint8_t*>(data) + ::GlobalSize(block));
        ::GlobalUnlock(block);
    }
    ::GlobalFree(block);
    return bytes;
}

void* NewBlock(const std::vector<std::uint8_t>& bytes) {
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes.empty() ? 1 : bytes.size());
    if (block == nullptr)
        return nullptr;
    if (void* data = ::GlobalLock(block)) {
        std::memcpy(data, bytes.data(), bytes.size());
        ::GlobalUnlock(block);
    }
    return block;
}

void FreeBlock(void* block) {
    if (block != nullptr)
        ::GlobalFree(block);
}
#else
std::vector<std::uint8_t> TakeBlock(void* block) {
    std::vector<std::uint8_t> bytes;
    hostblock::Header* header = hostblock::HeaderOf(block);
    if (header == nullptr)
        return bytes;
    const auto* data = static_cast<const std::uint8_t*>(hostblock::Lock(block));
    bytes.assign(data, data + header->size);
    hostblock::Unlock(block);
    hostblock::Free(block);
    return bytes;
}

void* NewBlock(const std::vector<std::uint8_t>& bytes) {
    void* block = hostblock::Alloc(bytes.empty() ? 1 : bytes.size());
    if (void* data = hostblock::Lock(block)) {
        std::memcpy(data, bytes.data(), bytes.size());
        hostblock::Unlock(block);
    }
    return block;
}

void FreeBlock(void* block) {
    hostblock::Free(block);
}
#endif

} // namespace hostblocks
