#pragma once

#include <optional>
#include <string>
#include <vector>

// Facts about the process and the machine. Paths come back in the plug-in's
// backslash form on every platform.
namespace platform {

// The process environment block, one "name=value" text per entry.
std::vector<std::string> EnvironmentEntries();
// Computer and user names; "" when the system cannot tell.
std::string ComputerName();
std::string UserName();
// Addresses of this host in dotted-decimal form, or nothing when the host name
// or its look-up fails.
std::optional<std::vector<std::string>> LookUpHostAddresses();

struct OsVersion {
    unsigned long major = 0;
    unsigned long minor = 0;
    unsigned long build = 0;
    unsigned long platformId = 0;
};
OsVersion OperatingSystemVersion();

// The process command line split into arguments by the platform's rules.
std::vector<std::string> CommandLineArguments();

std::string SystemDirectory();
// Full path of the module that holds this code (the DLL or shared object).
std::string ModulePath();

} // namespace platform
