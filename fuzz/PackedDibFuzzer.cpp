// Feeds arbitrary bytes to the packed-DIB import as a host's block would, then
// turns and exports whatever imported.

#include <cstddef>
#include <cstdint>

#include "image/Orientation.h"
#include "image/PackedDib.h"
#include "platform/GlobalMemory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (auto image = ImageFromPackedDIB(data, size)) {
        if (auto turned = Rotate90(image.get()))
            platform::GlobalFreeBlock(turned->CreatePackedDIB());
    }
    if (auto image = Image16FromPackedDIB(data, size)) {
        if (auto turned = Rotate270(image.get()))
            platform::GlobalFreeBlock(CreatePackedDIB(*turned));
    }
    return 0;
}
