#pragma once

#include <cstdint>
#include <vector>

// Data that travels with an image; the image classes do not interpret it.
struct ImageAttachment {
    std::vector<std::uint8_t> data;
    std::uint32_t value = 0;
    std::uint32_t first = 0;
    std::uint32_t second = 0;
};
