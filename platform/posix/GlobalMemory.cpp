#include "platform/GlobalMemory.h"
#include "platform/posix/HostGlobalBlock.h"

namespace platform {

GlobalHandle GlobalAllocZeroed(std::size_t size) {
    return hostblock::Alloc(size);
}
void* GlobalLockBlock(GlobalHandle block) {
    return hostblock::Lock(block);
}
void GlobalUnlockBlock(GlobalHandle block) {
    hostblock::Unlock(block);
}
std::size_t GlobalBlockSize(GlobalHandle block) {
    return hostblock::Size(block);
}
void GlobalFreeBlock(GlobalHandle block) {
    hostblock::Free(block);
}

} // namespace platform
