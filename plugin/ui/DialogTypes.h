#pragma once

#include <cstdint>
#include <string>

namespace ui {

// How a dialog or a modal loop ended, with the values of IDOK and IDCANCEL.
enum class DialogResult : int { Ok = 1, Cancel = 2 };

struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};

inline constexpr Colour kBlack{0, 0, 0};
inline constexpr Colour kDarkBlue{0, 0, 128};
inline constexpr Colour kBlue{0, 0, 255};
inline constexpr Colour kDarkRed{128, 0, 0};
inline constexpr Colour kLightGrey{192, 192, 192};
inline constexpr Colour kWhite{255, 255, 255};

// How a static text is drawn; an empty font keeps the dialog's own face.
struct TextStyle {
    Colour colour;
    bool bold = false;
    std::string font;
    friend bool operator==(const TextStyle&, const TextStyle&) = default;
};

} // namespace ui
