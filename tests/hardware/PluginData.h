#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "support/FileHelpers.h"
#include "tests/support/TestFiles.h"

namespace plugin_data {

// The project's resources folder as the test program reaches it.
inline std::string ResourcesDirectory() {
    return testing_files::PluginPath(TOVI_RESOURCES);
}

inline std::string ReadResource(const std::string& name) {
    std::uint32_t size = 0;
    std::unique_ptr<char[]> text = ksp::ReadWholeFile(ResourcesDirectory() + "\\" + name, size);
    return text ? std::string(text.get(), size) : std::string();
}

// What an installation puts into the plug-in data directory: the shipped
// "settings.xml" and the Devices folder.
inline bool Install(const std::string& dataDirectory) {
    std::string settings = ReadResource("settings.xml");
    return !settings.empty() &&
           testing_files::WriteFile(dataDirectory + "\\settings.xml", settings) &&
           ksp::CreateDirectoryTree(dataDirectory + "\\Devices");
}

} // namespace plugin_data
