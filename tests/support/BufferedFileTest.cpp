#include <gtest/gtest.h>

#include "support/BufferedFile.h"
#include "support/LastError.h"
#include "support/MemoryFile.h"
#include "tests/support/TestFiles.h"

using namespace testing_files;

namespace {
const FileIdentifier kIdentifier{0x494B5350, 0x31544556};
}

TEST(BufferedFile, ValuesStringsAndBlocksRoundTripAtEveryBufferSize) {
    TempDirectory dir;
    std::string path = dir.Path("values.bin");
    for (int bufferSize : {0, 1, 3, 51200}) {
        SCOPED_TRACE(bufferSize);
        CKSPBufferedFile out(bufferSize);
        ASSERT_TRUE(out.OpenWrite(path));
        EXPECT_TRUE(out.WriteHeader(kIdentifier, 7));
        EXPECT_TRUE(out.WriteValue(std::uint32_t{0xDEADBEEF}));
        EXPECT_TRUE(out.WriteValue(std::int16_t{-2}));
        EXPECT_TRUE(out.WriteValue(2.5));
        EXPECT_TRUE(out.WriteString("hello"));
        EXPECT_TRUE(out.WriteString(""));
        EXPECT_TRUE(out.WriteStringArray({"a", "bc"}));
        EXPECT_TRUE(out.WriteBlock("xyz", 3));
        EXPECT_TRUE(out.WriteBlockOrEmpty(nullptr, 5));
        EXPECT_EQ(out.GetPosition(), 12 + 4 + 2 + 8 + 9 + 4 + 4 + 5 + 6 + 7 + 4);
        EXPECT_TRUE(out.CloseFile());

        CKSPBufferedFile in(bufferSize);
        ASSERT_TRUE(in.OpenRead(path));
        std::uint32_t version = 0, word = 0;
        std::int16_t shortValue = 0;
        double real = 0;
        std::string text = "x", empty = "x";
        std::vector<std::string> texts;
        std::vector<std::uint8_t> block, none{1};
        EXPECT_TRUE(in.ReadAndCheckHeader(kIdentifier, 7, version));
        EXPECT_TRUE(in.ReadValue(word) && in.ReadValue(shortValue) && in.ReadValue(real));
        EXPECT_TRUE(in.ReadString(text) && in.ReadString(empty) && in.ReadStringArray(texts));
        EXPECT_TRUE(in.ReadBlock(block) && in.ReadBlock(none));
        EXPECT_EQ(version, 7u);
        EXPECT_EQ(word, 0xDEADBEEF);
        EXPECT_EQ(shortValue, -2);
        EXPECT_EQ(real, 2.5);
        EXPECT_EQ(text, "hello");
        EXPECT_EQ(empty, "");
        EXPECT_EQ(texts, (std::vector<std::string>{"a", "bc"}));
        EXPECT_EQ(block, (std::vector<std::uint8_t>{'x', 'y', 'z'}));
        EXPECT_TRUE(none.empty());
        std::uint8_t byte = 0;
        EXPECT_FALSE(in.ReadByte(byte));
        EXPECT_TRUE(in.IsAtEnd());
        EXPECT_EQ(in.WriteBytes("x", 1), -1);
    }
}

TEST(BufferedFile, HeaderChecksNameWhatIsWrong) {
    TempDirectory dir;
    auto check = [&](const std::string& content, std::uint32_t maxVersion) {
        WriteFile(dir.Path("h"), content);
        CKSPBufferedFile file;
        file.OpenRead(dir.Path("h"));
        std::uint32_t version = 0;
        SetLastErrorText("");
        return file.ReadAndCheckHeader(kIdentifier, maxVersion, version);
    };
    std::string good = "PSKIVET1";
    EXPECT_FALSE(check("PSKI", 1));
    EXPECT_EQ(LastErrorText(), "Invalid file specified (unable to read file identifier).");
    EXPECT_FALSE(check(good + "\x01", 1));
    EXPECT_EQ(LastErrorText(), "Invalid file specified (unable to read file version).");
    EXPECT_FALSE(check("PSKIVET2" + std::string("\x01\0\0\0", 4), 1));
    EXPECT_EQ(LastErrorText(), "A invalid file type was specified (the file did not contain the "
                               "proper file identifier)");
    EXPECT_FALSE(check(good + std::string("\xAB\0\0\0", 4), 0xAA));
    EXPECT_EQ(LastErrorText(),
              "An unsupported version (version = 000000AB) was detected in the specified file");
    EXPECT_TRUE(check(good + std::string("\xAB\0\0\0", 4), 0xAB));
}

TEST(BufferedFile, CountedReadsStayInsideWhatTheFileHolds) {
    TempDirectory dir;
    std::string path = dir.Path("counted.bin");
    CKSPBufferedFile out;
    ASSERT_TRUE(out.OpenWrite(path));
    out.WriteValue(std::uint32_t{65536}); // a string count beyond the limit
    out.WriteBlock("abcdef", 6);          // longer than the reader's field
    out.WriteBlock("ab", 2);              // shorter than the reader's field
    out.WriteValue(std::uint32_t{1000});  // a block count past the end of the file
    out.CloseFile();

    CKSPBufferedFile in;
    ASSERT_TRUE(in.OpenRead(path));
    std::string text = "kept";
    EXPECT_FALSE(in.ReadString(text));
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(in.GetPosition(), 4); // the data was not read
    char field[4] = {'?', '?', '?', '?'};
    EXPECT_TRUE(in.ReadFixed(field, 4));
    EXPECT_EQ(std::string(field, 4), "abcd");
    EXPECT_TRUE(in.ReadFixed(field, 4));
    EXPECT_EQ(std::string(field, 4), std::string("ab\0\0", 4));
    std::vector<std::uint8_t> block;
    EXPECT_FALSE(in.ReadBlock(block));
}

