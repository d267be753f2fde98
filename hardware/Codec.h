#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "hardware/RawFrame.h"
#include "image/FlawMap.h"

// One fixed-pattern-noise entry: signed coefficients (two's complement in the
// packed records).
struct tagFPNEntry {
    std::int32_t first = 0;
    std::int32_t second = 0;
    std::int32_t third = 0;
};

constexpr std::int32_t kResultOk = 0;
constexpr std::int32_t kResultNotImplemented = static_cast<std::int32_t>(0x80004001);
constexpr std::int32_t kResultUnexpected = static_cast<std::int32_t>(0x8000FFFF);

// A sensor's defect description as a flaw map and FPN entries, and the
// correction of a frame with it.
class Codec {
public:
    virtual ~Codec() = default;
    virtual std::int32_t ParseDefectText(const char* text, std::uint32_t pixelsPerLine,
                                         std::uint32_t lines) = 0;
    virtual std::int32_t ParsePackedDefects(const std::uint8_t* data, std::size_t length,
                                            std::uint32_t first, std::uint32_t second) = 0;
    virtual void CorrectFrame(RawFrame& frame, bool halve) = 0;

    void Clear() { flawMap_.ClearFlaws(); }
    // 0: flaw pixel (a, b); 2: flaw column a; 3: flaw row b; 6: FPN entry (a, b, c).
    void AddDefect(std::int32_t kind, std::int32_t a, std::int32_t b, std::int32_t c);
    const FlawMap& Flaws() const { return flawMap_; }
    const std::vector<tagFPNEntry>& FpnEntries() const { return fpnEntries_; }

protected:
    enum class Repair { Neighbours, Interpolation };
    // Halving scales a copy of the map; "FlawsToBlack.TXT" beside the host program
    // blackens the flaws instead of repairing them.
    void Correct(RawFrame& frame, bool halve, bool roundHalfUp, Repair repair) const;

private:
    FlawMap flawMap_;
    std::vector<tagFPNEntry> fpnEntries_;
};

class Codec2000 : public Codec {
public:
    // Lines of "x y kind"; kinds 0 and 3 count lines from one above the frame.
    std::int32_t ParseDefectText(const char* text, std::uint32_t pixelsPerLine,
                                 std::uint32_t lines) override;
    std::int32_t ParsePackedDefects(const std::uint8_t*, std::size_t, std::uint32_t,
                                    std::uint32_t) override {
        return kResultNotImplemented;
    }
    void CorrectFrame(RawFrame& frame, bool halve) override {
        Correct(frame, halve, true, Repair::Neighbours);
    }
};

class CodecTOVIRAY : public Codec {
public:
    std::int32_t ParseDefectText(const char*, std::uint32_t, std::uint32_t) override {
        return kResultNotImplemented;
    }
    // A bit stream of records: a 3-bit kind, then its fields, least significant bit first.
    std::int32_t ParsePackedDefects(const std::uint8_t* data, std::size_t length,
                                    std::uint32_t first, std::uint32_t second) override;
    void CorrectFrame(RawFrame& frame, bool halve) override {
        Correct(frame, halve, false, Repair::Interpolation);
    }
};
