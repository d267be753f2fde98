// The Windows plug-in's dialogs are read by a helper thread while they stand
// open, then cancelled.

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "resources/DialogIds.h"
#include "tools/common/DialogReading.h"
#include "tools/host/SensorList.h"

namespace {

using namespace dialog_reading;

void PrintCells(const std::vector<std::string>& cells) {
    std::string line;
    for (const std::string& cell : cells)
        line += (line.empty() ? "  " : " | ") + cell;
    std::printf("%s\n", line.c_str());
}

void ReadSelection() {
    HWND dialog = WaitForDialog("Select Sensor", 3000);
    if (dialog == nullptr)
        return;
    std::printf("Select Sensor: %s\n", ItemText(dialog, IDC_SELECT_MESSAGE).c_str());
    HWND list = ::GetDlgItem(dialog, IDC_SENSOR_LIST);
    if (::IsWindowVisible(list)) {
        PrintCells({ListColumnTitle(list, 0), ListColumnTitle(list, 1), ListColumnTitle(list, 2)});
        const auto rows = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < rows; ++row)
            PrintCells({ListCellText(list, row, 0), ListCellText(list, row, 1),
                        ListCellText(list, row, 2)});
    }
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

void ReadHardware() {
    HWND sheet = WaitForDialog("Sensor Options", 3000);
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
