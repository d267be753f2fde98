// Feeds arbitrary text to the 2000-series defect parser and repairs a small
// frame with whatever map it built.

#include <cstddef>
#include <cstdint>
#include <string>

#include "hardware/Codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    Codec2000 codec;
    codec.ParseDefectText(text.c_str(), 32, 24);
    RawFrame frame;
    frame.Allocate(33, 24, 600, 600);
    codec.CorrectFrame(frame, (size & 1) != 0);
    return 0;
}
