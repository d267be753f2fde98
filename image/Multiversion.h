#pragma once

// Hot pixel loops get an AVX2 version chosen at run time where the toolchain
// can dispatch (ELF ifuncs); the Windows build stays on its SSE2 baseline. The
// sanitizers' runtimes are not ready when the loader runs the resolvers.
#if defined(__x86_64__) && defined(__linux__) && !defined(__clang__) &&                            \
    !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define TOVI_PIXEL_LOOP __attribute__((target_clones("avx2", "default")))
// Also with 512-bit vectors, for the pointwise steps' arithmetic on doubles
// (GCC fails on some convolution loops with them).
#define TOVI_WIDE_PIXEL_LOOP __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
// A loop for processors with fused multiply-add, called where CpuHasFma().
#define TOVI_FMA_LOOP __attribute__((target_clones("arch=x86-64-v4", "arch=haswell", "default")))
#define TOVI_HAS_FMA_LOOPS 1
inline bool CpuHasFma() {
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return has;
}
#else
#define TOVI_PIXEL_LOOP
#define TOVI_WIDE_PIXEL_LOOP
#define TOVI_HAS_FMA_LOOPS 0
#endif
