#include "support/Environment.h"

#include <algorithm>
#include <cctype>
#include <mutex>

#include "platform/Environment.h"
#include "support/FileHelpers.h"
#include "support/TextCase.h"

namespace {

std::string DirectoryPart(const std::string& path) {
    std::size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// A name the system could not give is asked for again on the next use.
class RetriedName {
public:
    explicit RetriedName(std::string (*query)()) : query_(query) {}
    std::string Get() {
        std::lock_guard lock(mutex_);
        if (value_.empty())
            value_ = query_();
        return value_;
    }

private:
    std::string (*query_)();
    std::mutex mutex_;
    std::string value_;
};

} // namespace

CKSPEnvironment::CKSPEnvironment() {
    for (const std::string& entry : platform::EnvironmentEntries()) {
        std::size_t equals = entry.find('=');
        if (equals == std::string::npos || equals == 0)
            continue;
        variables_.push_back({entry.substr(0, equals), entry.substr(equals + 1)});
    }
}

std::string CKSPEnvironment::Value(const std::string& name) const {
    for (const tagKSPEnvVar& variable : variables_) {
        if (variable.name == name)
            return variable.value;
    }
    return {};
}

namespace ksp {

std::string GetEnvironmentValue(const std::string& name) {
    return CKSPEnvironment().Value(name);
}

std::string HostDirectoryFromArguments(const std::vector<std::string>& arguments) {
    if (arguments.empty())
        return "C:\\";
    return CollapseCurrentDirectory(DirectoryPart(arguments.front()));
}

std::string GetHostDirectory() {
    static const std::string directory =
        HostDirectoryFromArguments(platform::CommandLineArguments());
    return directory;
}

std::string GetLibraryPath() {
    return platform::ModulePath();
}

std::string GetLibraryDirectory() {
    static const std::string directory = CollapseCurrentDirectory(DirectoryPart(GetLibraryPath()));
    return directory;
}

std::string ClientNameFromValue(const std::string& value) {
    return EqualsIgnoringCase(value, "Console") ? std::string() : value;
}

std::string GetClientName() {
    static const std::string name = ClientNameFromValue(GetEnvironmentValue("CLIENTNAME"));
    return name;
}

std::string GetComputerName(bool preferClient) {
    static RetriedName computerName(&platform::ComputerName);
    if (preferClient) {
        std::string client = GetClientName();
        if (!client.empty())
            return client;
    }
    return computerName.Get();
}

std::string GetUserName() {
    static RetriedName userName(&platform::UserName);
    return userName.Get();
}

std::string GetIPAddress() {
    auto addresses = platform::LookUpHostAddresses();
    if (!addresses)
        return "Unable to obtain host-by-name";
    if (addresses->empty())
        return "<Unknown IP Address>";
    return addresses->front();
}

} // namespace ksp
