#pragma once

// Hot pixel loops get an AVX2 version chosen at run time where the toolchain
// can dispatch (ELF ifuncs); the Windows build stays on its SSE2 baseline. The
// sanitizers' runtimes are not ready when the loader runs the resolvers.
#if defined(__x86_64__) && defined(__linux__) && !defined(__clang__) &&                            \
    !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define TOVI_PIXEL_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define TOVI_PIXEL_LOOP
#endif
