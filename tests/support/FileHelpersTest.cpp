#include <gtest/gtest.h>

#include <memory>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#endif

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "support/FileHelpers.h"
#include "support/LastError.h"
#include "tests/support/TestFiles.h"

using namespace testing_files;

TEST(FileHelpers, SafeFileNamesKeepOnlyTheSafeSet) {
    EXPECT_EQ(ksp::MakeSafeFileName("x/y:z", false, false), "x_y_z");
    EXPECT_EQ(ksp::MakeSafeFileName("PC 17.lab", false, false), "PC_17_lab");
    EXPECT_EQ(ksp::MakeSafeFileName("PC 17.lab", true, true), "PC 17.lab");
    EXPECT_EQ(ksp::MakeSafeFileName("a-b~c_d*\"<>|?\\\x01\xE9", false, false), "a-b~c_d_________");

    // An empty name becomes the calendar time in hexadecimal: 2000-01-01 is 0x386d4380.
    platform::SetClock(std::make_shared<platform::VirtualClock>());
    EXPECT_EQ(ksp::MakeSafeFileName("", false, false), "386d4380");
    platform::SetClock(nullptr);
}

TEST(FileHelpers, UniquePathsCountFromTwoAndCreateNothing) {
    TempDirectory dir;
    EXPECT_EQ(ksp::MakeUniqueFilePath(dir.Path(), "a.b c", "txt"), dir.Path("a.b c.txt"));
    ASSERT_TRUE(WriteFile(dir.Path("a.b c.txt"), "x"));
    EXPECT_EQ(ksp::MakeUniqueFilePath(dir.Path(), "a.b c", "txt"), dir.Path("a.b c_2.txt"));
    ASSERT_TRUE(WriteFile(dir.Path("a.b c_2.txt"), "x"));
    EXPECT_EQ(ksp::MakeUniqueFilePath(dir.Path(), "a:b", ""), dir.Path("a_b"));
    EXPECT_EQ(ksp::MakeUniqueFilePath(dir.Path(), "a.b c", "txt"), dir.Path("a.b c_3.txt"));
    EXPECT_FALSE(ksp::FileExists(dir.Path("a.b c_3.txt")));
}

TEST(FileHelpers, PathSplittingAndDirectoryRules) {
    std::string name, directory;
    ksp::SplitPath("C:\\Logs\\a.log", name, directory);
    EXPECT_EQ(name, "a.log");
    EXPECT_EQ(directory, "C:\\Logs");
    ksp::SplitPath("plain.txt", name, directory);
    EXPECT_EQ(name, "plain.txt");
    EXPECT_EQ(directory, "");
    EXPECT_EQ(ksp::CollapseCurrentDirectory("C:\\a\\.\\.\\b\\.\\c"), "C:\\a\\b\\c");
    EXPECT_EQ(ksp::RemoveTrailingBackslashes("C:\\a\\\\"), "C:\\a");

    EXPECT_FALSE(ksp::DirectoryExists(""));
    EXPECT_TRUE(ksp::DirectoryExists("Q:"));
    EXPECT_TRUE(ksp::DirectoryExists("Q:\\"));
    EXPECT_TRUE(ksp::DirectoryExists("\\\\server\\share"));
    EXPECT_TRUE(ksp::DirectoryExists("\\\\server\\share\\"));
    EXPECT_FALSE(ksp::FileExists(""));

    TempDirectory dir;
    ASSERT_TRUE(WriteFile(dir.Path("file"), "x"));
    EXPECT_FALSE(ksp::DirectoryExists(dir.Path("file")));
    EXPECT_TRUE(ksp::FileExists(dir.Path("file")));
    EXPECT_TRUE(ksp::CreateDirectoryTree(dir.Path("one\\two\\")));
    EXPECT_TRUE(ksp::DirectoryExists(dir.Path("one\\two")));
    EXPECT_TRUE(ksp::CreateDirectoryTree(dir.Path("one\\two")));
    EXPECT_FALSE(ksp::CreateDirectoryTree(dir.Path("file\\below")));
}

