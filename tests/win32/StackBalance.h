#pragma once

// Calls fn with count 32-bit arguments as a host would and returns how many
// bytes the callee left on the stack: 0 for a correct __stdcall export.
inline int CallAndMeasureStack(void* fn, const unsigned* args, int count) {
    int imbalance;
    asm volatile("movl %[count], %%ecx\n\t"
                 "movl %%esp, %%esi\n\t"
                 "1:\n\t"
                 "testl %%ecx, %%ecx\n\t"
                 "jz 2f\n\t"
                 "pushl -4(%%edi,%%ecx,4)\n\t"
                 "decl %%ecx\n\t"
                 "jmp 1b\n\t"
                 "2:\n\t"
                 "call *%%ebx\n\t"
                 "movl %%esi, %%eax\n\t"
                 "subl %%esp, %%eax\n\t"
                 "movl %%esi, %%esp\n\t"
                 : "=&a"(imbalance)
                 : "b"(fn), "D"(args), [count] "m"(count)
                 : "ecx", "edx", "esi", "memory", "cc");
    return imbalance;
}
