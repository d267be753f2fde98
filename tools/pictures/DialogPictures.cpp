// Draws every dialog of the plug-in as Windows shows it and saves each as a
// PNG file: the capture dialog with its status lines, the selection dialog
// with two sensors and with none, the pause dialog, the password prompt and
// every page of the options sheet.
//   tovi_dialog_pictures <output directory>

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "plugin/PluginState.h"
#include "plugin/ui/CaptureDialog.h"
#include "plugin/ui/DialogViews.h"
#include "plugin/ui/PauseDialog.h"
#include "plugin/ui/SelectSensorDialog.h"
#include "plugin/ui/options/PasswordGate.h"
#include "plugin/ui/options/SensorOptionsDialog.h"
#include "resources/DialogIds.h"
#include "tools/common/DialogReading.h"
#include "tools/common/PngFile.h"

namespace {

std::string outputDirectory;
int failures = 0;

HWND WaitForWindow(const char* caption) {
    HWND window = dialog_reading::WaitForDialog(caption);
    if (window == nullptr) {
        std::fprintf(stderr, "the window \"%s\" never showed\n", caption);
        ++failures;
    }
    return window;
}

// The window's pixels as the screen shows them, after a full repaint.
void Picture(HWND window, const char* name) {
    if (window == nullptr)
        return;
    ::SetForegroundWindow(window);
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::Sleep(400); // the window's thread paints meanwhile
    RECT frame{};
    ::GetWindowRect(window, &frame);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height; // top-down rows
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateDIBSection(memory, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY | CAPTUREBLT);
    ::GdiFlush();
    const std::string path = outputDirectory + "\\" + name + ".png";
    std::string error;
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    if (bits == nullptr ||
        !tools::WritePng(path, width, height, tools::PngPixels::Bgr24,
                         static_cast<const std::uint8_t*>(bits), stride, error)) {
        std::fprintf(stderr, "%s: %s\n", name, error.c_str());
        ++failures;
    } else {
        std::printf("%s\n", path.c_str());
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
}

// Runs the modal call on this thread while the helper pictures its window.
template <typename Modal> void WithHelper(std::function<void()> helper, Modal modal) {
    std::thread thread(std::move(helper));
    modal();
    thread.join();
}

void CaptureDialog() {
    ui::CaptureDialogHooks hooks;
    hooks.describeSensor = [] { return std::string("TOVIRAY TR000042"); };
    hooks.sendPreping = [](const std::string&) {};
    hooks.cancel = [](bool) {};
    ui::CCaptureXrayDlg dialog(hooks);
    dialog.SetTeeth((1u << 7) | (1u << 8), 0);
    if (!dialog.Create(nullptr)) {
        ++failures;
        return;
    }
    dialog.Show();
    auto window = reinterpret_cast<HWND>(dialog.Window());
    ::ShowWindow(window, SW_RESTORE);
    std::thread helper([&] {
        for (const char* line : {"Waiting for exposure.: Waiting for exposure (0%)",
                                 "Exposure detected.: Retrieving image (100%)",
                                 "Downloading image.: Retrieving image (50%)"})
            dialog.AppendStatusLine(line);
        for (int tick = 0; tick < 12; ++tick)
            ::SendMessageA(window, WM_TIMER, 0x12341234, 0);
        Picture(window, "capture");
        dialog.PostEndMessage(0);
    });
    dialog.RunModalLoop();
    helper.join();
    dialog.Destroy();
}

void SelectionDialog(const DeviceIdList& devices, const char* name) {
    SensorOptions options;
    WithHelper(
        [name] {
            HWND dialog = WaitForWindow("Select Sensor");
            Picture(dialog, name);
            dialog_reading::PressButton(dialog, IDCANCEL);
        },
        [&] {
            ui::CSelectSensorDlg dialog(
                ui::SelectionMode::Normal, options,
                {[] { return true; }, [devices](DeviceIdList& list) { list = devices; }});
            return dialog.DoModal(nullptr);
        });
}

void PauseDialog() {
    WithHelper(
        [] {
            HWND dialog = WaitForWindow("Layout Capture Pause");
            Picture(dialog, "pause");
            dialog_reading::PressButton(dialog, IDCANCEL);
        },
        [] { return ui::CLayoutCapturePauseDlg().DoModal(nullptr); });
}

HWND CurrentPage(HWND sheet) {
    return reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

// Selects the page as a tab click does and waits until it shows.
bool ShowPage(HWND sheet, int index) {
    HWND before = CurrentPage(sheet);
    ::PostMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (CurrentPage(sheet) != before)
            return true;
        ::Sleep(10);
    }
    return false;
}

void PicturePages(HWND sheet) {
    const char* const names[] = {"options-general",
                                 "options-2000-processing",
                                 "options-2000-adjustments",
                                 "options-toviray-processing",
                                 "options-toviray-adjustments",
                                 "options-calibration"};
    Picture(sheet, names[0]);
    for (int page = 1; page < 6; ++page)
        if (ShowPage(sheet, page))
            Picture(sheet, names[page]);
    // The detection page asks for the password first.
    ::PostMessageA(sheet, PSM_SETCURSEL, 6, 0);
    if (HWND prompt = WaitForWindow("Password Required")) {
        ::SetDlgItemTextA(prompt, 19004, "radiofennel");
        Picture(prompt, "password");
        dialog_reading::PressButton(prompt, IDOK);
        for (int attempt = 0; attempt < 1000 && ::IsWindow(prompt); ++attempt)
            ::Sleep(10);
        Picture(sheet, "options-detection");
    }
    ::PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

void OptionsSheet() {
    PluginState& state = PluginModule::Instance().state;
    WithHelper(
        [] {
            if (HWND sheet = WaitForWindow("Sensor Options"))
                PicturePages(sheet);
        },
        [&] {
            ui::SensorOptionsHooks hooks;
            hooks.hardwareSummary = [] { return std::string("2000 A1B2C3\nTOVIRAY TR000042"); };
            return ui::CSensorOptionsDlg(state.options, state.saveRawDump, std::move(hooks))
                .DoModal(nullptr);
        });
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tovi_dialog_pictures <output directory>\n");
        return 2;
    }
    outputDirectory = argv[1];
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    PluginModule::Instance().Reset();
    ui::SetDialogViews(nullptr);
    ui::PasswordGate::Module().Forget();
    CaptureDialog();
    SelectionDialog({{"2000", "A1B2C3", "USB\\VID_0547&PID_2131\\5&1"},
                     {"TOVIRAY", "TR000042", "USB\\VID_04B4&PID_8613\\6&2"}},
                    "select-two-sensors");
    SelectionDialog({}, "select-no-sensor");
    PauseDialog();
    OptionsSheet();
    return failures == 0 ? 0 : 1;
}
