#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plugin/DicomRecord.h"

namespace {
std::string TextAt(const DicomRecord& record, std::size_t offset) {
    return reinterpret_cast<const char*>(record.Bytes().data() + offset);
}
constexpr unsigned Tooth(unsigned number) {
    return 1u << (number - 1);
}
constexpr unsigned Primary(char letter) {
    return 1u << (letter - 'A');
}
} // namespace

TEST(DicomRecord, FieldsAtTheirOffsets) {
    DicomRecord record(Tooth(8), 0, "SURGERY-1");
    std::uint32_t size = 0;
    std::memcpy(&size, record.Bytes().data(), 4);
    EXPECT_EQ(size, 1584u);
    EXPECT_EQ(TextAt(record, 4), "1.2.840.10008.5.1.4.1.1.1.3");
    EXPECT_EQ(TextAt(record, 68), "IO");
    EXPECT_EQ(TextAt(record, 164), "Tovi USB II");
    EXPECT_EQ(TextAt(record, 420),
              "Kavenor Tovi USB II Extension " + DicomRecord::VersionText() + ")");
    EXPECT_EQ(DicomRecord::VersionText().rfind("Version ", 0), 0u);
    EXPECT_EQ(TextAt(record, 484), "SURGERY-1");
    EXPECT_EQ(TextAt(record, 1152), "JAW");
    EXPECT_EQ(TextAt(record, 1216), "H/R/A");
    EXPECT_EQ(TextAt(record, 1280), "R");
    EXPECT_EQ(TextAt(record, 1376), "T-D1217");
    EXPECT_EQ(record.Bytes()[1440], 1);
    EXPECT_EQ(record.Bytes()[1572], 0x80);
    for (std::size_t i = 548; i < 1152; ++i)
        ASSERT_EQ(record.Bytes()[i], 0) << i;
}

TEST(DicomRecord, LateralityAndOrientationRules) {
    EXPECT_EQ(DicomRecord::Orientation(0, 0), "H");
    EXPECT_EQ(DicomRecord::Laterality(0, 0), "B");
    EXPECT_EQ(DicomRecord::Orientation(0xFFFFFFFF, 0), "H");
    EXPECT_EQ(DicomRecord::Orientation(Tooth(9) | Tooth(24), 0), "H/L/A");
    EXPECT_EQ(DicomRecord::Orientation(Tooth(14), 0), "H/L/P");
    EXPECT_EQ(DicomRecord::Orientation(Tooth(8) | Tooth(9), 0), "H/A");
    EXPECT_EQ(DicomRecord::Orientation(Tooth(1) | Tooth(32), 0), "H/R/P");
    EXPECT_EQ(DicomRecord::Orientation(0, Primary('E') | Primary('F')), "H/A");
    EXPECT_EQ(DicomRecord::Orientation(0, Primary('T')), "H/R/P");
    EXPECT_EQ(DicomRecord::Orientation(Tooth(5) | Tooth(6), 0), "H/R");
}

TEST(DicomRecord, CopiesOnlyWhatTheHostAskedFor) {
    DicomRecord record(1, 2, "PC");
    unsigned char host[2000];
    std::memset(host, 0xEE, sizeof host);
    std::uint32_t size = 100;
    std::memcpy(host, &size, 4);
    record.CopyToHost(host);
    EXPECT_EQ(std::memcmp(host, record.Bytes().data(), 100), 0);
    EXPECT_EQ(host[100], 0xEE);
    size = 5000;
    std::memcpy(host, &size, 4);
    record.CopyToHost(host);
    EXPECT_EQ(std::memcmp(host, record.Bytes().data(), 1584), 0);
    EXPECT_EQ(host[1584], 0xEE);
    record.CopyToHost(nullptr);
}
