#pragma once

#include <cstdint>
#include <vector>

// Global-memory blocks as the plug-in hands them over: GlobalAlloc blocks in
// the Windows build, the C-library blocks of the native plug-in otherwise.
namespace hostblocks {

// The block's bytes; the block itself is freed.
std::vector<std::uint8_t> TakeBlock(void* block);
// A new movable block holding the bytes; the caller frees it with FreeBlock.
void* NewBlock(const std::vector<std::uint8_t>& bytes);
void FreeBlock(void* block);

} // namespace hostblocks
