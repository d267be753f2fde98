#pragma once

#include <malloc.h>

// Benchmarks allocate frame-sized results afresh. glibc raises its threshold
// for mapping a block of its own only after the first such block is freed, so
// until then each result costs a page fault per page, and which benchmark paid
// for that depended on the order they ran in. Kept on the heap from the
// start, every benchmark reuses freed blocks alike.
inline bool KeepFrameSizedBlocksOnTheHeap() {
    constexpr int kLargestBlock = 64 << 20;
    return mallopt(M_MMAP_THRESHOLD, kLargestBlock) == 1 &&
           mallopt(M_TRIM_THRESHOLD, 2 * kLargestBlock) == 1;
}
