#include "simulator/ToviRayMemory.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace simulator {

namespace {

class BitWriter {
public:
    void Put(std::uint64_t value, unsigned bits) {
        for (unsigned i = 0; i < bits; ++i, ++count_) {
            if (count_ % 8 == 0)
                bytes_.push_back(0);
            if ((value >> i) & 1)
                bytes_.back() = static_cast<std::uint8_t>(bytes_.back() | (1u << (count_ % 8)));
        }
    }
    std::vector<std::uint8_t> Bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t count_ = 0;
};

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint64_t value, unsigned bytes) {
    for (unsigned i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// Magnitude times the scale, big-endian, and the sign byte (non-zero: positive).
void PutScaled(std::uint8_t* magnitude, std::uint8_t* sign, double value, double scale) {
    auto scaled =
        static_cast<std::uint32_t>(std::min(65535.0, std::round(std::fabs(value) * scale)));
    magnitude[0] = static_cast<std::uint8_t>(scaled >> 8);
    magnitude[1] = static_cast<std::uint8_t>(scaled);
    *sign = value < 0 ? 0 : 1;
}

void PutScalingBlock(std::uint8_t* block, const ScalingBlock& scaling) {
    if (!scaling.present)
        return;
    std::memset(block, 0, kScalingBlockSize);
    std::memcpy(block, "PDI", 3);
    block[4] = scaling.enabled ? '1' : '0';
    PutScaled(block + 5, block + 11, scaling.a, 100.0);
    PutScaled(block + 7, block + 12, scaling.b, 1e6);
    PutScaled(block + 9, block + 13, scaling.c, 1e10);
}

} // namespace

// Rows and columns first: a parser may end once the bytes it has consumed come
// within one of the length, which only a record of two bytes or more passes safely.
std::vector<std::uint8_t> PackDefects(std::vector<Defect> defects) {
    std::stable_partition(defects.begin(), defects.end(),
                          [](const Defect& d) { return d.kind != Defect::Kind::Pixel; });
    BitWriter writer;
    for (const Defect& defect : defects) {
        switch (defect.kind) {
        case Defect::Kind::Pixel:
            writer.Put(0, 3), writer.Put(defect.x, 11), writer.Put(defect.y, 11);
            break;
        case Defect::Kind::Column:
            writer.Put(2, 3), writer.Put(defect.x, 11);
            break;
        case Defect::Kind::Row:
            writer.Put(3, 3), writer.Put(defect.y, 11);
            break;
        }
    }
    return writer.Bytes();
}

std::vector<std::uint8_t> PackFpn(const std::vector<FpnCoefficients>& entries) {
    BitWriter writer;
    for (const FpnCoefficients& entry : entries) {
        writer.Put(6, 3);
        writer.Put(0x15, 5);
        writer.Put(static_cast<std::uint32_t>(entry.first), 32);
        writer.Put(static_cast<std::uint32_t>(entry.second), 32);
        writer.Put(static_cast<std::uint32_t>(entry.third), 32);
    }
    return writer.Bytes();
}

std::vector<std::uint8_t> BuildToviRayMemory(const std::string& sensorId,
                                             const std::vector<MemoryRecord>& records,
                                             const ScalingBlock& scaling) {
    std::vector<std::uint8_t> memory(kToviRayMemorySize, 0xFF);
    std::memcpy(memory.data(), "TOVIRAY-MEM\0\0\0\0\0", 16);
    std::fill_n(memory.begin() + kToviRayIdAddress, 16, 0);
    std::memcpy(&memory[kToviRayIdAddress], sensorId.data(),
                std::min<std::size_t>(16, sensorId.size()));

    std::vector<std::uint8_t> area;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const MemoryRecord& record = records[i];
        if (i == 0) {
            PutLittleEndian(area, 0x0000, 2);
            area.insert(area.end(), {0x00, 0x3C, 0xFF, 0x00}); // filler, then 0xFF 0x00
        } else {
            PutLittleEndian(area, 0xA55A + i, 2);
        }
        area.push_back(record.kind);
        PutLittleEndian(area, record.payload.size(), 4);
        area.push_back(0x00);
        area.push_back(record.selector);
        std::string name = record.name;
        name.resize(16, '\0');
        area.insert(area.end(), name.begin(), name.end());
        area.insert(area.end(), record.payload.begin(), record.payload.end());
        PutLittleEndian(area, 0xC0DE, 2);
    }
    PutLittleEndian(area, 0xFFFF, 2);
    area.resize(std::min(area.size(), kToviRayAreaSize - kScalingBlockSize));
    std::copy(area.begin(), area.end(), memory.begin() + kToviRayAreaAddress);
    PutScalingBlock(&memory[kToviRayMemorySize - kScalingBlockSize], scaling);
    return memory;
}

} // namespace simulator
