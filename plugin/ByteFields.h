#pragma once

// Little-endian values and zero-terminated texts in fixed-layout records.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

template <typename T> T LoadLittleEndian(const std::uint8_t* at) {
    static_assert(sizeof(T) == 4 || sizeof(T) == 8);
    std::uint64_t raw = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        raw |= std::uint64_t{at[i]} << (8 * i);
    if constexpr (sizeof(T) == 8)
        return std::bit_cast<T>(raw);
    else
        return std::bit_cast<T>(static_cast<std::uint32_t>(raw));
}

template <typename T> void StoreLittleEndian(std::uint8_t* at, T value) {
    static_assert(sizeof(T) == 4 || sizeof(T) == 8);
    std::uint64_t raw;
    if constexpr (sizeof(T) == 8)
        raw = std::bit_cast<std::uint64_t>(value);
    else
        raw = std::bit_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        at[i] = static_cast<std::uint8_t>(raw >> (8 * i));
}

// Copies at most capacity - 1 characters and always terminates; capacity 0 writes nothing.
inline void CopyBoundedText(char* dst, std::size_t capacity, const std::string& text) {
    if (dst == nullptr || capacity == 0)
        return;
    std::size_t length = std::min(text.size(), capacity - 1);
    std::memcpy(dst, text.data(), length);
    dst[length] = '\0';
}
