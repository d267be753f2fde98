// The Windows plug-in's dialogs are read by a helper thread while they stand
// open, then cancelled.

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "resources/DialogIds.h"
#include "tools/host/SensorList.h"

namespace {

HWND WaitForWindow(const char* caption) {
    for (int attempt = 0; attempt < 3000; ++attempt) {
        HWND window = ::FindWindowA("#32770", caption);
        if (window != nullptr && ::IsWindowVisible(window))
            return window;
        ::Sleep(10);
    }
    return nullptr;
}

std::string ItemText(HWND dialog, int id) {
    char text[4096] = {};
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void PrintCells(const std::vector<std::string>& cells) {
    std::string line;
    for (const std::string& cell : cells)
        line += (line.empty() ? "  " : " | ") + cell;
    std::printf("%s\n", line.c_str());
}

std::string CellText(HWND list, int row, int column) {
    char text[256] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
    return text;
}

std::string ColumnTitle(HWND list, int column) {
    char text[128] = {};
    LVCOLUMNA title{};
    title.mask = LVCF_TEXT;
    title.pszText = text;
    title.cchTextMax = sizeof text;
    ::SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(column),
                   reinterpret_cast<LPARAM>(&title));
    return text;
}

void ReadSelection() {
    HWND dialog = WaitForWindow("Select Sensor");
    if (dialog == nullptr)
        return;
    std::printf("Select Sensor: %s\n", ItemText(dialog, IDC_SELECT_MESSAGE).c_str());
    HWND list = ::GetDlgItem(dialog, IDC_SENSOR_LIST);
    if (::IsWindowVisible(list)) {
        PrintCells({ColumnTitle(list, 0), ColumnTitle(list, 1), ColumnTitle(list, 2)});
        const auto rows = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < rows; ++row)
            PrintCells({CellText(list, row, 0), CellText(list, row, 1), CellText(list, row, 2)});
    }
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

void ReadHardware() {
    HWND sheet = WaitForWindow("Sensor Options");
    if (sheet == nullptr)
        return;
    HWND page = reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    std::string summary = ItemText(page, IDC_HARDWARE);
    std::printf("Hardware Detected:\n");
    std::size_t start = 0;
    while (start < summary.size()) {
        std::size_t end = summary.find("\r\n", start);
        end = end == std::string::npos ? summary.size() : end;
        std::printf("  %s\n", summary.substr(start, end - start).c_str());
        start = end + 2;
    }
    ::PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

} // namespace

void PrepareSensorList() {}

void ListSensors(HostPlugin& plugin) {
    std::thread selection(ReadSelection);
    plugin.DisplayConfiguration();
    selection.join();
    std::fflush(stdout);
    std::thread hardware(ReadHardware);
    plugin.DisplayOptions();
    hardware.join();
}
