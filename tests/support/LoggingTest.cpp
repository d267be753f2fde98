#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <thread>

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/LocalTime.h"
#include "support/Environment.h"
#include "support/LogManager.h"
#include "support/Logging.h"
#include "tests/support/TestFiles.h"

using namespace testing_files;

namespace {

void SetTimeZone(const char* zone) {
#ifdef _WIN32
    _putenv_s("TZ", zone);
    _tzset();
#else
    if (zone[0] == '\0')
        unsetenv("TZ");
    else
        setenv("TZ", zone, 1);
    tzset();
#endif
}

// 2000-01-01 12:34:56.789 UTC in virtual time, five hours west of Greenwich locally.
class Logging : public ::testing::Test {
protected:
    void SetUp() override {
        auto clock = std::make_shared<platform::VirtualClock>();
        clock->Advance(((12 * 60 + 34) * 60 + 56) * 1000 + 789);
        platform::SetClock(clock);
        SetTimeZone("EST5");
    }
    void TearDown() override {
        SetTimeZone("");
        platform::SetClock(nullptr);
    }

    std::string OpenIn(CKSPLogging& log, const std::string& name, const std::string& extension) {
        OpenChannel(log, name, dir.Path(), "", extension, true, 5, true, true, true);
        return Newest(extension);
    }
    std::string Newest(const std::string& extension) {
        std::vector<std::string> files;
        ksp::ListFiles(dir.Path(), "*." + extension, files, false, true);
        std::sort(files.begin(), files.end());
        return files.empty() ? std::string() : files.back();
    }
    // The lines after the header's seven.
    std::vector<std::string> Body(const std::string& path) {
        std::vector<std::string> lines = ReadLines(path);
        lines.erase(lines.begin(), lines.begin() + std::min<std::size_t>(7, lines.size()));
        return lines;
    }

    const std::string prefix = "12:34:56:0789  ";
    TempDirectory dir;
};

} // namespace

TEST_F(Logging, FileNameHeaderAndFooter) {
    CLogManager log;
    std::string path = OpenIn(log, "ToviUSBIIMain", "ToviMainLog");
    std::string stem = ksp::MakeSafeFileName(ksp::GetComputerName(true), false, false) +
                       "_ToviUSBIIMain_20000101_073456";
    EXPECT_EQ(path, dir.Path(stem + ".ToviMainLog")); // local time in the name
    EXPECT_TRUE(log.IsLogOpen());
    log.Log("PostMount()");
    log.CloseLog();
    EXPECT_FALSE(log.IsLogOpen());

    std::string now = platform::LongDateTimeText(platform::CalendarNow());
    EXPECT_NE(now.find("7:34:56AM"), std::string::npos) << now;
    std::vector<std::string> lines = ReadLines(path);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], prefix + "Logging enabled @ " + now + "; ");
    EXPECT_EQ(lines[1], prefix + "Computer's Name: " + ksp::GetComputerName(false));
    EXPECT_EQ(lines[2], prefix + "Client's Name: " + ksp::GetComputerName(true));
    EXPECT_EQ(lines[3], prefix + "Users's Name: " + ksp::GetUserName());
    EXPECT_EQ(lines[4].rfind(prefix + "Computer's IP: ", 0), 0u);
    EXPECT_EQ(lines[5].rfind(prefix + "Computer's OS: ", 0), 0u);
    EXPECT_NE(lines[5].find("  Platform: "), std::string::npos);
    EXPECT_EQ(lines[6], prefix + " ");
    EXPECT_EQ(lines[7], prefix + "PostMount()");
    EXPECT_EQ(lines[8], "");
    EXPECT_EQ(lines[9], prefix + "Logging closed @ " + now);

    // Opened again within the same second.
    CLogManager second, third;
    EXPECT_EQ(OpenIn(second, "ToviUSBIIMain", "ToviMainLog"), dir.Path(stem + "_2.ToviMainLog"));
    OpenChannel(third, "ToviUSBIIMain", dir.Path(), "", "ToviMainLog", true, 5, true, true, true);
    EXPECT_TRUE(ksp::FileExists(dir.Path(stem + "_3.ToviMainLog")));
}

