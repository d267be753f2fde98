#include "platform/Environment.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <dlfcn.h>
#include <fstream>
#include <iterator>
#include <limits.h>
#include <netdb.h>
#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

constexpr std::size_t kHostNameBufferSize = 128;

std::string BackslashPath(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

} // namespace

std::vector<std::string> EnvironmentEntries() {
    std::vector<std::string> entries;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry)
        entries.emplace_back(*entry);
    return entries;
}

std::string ComputerName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

std::string UserName() {
    const passwd* user = ::getpwuid(::geteuid());
    return user != nullptr && user->pw_name != nullptr ? user->pw_name : "";
}

std::optional<std::vector<std::string>> LookUpHostAddresses() {
    char hostName[kHostNameBufferSize] = {};
    if (::gethostname(hostName, sizeof hostName - 1) != 0)
        return std::nullopt;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    if (::getaddrinfo(hostName, nullptr, &hints, &found) != 0)
        return std::nullopt;
    std::vector<std::string> addresses;
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        char text[INET_ADDRSTRLEN] = {};
        const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
        if (::inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) != nullptr)
            addresses.emplace_back(text);
    }
    ::freeaddrinfo(found);
    return addresses;
}

// The kernel release numbers; there is no platform identifier on POSIX.
OsVersion OperatingSystemVersion() {
    utsname name{};
    OsVersion version;
    if (::uname(&name) == 0)
        std::sscanf(name.release, "%lu.%lu.%lu", &version.major, &version.minor, &version.build);
    return version;
}

std::vector<std::string> CommandLineArguments() {
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> arguments;
    for (std::size_t start = 0; start < all.size();) {
        std::size_t end = all.find('\0', start);
        if (end == std::string::npos)
            end = all.size();
        arguments.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    if (!arguments.empty())
        arguments.front() = BackslashPath(arguments.front());
    return arguments;
}

std::string SystemDirectory() {
    return "\\usr\\lib";
}

std::string ModulePath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ModulePath), &info) == 0 || info.dli_fname == nullptr)
        return {};
    char resolved[PATH_MAX] = {};
    if (::realpath(info.dli_fname, resolved) == nullptr)
        return BackslashPath(info.dli_fname);
    return BackslashPath(resolved);
}

} // namespace platform
