#pragma once

#include <cstdarg>
#include <mutex>
#include <string>

#include "support/BufferedFile.h"

class CKSPLogManager;

// One log channel: a lock and a buffered output file. Every call writes one
// physical line, prefixed with the UTC time of day; nothing here ever fails
// its caller, lines without an open output are dropped.
class CKSPLogging {
public:
    static constexpr int kPrefixWidth = 15;

    CKSPLogging();
    virtual ~CKSPLogging();
    CKSPLogging(const CKSPLogging&) = delete;
    CKSPLogging& operator=(const CKSPLogging&) = delete;

    void WriteTimestamp();
    void WriteContinuationPad();

    void OpenWithManager(CKSPLogManager* manager);
    // Makes file the output (not owned) and writes the header.
    void AttachFile(CKSPBufferedFile* file);
    void OpenLogFile(const std::string& directory, const std::string& fileName);
    void OpenLogFileInHostDir(const std::string& fileName);
    void CloseLog();
    bool IsLogOpen();
    void SetFlushEachLine(bool flush) { flushEachLine_ = flush; }
    void SetTimestamps(bool timestamps) { timestamps_ = timestamps; }

    void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void LogIndentedFormat(int indent, const char* format, ...)
        __attribute__((format(printf, 3, 4)));
    void LogText(const std::string& text);
    void LogIndentedText(int indent, const std::string& text);
    // As Log, without the line end.
    void WriteFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void WriteIndentedFormat(int indent, const char* format, ...)
        __attribute__((format(printf, 3, 4)));

    void LogComputerNames();
    void LogUserName();
    void LogIPAddress();
    void LogOSVersion();
    void LogTitledFileDetails(const std::string& title, const std::string& path);
    void LogFileDetails(const std::string& path);
    void LogHostFileDetails();
    void LogBanner(const std::string& text);
    void LogTimeBanner();
    void LogMultilineIndented(int indent, const std::string& text);
    void LogMultiline(const std::string& text);
    void LogFileListFiltered(const std::string& title, const std::string& directory,
                             const std::string& pattern);
    void LogFileList(const std::string& title, const std::string& directory);

private:
    // Prefix, indent and text with "\r\n" and "\n" folded to "; ".
    void WriteLine(int indent, const std::string& text, bool endLine);
    void WriteFormatted(int indent, bool endLine, const char* format, va_list arguments);
    void WriteRaw(const std::string& text);
    void FlushIfWanted();
    void WriteHeader();

    std::recursive_mutex lock_;
    CKSPBufferedFile* output_ = nullptr;
    CKSPBufferedFile ownFile_{CKSPBufferedFile::kDefaultBufferSize};
    bool flushEachLine_ = false;
    bool timestamps_ = true;
};

// The plug-in's channel class.
class CLogManager : public CKSPLogging {
public:
    ~CLogManager() override;
};
