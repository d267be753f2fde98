#pragma once

#include <windows.h>

#include <map>

#include "plugin/ui/PauseDialogView.h"

namespace ui {

// The pause dialog from template 5005: two owner-drawn buttons with pictures.
class Win32PauseView : public PauseDialogView {
public:
    Win32PauseView() = default;
    Win32PauseView(const Win32PauseView&) = delete;
    Win32PauseView& operator=(const Win32PauseView&) = delete;
    ~Win32PauseView() override;

    DialogResult RunModal(void* parent, PauseDialogEvents& events) override;
    void End(DialogResult result) override;
    void SetButtonBitmap(PauseButton button, int bitmapId, Colour transparent) override;

    void Attach(HWND window) { window_ = window; }
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);

private:
    struct Picture {
        HBITMAP bitmap = nullptr;
        COLORREF transparent = 0;
    };
    void DrawButton(const DRAWITEMSTRUCT& item) const;
    void ReleasePictures();

    HWND window_ = nullptr;
    PauseDialogEvents* events_ = nullptr;
    std::map<int, Picture> pictures_;
};

} // namespace ui
