#include "platform/GlobalMemory.h"

#include <windows.h>

namespace platform {

GlobalHandle GlobalAllocZeroed(std::size_t size) {
    return size == 0 ? nullptr : ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
}
void* GlobalLockBlock(GlobalHandle block) {
    return block == nullptr ? nullptr : ::GlobalLock(static_cast<HGLOBAL>(block));
}
void GlobalUnlockBlock(GlobalHandle block) {
    if (block != nullptr)
        ::GlobalUnlock(static_cast<HGLOBAL>(block));
}
std::size_t GlobalBlockSize(GlobalHandle block) {
    return block == nullptr ? 0 : ::GlobalSize(static_cast<HGLOBAL>(block));
}
void GlobalFreeBlock(GlobalHandle block) {
    if (block != nullptr)
        ::GlobalFree(static_cast<HGLOBAL>(block));
}

} // namespace platform
