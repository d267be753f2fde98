#include "plugin/ui/win32/Win32PasswordView.h"

#include "platform/win32/ThisModule.h"
#include "plugin/ui/win32/DialogProcedure.h"
#include "resources/DialogIds.h"

namespace ui {

std::optional<std::string> Win32PasswordView::RunModal(void* parent) {
    entered_.clear();
    const INT_PTR result = ::DialogBoxParamA(
        platform::ThisModule(), MAKEINTRESOURCEA(IDD_PASSWORD_REQUIRED), static_cast<HWND>(parent),
        &DialogProcedure<Win32PasswordView>, reinterpret_cast<LPARAM>(this));
    window_ = nullptr;
    backgroundBrush_.reset();
    if (result != IDOK)
        return std::nullopt;
    return entered_;
}

void Win32PasswordView::SetCaption(const std::string& caption) {
    caption_ = caption;
}

void Win32PasswordView::SetLabel(const std::string& text, const TextStyle& style) {
    label_ = {text, style};
}

void Win32PasswordView::SetMessage(const std::string& text, const TextStyle& style,
                                   Colour background) {
    message_ = {text, style};
    background_ = background;
}

void Win32PasswordView::PlayDefaultSound() {
    ::MessageBeep(MB_OK);
}

void Win32PasswordView::ShowTexts() {
    ::SetWindowTextA(window_, caption_.c_str());
    ::SetDlgItemTextA(window_, IDC_PASSWORD_LABEL, label_.text.c_str());
    texts_.Apply(window_, IDC_PASSWORD_LABEL, label_.style);
    ::SetDlgItemTextA(window_, IDC_PASSWORD_MESSAGE, message_.text.c_str());
    texts_.Apply(window_, IDC_PASSWORD_MESSAGE, message_.style);
    backgroundBrush_.reset(
        ::CreateSolidBrush(RGB(background_.red, background_.green, background_.blue)));
}

// The message on its own background; the other texts on the dialog's.
INT_PTR Win32PasswordView::StaticColour(HDC dc, HWND control) {
    HBRUSH brush = texts_.ControlColour(dc, control);
    if (control == ::GetDlgItem(window_, IDC_PASSWORD_MESSAGE) && backgroundBrush_)
        brush = backgroundBrush_.get();
    return reinterpret_cast<INT_PTR>(brush);
}

void Win32PasswordView::End(INT_PTR result) {
    if (result == IDOK) {
        HWND field = ::GetDlgItem(window_, IDC_PASSWORD);
        entered_.assign(static_cast<std::size_t>(::GetWindowTextLengthA(field)) + 1, '\0');
        entered_.resize(static_cast<std::size_t>(
            ::GetWindowTextA(field, entered_.data(), static_cast<int>(entered_.size()))));
    }
    ::EndDialog(window_, result);
}

INT_PTR Win32PasswordView::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        ShowTexts();
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return StaticColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_COMMAND:
        return OkOrCancelCommand(
            wParam, [this] { End(IDOK); }, [this] { End(IDCANCEL); });
    default:
        return FALSE;
    }
}

} // namespace ui
