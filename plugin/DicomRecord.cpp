#include "plugin/DicomRecord.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "support/ByteFields.h"
#include "support/Environment.h"
#include "support/FileVersion.h"

namespace {

struct TeethSet {
    unsigned permanent;
    unsigned primary;
    bool Meets(unsigned permanentTeeth, unsigned primaryTeeth) const {
        return (permanentTeeth & permanent) != 0 || (primaryTeeth & primary) != 0;
    }
};

// Bit n of a mask is permanent tooth n+1 or primary tooth 'A'+n.
constexpr unsigned Bits(unsigned first, unsigned last) {
    unsigned mask = 0;
    for (unsigned bit = first; bit <= last; ++bit)
        mask |= 1u << bit;
    return mask;
}

constexpr TeethSet kLeftSide{Bits(8, 23), Bits(5, 14)};
constexpr TeethSet kRightSide{Bits(0, 7) | Bits(24, 31), Bits(0, 4) | Bits(15, 19)};
constexpr TeethSet kCanineToCanine{Bits(5, 10) | Bits(21, 26), Bits(3, 6) | Bits(13, 16)};
constexpr TeethSet kBehindCanines{Bits(0, 4) | Bits(11, 20) | Bits(27, 31),
                                  Bits(0, 2) | Bits(7, 12) | Bits(17, 19)};

} // namespace

DicomRecord::DicomRecord(unsigned permanentTeeth, unsigned primaryTeeth,
                         const std::string& computerName) {
    PutWord(0, kSize);
    PutText(4, 64, "1.2.840.10008.5.1.4.1.1.1.3");
    PutText(68, 32, "IO");
    PutText(100, 64, "Tovi USB II");
    PutText(164, 128, "Tovi USB II");
    PutText(420, 64, "Kavenor Tovi USB II Extension " + VersionText() + ")");
    PutText(484, 64, computerName);
    PutText(1152, 64, "JAW");
    PutText(1216, 64, Orientation(permanentTeeth, primaryTeeth));
    PutText(1280, 32, Laterality(permanentTeeth, primaryTeeth));
    PutText(1312, 64, "Maxilla and mandible");
    PutText(1376, 32, "T-D1217");
    PutWord(1440, 1);
    PutWord(1572, permanentTeeth);
    PutWord(1576, primaryTeeth);
}

void DicomRecord::CopyToHost(void* hostRecord) const {
    if (hostRecord == nullptr)
        return;
    auto hostSize = LoadLittleEndian<std::uint32_t>(static_cast<const std::uint8_t*>(hostRecord));
    std::memcpy(hostRecord, bytes_.data(), std::min<std::size_t>(hostSize, kSize));
}

std::string DicomRecord::Laterality(unsigned permanentTeeth, unsigned primaryTeeth) {
    bool left = kLeftSide.Meets(permanentTeeth, primaryTeeth);
    bool right = kRightSide.Meets(permanentTeeth, primaryTeeth);
    if (left && !right)
        return "L";
    if (right && !left)
        return "R";
    return "B";
}

std::string DicomRecord::Orientation(unsigned permanentTeeth, unsigned primaryTeeth) {
    std::string text = "H";
    std::string side = Laterality(permanentTeeth, primaryTeeth);
    if (side != "B")
        text += "/" + side;
    bool anterior = kCanineToCanine.Meets(permanentTeeth, primaryTeeth);
    bool posterior = kBehindCanines.Meets(permanentTeeth, primaryTeeth);
    if (anterior && !posterior)
        text += "/A";
    else if (posterior && !anterior)
        text += "/P";
    return text;
}

std::string DicomRecord::VersionText() {
    return ksp::GetFileVersionText(ksp::GetLibraryPath());
}

void DicomRecord::PutText(std::size_t offset, std::size_t width, const std::string& text) {
    CopyBoundedText(reinterpret_cast<char*>(bytes_.data() + offset), width, text);
}

void DicomRecord::PutWord(std::size_t offset, std::uint32_t value) {
    StoreLittleEndian(bytes_.data() + offset, value);
}