TEST(FileHelpers, ReadWholeFileReportsWhyItFailed) {
    TempDirectory dir;
    std::uint32_t size = 99;
    EXPECT_EQ(ksp::ReadWholeFile(dir.Path("missing"), size), nullptr);
    EXPECT_EQ(LastErrorText(), "The file did not exist");
    ASSERT_TRUE(WriteFile(dir.Path("empty"), ""));
    EXPECT_EQ(ksp::ReadWholeFile(dir.Path("empty"), size), nullptr);
    EXPECT_EQ(LastErrorText(), "The file was empty");
    EXPECT_EQ(ksp::ReadWholeFile(dir.Path(), size), nullptr);

    ASSERT_TRUE(WriteFile(dir.Path("data"), std::string("ab\0c", 4)));
    auto data = ksp::ReadWholeFile(dir.Path("data"), size);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(std::string(data.get(), 5), std::string("ab\0c\0", 5));
    EXPECT_EQ(ksp::GetFileSize(dir.Path("data")), 4u);
    EXPECT_EQ(ksp::GetFileSize(dir.Path("missing")), 0u);
}

TEST(FileHelpers, DeletionClearsReadOnlyAndMissingFilesCountAsDeleted) {
    TempDirectory dir;
    std::string path = dir.Path("locked.txt");
    ASSERT_TRUE(WriteFile(path, "x"));
    ASSERT_EQ(::chmod(SystemPath(path).c_str(), S_IREAD), 0);
    EXPECT_TRUE(ksp::DeleteFile(path));
    EXPECT_FALSE(ksp::FileExists(path));
    EXPECT_TRUE(ksp::DeleteFile(path));
}

TEST(FileHelpers, ListingSortingAndSizes) {
    TempDirectory dir;
    ASSERT_TRUE(ksp::CreateDirectoryTree(dir.Path("sub\\deeper")));
    ASSERT_TRUE(WriteFile(dir.Path("b.log"), "12"));
    ASSERT_TRUE(WriteFile(dir.Path("a.log"), "1"));
    ASSERT_TRUE(WriteFile(dir.Path("c.txt"), "123"));
    ASSERT_TRUE(WriteFile(dir.Path("sub\\d.LOG"), "1234"));
    ASSERT_TRUE(WriteFile(dir.Path("sub\\deeper\\e.log"), "12345"));

    std::vector<std::string> files{"stale"};
    EXPECT_EQ(ksp::ListFiles(dir.Path(), "*.log", files, false, true), 2u);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{dir.Path("a.log"), dir.Path("b.log")}));
    EXPECT_EQ(ksp::ListFiles(dir.Path(), "*.*", files, true, true), 4u); // sub included
    EXPECT_EQ(ksp::ListFilesRecursive(dir.Path(), "*.log", files, false, true), 4u);

    // Creation times 300, 100, 200 and a tie: the tie keeps its listing order.
    std::vector<std::string> sorted{dir.Path("a.log"), dir.Path("b.log"), dir.Path("c.txt"),
                                    dir.Path("sub\\d.LOG")};
    const std::int64_t base = 1000000000;
    ASSERT_TRUE(platform::SetFileTimes(sorted[0], base + 300, base + 300));
    ASSERT_TRUE(platform::SetFileTimes(sorted[1], base + 100, base + 100));
    ASSERT_TRUE(platform::SetFileTimes(sorted[2], base + 200, base + 200));
    ASSERT_TRUE(platform::SetFileTimes(sorted[3], base + 200, base + 200));
    auto expected = std::vector<std::string>{sorted[0], sorted[2], sorted[3], sorted[1]};
    ksp::SortFilesByTime(sorted, true, false);
    EXPECT_EQ(sorted, expected);
    ksp::SortFilesByTime(sorted, false, true);
    EXPECT_EQ(sorted,
              (std::vector<std::string>{expected[3], expected[1], expected[2], expected[0]}));
    EXPECT_EQ(ksp::GetModifiedTime(sorted[0]), base + 100);
    EXPECT_EQ(ksp::GetModifiedTime(dir.Path("missing")), 0);

    EXPECT_EQ(ksp::GetDirectorySize(dir.Path(), 1024), 3u * 1024 + 15);
}
