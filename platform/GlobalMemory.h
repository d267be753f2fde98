#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {

// An opaque handle to a movable global-memory block, the HGLOBAL a host receives.
using GlobalHandle = void*;

// Allocates a zero-filled movable block; null when size is 0 or memory runs out.
GlobalHandle GlobalAllocZeroed(std::size_t size);
void* GlobalLockBlock(GlobalHandle block);
void GlobalUnlockBlock(GlobalHandle block);
std::size_t GlobalBlockSize(GlobalHandle block);
void GlobalFreeBlock(GlobalHandle block);

// A block that is freed unless it is released to its new owner.
struct GlobalBlockFree {
    void operator()(GlobalHandle block) const { GlobalFreeBlock(block); }
};
using OwnedGlobalBlock = std::unique_ptr<void, GlobalBlockFree>;

} // namespace platform