TEST_F(Logging, EveryCallIsOnePhysicalLine) {
    CLogManager log;
    std::string path = OpenIn(log, "fold", "LOG");
    log.Log("a\r\nb\nc\rd");
    log.LogText("100%s %n");
    log.LogIndentedText(3, "x");
    log.LogIndentedFormat(2, "%d", 7);
    log.Log("%s", std::string(100000, 'y').c_str());
    log.LogMultilineIndented(2, "p\r\nq\n");
    log.LogBanner("50% done");
    log.SetTimestamps(false);
    log.Log("plain");
    log.LogMultiline("m");
    log.WriteFormat("no end ");
    log.WriteIndentedFormat(1, "%s", "here");
    log.CloseLog();
    log.Log("dropped");
    log.CloseLog();

    const std::string pad(15, ' ');
    std::vector<std::string> expected = {prefix + "a; b; c\rd",
                                         prefix + "100%s %n",
                                         prefix + "   x",
                                         prefix + "  7",
                                         prefix + std::string(100000, 'y'),
                                         pad + "  p",
                                         pad + "  q",
                                         prefix + " ",
                                         prefix + " ",
                                         prefix + std::string(40, '='),
                                         prefix + "50% done",
                                         prefix + std::string(40, '='),
                                         "plain",
                                         "m",
                                         "no end  here",
                                         "Logging closed @ " +
                                             platform::LongDateTimeText(platform::CalendarNow())};
    EXPECT_EQ(Body(path), expected);
}

TEST_F(Logging, RetentionKeepsTheFiveNewestOfTheExtension) {
    const std::int64_t old = 900000000;
    for (int i = 0; i < 5; ++i) {
        std::string name = dir.Path("old" + std::to_string(i) + ".ToviLog");
        ASSERT_TRUE(WriteFile(name, "x"));
        ASSERT_TRUE(platform::SetFileTimes(name, old + 10 * i, old + 10 * i));
    }
    ASSERT_TRUE(WriteFile(dir.Path("older.ToviMainLog"), "x"));
    ASSERT_TRUE(platform::SetFileTimes(dir.Path("older.ToviMainLog"), old - 10, old - 10));

    CLogManager log;
    std::string opened = OpenIn(log, "ToviUSBIIICap", "ToviLog");
    EXPECT_FALSE(ksp::FileExists(dir.Path("old0.ToviLog")));
    for (int i = 1; i < 5; ++i)
        EXPECT_TRUE(ksp::FileExists(dir.Path("old" + std::to_string(i) + ".ToviLog")));
    EXPECT_TRUE(ksp::FileExists(opened));
    EXPECT_TRUE(ksp::FileExists(dir.Path("older.ToviMainLog")));
}

// Retention never removes the file it has just opened: neither when more logs
// than the keep count share the newest second nor when older logs carry later
// times (the clock was set back). File times are the system's, not the clock's.
TEST_F(Logging, RetentionAlwaysKeepsTheFileJustOpened) {
    const std::string stem = ksp::MakeSafeFileName(ksp::GetComputerName(true), false, false) +
                             "_ToviUSBIIICap_20000101_073456";
    auto openCapture = [](CKSPLogging& log, const std::string& directory) {
        OpenChannel(log, "ToviUSBIIICap", directory, "", "ToviLog", true, 5, true, true, true);
    };
    auto expectKeptAndWritten = [&](CLogManager& log, const std::string& directory,
                                    const std::string& opened) {
        EXPECT_TRUE(log.IsLogOpen());
        log.Log("kept");
        log.CloseLog();
        std::vector<std::string> lines = ReadLines(opened);
        ASSERT_GE(lines.size(), 8u) << opened;
        EXPECT_EQ(lines[7], prefix + "kept");
        std::vector<std::string> files;
        EXPECT_EQ(ksp::ListFiles(directory, "*.ToviLog", files, false, true), 5u);
    };
    const std::int64_t now = std::time(nullptr);

    // Six captures within one second.
    const std::string sameSecond = dir.Path("same");
    ASSERT_TRUE(ksp::CreateDirectoryTree(sameSecond));
    for (int i = 0; i < 5; ++i) {
        CLogManager earlier;
        openCapture(earlier, sameSecond);
    }
    std::vector<std::string> earlier;
    ASSERT_EQ(ksp::ListFiles(sameSecond, "*.ToviLog", earlier, false, true), 5u);
    for (const std::string& file : earlier)
        ASSERT_TRUE(platform::SetFileTimes(file, now, now));
    CLogManager sixth;
    openCapture(sixth, sameSecond);
    expectKeptAndWritten(sixth, sameSecond, sameSecond + "\\" + stem + "_6.ToviLog");

    // Five logs written before the clock was set back an hour.
    const std::string setBack = dir.Path("back");
    ASSERT_TRUE(ksp::CreateDirectoryTree(setBack));
    for (int i = 0; i < 5; ++i) {
        std::string name = setBack + "\\ahead" + std::to_string(i) + ".ToviLog";
        ASSERT_TRUE(WriteFile(name, "x"));
        ASSERT_TRUE(platform::SetFileTimes(name, now + 3600 + i, now + 3600 + i));
    }
    CLogManager afterSetBack;
    openCapture(afterSetBack, setBack);
    expectKeptAndWritten(afterSetBack, setBack, setBack + "\\" + stem + ".ToviLog");
    EXPECT_FALSE(ksp::FileExists(setBack + "\\ahead0.ToviLog"));
    for (int i = 1; i < 5; ++i)
        EXPECT_TRUE(ksp::FileExists(setBack + "\\ahead" + std::to_string(i) + ".ToviLog"));
}

