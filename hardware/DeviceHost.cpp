#include "hardware/DeviceHost.h"

#include "support/Environment.h"

std::string DeviceHost::ModuleDirectory() const {
    return ksp::GetLibraryDirectory();
}
