#pragma once

#include <windows.h>

namespace platform {

// The module that holds this code: the plug-in DLL, or a test program.
inline HMODULE ThisModule() {
    static const char anchor = 0;
    HMODULE module = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         &anchor, &module);
    return module;
}

} // namespace platform
