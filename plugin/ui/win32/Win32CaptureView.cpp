#include "plugin/ui/win32/Win32CaptureView.h"

#include "platform/win32/ThisModule.h"
#include "plugin/ui/win32/DialogProcedure.h"
#include "resources/DialogIds.h"

namespace ui {

namespace {

constexpr UINT kEndMessage = WM_USER + 10;
// A status line from another thread: lParam is its zero-terminated text.
constexpr UINT kStatusLineMessage = WM_APP + 1;

int ControlId(CaptureText text) {
    switch (text) {
    case CaptureText::TeethLabel:
        return IDC_TEETH_LABEL;
    case CaptureText::Teeth:
        return IDC_TEETH;
    case CaptureText::StatusLabel:
        return IDC_STATUS_LABEL;
    case CaptureText::Elapsed:
        return IDC_ELAPSED;
    }
    return 0;
}

bool ModifierHeld() {
    for (int key : {VK_CONTROL, VK_SHIFT, VK_MENU})
        if ((::GetKeyState(key) & 0x8000) != 0)
            return true;
    return false;
}

} // namespace

Win32CaptureView::~Win32CaptureView() {
    Destroy();
}

bool Win32CaptureView::Create(void* parent, CaptureDialogEvents& events) {
    if (IsWindow())
        return false;
    events_ = &events;
    ended_ = false;
    return ::CreateDialogParamA(platform::ThisModule(), MAKEINTRESOURCEA(IDD_CAPTURE_XRAY),
                                static_cast<HWND>(parent), &DialogProcedure<Win32CaptureView>,
                                reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Win32CaptureView::Show() {
    HWND window = window_.load();
    ::ShowWindow(window, SW_SHOW);
    ::UpdateWindow(window);
}

platform::WindowHandle Win32CaptureView::Window() const {
    return reinterpret_cast<platform::WindowHandle>(window_.load());
}

void Win32CaptureView::Destroy() {
    if (HWND window = window_.exchange(nullptr))
        ::DestroyWindow(window);
}

HWND Win32CaptureView::Control(CaptureText text) const {
    return ::GetDlgItem(window_.load(), ControlId(text));
}

void Win32CaptureView::SetText(CaptureText text, const std::string& value) {
    ::SetWindowTextA(Control(text), value.c_str());
}

void Win32CaptureView::SetTextStyle(CaptureText text, const TextStyle& style) {
    texts_.Apply(window_.load(), ControlId(text), style);
}

void Win32CaptureView::AddStatusLine(const std::string& line) {
    HWND list = ::GetDlgItem(window_.load(), IDC_STATUS_LIST);
    LRESULT index = ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (index >= 0)
        ::SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

void Win32CaptureView::Minimise() {
    ::ShowWindow(window_.load(), SW_SHOWMINIMIZED);
}

void Win32CaptureView::StartTimer(std::uintptr_t id, unsigned periodMilliseconds) {
    ::SetTimer(window_.load(), id, periodMilliseconds, nullptr);
}

void Win32CaptureView::StopTimer(std::uintptr_t id) {
    ::KillTimer(window_.load(), id);
}

// A plain loop for a modeless dialog; WM_QUIT ends it and is posted again
// for the loop outside.
DialogResult Win32CaptureView::RunModalLoop() {
    while (!ended_) {
        HWND window = window_.load();
        if (window == nullptr)
            return DialogResult::Cancel;
        MSG message;
        BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
        if (got == 0)
            ::PostQuitMessage(static_cast<int>(message.wParam));
        if (got == 0 || got == -1)
            return DialogResult::Cancel;
        if (!::IsDialogMessageA(window, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
    return result_;
}

void Win32CaptureView::EndModalLoop(DialogResult result) {
    ended_ = true;
    result_ = result;
}

bool Win32CaptureView::PostEndMessage(std::intptr_t lParam) {
    HWND window = window_.load();
    return window != nullptr && ::PostMessageA(window, kEndMessage, 0, lParam) != 0;
}

bool Win32CaptureView::SendStatusLine(const std::string& line) {
    HWND window = window_.load();
    if (window == nullptr)
        return false;
    ::SendMessageA(window, kStatusLineMessage, 0, reinterpret_cast<LPARAM>(line.c_str()));
    return true;
}

INT_PTR Win32CaptureView::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        events_->OnOpening();
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(
            texts_.ControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_TIMER:
        events_->OnTimer(wParam);
        return TRUE;
    case WM_COMMAND:
        return HandleCommand(wParam);
    case kEndMessage:
        events_->OnEndMessage(lParam);
        return TRUE;
    case kStatusLineMessage:
        events_->OnStatusLine(reinterpret_cast<const char*>(lParam));
        return TRUE;
    case WM_DESTROY:
        // Destroyed from outside (with its owner): the loop ends with Cancel.
        window_ = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR Win32CaptureView::HandleCommand(WPARAM wParam) {
    if (LOWORD(wParam) != IDCANCEL)
        return FALSE;
    events_->OnCancel(ModifierHeld());
    return TRUE;
}

} // namespace ui
