#pragma once

#include <windows.h>

namespace ui {

// The dialog procedure of a view: WM_INITDIALOG brings the view's address,
// which the window keeps; every message then goes to View::Handle.
template <typename View>
INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrA(window, DWLP_USER, lParam);
        reinterpret_cast<View*>(lParam)->Attach(window);
    }
    auto* view = reinterpret_cast<View*>(::GetWindowLongPtrA(window, DWLP_USER));
    return view != nullptr ? view->Handle(message, wParam, lParam) : FALSE;
}

// WM_COMMAND from the OK and Cancel buttons (Enter and Esc among them);
// FALSE for any other command.
template <typename Ok, typename Cancel>
INT_PTR OkOrCancelCommand(WPARAM wParam, Ok&& ok, Cancel&& cancel) {
    if (LOWORD(wParam) == IDOK)
        ok();
    else if (LOWORD(wParam) == IDCANCEL)
        cancel();
    else
        return FALSE;
    return TRUE;
}

} // namespace ui
