#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

#include "plugin/ui/options/OptionsSheetView.h"
#include "plugin/ui/win32/StyledTexts.h"

namespace ui {

// The password prompt from template 19001, run with DialogBoxParamA; the
// texts set before it runs are shown when it opens.
class Win32PasswordView : public PasswordDialogView {
public:
    std::optional<std::string> RunModal(void* parent) override;
    void SetCaption(const std::string& caption) override;
    void SetLabel(const std::string& text, const TextStyle& style) override;
    void SetMessage(const std::string& text, const TextStyle& style, Colour background) override;
    void PlayDefaultSound() override;

    void Attach(HWND window) { window_ = window; }
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);

private:
    struct StyledText {
        std::string text;
        TextStyle style;
    };
    struct BrushDeleter {
        void operator()(HBRUSH brush) const { ::DeleteObject(brush); }
    };

    void ShowTexts();
    INT_PTR StaticColour(HDC dc, HWND control);
    void End(INT_PTR result);

    HWND window_ = nullptr;
    std::string caption_;
    StyledText label_, message_;
    Colour background_ = kWhite;
    std::unique_ptr<std::remove_pointer_t<HBRUSH>, BrushDeleter> backgroundBrush_;
    StyledTexts texts_;
    std::string entered_;
};

} // namespace ui