TEST(BufferedFile, TextPrintfSeeksMarksAndAppends) {
    TempDirectory dir;
    std::string path = dir.Path("text.txt");
    CKSPBufferedFile file(4);
    ASSERT_TRUE(file.OpenTextWrite(path));
    EXPECT_TRUE(file.Printf("%d-%s", 42, "x"));
    EXPECT_TRUE(file.WriteQuotedText("q"));
    file.CloseFile();
    EXPECT_EQ(ReadFile(path), "42-x\"q\"");

    ASSERT_TRUE(file.OpenAppend(path));
    EXPECT_TRUE(file.Existed());
    EXPECT_TRUE(file.IsOpenForAppend());
    EXPECT_EQ(file.GetPosition(), 7);
    EXPECT_TRUE(file.Printf("%s", "ab")); // binary mode: a counted string
    file.CloseFile();
    EXPECT_EQ(ReadFile(path), std::string("42-x\"q\"\x02\0\0\0ab", 13));

    ASSERT_TRUE(file.OpenRead(path));
    EXPECT_EQ(file.Skip(3), 3);
    file.MarkPosition();
    EXPECT_EQ(file.SeekRelative(2), 5);
    std::uint8_t byte = 0;
    EXPECT_TRUE(file.ReadByte(byte));
    EXPECT_EQ(byte, 'q');
    EXPECT_EQ(file.ReturnToMark(), 3);
    EXPECT_TRUE(file.CompareNext("x\"q", 3));
    EXPECT_EQ(file.SeekFromEnd(-2), 11);
    EXPECT_TRUE(file.CompareNext("ab", 2));
    EXPECT_FALSE(file.ReadByte(byte));
    EXPECT_EQ(file.GetFileName(), path);
    EXPECT_TRUE(file.CloseFile());
    EXPECT_TRUE(file.CloseFile());
    EXPECT_EQ(file.GetPosition(), -1);
    EXPECT_FALSE(file.OpenRead(dir.Path("missing")));
    EXPECT_EQ(file.ReadBytes(&byte, 1), -1);
}

// Text mode folds CR LF into LF, so a read returns fewer bytes than it asked for
// long before the end of the file.
TEST(BufferedFile, TextReadsGoOnPastReadsThatFoldLineEnds) {
    TempDirectory dir;
    std::string path = dir.Path("lines.txt");
    std::string written;
    for (int line = 0; written.size() < 3 * 51200; ++line)
        written += "line " + std::to_string(line) + "\r\n";
    ASSERT_TRUE(WriteFile(path, written));
#ifdef _WIN32
    std::string expected;
    for (char c : written) {
        if (c != '\r')
            expected += c;
    }
#else
    const std::string expected = written;
#endif
    for (int bufferSize : {51200, 7}) {
        SCOPED_TRACE(bufferSize);
        CKSPBufferedFile file(bufferSize);
        ASSERT_TRUE(file.OpenTextRead(path));
        std::string read(written.size() + 1, '\0');
        int count = file.ReadBytes(read.data(), static_cast<int>(read.size()));
        ASSERT_EQ(count, static_cast<int>(expected.size()));
        read.resize(static_cast<std::size_t>(count));
        EXPECT_EQ(read, expected);
        EXPECT_TRUE(file.IsAtEnd());
        EXPECT_EQ(file.GetPosition(), count);
    }
}

TEST(MemoryFile, ReadsClampAtBothEnds) {
    CKSPMemoryFile file;
    std::uint8_t out[8] = {};
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.PeekBytes(out, 8), -1);
    EXPECT_EQ(file.GetNextByte(), 0);

    const std::uint8_t text[] = {'a', 'b', 'c'};
    file.Attach(text, 3);
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(file.PeekByte(2), 'c');
    EXPECT_EQ(file.PeekByte(3), 0);
    EXPECT_EQ(file.PeekByte(-1), 0);
    EXPECT_EQ(file.GetNextByte(), 'a');
    EXPECT_EQ(file.PeekBytes(out, 8), 2);
    EXPECT_EQ(out[1], 'c');
    file.Skip(10);
    EXPECT_TRUE(file.IsAtEnd());
    EXPECT_EQ(file.GetNextByte(), 0);
    EXPECT_EQ(file.GetPosition(), 3u);
    EXPECT_EQ(file.PeekBytes(out, 8), 0);
    file.SetPosition(-5);
    EXPECT_EQ(file.GetPosition(), 0u);

    std::vector<std::uint8_t> copy = file.Release();
    EXPECT_EQ(copy, (std::vector<std::uint8_t>{'a', 'b', 'c'}));
    EXPECT_FALSE(file.IsOpen());
    file.Adopt(std::move(copy));
    EXPECT_EQ(file.GetLength(), 3u);
    EXPECT_NE(file.GetData(), text);
}
