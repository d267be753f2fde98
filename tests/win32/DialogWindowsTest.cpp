// The Windows dialogs from the resources: a helper thread finds each window,
// reads what it shows and presses its buttons, so no test waits on a user.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/MessageBox.h"
#include "plugin/PluginState.h"
#include "plugin/ui/CaptureDialog.h"
#include "plugin/ui/DialogViews.h"
#include "plugin/ui/PauseDialog.h"
#include "plugin/ui/SelectSensorDialog.h"
#include "tools/common/DialogReading.h"

using ui::DialogResult;

namespace {

// The text colour the dialog gives a static control.
COLORREF TextColour(HWND dialog, int id) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    ::SetTextColor(dc, RGB(1, 2, 3));
    ::SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
    COLORREF colour = ::GetTextColor(dc);
    ::DeleteDC(dc);
    return colour;
}

LOGFONTA ControlFont(HWND dialog, int id) {
    LOGFONTA font{};
    auto handle = reinterpret_cast<HFONT>(::SendDlgItemMessageA(dialog, id, WM_GETFONT, 0, 0));
    ::GetObjectA(handle, sizeof font, &font);
    return font;
}

// Runs the helper beside a modal call on this thread.
template <typename Modal> DialogResult WithHelper(std::function<void()> helper, Modal modal) {
    std::thread thread(std::move(helper));
    DialogResult result = modal();
    thread.join();
    return result;
}

class DialogWindows : public ::testing::Test {
protected:
    void SetUp() override {
        PluginModule::Instance().Reset();
        platform::SetMessageBoxes(nullptr);
        ui::SetDialogViews(nullptr);
    }
    void TearDown() override { PluginModule::Instance().Reset(); }

    DialogResult Select(ui::SelectionMode mode, const DeviceIdList& devices) {
        ui::CSelectSensorDlg dialog(
            mode, options,
            {[] { return true; }, [devices](DeviceIdList& list) { list = devices; }});
        return dialog.DoModal(nullptr);
    }
    std::string Field(std::size_t offset) const {
        return reinterpret_cast<const char*>(options.Bytes().data() + offset);
    }

    SensorOptions options;
};

const DeviceIdList kTwoSensors = {{"2000", "A1B2C3", "USB\\VID_0547&PID_2131\\5&1"},
                                  {"TOVIRAY", "TR000042", "USB\\VID_04B4&PID_8613\\6&2"}};

} // namespace

TEST_F(DialogWindows, TheResourcesHoldTheTemplatesAndPictures) {
    HMODULE module = ::GetModuleHandleA(nullptr);
    for (int id : {9001, 5001, 5005})
        EXPECT_NE(::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5)), nullptr)
            << id;
    struct Size {
        int id, width, height;
    };
    for (Size expected : {Size{5015, 10, 55}, Size{146, 20, 20}, Size{147, 20, 20}}) {
        auto bitmap = static_cast<HBITMAP>(
            ::LoadImageA(module, MAKEINTRESOURCEA(expected.id), IMAGE_BITMAP, 0, 0, 0));
        ASSERT_NE(bitmap, nullptr) << expected.id;
        BITMAP size{};
        ::GetObjectA(bitmap, sizeof size, &size);
        EXPECT_EQ(size.bmWidth, expected.width);
        EXPECT_EQ(size.bmHeight, expected.height);
        ::DeleteObject(bitmap);
    }
}

TEST_F(DialogWindows, SelectionListsTheSensorsAndStoresTheChosenOne) {
    std::vector<std::string> seen;
    COLORREF messageColour = 0;
    LOGFONTA messageFont{};
    int selected = -2;
    DialogResult result = WithHelper(
        [&] {
            HWND dialog = dialog_reading::WaitForDialog("Select Sensor");
            if (dialog == nullptr)
                return;
            HWND list = ::GetDlgItem(dialog, 5004);
            seen = {
                dialog_reading::ItemText(dialog, 5003),   dialog_reading::ListColumnTitle(list, 0),
                dialog_reading::ListColumnTitle(list, 1), dialog_reading::ListColumnTitle(list, 2),
                dialog_reading::ListCellText(list, 0, 0), dialog_reading::ListCellText(list, 1, 1),
                dialog_reading::ListCellText(list, 1, 2)};
            messageColour = TextColour(dialog, 5003);
            messageFont = ControlFont(dialog, 5003);
            selected = static_cast<int>(
                ::SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
            LVITEMA state{};
            state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            state.state = LVIS_SELECTED | LVIS_FOCUSED;
            ::SendMessageA(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
            dialog_reading::PressButton(dialog, IDOK);
        },
        [&] { return Select(ui::SelectionMode::Normal, kTwoSensors); });
    EXPECT_EQ(result, DialogResult::Ok);
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "Select that sensor that is to be used to capture the digital x-ray.",
                        "Device Name", "Sensor ID", "Device ID", "2000", "TR000042",
                        "USB\\VID_04B4&PID_8613\\6&2"}));
    EXPECT_EQ(messageColour, RGB(0, 0, 128));
    EXPECT_EQ(messageFont.lfWeight, FW_BOLD);
    EXPECT_STREQ(messageFont.lfFaceName, "MS Sans Serif");
    EXPECT_EQ(selected, 0);
    EXPECT_EQ(Field(24), "TOVIRAY");
    EXPECT_EQ(Field(500), "TR000042");
}

