#pragma once

#include <string>

namespace platform {

std::string ComputerName();
std::string SystemDirectory();
// Full path of the plug-in module itself (the DLL or shared object).
std::string ModulePath();
// Full path of the host program.
std::string HostProgramPath();

} // namespace platform
