#include "plugin/ui/win32/StyledTexts.h"

#include <cstring>

namespace ui {

StyledTexts::~StyledTexts() {
    for (auto& [key, font] : fonts_)
        ::DeleteObject(font);
}

void StyledTexts::Apply(HWND dialog, int controlId, const TextStyle& style) {
    HWND control = ::GetDlgItem(dialog, controlId);
    if (control == nullptr)
        return;
    colours_[control] = RGB(style.colour.red, style.colour.green, style.colour.blue);
    if (HFONT font = FontFor(control, style))
        ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::InvalidateRect(control, nullptr, TRUE);
}

HBRUSH StyledTexts::ControlColour(HDC dc, HWND control) const {
    auto found = colours_.find(control);
    if (found == colours_.end())
        return nullptr;
    ::SetTextColor(dc, found->second);
    ::SetBkMode(dc, TRANSPARENT);
    return ::GetSysColorBrush(COLOR_BTNFACE);
}

// The control's own font made bold and given the style's face; one per kind.
HFONT StyledTexts::FontFor(HWND control, const TextStyle& style) {
    auto key = std::make_pair(style.bold, style.font);
    if (auto found = fonts_.find(key); found != fonts_.end())
        return found->second;
    LOGFONTA description{};
    auto current = reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0));
    if (current == nullptr || ::GetObjectA(current, sizeof description, &description) == 0)
        return nullptr;
    description.lfWeight = style.bold ? FW_BOLD : FW_NORMAL;
    if (!style.font.empty()) {
        std::memset(description.lfFaceName, 0, sizeof description.lfFaceName);
        std::strncpy(description.lfFaceName, style.font.c_str(), LF_FACESIZE - 1);
    }
    HFONT font = ::CreateFontIndirectA(&description);
    if (font != nullptr)
        fonts_[key] = font;
    return font;
}

} // namespace ui
