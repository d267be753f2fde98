#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A raw dump written by the capture ("Save a binary dump file of captured
// image") run through the very hand-off the capture runs: the chain of the
// family with the option record, the depth, the label and the orientation by
// the teeth. The enhancement library is not used.
struct ReplayRequest {
    std::string dumpPath;
    std::int32_t family = 0; // 0 2000, 1 ToviRay, 2 2000+
    bool sixteenBit = false;
    std::uint32_t permanentTeeth = 0;
    std::uint32_t primaryTeeth = 0;
    std::vector<std::uint8_t> options; // the host's record; empty: the defaults
};

// The packed DIB the capture would have handed over; false with the reason.
bool ReplayDump(const ReplayRequest& request, std::vector<std::uint8_t>& dib, std::string& error);
