#pragma once

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/LocalTime.h"
#include "support/Environment.h"
#include "support/FileHelpers.h"
#include "tests/support/TestFiles.h"

namespace log_files {

// The name the next log file of a channel gets in the Logs directory beside the program.
inline std::string NextLogPath(const std::string& name, const std::string& extension) {
    std::tm now = platform::LocalTimeOf(platform::CalendarNow());
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d_%H%M%S", &now);
    std::string stem =
        ksp::MakeSafeFileName(ksp::GetComputerName(true) + "_" + name + "_" + stamp, false, false);
    return ksp::MakeUniqueFilePath(ksp::GetHostDirectory() + "\\Logs", stem, extension);
}

inline std::vector<std::string> LinesAfterHeader(const std::string& path) {
    std::vector<std::string> lines = testing_files::ReadLines(path);
    std::vector<std::string> texts;
    for (std::size_t i = std::min<std::size_t>(7, lines.size()); i < lines.size(); ++i)
        texts.push_back(lines[i].size() >= 15 ? lines[i].substr(15) : lines[i]);
    return texts;
}

// The files of the Logs directory beside the program with this extension.
inline std::vector<std::string> LogFiles(const std::string& extension) {
    std::vector<std::string> files;
    std::error_code ignored;
    const auto directory = testing_files::SystemPath(ksp::GetHostDirectory() + "\\Logs");
    for (const auto& entry : std::filesystem::directory_iterator(directory, ignored))
        if (entry.path().extension() == "." + extension)
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

// The lines of a log file that hold the prefix, from the prefix on.
inline std::vector<std::string> LinesStartingWith(const std::string& path,
                                                  const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& line : testing_files::ReadLines(path)) {
        const auto at = line.find(prefix);
        if (at != std::string::npos)
            found.push_back(line.substr(at));
    }
    return found;
}

} // namespace log_files
