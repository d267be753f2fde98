#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "plugin/SensorOptions.h"

using O = SensorOptions::Offset;

namespace {
std::vector<std::uint8_t> VersionOnlyRecord(std::size_t size) {
    std::vector<std::uint8_t> record(size, 0);
    record[2] = 0x01; // 0x00010000 little-endian
    return record;
}
} // namespace

TEST(SensorOptions, DefaultsAtTheirOffsets) {
    SensorOptions options;
    const auto& bytes = options.Bytes();
    EXPECT_EQ(bytes[0], 0x00);
    EXPECT_EQ(bytes[2], 0x01);
    EXPECT_EQ(options.Int(O::Reserved152), 0x11223344);
    EXPECT_EQ(bytes[152], 0x44); // little-endian on every build
    EXPECT_EQ(options.Int(O::PosteriorBrightness2000), -10);
    EXPECT_EQ(options.Int(O::SharpeningMaskWidthToviRay), 21);
    EXPECT_EQ(options.Int(O::SharpeningMaskHeightToviRay), 21);
    EXPECT_EQ(options.Int(O::IntegrationTimeToviRay), 350);
    EXPECT_EQ(options.Int(O::PqeLevel2000Plus), 1);
    EXPECT_EQ(options.Int(O::EnableLogging), 0);
    EXPECT_DOUBLE_EQ(options.Double(O::PosteriorGamma2000), 0.75);
    EXPECT_DOUBLE_EQ(options.Double(O::CalibrationFactor), 1.0);
    std::uint64_t gammaBits = 0;
    std::memcpy(&gammaBits, bytes.data() + O::AnteriorGamma2000Plus, 8);
    EXPECT_EQ(gammaBits, 0x3FE8000000000000ull);
    for (std::size_t reserved : {180u, 284u, 428u})
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_EQ(bytes[reserved + i], 0) << reserved;
    for (std::size_t i = 564; i < SensorOptions::kSize; ++i)
        ASSERT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(options.Text(O::DeviceName), "");
}

TEST(SensorOptions, ZeroRecordIsRepaired) {
    SensorOptions options;
    auto record = VersionOnlyRecord(SensorOptions::kSize);
    ASSERT_TRUE(options.Assign(record.data(), static_cast<unsigned>(record.size())));
    EXPECT_DOUBLE_EQ(options.Double(O::PosteriorGammaToviRay), 0.7);
    EXPECT_DOUBLE_EQ(options.Double(O::AnteriorGammaToviRay), 0.7);
    EXPECT_EQ(options.Int(O::MedianOnToviRay), 1);
    EXPECT_EQ(options.Int(O::MedianKindToviRay), 1);
    EXPECT_EQ(options.Int(O::SharpeningFactorToviRay), 50);
    EXPECT_EQ(options.Int(O::SharpeningMaskWidthToviRay), 3);
    EXPECT_EQ(options.Int(O::SharpeningMaskHeightToviRay), 3);
    EXPECT_EQ(options.Int(O::LaplaceMaskHeightToviRay), 3);
    EXPECT_EQ(options.Int(O::SmoothingMaskHeight2000), 0);
    EXPECT_EQ(options.Int(O::SharpeningMaskHeight2000Plus), 0);
    EXPECT_EQ(options.Int(O::PosteriorBrightnessToviRay), 0);
}

TEST(SensorOptions, ShortRecordLeavesTheRestZeroAndHeightsFallBack) {
    SensorOptions options;
    auto record = VersionOnlyRecord(100);
    record[24] = 'X';
    ASSERT_TRUE(options.Assign(record.data(), 100));
    EXPECT_EQ(options.Text(O::DeviceName), "X");
    EXPECT_EQ(options.Int(O::Reserved152), 0);
    EXPECT_EQ(options.Int(O::EnableLogging), 0);

    auto full = VersionOnlyRecord(SensorOptions::kSize);
    SensorOptions source;
    std::memcpy(full.data(), source.Bytes().data(), SensorOptions::kSize);
    full[O::SharpeningMaskHeight2000] = 0;
    full[O::SharpeningMaskWidth2000] = 7;
    ASSERT_TRUE(options.Assign(full.data(), static_cast<unsigned>(full.size() + 50)));
    EXPECT_EQ(options.Int(O::SharpeningMaskHeight2000), 7);
    EXPECT_EQ(options.Int(O::SharpeningMaskWidthToviRay), 21); // group kept
}

TEST(SensorOptions, WrongVersionOrEmptyInputChangesNothing) {
    SensorOptions options;
    options.SetInt(O::SharpeningMaskWidthToviRay, 0);
    const auto before = options.Bytes();
    auto record = VersionOnlyRecord(SensorOptions::kSize);
    record[2] = 0x02;
    EXPECT_FALSE(options.Assign(record.data(), SensorOptions::kSize));
    EXPECT_FALSE(options.Assign(nullptr, SensorOptions::kSize));
    EXPECT_FALSE(options.Assign(record.data(), 0));
    EXPECT_FALSE(options.Assign(record.data(), 3));
    EXPECT_EQ(options.Bytes(), before);
}

TEST(SensorOptions, TextFieldsHoldAtMost63Characters) {
    SensorOptions options;
    options.SetText(O::SensorId, std::string(100, 'a'));
    EXPECT_EQ(options.Text(O::SensorId), std::string(63, 'a'));
    EXPECT_EQ(options.Bytes()[O::SensorId + 63], 0);
}