TEST_F(DialogWindows, SelectionWithoutDevicesHidesTheList) {
    std::string message;
    COLORREF colour = 0;
    bool listVisible = true;
    DialogResult result = WithHelper(
        [&] {
            HWND dialog = dialog_reading::WaitForDialog("Select Sensor");
            if (dialog == nullptr)
                return;
            message = dialog_reading::ItemText(dialog, 5003);
            colour = TextColour(dialog, 5003);
            listVisible = ::IsWindowVisible(::GetDlgItem(dialog, 5004)) != FALSE;
            dialog_reading::PressButton(dialog, IDOK);
        },
        [&] { return Select(ui::SelectionMode::Normal, {}); });
    EXPECT_EQ(result, DialogResult::Ok);
    EXPECT_EQ(message, "No Tovi USB II devices detected. Please check your hardware connection.");
    EXPECT_EQ(colour, RGB(128, 0, 0));
    EXPECT_FALSE(listVisible);
}

TEST_F(DialogWindows, OkWithoutSelectionShowsTheWarningBoxAndStaysOpen) {
    std::string boxText;
    bool stillOpen = false;
    DialogResult result = WithHelper(
        [&] {
            HWND dialog = dialog_reading::WaitForDialog("Select Sensor");
            if (dialog == nullptr)
                return;
            LVITEMA state{};
            state.stateMask = LVIS_SELECTED;
            ::SendDlgItemMessageA(dialog, 5004, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                                  reinterpret_cast<LPARAM>(&state));
            dialog_reading::PressButton(dialog, IDOK);
            HWND box = dialog_reading::WaitForDialog("No Sensor System Selected");
            if (box == nullptr)
                return;
            boxText = dialog_reading::ItemText(box, 0xFFFF);
            dialog_reading::PressButton(box, IDOK);
            for (int attempt = 0; attempt < 500 && ::IsWindow(box); ++attempt)
                ::Sleep(10);
            stillOpen = ::IsWindowVisible(dialog) != FALSE;
            dialog_reading::PressButton(dialog, IDCANCEL);
        },
        [&] { return Select(ui::SelectionMode::Normal, kTwoSensors); });
    EXPECT_EQ(result, DialogResult::Cancel);
    EXPECT_EQ(boxText, "You must select a Tovi USB II hardware system before you can click on "
                       "the 'OK' button");
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(Field(24), "");
}

TEST_F(DialogWindows, CaptureModeConfirmsASingleSensorWithoutShowingIt) {
    EXPECT_EQ(Select(ui::SelectionMode::Capture, {kTwoSensors[1]}), DialogResult::Ok);
    EXPECT_EQ(Field(24), "TOVIRAY");
}

TEST_F(DialogWindows, PauseContinuesOrAborts) {
    std::vector<std::string> captions;
    LONG_PTR style = 0;
    DialogResult go = WithHelper(
        [&] {
            HWND dialog = dialog_reading::WaitForDialog("Layout Capture Pause");
            if (dialog == nullptr)
                return;
            captions = {dialog_reading::ItemText(dialog, IDOK),
                        dialog_reading::ItemText(dialog, IDCANCEL)};
            style = ::GetWindowLongPtrA(::GetDlgItem(dialog, IDOK), GWL_STYLE);
            dialog_reading::PressButton(dialog, IDOK);
        },
        [] { return ui::CLayoutCapturePauseDlg().DoModal(nullptr); });
    EXPECT_EQ(go, DialogResult::Ok);
    EXPECT_EQ(captions, (std::vector<std::string>{"Continue With Capture", "Abort Capturing"}));
    EXPECT_EQ(style & BS_TYPEMASK, BS_OWNERDRAW);
    DialogResult stop = WithHelper(
        [] {
            if (HWND dialog = dialog_reading::WaitForDialog("Layout Capture Pause"))
                dialog_reading::PressButton(dialog, IDCANCEL);
        },
        [] { return ui::CLayoutCapturePauseDlg().DoModal(nullptr); });
    EXPECT_EQ(stop, DialogResult::Cancel);
}

