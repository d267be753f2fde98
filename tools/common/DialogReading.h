#pragma once

// Reading the plug-in's dialogs from another thread of the same process: the
// lister of tovi-host, the dialog pictures and the Windows dialog tests.

#include <windows.h>

#include <commctrl.h>

#include <string>

namespace dialog_reading {

// The visible dialog with the caption, waited for up to `attempts` x 10 ms.
inline HWND WaitForDialog(const char* caption, int attempts = 1000) {
    for (int attempt = 0; attempt < attempts; ++attempt) {
        HWND window = ::FindWindowA("#32770", caption);
        if (window != nullptr && ::IsWindowVisible(window))
            return window;
        ::Sleep(10);
    }
    return nullptr;
}

inline std::string ItemText(HWND dialog, int id) {
    char text[4096] = {};
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

inline std::string ListCellText(HWND list, int row, int column) {
    char text[256] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
    return text;
}

inline std::string ListColumnTitle(HWND list, int column) {
    char text[128] = {};
    LVCOLUMNA title{};
    title.mask = LVCF_TEXT;
    title.pszText = text;
    title.cchTextMax = sizeof text;
    ::SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(column),
                   reinterpret_cast<LPARAM>(&title));
    return text;
}

inline void PressButton(HWND dialog, int id) {
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

} // namespace dialog_reading