TEST_F(Logging, ConcurrentWritersNeverSplitALine) {
    CLogManager log;
    std::string path = OpenIn(log, "threads", "LOG");
    constexpr int kLines = 2000;
    auto writer = [&log](const char* name) {
        for (int i = 0; i < kLines; ++i)
            log.Log("%s line %d of a longer text that fills the buffer sooner", name, i);
    };
    std::thread first(writer, "first");
    std::thread second(writer, "second");
    first.join();
    second.join();
    log.CloseLog();

    std::vector<std::string> body = Body(path);
    ASSERT_EQ(body.size(), 2u * kLines + 2);
    int firsts = 0, seconds = 0;
    for (std::size_t i = 0; i < 2u * kLines; ++i) {
        const std::string& line = body[i];
        ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
        ASSERT_NE(line.find(" of a longer text that fills the buffer sooner"), std::string::npos);
        firsts += line.compare(15, 6, "first ") == 0;
        seconds += line.compare(15, 7, "second ") == 0;
    }
    EXPECT_EQ(firsts, kLines);
    EXPECT_EQ(seconds, kLines);
}

TEST_F(Logging, FileDetailsAndFileLists) {
    CLogManager log;
    std::string path = OpenIn(log, "report", "LOG");
    log.LogFileDetails(dir.Path("missing.exe"));
    log.LogFileDetails(path);
    ASSERT_TRUE(ksp::CreateDirectoryTree(dir.Path("empty")));
    log.LogFileListFiltered("", dir.Path("empty"), "*.*");
    log.LogFileList("Logs", dir.Path());
    log.CloseLog();

    const std::string pad(15, ' ');
    std::vector<std::string> body = Body(path);
    ASSERT_EQ(body.size(), 3u + 6 + 6 + 6 + 2);
    EXPECT_EQ(body[0], prefix + "File details:");
    EXPECT_EQ(body[1], prefix + "    Filename: " + dir.Path("missing.exe"));
    EXPECT_EQ(body[2], prefix + "    File Exists? No");
    EXPECT_EQ(body[5], prefix + "    File Exists? Yes");
    EXPECT_EQ(body[6].rfind(prefix + "       Created: ", 0), 0u);
    EXPECT_EQ(body[7].rfind(prefix + "       Modified: ", 0), 0u);
    EXPECT_EQ(body[8], prefix + "    Version: ");
    EXPECT_EQ(body[12], prefix + "File List('" + dir.Path("empty") + "', '*.*')");
    EXPECT_EQ(body[14], pad + "     No Files Were Found");
    EXPECT_EQ(body[18], prefix + "Logs('" + dir.Path() + "', '*.*')");
    EXPECT_EQ(body[20], pad + "     1: " + path);
}

TEST_F(Logging, AnUnusableDirectoryDropsLinesAndTheNextOpenTriesAgain) {
    ASSERT_TRUE(WriteFile(dir.Path("file"), "x"));
    CLogManager log;
    OpenChannel(log, "main", dir.Path("file\\Logs"), "", "LOG", true, 5, true, true, true);
    EXPECT_FALSE(log.IsLogOpen());
    log.Log("dropped");
    log.LogFileList("", dir.Path());
    log.CloseLog();

    std::string path = OpenIn(log, "main", "LOG");
    EXPECT_TRUE(log.IsLogOpen());
    log.Log("kept");
    log.CloseLog();
    EXPECT_EQ(Body(path)[0], prefix + "kept");
}
