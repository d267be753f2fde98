#include "platform/Environment.h"

#include <windows.h>

namespace platform {

namespace {
HMODULE ThisModule() {
    HMODULE module = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

std::string ModuleFileName(HMODULE module) {
    char path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameA(module, path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
}
} // namespace

std::string ComputerName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    return ::GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}

std::string SystemDirectory() {
    char path[MAX_PATH] = {};
    UINT length = ::GetSystemDirectoryA(path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
}

std::string ModulePath() {
    return ModuleFileName(ThisModule());
}
std::string HostProgramPath() {
    return ModuleFileName(nullptr);
}

} // namespace platform
