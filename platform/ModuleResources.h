#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// A bitmap resource of this module as a packed DIB (header, colour table, bits).
struct ResourceBytes {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

// False with the system's error code when the module has no such bitmap.
bool FindBitmapResource(int id, ResourceBytes& bytes, unsigned long& error);

} // namespace platform
