#pragma once

#include <string>
#include <vector>

struct tagKSPEnvVar {
    std::string name;
    std::string value;
};

// A snapshot of the process environment, in the order of the environment block.
class CKSPEnvironment {
public:
    CKSPEnvironment();
    const std::vector<tagKSPEnvVar>& Variables() const { return variables_; }
    // Exact, case-sensitive name; "" when absent.
    std::string Value(const std::string& name) const;

private:
    std::vector<tagKSPEnvVar> variables_;
};

// Facts about the machine, the user and the process, cached where noted.
namespace ksp {

std::string GetEnvironmentValue(const std::string& name);
// The directory of the first argument, "C:\" without arguments (cached).
std::string GetHostDirectory();
std::string HostDirectoryFromArguments(const std::vector<std::string>& arguments);
std::string GetLibraryDirectory();
std::string GetLibraryPath();
// CLIENTNAME, "" for a local console (cached).
std::string GetClientName();
std::string ClientNameFromValue(const std::string& value);
std::string GetComputerName(bool preferClient);
std::string GetUserName();
std::string GetIPAddress();

} // namespace ksp
