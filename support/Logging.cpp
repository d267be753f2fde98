#include "support/Logging.h"

#include <cstdarg>

#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/LocalTime.h"
#include "support/Environment.h"
#include "support/LogManager.h"
#include "support/TextFormat.h"

namespace {

std::string FoldLineEnds(const std::string& text) {
    return ReplaceAll(ReplaceAll(text, "\r\n", "; "), "\n", "; ");
}

std::string NowText() {
    return platform::LongDateTimeText(platform::CalendarNow());
}

} // namespace

CKSPLogging::CKSPLogging() = default;

CKSPLogging::~CKSPLogging() {
    CloseLog();
}

CLogManager::~CLogManager() = default;

void CKSPLogging::WriteRaw(const std::string& text) {
    if (output_ != nullptr)
        output_->WriteText(text); // a refused write drops the text
}

void CKSPLogging::FlushIfWanted() {
    if (flushEachLine_ && output_ != nullptr)
        output_->FlushBuffer();
}

void CKSPLogging::WriteTimestamp() {
    std::lock_guard lock(lock_);
    if (output_ == nullptr || !timestamps_)
        return;
    platform::SystemTime now = platform::CurrentClock().UtcNow();
    WriteRaw(FormatText("%02lu:%02lu:%02lu:%04lu  ", static_cast<unsigned long>(now.hour),
                        static_cast<unsigned long>(now.minute),
                        static_cast<unsigned long>(now.second),
                        static_cast<unsigned long>(now.milliseconds)));
}

void CKSPLogging::WriteContinuationPad() {
    std::lock_guard lock(lock_);
    if (output_ != nullptr && timestamps_)
        WriteRaw(std::string(kPrefixWidth, ' '));
}

void CKSPLogging::WriteLine(int indent, const std::string& text, bool endLine) {
    std::lock_guard lock(lock_);
    if (output_ == nullptr)
        return;
    WriteTimestamp();
    if (indent > 0)
        WriteRaw(std::string(static_cast<std::size_t>(indent), ' '));
    WriteRaw(FoldLineEnds(text));
    if (endLine)
        WriteRaw("\r\n");
    FlushIfWanted();
}

void CKSPLogging::WriteFormatted(int indent, bool endLine, const char* format, va_list arguments) {
    std::lock_guard lock(lock_);
    if (output_ != nullptr) // formatting costs nothing on a closed channel
        WriteLine(indent, FormatTextV(format, arguments), endLine);
}

void CKSPLogging::Log(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    WriteFormatted(0, true, format, arguments);
    va_end(arguments);
}

void CKSPLogging::LogIndentedFormat(int indent, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    WriteFormatted(indent, true, format, arguments);
    va_end(arguments);
}

void CKSPLogging::LogText(const std::string& text) {
    WriteLine(0, text, true);
}

void CKSPLogging::LogIndentedText(int indent, const std::string& text) {
    WriteLine(indent, text, true);
}

void CKSPLogging::WriteFormat(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    WriteFormatted(0, false, format, arguments);
    va_end(arguments);
}

void CKSPLogging::WriteIndentedFormat(int indent, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    WriteFormatted(indent, false, format, arguments);
    va_end(arguments);
}

void CKSPLogging::OpenWithManager(CKSPLogManager* manager) {
    if (manager != nullptr)
        manager->OpenLog(this, "");
}

void CKSPLogging::AttachFile(CKSPBufferedFile* file) {
    std::lock_guard lock(lock_);
    CloseLog();
    output_ = file;
    WriteHeader();
}

void CKSPLogging::WriteHeader() {
    Log("Logging enabled @ %s\r\n", NowText().c_str());
    LogComputerNames();
    LogUserName();
    LogIPAddress();
    LogOSVersion();
    Log(" ");
}

void CKSPLogging::OpenLogFile(const std::string& directory, const std::string& fileName) {
    std::lock_guard lock(lock_);
    CloseLog();
    ownFile_.OpenWrite(directory + "\\" + fileName, platform::kShareDenyWrite, true);
    AttachFile(&ownFile_); // also after a failed open: lines are dropped until the next open
}

void CKSPLogging::OpenLogFileInHostDir(const std::string& fileName) {
    OpenLogFile(ksp::GetHostDirectory(), fileName);
}

void CKSPLogging::CloseLog() {
    std::lock_guard lock(lock_);
    if (output_ == nullptr)
        return;
    if (output_->IsOpenForWrite()) {
        WriteRaw("\r\n");
        Log("Logging closed @ %s", NowText().c_str());
    }
    output_->CloseFile();
    if (output_ == &ownFile_)
        output_ = nullptr;
}

bool CKSPLogging::IsLogOpen() {
    std::lock_guard lock(lock_);
    return output_ != nullptr && output_->IsOpenForWrite();
}

void CKSPLogging::LogComputerNames() {
    Log("Computer's Name: %s", ksp::GetComputerName(false).c_str());
    Log("Client's Name: %s", ksp::GetComputerName(true).c_str());
}

void CKSPLogging::LogUserName() {
    Log("Users's Name: %s", ksp::GetUserName().c_str());
}

void CKSPLogging::LogIPAddress() {
    if (IsLogOpen())
        Log("Computer's IP: %s", ksp::GetIPAddress().c_str());
}

void CKSPLogging::LogOSVersion() {
    if (!IsLogOpen())
        return;
    platform::OsVersion version = platform::OperatingSystemVersion();
    Log("Computer's OS: %lu.%lu.%lu  Platform: %lu", version.major, version.minor, version.build,
        version.platformId);
}

void CKSPLogging::LogBanner(const std::string& text) {
    const std::string rule(40, '=');
    Log(" ");
    Log(" ");
    Log("%s", rule.c_str());
    Log("%s", text.c_str());
    Log("%s", rule.c_str());
}

void CKSPLogging::LogTimeBanner() {
    LogBanner(NowText());
}

void CKSPLogging::LogMultilineIndented(int indent, const std::string& text) {
    std::lock_guard lock(lock_);
    if (output_ == nullptr || text.empty())
        return;
    std::string lines = ReplaceAll(text, "\r\n", "\n");
    for (std::size_t start = 0; start < lines.size();) { // a final line end adds no line
        std::size_t end = lines.find('\n', start);
        if (end == std::string::npos)
            end = lines.size();
        WriteContinuationPad();
        if (indent > 0)
            WriteRaw(std::string(static_cast<std::size_t>(indent), ' '));
        WriteRaw(lines.substr(start, end - start));
        WriteRaw("\r\n");
        FlushIfWanted();
        start = end + 1;
    }
}

void CKSPLogging::LogMultiline(const std::string& text) {
    LogMultilineIndented(0, text);
}
