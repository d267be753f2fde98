#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>

#include "plugin/ui/DialogTypes.h"

namespace ui {

// Colours and fonts of a dialog's static texts, for WM_CTLCOLORSTATIC; owns the fonts.
class StyledTexts {
public:
    StyledTexts() = default;
    StyledTexts(const StyledTexts&) = delete;
    StyledTexts& operator=(const StyledTexts&) = delete;
    ~StyledTexts();

    void Apply(HWND dialog, int controlId, const TextStyle& style);
    // The brush for a styled control (its colour set on dc), or null for the dialog's default.
    HBRUSH ControlColour(HDC dc, HWND control) const;

private:
    HFONT FontFor(HWND control, const TextStyle& style);

    std::map<HWND, COLORREF> colours_;
    std::map<std::pair<bool, std::string>, HFONT> fonts_;
};

} // namespace ui
