#include <gtest/gtest.h>

#include "simulator/SensorToviRay.h"
#include "support/ByteFields.h"

// The simulated ToviRay firmware against the memory layout and sizes the
// hardware defines, written here as literals.
namespace {

using simulator::SensorToviRay;
using simulator::SensorToviRayConfig;

std::vector<std::uint8_t> Send(SensorToviRay& sensor, std::vector<std::uint8_t> command,
                               std::size_t readLength) {
    sensor.Command(command.data(), command.size());
    std::vector<std::uint8_t> data(readLength);
    if (readLength != 0) {
        EXPECT_TRUE(sensor.Bulk(data.data(), data.size()));
    }
    return data;
}

TEST(SimulatedToviRay, MemoryHoldsTheIdTheRecordsAndTheScalingBlock) {
    SensorToviRayConfig config;
    config.sensorId = "TR2S0042C";
    config.scaling = {true, true, -1.25, 0.000123, -0.0000001234};
    SensorToviRay sensor(config);
    // 0x0B, length 16, address 16: the id, zero-terminated.
    auto id = Send(sensor, {0x0B, 0x00, 0x10, 0x00, 0x10}, 16);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(id.data())), "TR2S0042C");

    auto area = Send(sensor, {0x0B, 0x40, 0x00, 0x00, 0x20}, 16384);
    // Marker 0x0000, filler up to 0xFF, 0x00, then the defect record.
    ASSERT_EQ(area[0], 0x00);
    ASSERT_EQ(area[1], 0x00);
    std::size_t at = 2;
    while (area[at] != 0xFF)
        ++at;
    ASSERT_EQ(area[at + 1], 0x00);
    at += 2;
    std::uint32_t length = LoadLittleEndian<std::uint32_t>(&area[at + 1]);
    EXPECT_EQ(area[at + 6], 0); // selector: defects
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&area[at + 7])), "DEFECTS");
    at += 1 + 4 + 1 + 1 + 16 + length + 2;
    // Any other marker, then the FPN record: 616 entries of 104 bits.
    EXPECT_NE(LoadLittleEndian<std::uint16_t>(&area[at]), 0x0000);
    EXPECT_NE(LoadLittleEndian<std::uint16_t>(&area[at]), 0xFFFF);
    at += 2;
    EXPECT_EQ(LoadLittleEndian<std::uint32_t>(&area[at + 1]), 616u * 13u);
    EXPECT_EQ(area[at + 6], 1);
    // The first entry: kind 6 in 3 bits, 5 unused bits, then first as 32 bits.
    const std::uint8_t* payload = &area[at + 23];
    EXPECT_EQ(payload[0] & 0x07, 6);
    EXPECT_EQ(static_cast<std::int32_t>(LoadLittleEndian<std::uint32_t>(payload + 1)),
              sensor.Fpn()[0].first);
    at += 23 + 616 * 13 + 2;
    EXPECT_EQ(LoadLittleEndian<std::uint16_t>(&area[at]), 0xFFFF);

    // "PDI", enabled, |a| x 100, |b| x 10^6, |c| x 10^10, big-endian; signs.
    const std::uint8_t* pdi = &area[16384 - 64];
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(pdi), 3), "PDI");
    EXPECT_EQ(pdi[4], '1');
    EXPECT_EQ(pdi[5] << 8 | pdi[6], 125);
    EXPECT_EQ(pdi[7] << 8 | pdi[8], 123);
    EXPECT_EQ(pdi[9] << 8 | pdi[10], 1234);
    EXPECT_EQ(pdi[11], 0);
    EXPECT_NE(pdi[12], 0);
    EXPECT_EQ(pdi[13], 0);
}

TEST(SimulatedToviRay, FpnCoefficientsCarryBothSigns) {
    SensorToviRay sensor({});
    ASSERT_EQ(sensor.Fpn().size(), 798u);
    bool negative[3] = {}, positive[3] = {};
    for (const auto& entry : sensor.Fpn()) {
        const std::int32_t values[3] = {entry.first, entry.second, entry.third};
        for (int i = 0; i < 3; ++i)
            negative[i] |= values[i]<0, positive[i] |= values[i]> 0;
    }
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(negative[i] && positive[i]) << i;
}

TEST(SimulatedToviRay, OnlyItsTwoSizeCodesSelectAFrame) {
    struct Size {
        std::uint8_t code;
        std::uint32_t width, height;
    };
    for (Size size : {Size{0x25, 616, 944}, Size{0x29, 798, 1070}}) {
        SensorToviRay sensor({});
        auto geometry = sensor.GeometryFor(size.code);
        ASSERT_TRUE(geometry);
        EXPECT_EQ(geometry->width, size.width);
        EXPECT_EQ(geometry->height, size.height);
        EXPECT_EQ(geometry->lineSamples, size.width); // full resolution, one sample a pixel
    }
    SensorToviRay sensor({});
    for (std::uint8_t code : {0x21, 0x23, 0x27, 0x2B, 0x2D, 0x2F})
        EXPECT_FALSE(sensor.GeometryFor(code)) << int(code);
}

} // namespace
