#pragma once

// Little-endian values and zero-terminated texts in fixed-layout records.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace byte_fields_detail {
template <std::size_t N> struct Unsigned;
template <> struct Unsigned<1> { using type = std::uint8_t; };
template <> struct Unsigned<2> { using type = std::uint16_t; };
template <> struct Unsigned<4> { using type = std::uint32_t; };
template <> struct Unsigned<8> { using type = std::uint64_t; };
} // namespace byte_fields_detail

template <typename T> T LoadLittleEndian(const std::uint8_t* at) {
    using Raw = typename byte_fields_detail::Unsigned<sizeof(T)>::type;
    std::uint64_t raw = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        raw |= std::uint64_t{at[i]} << (8 * i);
    return std::bit_cast<T>(static_cast<Raw>(raw));
}

template <typename T> void StoreLittleEndian(std::uint8_t* at, T value) {
    using Raw = typename byte_fields_detail::Unsigned<sizeof(T)>::type;
    std::uint64_t raw = std::bit_cast<Raw>(value);
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
