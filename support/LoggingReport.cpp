// The environment blocks of a log channel: file details and file lists.

#include "platform/Environment.h"
#include "platform/LocalTime.h"
#include "support/Environment.h"
#include "support/FileHelpers.h"
#include "support/FileVersion.h"
#include "support/Logging.h"
#include "support/TextFormat.h"

void CKSPLogging::LogTitledFileDetails(const std::string& title, const std::string& path) {
    Log("%s", title.c_str());
    LogFileDetails(path);
}

void CKSPLogging::LogFileDetails(const std::string& path) {
    bool exists = ksp::FileExists(path);
    Log("File details:");
    Log("    Filename: %s", path.c_str());
    Log("    File Exists? %s", exists ? "Yes" : "No");
    if (!exists)
        return;
    std::int64_t modified = 0;
    std::int64_t created = 0;
    ksp::GetFileTimes(path, &modified, &created, nullptr);
    Log("       Created: %s", platform::LongDateTimeText(created).c_str());
    Log("       Modified: %s", platform::LongDateTimeText(modified).c_str());
    Log("    Version: %s", ksp::GetProductVersionString(path).c_str());
}

void CKSPLogging::LogHostFileDetails() {
    std::vector<std::string> arguments = platform::CommandLineArguments();
    LogFileDetails(arguments.empty() ? std::string() : arguments.front());
}

void CKSPLogging::LogFileListFiltered(const std::string& title, const std::string& directory,
                                      const std::string& pattern) {
    std::lock_guard lock(lock_);
    if (output_ == nullptr)
        return;
    std::vector<std::string> files;
    ksp::ListFiles(directory, pattern, files, false, true);
    LogBanner(
        title.empty()
            ? FormatText("File List('%s', '%s')", directory.c_str(), pattern.c_str())
            : FormatText("%s('%s', '%s')", title.c_str(), directory.c_str(), pattern.c_str()));
    auto entryLine = [this](const std::string& text) {
        WriteContinuationPad();
        WriteRaw("     " + text + "\r\n");
    };
    for (std::size_t k = 0; k < files.size(); ++k)
        entryLine(FormatText("%lu: %s", static_cast<unsigned long>(k + 1), files[k].c_str()));
    if (files.empty())
        entryLine("No Files Were Found");
    FlushIfWanted();
}

void CKSPLogging::LogFileList(const std::string& title, const std::string& directory) {
    LogFileListFiltered(title, directory, "*.*");
}
