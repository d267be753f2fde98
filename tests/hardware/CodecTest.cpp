#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hardware/Codec.h"
#include "support/BufferedFile.h"
#include "support/Environment.h"
#include "support/FileHelpers.h"

namespace {

// Packs fields least significant bit first.
class BitWriter {
public:
    void Put(std::uint32_t value, unsigned bits) {
        for (unsigned i = 0; i < bits; ++i, ++position_) {
            if (position_ / 8 >= bytes.size())
                bytes.push_back(0);
            if ((value >> i) & 1)
                bytes[position_ / 8] |= static_cast<std::uint8_t>(1 << (position_ % 8));
        }
    }
    std::vector<std::uint8_t> bytes;

private:
    std::size_t position_ = 0;
};

} // namespace

TEST(Codec2000, DefectTextCoordinateRule) {
    Codec2000 codec;
    EXPECT_EQ(codec.ParseDefectText("\r\n10 20 0\n5 7 2\r\n5 7 3\n1 2 6\n9 9 4\n", 100, 100), 0);
    const FlawMap& map = codec.Flaws();
    ASSERT_EQ(map.FlawPixels().size(), 1u);
    EXPECT_EQ(map.FlawPixels()[0].x, 10);
    EXPECT_EQ(map.FlawPixels()[0].y, 21);
    ASSERT_EQ(map.FlawColumns().size(), 1u);
    EXPECT_EQ(map.FlawColumns()[0].x, 5);
    ASSERT_EQ(map.FlawRows().size(), 1u);
    EXPECT_EQ(map.FlawRows()[0].y, 8);
    ASSERT_EQ(codec.FpnEntries().size(), 1u);
    EXPECT_EQ(codec.FpnEntries()[0].second, 2);

    EXPECT_EQ(codec.ParseDefectText("1 2 0\n3 4\n", 100, 100), kResultUnexpected);
    EXPECT_EQ(codec.ParseDefectText("1,2,0", 100, 100), kResultUnexpected);
    EXPECT_EQ(codec.ParseDefectText("4 5 0", 100, 100), 0); // no final line feed
    EXPECT_EQ(codec.Flaws().FlawPixels().size(), 1u);       // each parse starts afresh
    EXPECT_EQ(codec.ParsePackedDefects(nullptr, 0, 0, 0), kResultNotImplemented);
    EXPECT_EQ(codec.ParseDefectText("-5 2147483647 0\n99999999999 1 3\n", 10, 10), 0);
}

// A line's numbers never come from the line after it: a short line ends the
// parse and the valid line behind it is not read into it.
TEST(Codec2000, ShortLinesDoNotReachIntoTheNextLine) {
    for (const char* end : {"\n", "\r\n"}) {
        for (const char* shortLine : {"5 ", "5 7 ", "5 7", "5"}) {
            SCOPED_TRACE(std::string(shortLine) + (end[0] == '\r' ? " CR LF" : " LF"));
            std::string text = std::string("1 2 0") + end + shortLine + end + "3 9 0" + end;
            Codec2000 codec;
            EXPECT_EQ(codec.ParseDefectText(text.c_str(), 100, 100), kResultUnexpected);
            const FlawMap& map = codec.Flaws();
            ASSERT_EQ(map.FlawPixels().size(), 1u); // the line before the short one
            EXPECT_EQ(map.FlawPixels()[0].x, 1);
            EXPECT_EQ(map.FlawPixels()[0].y, 3);
            EXPECT_TRUE(map.FlawRows().empty());
            EXPECT_TRUE(map.FlawColumns().empty());
        }
    }
}

