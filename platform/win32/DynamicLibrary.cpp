#include "platform/DynamicLibrary.h"

#include <windows.h>

namespace platform {

namespace {

class LoadedModule : public DynamicLibrary {
public:
    explicit LoadedModule(HMODULE module) : module_(module) {}
    ~LoadedModule() override { FreeLibrary(module_); }
    void* Symbol(const std::string& name) const override {
        return reinterpret_cast<void*>(GetProcAddress(module_, name.c_str()));
    }

private:
    HMODULE module_;
};

} // namespace

std::string FindLibraryFile(const std::string& fileName) {
    char path[MAX_PATH] = {};
    const DWORD length = SearchPathA(nullptr, fileName.c_str(), nullptr, MAX_PATH, path, nullptr);
    if (length == 0 || length >= MAX_PATH)
        return {};
    return std::string(path, length);
}

std::unique_ptr<DynamicLibrary> LoadDynamicLibrary(const std::string& path) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr)
        return nullptr;
    return std::make_unique<LoadedModule>(module);
}

} // namespace platform
