#include "platform/DynamicLibrary.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

namespace platform {

namespace {

class SharedObject : public DynamicLibrary {
public:
    explicit SharedObject(void* handle) : handle_(handle) {}
    ~SharedObject() override { dlclose(handle_); }
    void* Symbol(const std::string& name) const override { return dlsym(handle_, name.c_str()); }

private:
    void* handle_;
};

std::string ProgramDirectory() {
    char path[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return {};
    std::string text(path, static_cast<std::size_t>(length));
    return text.substr(0, text.find_last_of('/'));
}

bool IsReadableFile(const std::string& path) {
    return access(path.c_str(), R_OK) == 0;
}

} // namespace

std::string FindLibraryFile(const std::string& fileName) {
    char current[PATH_MAX] = {};
    for (const std::string& directory :
         {std::string(getcwd(current, sizeof current) ? current : ""), ProgramDirectory()}) {
        if (directory.empty())
            continue;
        const std::string path = directory + "/" + fileName;
        if (IsReadableFile(path))
            return path;
    }
    return {};
}

std::unique_ptr<DynamicLibrary> LoadDynamicLibrary(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        return nullptr;
    return std::make_unique<SharedObject>(handle);
}

} // namespace platform