// FPN coefficients are signed: a negative one must not turn into 2^32 - 5, which
// the correction's first / 10^7 term would make a shift of 429 levels.
TEST(Codec, FpnCoefficientsAreSigned) {
    Codec2000 text;
    ASSERT_EQ(text.ParseDefectText("-5 -700 6\r\n4294967291 2147483647 6\n", 100, 100), 0);
    ASSERT_EQ(text.FpnEntries().size(), 2u);
    EXPECT_DOUBLE_EQ(text.FpnEntries()[0].first / 1e7, -5e-7);
    EXPECT_DOUBLE_EQ(text.FpnEntries()[0].second / 1e7, -7e-5);
    EXPECT_EQ(text.FpnEntries()[0].third, 0);
    // A 32-bit value written unsigned reads as the same two's complement value.
    EXPECT_DOUBLE_EQ(text.FpnEntries()[1].first / 1e7, -5e-7);
    EXPECT_DOUBLE_EQ(text.FpnEntries()[1].second / 1e7, 214.7483647);

    BitWriter stream;
    stream.Put(6, 3);
    stream.Put(0, 5);
    stream.Put(0xFFFFFFFB, 32); // -5
    stream.Put(0x80000000, 32); // -2^31
    stream.Put(0x7FFFFFFF, 32);
    CodecTOVIRAY packed;
    ASSERT_EQ(packed.ParsePackedDefects(stream.bytes.data(), stream.bytes.size(), 0, 0), 0);
    ASSERT_EQ(packed.FpnEntries().size(), 1u);
    EXPECT_DOUBLE_EQ(packed.FpnEntries()[0].first / 1e7, -5e-7);
    EXPECT_DOUBLE_EQ(packed.FpnEntries()[0].second / 1e7, -214.7483648);
    EXPECT_DOUBLE_EQ(packed.FpnEntries()[0].third / 1e7, 214.7483647);
}

TEST(CodecTOVIRAY, PackedRecords) {
    BitWriter stream;
    stream.Put(0, 3);
    stream.Put(100, 11);
    stream.Put(200, 11);
    stream.Put(2, 3);
    stream.Put(7, 11);
    stream.Put(3, 3);
    stream.Put(9, 11);
    stream.Put(6, 3);
    stream.Put(0, 5);
    stream.Put(0x11111111, 32);
    stream.Put(0x22222222, 32);
    stream.Put(0x33333333, 32);
    stream.Put(4, 3);
    stream.Put(0, 14); // the last record ends inside the last byte
    stream.Put(0, 15);
    CodecTOVIRAY codec;
    ASSERT_EQ(codec.ParsePackedDefects(stream.bytes.data(), stream.bytes.size(), 0, 0), 0);
    EXPECT_EQ(codec.Flaws().FlawPixels()[0].x, 100);
    EXPECT_EQ(codec.Flaws().FlawPixels()[0].y, 200);
    EXPECT_EQ(codec.Flaws().FlawColumns()[0].x, 7);
    EXPECT_EQ(codec.Flaws().FlawRows()[0].y, 9);
    ASSERT_EQ(codec.FpnEntries().size(), 1u);
    EXPECT_EQ(codec.FpnEntries()[0].third, 0x33333333);

    BitWriter bad;
    bad.Put(1, 3);
    bad.Put(0, 13);
    EXPECT_EQ(codec.ParsePackedDefects(bad.bytes.data(), bad.bytes.size(), 0, 0),
              kResultUnexpected);
    BitWriter cut;
    cut.Put(6, 3);
    cut.Put(0, 5);
    cut.Put(0, 32);
    EXPECT_EQ(codec.ParsePackedDefects(cut.bytes.data(), cut.bytes.size(), 0, 0),
              kResultUnexpected);
    EXPECT_EQ(codec.ParseDefectText("1 1 0", 1, 1), kResultNotImplemented);
}

TEST(Codec, CorrectionRepairsHalvesAndBlackens) {
    Codec2000 codec;
    codec.ParseDefectText("2 1 0\n", 8, 8); // pixel (2, 2)
    RawFrame frame;
    frame.Allocate(8, 8, 0, 0);
    for (std::uint32_t y = 0; y < 8; ++y)
        for (std::uint32_t x = 0; x < 8; ++x)
            frame.SetPixel(x, y, 1000);
    frame.SetPixel(2, 8 - 1 - 2, 4095); // bottom-up: map row 2 is stored line 5
    codec.CorrectFrame(frame, false);
    EXPECT_EQ(frame.Pixel(2, 5), 1000);

    frame.SetPixel(1, 8 - 1 - 1, 4095); // halved half up: (2, 2) becomes (1, 1)
    codec.CorrectFrame(frame, true);
    EXPECT_EQ(frame.Pixel(1, 6), 1000);

    // The marker beside the host program turns every flaw black instead.
    std::string marker = ksp::GetHostDirectory() + "\\FlawsToBlack.TXT";
    CKSPBufferedFile file;
    ASSERT_TRUE(file.OpenWrite(marker) && file.CloseFile());
    codec.CorrectFrame(frame, false);
    EXPECT_TRUE(ksp::DeleteFile(marker));
    EXPECT_EQ(frame.Pixel(2, 5), 0);
    EXPECT_EQ(frame.Pixel(3, 5), 1000);
}
