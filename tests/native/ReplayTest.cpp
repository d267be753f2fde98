// A raw dump written by a capture, replayed through the hand-off outside any
// capture, gives the very DIB the host received.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Environment.h"
#include "support/FileHelpers.h"
#include "tests/native/CaptureFixture.h"
#include "tools/host/Replay.h"

using capture_testing::CaptureTest;

namespace {

// Where the dump saver puts its file: beside the host program.
std::string DumpPath() {
    std::string name, directory;
    ksp::SplitPath(platform::CommandLineArguments().front(), name, directory);
    return directory + "\\ToviUSBII_RawSensorData.RAW16";
}

class ReplayTest : public CaptureTest {
protected:
    void SetUp() override {
        CaptureTest::SetUp();
        ksp::DeleteFile(DumpPath());
        PluginModule::Instance().state.saveRawDump = 1;
    }
    void TearDown() override {
        ksp::DeleteFile(DumpPath());
        CaptureTest::TearDown();
    }
    ReplayRequest Request(std::int32_t family, bool sixteenBit, std::uint32_t teeth) const {
        ReplayRequest request;
        request.dumpPath = DumpPath();
        request.family = family;
        request.sixteenBit = sixteenBit;
        request.permanentTeeth = teeth;
        const auto& record = Options().Bytes();
        request.options.assign(record.begin(), record.end());
        return request;
    }
};

} // namespace

TEST_F(ReplayTest, TheDumpOfA2000CaptureReplaysToTheSameBytes) {
    Attach2000();
    const std::uint32_t teeth = (1u << 7) | (1u << 8); // 8 and 9: anterior, turned
    const std::vector<std::uint8_t> captured = ReceivedBytes(SEDCaptureImage(teeth, 0));
    ASSERT_FALSE(captured.empty()) << ErrorText();
    ASSERT_TRUE(ksp::FileExists(DumpPath()));
    std::vector<std::uint8_t> replayed;
    std::string error;
    ASSERT_TRUE(ReplayDump(Request(0, false, teeth), replayed, error)) << error;
    EXPECT_TRUE(replayed == captured);
}

TEST_F(ReplayTest, TheDumpOfAToviRayCaptureReplaysToTheSameSixteenBitBytes) {
    AttachToviRay();
    const std::uint32_t teeth = 1u << 29;
    const std::vector<std::uint8_t> captured = ReceivedBytes(SEDCaptureImage16(teeth, 0));
    ASSERT_FALSE(captured.empty()) << ErrorText();
    std::vector<std::uint8_t> replayed;
    std::string error;
    ASSERT_TRUE(ReplayDump(Request(1, true, teeth), replayed, error)) << error;
    EXPECT_TRUE(replayed == captured);
    // Another family's chain gives another image.
    ASSERT_TRUE(ReplayDump(Request(0, true, teeth), replayed, error)) << error;
    EXPECT_FALSE(replayed == captured);
}

TEST_F(ReplayTest, AShortOrForeignDumpIsRefused) {
    testing_files::TempDirectory scratch;
    std::string error;
    std::vector<std::uint8_t> dib;
    ReplayRequest request = Request(0, false, 0);
    request.dumpPath = scratch.Path("missing.RAW16");
    EXPECT_FALSE(ReplayDump(request, dib, error));
    // A header for 100 x 80 samples with only one row behind it.
    std::vector<std::uint32_t> header = {2, 16, 100, 80, 100, 600, 600, 0};
    auto dump = [&](std::size_t rows) {
        std::string bytes(reinterpret_cast<const char*>(header.data()), 4 * header.size());
        bytes.append(2 * 100 * rows, '\x07');
        return testing_files::WriteFile(request.dumpPath, bytes);
    };
    request.dumpPath = scratch.Path("short.RAW16");
    ASSERT_TRUE(dump(1));
    EXPECT_FALSE(ReplayDump(request, dib, error));
    EXPECT_NE(error.find("shorter than its frame"), std::string::npos) << error;
    header[1] = 8; // an 8-bit dump
    ASSERT_TRUE(dump(80));
    EXPECT_FALSE(ReplayDump(request, dib, error));
    EXPECT_NE(error.find("is no 16-bit raw dump"), std::string::npos) << error;
    header[1] = 16;
    header[7] = 0xFFFFFFF0u; // a note longer than the file
    ASSERT_TRUE(dump(80));
    EXPECT_FALSE(ReplayDump(request, dib, error));
    EXPECT_TRUE(dib.empty());
    header[7] = 0;
    ASSERT_TRUE(dump(80));
    EXPECT_TRUE(ReplayDump(request, dib, error)) << error;
}
