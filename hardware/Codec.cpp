#include "hardware/Codec.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "support/Environment.h"
#include "support/FileHelpers.h"

namespace {

// Reads fields of a bit stream: bit n is bit n mod 8 of byte n / 8.
class BitReader {
public:
    BitReader(const std::uint8_t* data, std::size_t length) : data_(data), length_(length) {}
    // False when the field runs past the data.
    bool Read(unsigned bits, std::uint32_t& value) {
        value = 0;
        if (position_ + bits > 8 * length_)
            return false;
        for (unsigned i = 0; i < bits; ++i, ++position_) {
            std::uint32_t bit = (data_[position_ / 8] >> (position_ % 8)) & 1;
            value |= bit << i;
        }
        return true;
    }
    std::size_t WholeBytes() const { return position_ / 8; }

private:
    const std::uint8_t* data_;
    std::size_t length_;
    std::size_t position_ = 0;
};

// A decimal integer with an optional sign that starts on this line: blanks may
// come before it, a line end may not (strtoll would skip it and read the next
// line's number).
bool ReadNumber(const char*& at, std::int64_t& value) {
    const char* start = at;
    while (*start == ' ' || *start == '\t')
        ++start;
    const char* digits = *start == '-' || *start == '+' ? start + 1 : start;
    if (*digits < '0' || *digits > '9')
        return false;
    char* end = nullptr;
    value = std::strtoll(start, &end, 10);
    at = end;
    return true;
}

std::int32_t Clamped(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

// FPN coefficients are signed 32-bit; one written as an unsigned 32-bit number
// is its two's complement.
std::int32_t FpnValue(std::int64_t value) {
    if (value > INT32_MAX && value <= UINT32_MAX)
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    return Clamped(value);
}

} // namespace

void Codec::AddDefect(std::int32_t kind, std::int32_t a, std::int32_t b, std::int32_t c) {
    switch (kind) {
    case 0:
        flawMap_.AddPixelFlaw(a, b);
        break;
    case 2:
        flawMap_.AddColumnFlaw(a);
        break;
    case 3:
        flawMap_.AddRowFlaw(b);
        break;
    case 6:
        fpnEntries_.push_back({a, b, c});
        break;
    default:
        break;
    }
}

void Codec::Correct(RawFrame& frame, bool halve, bool roundHalfUp, Repair repair) const {
    if (!frame.pixels)
        return;
    FlawMap halved;
    const FlawMap* map = &flawMap_;
    if (halve) {
        halved.CopyFlaws(flawMap_);
        halved.ScaleFlaws(0.5, roundHalfUp);
        map = &halved;
    }
    FlawMap working;
    working.CopyFlaws(*map);
    auto height = static_cast<std::uint32_t>(frame.height);
    if (ksp::FileExists(ksp::GetHostDirectory() + "\\FlawsToBlack.TXT")) {
        working.FillFlaws(0, frame.pixels.get(), frame.width, height, frame.RowPad(), true);
    } else if (repair == Repair::Neighbours) {
        working.RepairByNeighbours(frame.pixels.get(), frame.width, height, frame.RowPad(), true);
    } else {
        working.RepairByInterpolation(frame.pixels.get(), frame.width, height, frame.RowPad(), true,
                                      false);
    }
}

std::int32_t Codec2000::ParseDefectText(const char* text, std::uint32_t, std::uint32_t) {
    Clear();
    if (text == nullptr)
        return kResultOk;
    const char* at = text;
    while (*at != '\0') {
        while (*at == '\r' || *at == '\n')
            ++at;
        if (*at == '\0')
            break;
        std::int64_t x = 0, y = 0, kind = 0;
        if (!ReadNumber(at, x) || *at++ != ' ' || !ReadNumber(at, y) || *at++ != ' ' ||
            !ReadNumber(at, kind))
            return kResultUnexpected;
        const std::int32_t line = Clamped(y);
        const std::int32_t nextLine = line == INT32_MAX ? line : line + 1;
        if (kind == 0)
            AddDefect(0, Clamped(x), nextLine, 0);
        else if (kind == 3)
            AddDefect(3, 0, nextLine, 0);
        else if (kind == 2)
            AddDefect(2, Clamped(x), 0, 0);
        else if (kind == 6)
            AddDefect(6, FpnValue(x), FpnValue(y), 0);
        while (*at != '\0' && *at != '\n') // the rest of the line
            ++at;
    }
    return kResultOk;
}

std::int32_t CodecTOVIRAY::ParsePackedDefects(const std::uint8_t* data, std::size_t length,
                                              std::uint32_t, std::uint32_t) {
    Clear();
    if (data == nullptr || length == 0)
        return kResultUnexpected;
    BitReader bits(data, length);
    for (;;) {
        std::uint32_t kind = 0, a = 0, b = 0, c = 0, unused = 0;
        if (!bits.Read(3, kind))
            return kResultUnexpected;
        bool read = true;
        switch (kind) {
        case 0:
            read = bits.Read(11, a) && bits.Read(11, b);
            if (read)
                AddDefect(0, static_cast<std::int32_t>(a), static_cast<std::int32_t>(b), 0);
            break;
        case 2:
            read = bits.Read(11, a);
            if (read)
                AddDefect(2, static_cast<std::int32_t>(a), 0, 0);
            break;
        case 3:
            read = bits.Read(11, b);
            if (read)
                AddDefect(3, 0, static_cast<std::int32_t>(b), 0);
            break;
        case 4:
        case 5:
            read = bits.Read(14, unused) && bits.Read(1, unused) && bits.Read(13, unused) &&
                   bits.Read(1, unused);
            break;
        case 6:
            read = bits.Read(5, unused) && bits.Read(32, a) && bits.Read(32, b) && bits.Read(32, c);
            if (read)
                AddDefect(6, static_cast<std::int32_t>(a), static_cast<std::int32_t>(b),
                          static_cast<std::int32_t>(c));
            break;
        default: // 1 and 7
            return kResultUnexpected;
        }
        if (!read) // a record cut off by the end of the data
            return kResultUnexpected;
        if (bits.WholeBytes() + 1 >= length)
            return kResultOk;
    }
}
