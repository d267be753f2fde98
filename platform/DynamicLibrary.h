#pragma once

#include <memory>
#include <string>

namespace platform {

// A loaded dynamic library (LoadLibraryA natively dlopen); unloaded with the object.
class DynamicLibrary {
public:
    virtual ~DynamicLibrary() = default;
    // The address of an exported name, or null.
    virtual void* Symbol(const std::string& name) const = 0;
};

// Whether the platform's search for a library file finds the name (Windows:
// SearchPathA; natively the current directory, then the program's directory).
// The full path found, or "" when there is none.
std::string FindLibraryFile(const std::string& fileName);
// Loads a library by path; null when it cannot be loaded.
std::unique_ptr<DynamicLibrary> LoadDynamicLibrary(const std::string& path);

} // namespace platform
