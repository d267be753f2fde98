#include "plugin/ui/win32/Win32SelectSensorView.h"

#include <commctrl.h>

#include "platform/win32/ThisModule.h"
#include "plugin/ui/win32/DialogProcedure.h"
#include "resources/DialogIds.h"

namespace ui {

namespace {

constexpr int kColumnWidth = 140;

void InitialiseListViews() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
}

} // namespace

DialogResult Win32SelectSensorView::RunModal(void* parent, SelectSensorEvents& events) {
    events_ = &events;
    InitialiseListViews();
    INT_PTR result = ::DialogBoxParamA(
        platform::ThisModule(), MAKEINTRESOURCEA(IDD_SELECT_SENSOR), static_cast<HWND>(parent),
        &DialogProcedure<Win32SelectSensorView>, reinterpret_cast<LPARAM>(this));
    window_ = nullptr;
    return result == IDOK ? DialogResult::Ok : DialogResult::Cancel;
}

void Win32SelectSensorView::End(DialogResult result) {
    ::EndDialog(window_, static_cast<INT_PTR>(result));
}

HWND Win32SelectSensorView::List() const {
    return ::GetDlgItem(window_, IDC_SENSOR_LIST);
}

void Win32SelectSensorView::SetColumns(const std::vector<std::string>& titles) {
    for (std::size_t i = 0; i < titles.size(); ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.cx = kColumnWidth;
        column.pszText = const_cast<char*>(titles[i].c_str());
        column.iSubItem = static_cast<int>(i);
        ::SendMessageA(List(), LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
}

void Win32SelectSensorView::SetMessage(const std::string& text, const TextStyle& style) {
    ::SetDlgItemTextA(window_, IDC_SELECT_MESSAGE, text.c_str());
    texts_.Apply(window_, IDC_SELECT_MESSAGE, style);
}

void Win32SelectSensorView::AddRow(const std::vector<std::string>& cells) {
    if (cells.empty())
        return;
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(::SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<char*>(cells[0].c_str());
    auto row = static_cast<WPARAM>(
        ::SendMessageA(List(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    for (std::size_t cell = 1; cell < cells.size(); ++cell) {
        LVITEMA text{};
        text.iSubItem = static_cast<int>(cell);
        text.pszText = const_cast<char*>(cells[cell].c_str());
        ::SendMessageA(List(), LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&text));
    }
}

void Win32SelectSensorView::SelectRow(int row) {
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageA(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&state));
}

void Win32SelectSensorView::HideList() {
    ::ShowWindow(List(), SW_HIDE);
}

int Win32SelectSensorView::SelectedRow() const {
    return static_cast<int>(
        ::SendMessageA(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

INT_PTR Win32SelectSensorView::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        ::SendMessageA(List(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                       LVS_EX_FULLROWSELECT);
        events_->OnOpening();
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(
            texts_.ControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_COMMAND:
        return OkOrCancelCommand(
            wParam, [this] { events_->OnOk(); }, [this] { events_->OnCancel(); });
    default:
        return FALSE;
    }
}

} // namespace ui
