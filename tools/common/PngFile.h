#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tools {

enum class PngPixels { Grey8, Grey16, Bgr24 };

// Rows top-down, `stride` bytes apart; 16-bit samples in the machine's byte
// order. False with the reason in `error` when the file cannot be written.
bool WritePng(const std::string& path, int width, int height, PngPixels pixels,
              const std::uint8_t* rows, std::size_t stride, std::string& error);

} // namespace tools
