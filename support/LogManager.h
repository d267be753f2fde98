#pragma once

#include <cstdint>
#include <string>

class CKSPLogging;

// Where a channel's next log file goes and which old ones are removed.
class CKSPLogManager {
public:
    CKSPLogManager() = default;
    virtual ~CKSPLogManager() = default;

    // The directory, "<host directory>\Logs" by default, created when missing.
    std::string GetLogDirectory();
    // Client or computer name, base name, name, date and time joined by "_".
    std::string MakeLogFilePath(const std::string& name);
    // Keeps the keep-count newest files of the extension, by creation time.
    void DeleteOldLogs() { DeleteOldLogsKeeping(""); }
    std::uint64_t GetLogSize(bool logFilesOnly);

    void SetEnabled(bool enabled) { enabled_ = enabled; }
    void SetDirectory(const std::string& directory) { directory_ = directory; }
    void SetExtension(const std::string& extension) { extension_ = extension; }
    void SetDirectoryAndExtension(const std::string& directory, const std::string& extension) {
        directory_ = directory;
        extension_ = extension;
    }
    void SetBaseName(const std::string& baseName) { baseName_ = baseName; }
    void SetAddClientName(bool add) { addClientName_ = add; }
    void SetAddDateTime(bool addDate, bool addTime) {
        addDate_ = addDate;
        addTime_ = addTime;
    }
    void SetRetention(bool retain, std::uint32_t keepCount) {
        retain_ = retain;
        keepCount_ = keepCount;
    }

    void OpenLog(CKSPLogging* logging, const std::string& name);

private:
    std::string LogFilePattern() const { return "*." + extension_; }
    // As DeleteOldLogs, but keptPath, when listed, stays and counts among the kept.
    void DeleteOldLogsKeeping(const std::string& keptPath);

    std::string directory_;
    std::string extension_ = "LOG";
    std::string baseName_;
    bool addDate_ = false;
    bool addTime_ = false;
    bool addClientName_ = true;
    bool retain_ = false;
    std::uint32_t keepCount_ = 0;
    bool enabled_ = true;
};

// Opens a channel through a manager with exactly these settings.
void OpenChannel(CKSPLogging& logging, const std::string& name, const std::string& directory,
                 const std::string& baseName, const std::string& extension, bool retain,
                 std::uint32_t keepCount, bool addDate, bool addTime, bool addClientName);
