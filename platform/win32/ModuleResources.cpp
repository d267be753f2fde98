#include "platform/ModuleResources.h"

#include "platform/win32/ThisModule.h"

namespace platform {

bool FindBitmapResource(int id, ResourceBytes& bytes, unsigned long& error) {
    HMODULE module = ThisModule();
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2)); // RT_BITMAP
    if (found == nullptr) {
        error = ::GetLastError();
        return false;
    }
    HGLOBAL loaded = ::LoadResource(module, found);
    const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (data == nullptr) {
        error = ::GetLastError();
        return false;
    }
    // Resource memory lives as long as the module; FreeResource is a no-op.
    bytes = {static_cast<const std::uint8_t*>(data), ::SizeofResource(module, found)};
    return true;
}

} // namespace platform
