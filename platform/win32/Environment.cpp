#include "platform/Environment.h"

#include <cstring>

// winsock2.h must come before windows.h, shellapi.h after it.
#include <winsock2.h>

#include <windows.h>

#include <shellapi.h>

#include "platform/win32/ThisModule.h"

namespace platform {

namespace {

constexpr DWORD kNameBufferSize = 1024;
constexpr int kHostNameBufferSize = 128;

std::string AnsiText(const wchar_t* text) {
    int size = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string result(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, result.data(), size, nullptr, nullptr);
    result.resize(static_cast<std::size_t>(size - 1));
    return result;
}

} // namespace

std::vector<std::string> EnvironmentEntries() {
    std::vector<std::string> entries;
    char* block = ::GetEnvironmentStringsA();
    if (block == nullptr)
        return entries;
    for (const char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1)
        entries.emplace_back(entry);
    ::FreeEnvironmentStringsA(block);
    return entries;
}

std::string ComputerName() {
    char name[kNameBufferSize] = {};
    DWORD size = kNameBufferSize;
    return ::GetComputerNameA(name, &size) ? std::string(name) : std::string();
}

std::string UserName() {
    char name[kNameBufferSize] = {};
    DWORD size = kNameBufferSize;
    return ::GetUserNameA(name, &size) ? std::string(name) : std::string();
}

// The host process starts the socket layer; without it both calls fail.
std::optional<std::vector<std::string>> LookUpHostAddresses() {
    char hostName[kHostNameBufferSize] = {};
    if (::gethostname(hostName, kHostNameBufferSize) != 0)
        return std::nullopt;
    const hostent* host = ::gethostbyname(hostName);
    if (host == nullptr)
        return std::nullopt;
    std::vector<std::string> addresses;
    if (host->h_addrtype == AF_INET) {
        for (char** address = host->h_addr_list; *address != nullptr; ++address) {
            in_addr value{};
            std::memcpy(&value, *address, sizeof value);
            addresses.emplace_back(::inet_ntoa(value));
        }
    }
    return addresses;
}

OsVersion OperatingSystemVersion() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!::GetVersionExA(&info))
        return {};
    return {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.dwPlatformId};
}

std::vector<std::string> CommandLineArguments() {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** list = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (list == nullptr)
        return arguments;
    for (int i = 0; i < count; ++i)
        arguments.push_back(AnsiText(list[i]));
    ::LocalFree(list);
    return arguments;
}

std::string SystemDirectory() {
    char path[MAX_PATH] = {};
    UINT length = ::GetSystemDirectoryA(path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
}

std::string ModulePath() {
    char path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameA(ThisModule(), path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
}

} // namespace platform
