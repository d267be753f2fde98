#include "hardware/ToviRayRecords.h"

#include <cstring>

#include "hardware/Codec.h"

namespace {

constexpr std::size_t kNameLength = 16;
constexpr std::size_t kTrailerLength = 2;

// A bounded cursor over the area.
class AreaReader {
public:
    AreaReader(const std::uint8_t* area, std::size_t size) : area_(area), size_(size) {}
    bool Take(std::size_t count, const std::uint8_t*& at) {
        if (count > size_ - position_)
            return false;
        at = area_ + position_;
        position_ += count;
        return true;
    }
    bool Byte(std::uint8_t& value) {
        const std::uint8_t* at = nullptr;
        if (!Take(1, at))
            return false;
        value = *at;
        return true;
    }
    bool Little(std::size_t bytes, std::uint32_t& value) {
        const std::uint8_t* at = nullptr;
        if (!Take(bytes, at))
            return false;
        value = 0;
        for (std::size_t i = bytes; i-- > 0;)
            value = (value << 8) | at[i];
        return true;
    }

private:
    const std::uint8_t* area_;
    std::size_t size_;
    std::size_t position_ = 0;
};

// Filler bytes up to and including 0xFF, which a 0x00 must follow.
bool SkipFiller(AreaReader& reader) {
    std::uint8_t byte = 0;
    do {
        if (!reader.Byte(byte))
            return false;
    } while (byte != 0xFF);
    return reader.Byte(byte) && byte == 0x00;
}

bool ReadRecord(AreaReader& reader, ToviRayRecord& record) {
    std::uint32_t length = 0;
    std::uint8_t spare = 0;
    const std::uint8_t* name = nullptr;
    const std::uint8_t* trailer = nullptr;
    if (!reader.Byte(record.kind) || !reader.Little(4, length) || !reader.Byte(spare) ||
        !reader.Byte(record.selector) || !reader.Take(kNameLength, name) ||
        !reader.Take(length, record.payload) || !reader.Take(kTrailerLength, trailer))
        return false;
    record.length = length;
    return true;
}

double Scaled(const std::uint8_t* magnitude, std::uint8_t sign, double scale) {
    const double value = ((magnitude[0] << 8) | magnitude[1]) / scale;
    return sign != 0 ? value : -value;
}

} // namespace

std::int32_t ParseToviRayRecords(const std::uint8_t* area, std::size_t size,
                                 std::vector<ToviRayRecord>& records) {
    records.clear();
    AreaReader reader(area, area == nullptr ? 0 : size);
    for (;;) {
        std::uint32_t marker = 0;
        if (!reader.Little(2, marker))
            return kResultUnexpected;
        if (marker == 0xFFFF)
            return kResultOk;
        if (records.size() == kToviRayRecordLimit)
            return kResultUnexpected;
        if (marker == 0x0000 && !SkipFiller(reader))
            return kResultUnexpected;
        ToviRayRecord record;
        if (!ReadRecord(reader, record))
            return kResultUnexpected;
        records.push_back(record);
    }
}

ScalingBlock ReadScalingBlock(const std::uint8_t* block) {
    ScalingBlock scaling;
    if (std::memcmp(block, "PDI", 3) != 0)
        return scaling;
    scaling.enabled = block[4] == '1';
    scaling.a = Scaled(block + 5, block[11], 100.0);
    scaling.b = Scaled(block + 7, block[12], 1e6);
    scaling.c = Scaled(block + 9, block[13], 1e10);
    return scaling;
}
