#include "platform/Environment.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

namespace platform {

std::string ComputerName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

std::string SystemDirectory() {
    return "/usr/lib";
}

std::string ModulePath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ModulePath), &info) == 0 || info.dli_fname == nullptr)
        return {};
    return info.dli_fname;
}

std::string HostProgramPath() {
    char path[PATH_MAX] = {};
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

} // namespace platform
