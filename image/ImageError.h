#pragma once

#include <cstdint>
#include <string>

// The module's last image error: a code here, its text in lastErrorText.
constexpr std::uint32_t kImageErrorOutOfMemory = 0;
constexpr std::uint32_t kImageErrorBitsPerPixel = 0x20000000;
constexpr std::uint32_t kImageErrorDimensions = 0x20000001;
constexpr std::uint32_t kImageErrorColorBits = 0x20000002;
constexpr std::uint32_t kImageErrorBitPlanes = 0x20000003;
constexpr std::uint32_t kImageErrorCompression = 0x20000004;
constexpr std::uint32_t kImageErrorResource = 0x20000005;

// The format is translated first, then filled with the numbers.
void SetLastImageError(std::uint32_t code, const char* format, unsigned long first = 0,
                       unsigned long second = 0);
std::uint32_t LastImageErrorCode();
// Only the translated text, no code.
void SetImageErrorText(const std::string& text);
