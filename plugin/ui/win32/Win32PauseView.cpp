#include "plugin/ui/win32/Win32PauseView.h"

#include <string>

#include "platform/win32/ThisModule.h"
#include "plugin/ui/win32/DialogProcedure.h"
#include "resources/DialogIds.h"

namespace ui {

namespace {

constexpr int kPictureMargin = 6;

int ButtonId(PauseButton button) {
    return button == PauseButton::Continue ? IDOK : IDCANCEL;
}

std::string WindowText(HWND window) {
    char text[128] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

// The picture at the left of the button, its face showing through the transparent colour.
int DrawPicture(HDC dc, const RECT& area, HBITMAP bitmap, COLORREF transparent) {
    BITMAP size{};
    if (bitmap == nullptr || ::GetObjectA(bitmap, sizeof size, &size) == 0)
        return area.left + kPictureMargin;
    HDC source = ::CreateCompatibleDC(dc);
    HGDIOBJ previous = ::SelectObject(source, bitmap);
    int top = (area.top + area.bottom - size.bmHeight) / 2;
    ::TransparentBlt(dc, area.left + kPictureMargin, top, size.bmWidth, size.bmHeight, source, 0, 0,
                     size.bmWidth, size.bmHeight, transparent);
    ::SelectObject(source, previous);
    ::DeleteDC(source);
    return area.left + 2 * kPictureMargin + size.bmWidth;
}

} // namespace

Win32PauseView::~Win32PauseView() {
    ReleasePictures();
}

void Win32PauseView::ReleasePictures() {
    for (auto& [id, picture] : pictures_)
        ::DeleteObject(picture.bitmap);
    pictures_.clear();
}

DialogResult Win32PauseView::RunModal(void* parent, PauseDialogEvents& events) {
    events_ = &events;
    INT_PTR result = ::DialogBoxParamA(platform::ThisModule(), MAKEINTRESOURCEA(IDD_CAPTURE_PAUSE),
                                       static_cast<HWND>(parent), &DialogProcedure<Win32PauseView>,
                                       reinterpret_cast<LPARAM>(this));
    window_ = nullptr;
    ReleasePictures();
    return result == IDOK ? DialogResult::Ok : DialogResult::Cancel;
}

void Win32PauseView::End(DialogResult result) {
    ::EndDialog(window_, static_cast<INT_PTR>(result));
}

void Win32PauseView::SetButtonBitmap(PauseButton button, int bitmapId, Colour transparent) {
    auto bitmap =
        static_cast<HBITMAP>(::LoadImageA(platform::ThisModule(), MAKEINTRESOURCEA(bitmapId),
                                          IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    Picture& picture = pictures_[ButtonId(button)];
    if (picture.bitmap != nullptr)
        ::DeleteObject(picture.bitmap);
    picture = {bitmap, RGB(transparent.red, transparent.green, transparent.blue)};
    ::InvalidateRect(::GetDlgItem(window_, ButtonId(button)), nullptr, TRUE);
}

void Win32PauseView::DrawButton(const DRAWITEMSTRUCT& item) const {
    RECT area = item.rcItem;
    bool pressed = (item.itemState & ODS_SELECTED) != 0;
    ::DrawFrameControl(item.hDC, &area, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    auto found = pictures_.find(static_cast<int>(item.CtlID));
    Picture picture = found == pictures_.end() ? Picture{} : found->second;
    RECT text = area;
    text.left = DrawPicture(item.hDC, area, picture.bitmap, picture.transparent);
    ::SetBkMode(item.hDC, TRANSPARENT);
    std::string caption = WindowText(item.hwndItem);
    ::DrawTextA(item.hDC, caption.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    if ((item.itemState & ODS_FOCUS) != 0) {
        RECT focus = area;
        ::InflateRect(&focus, -3, -3);
        ::DrawFocusRect(item.hDC, &focus);
    }
}

INT_PTR Win32PauseView::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        events_->OnOpening();
        return TRUE;
    case WM_DRAWITEM:
        DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_COMMAND:
        return OkOrCancelCommand(
            wParam, [this] { events_->OnContinue(); }, [this] { events_->OnAbort(); });
    default:
        return FALSE;
    }
}

} // namespace ui
