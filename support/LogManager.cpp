#include "support/LogManager.h"

#include <algorithm>
#include <ctime>
#include <vector>

#include "platform/LocalTime.h"
#include "support/Environment.h"
#include "support/FileHelpers.h"
#include "support/Logging.h"
#include "support/TextCase.h"

namespace {

std::string LocalTimeText(const std::tm& local, const char* format) {
    char text[32] = {};
    std::size_t length = std::strftime(text, sizeof text, format, &local);
    return std::string(text, length);
}

void AppendPart(std::string& stem, const std::string& part) {
    if (part.empty())
        return;
    if (!stem.empty())
        stem += '_';
    stem += part;
}

} // namespace

std::string CKSPLogManager::GetLogDirectory() {
    std::string directory = directory_.empty() ? ksp::GetHostDirectory() + "\\Logs" : directory_;
    if (!ksp::DirectoryExists(directory))
        ksp::CreateDirectoryTree(directory);
    return directory;
}

std::string CKSPLogManager::MakeLogFilePath(const std::string& name) {
    std::string directory = GetLogDirectory();
    std::tm now = platform::LocalTimeOf(platform::CalendarNow());
    std::string stem;
    if (addClientName_)
        AppendPart(stem, ksp::GetComputerName(true));
    AppendPart(stem, baseName_);
    AppendPart(stem, name);
    if (addDate_)
        AppendPart(stem, LocalTimeText(now, "%Y%m%d"));
    if (addTime_)
        AppendPart(stem, LocalTimeText(now, "%H%M%S"));
    if (stem.empty())
        stem = "LOG";
    stem = ksp::MakeSafeFileName(stem, false, false);
    if (retain_)
        return ksp::MakeUniqueFilePath(directory, stem, extension_);
    return directory + "\\" + stem + "." + extension_;
}

void CKSPLogManager::DeleteOldLogsKeeping(const std::string& keptPath) {
    if (!retain_ || keepCount_ == 0)
        return;
    std::vector<std::string> files;
    ksp::ListFilesRecursive(GetLogDirectory(), LogFilePattern(), files, false, true);
    std::size_t keep = keepCount_;
    // Logs of the same second or with later times (a clock set back) may sort
    // before the new one; it is never among those deleted.
    auto kept = std::find_if(files.begin(), files.end(), [&keptPath](const std::string& file) {
        return EqualsIgnoringCase(file, keptPath);
    });
    if (kept != files.end()) {
        files.erase(kept);
        --keep;
    }
    ksp::SortFilesByTime(files, true, false);
    for (std::size_t i = keep; i < files.size(); ++i)
        ksp::DeleteFile(files[i]); // a file that cannot be deleted stays
}

std::uint64_t CKSPLogManager::GetLogSize(bool logFilesOnly) {
    std::string directory = GetLogDirectory();
    if (!logFilesOnly)
        return ksp::GetDirectorySize(directory, 1024);
    std::vector<std::string> files;
    ksp::ListFilesRecursive(directory, LogFilePattern(), files, false, true);
    std::uint64_t total = 0;
    for (const std::string& file : files)
        total += ksp::GetFileSize(file);
    return total;
}

void CKSPLogManager::OpenLog(CKSPLogging* logging, const std::string& name) {
    std::string path = MakeLogFilePath(name);
    if (logging == nullptr)
        return;
    logging->CloseLog();
    if (!enabled_)
        return;
    std::string fileName;
    std::string directory;
    ksp::SplitPath(path, fileName, directory);
    logging->OpenLogFile(directory, fileName);
    DeleteOldLogsKeeping(logging->IsLogOpen() ? path : std::string());
}

void OpenChannel(CKSPLogging& logging, const std::string& name, const std::string& directory,
                 const std::string& baseName, const std::string& extension, bool retain,
                 std::uint32_t keepCount, bool addDate, bool addTime, bool addClientName) {
    CKSPLogManager manager;
    manager.SetDirectoryAndExtension(directory, extension);
    manager.SetBaseName(baseName);
    manager.SetRetention(retain, keepCount);
    manager.SetAddDateTime(addDate, addTime);
    manager.SetAddClientName(addClientName);
    manager.OpenLog(&logging, name);
}
