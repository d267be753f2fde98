// Feeds arbitrary bytes to the ToviRay packed defect parser and repairs a small
// frame with whatever map it built.

#include <cstddef>
#include <cstdint>

#include "hardware/Codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CodecTOVIRAY codec;
    codec.ParsePackedDefects(data, size, 0, 0);
    RawFrame frame;
    frame.Allocate(31, 20, 600, 600);
    codec.CorrectFrame(frame, (size & 1) != 0);
    return 0;
}