namespace {

class CaptureWindow : public DialogWindows {
protected:
    void SetUp() override {
        DialogWindows::SetUp();
        ui::CaptureDialogHooks hooks;
        hooks.describeSensor = [] { return std::string("TOVIRAY TR000042"); };
        hooks.sendPreping = [this](const std::string& text) { prepings.push_back(text); };
        hooks.cancel = [this](bool modifierHeld) { cancels.push_back(modifierHeld); };
        dialog = std::make_unique<ui::CCaptureXrayDlg>(hooks);
        dialog->SetTeeth((1u << 2) | (1u << 13), 0x1);
        ASSERT_TRUE(dialog->Create(nullptr));
        dialog->Show();
        window = reinterpret_cast<HWND>(dialog->Window());
    }
    void TearDown() override {
        dialog.reset();
        DialogWindows::TearDown();
    }
    std::string Line(int index) const {
        char text[256] = {};
        ::SendDlgItemMessageA(window, 9005, LB_GETTEXT, static_cast<WPARAM>(index),
                              reinterpret_cast<LPARAM>(text));
        return text;
    }
    int Lines() const {
        return static_cast<int>(::SendDlgItemMessageA(window, 9005, LB_GETCOUNT, 0, 0));
    }

    std::unique_ptr<ui::CCaptureXrayDlg> dialog;
    HWND window = nullptr;
    std::vector<std::string> prepings;
    std::vector<bool> cancels;
};

} // namespace

TEST_F(CaptureWindow, OpensMinimisedWithTheTeethAndFirstLines) {
    char caption[64] = {};
    ::GetWindowTextA(window, caption, sizeof caption);
    EXPECT_STREQ(caption, "Capture Digital X-ray");
    EXPECT_TRUE(::IsIconic(window));
    EXPECT_EQ(dialog_reading::ItemText(window, 9003), "3, 14,A");
    EXPECT_EQ(dialog_reading::ItemText(window, 9002), "Capturing For Teeth:");
    EXPECT_EQ(dialog_reading::ItemText(window, 9004), "Status:");
    EXPECT_EQ(TextColour(window, 9003), RGB(0, 0, 0));
    EXPECT_EQ(TextColour(window, 9002), RGB(0, 0, 128));
    EXPECT_EQ(TextColour(window, 9004), RGB(0, 0, 128));
    EXPECT_EQ(ControlFont(window, 9003).lfWeight, FW_BOLD);
    ASSERT_EQ(Lines(), 2);
    EXPECT_EQ(Line(0), "Initializing ...");
    EXPECT_EQ(Line(1), "Initializing hardware ...");
    EXPECT_EQ(prepings, std::vector<std::string>{"TOVIRAY TR000042"});
    EXPECT_NE(::GetDlgItem(window, IDCANCEL), nullptr);
}

TEST_F(CaptureWindow, TimerTicksWriteTheElapsedTime) {
    for (int tick = 0; tick < 75; ++tick)
        ::SendMessageA(window, WM_TIMER, 0x12341234, 0);
    EXPECT_EQ(dialog_reading::ItemText(window, 9006), "Active 1 minute(s) 15 seconds");
    EXPECT_EQ(TextColour(window, 9006), RGB(0, 0, 255));
    ::SendMessageA(window, WM_TIMER, 0x777, 0);
    EXPECT_EQ(dialog_reading::ItemText(window, 9006), "Active 1 minute(s) 15 seconds");
}

TEST_F(CaptureWindow, LinesFromAWorkerScrollAndCancelNeverCloses) {
    bool openAfterCancel = false;
    std::thread worker([&] {
        for (int line = 0; line < 30; ++line)
            dialog->AppendStatusLine("Device: Waiting for exposure (" + std::to_string(line) +
                                     "%)");
        ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        openAfterCancel = ::IsWindow(window) != FALSE;
        dialog->PostEndMessage(0);
    });
    EXPECT_EQ(dialog->RunModalLoop(), DialogResult::Ok);
    worker.join();
    EXPECT_TRUE(openAfterCancel);
    EXPECT_EQ(cancels, std::vector<bool>{false});
    ASSERT_EQ(Lines(), 32);
    EXPECT_EQ(Line(31), "Device: Waiting for exposure (29%)");
    RECT client{}, last{};
    ::GetClientRect(::GetDlgItem(window, 9005), &client);
    ::SendDlgItemMessageA(window, 9005, LB_GETITEMRECT, 31, reinterpret_cast<LPARAM>(&last));
    EXPECT_GT(::SendDlgItemMessageA(window, 9005, LB_GETTOPINDEX, 0, 0), 0);
    EXPECT_LE(last.bottom, client.bottom);
}

TEST_F(CaptureWindow, CancelWithShiftHeldTellsTheController) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    BYTE shifted[256];
    std::copy(keys, keys + 256, shifted);
    shifted[VK_SHIFT] = 0x80;
    ::SetKeyboardState(shifted);
    std::thread worker([&] {
        ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        dialog->PostEndMessage(1);
    });
    DialogResult result = dialog->RunModalLoop();
    worker.join();
    ::SetKeyboardState(keys);
    EXPECT_EQ(result, DialogResult::Cancel);
    EXPECT_EQ(cancels, std::vector<bool>{true});
    EXPECT_TRUE(::IsWindow(window));
}

TEST_F(CaptureWindow, DestroyEndsTheWindow) {
    dialog->Destroy();
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_FALSE(dialog->IsWindow());
    EXPECT_FALSE(dialog->PostEndMessage(0));
    EXPECT_EQ(dialog->RunModalLoop(), DialogResult::Cancel);
}
