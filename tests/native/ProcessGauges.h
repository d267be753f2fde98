#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>
#else
#include <dirent.h>

#include <fstream>
#endif

// What a long run must not grow: memory, threads, handles (file descriptors
// natively) and, on Windows, window-system objects.
struct ProcessGauges {
    std::size_t memoryBytes = 0; // the working set: the resident bytes
    std::size_t threads = 0;
    std::size_t handles = 0;
    std::size_t windowObjects = 0; // GDI and USER objects

    static ProcessGauges Read() {
        ProcessGauges gauges;
#if defined(_WIN32)
        PROCESS_MEMORY_COUNTERS memory{};
        memory.cb = sizeof memory;
        ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof memory);
        gauges.memoryBytes = memory.WorkingSetSize;
        DWORD handles = 0;
        ::GetProcessHandleCount(::GetCurrentProcess(), &handles);
        gauges.handles = handles;
        gauges.windowObjects = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS) +
                               ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
        HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
        THREADENTRY32 thread{};
        thread.dwSize = sizeof thread;
        for (BOOL more = ::Thread32First(snapshot, &thread); more;
             more = ::Thread32Next(snapshot, &thread))
            gauges.threads += thread.th32OwnerProcessID == ::GetCurrentProcessId() ? 1 : 0;
        ::CloseHandle(snapshot);
#else
        std::ifstream statm("/proc/self/statm");
        std::size_t pages = 0, resident = 0;
        statm >> pages >> resident;
        gauges.memoryBytes = resident * 4096;
        gauges.threads = Entries("/proc/self/task");
        gauges.handles = Entries("/proc/self/fd");
#endif
        return gauges;
    }

private:
#if !defined(_WIN32)
    static std::size_t Entries(const char* directory) {
        std::size_t count = 0;
        if (DIR* listing = opendir(directory)) {
            while (const dirent* entry = readdir(listing))
                count += entry->d_name[0] != '.' ? 1 : 0;
            closedir(listing);
        }
        return count;
    }
#endif
};
