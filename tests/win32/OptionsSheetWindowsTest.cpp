// The options sheet and the password prompt as Windows draws them: a helper
// thread finds the windows, types into their fields and presses their buttons.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "plugin/ui/DialogViews.h"
#include "plugin/ui/options/PasswordGate.h"
#include "plugin/ui/options/SensorOptionsDialog.h"
#include "resources/DialogIds.h"
#include "tests/native/DialogFixture.h"

using ui::DialogResult;

namespace {

constexpr int kAttempts = 1000;

HWND WaitForWindow(const char* caption) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        HWND window = ::FindWindowA("#32770", caption);
        if (window != nullptr && ::IsWindowVisible(window))
            return window;
        ::Sleep(10);
    }
    return nullptr;
}

// Waits until the condition holds; false when it never does.
bool WaitUntil(const std::function<bool()>& condition) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (condition())
            return true;
        ::Sleep(10);
    }
    return false;
}

std::string WindowText(HWND window) {
    char text[512] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ItemText(HWND dialog, int id) {
    return WindowText(::GetDlgItem(dialog, id));
}

HWND CurrentPage(HWND sheet) {
    return reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

HWND Tabs(HWND sheet) {
    return reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
}

int SelectedTab(HWND sheet) {
    return static_cast<int>(::SendMessageA(Tabs(sheet), TCM_GETCURSEL, 0, 0));
}

std::vector<std::string> TabTitles(HWND sheet) {
    std::vector<std::string> titles;
    const auto count = ::SendMessageA(Tabs(sheet), TCM_GETITEMCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
        char text[128] = {};
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        ::SendMessageA(Tabs(sheet), TCM_GETITEMA, static_cast<WPARAM>(index),
                       reinterpret_cast<LPARAM>(&item));
        titles.emplace_back(text);
    }
    return titles;
}

// Asks for a page the way a tab click does; posted, since a page behind the
// password runs a dialog of its own before it answers.
HWND ShowPage(HWND sheet, int index) {
    HWND before = CurrentPage(sheet);
    ::PostMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    WaitUntil([&] { return CurrentPage(sheet) != before; });
    return CurrentPage(sheet);
}

// Clicks the detection page's tab; the page showing before.
HWND AskForDetectionPage(HWND sheet) {
    HWND before = CurrentPage(sheet);
    ::PostMessageA(sheet, PSM_SETCURSEL, 6, 0);
    return before;
}

void Press(HWND dialog, int id) {
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

void PressSheetButton(HWND sheet, int button) {
    ::PostMessageA(sheet, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
}

// Answers the password prompt with the text.
void EnterPassword(const char* text) {
    if (HWND prompt = WaitForWindow("Password Required")) {
        ::SetDlgItemTextA(prompt, 19004, text);
        Press(prompt, IDOK);
        WaitUntil([&] { return ::IsWindow(prompt) == FALSE; });
    }
}

class OptionsSheetWindows : public DialogFixture {
protected:
    void SetUp() override {
        DialogFixture::SetUp();
        ui::SetDialogViews(nullptr);
        ui::PasswordGate::Module().Forget();
    }
    void TearDown() override {
        ui::PasswordGate::Module().Forget();
        DialogFixture::TearDown();
    }

    static SensorOptions& Options() { return PluginModule::Instance().state.options; }
    static std::int32_t IntAt(std::size_t offset) {
        return Options().Int(static_cast<SensorOptions::Offset>(offset));
    }
    // Runs the sheet on this thread while the helper works it once it shows.
    static DialogResult RunSheet(std::function<void(HWND sheet)> helper) {
        std::thread thread([helper = std::move(helper)] {
            if (HWND sheet = WaitForWindow("Sensor Options"))
                helper(sheet);
        });
        ui::SensorOptionsHooks hooks;
        hooks.hardwareSummary = [] { return std::string("2000 A1B2C3\nTOVIRAY TR000042"); };
        PluginState& state = PluginModule::Instance().state;
        const DialogResult result =
            ui::CSensorOptionsDlg(state.options, state.saveRawDump, std::move(hooks))
                .DoModal(nullptr);
        thread.join();
        return result;
    }
};

} // namespace

TEST_F(OptionsSheetWindows, TheTemplatesAreInTheResources) {
    HMODULE module = ::GetModuleHandleA(nullptr);
    for (int id : {213, 6004, 6005, 30013, 30012, 30011, 19004, 30015, 30016, 19001})
        EXPECT_NE(::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5)), nullptr)
            << id;
}

TEST_F(OptionsSheetWindows, BrightnessTypedOnThe2000AdjustmentsPageIsStoredOnOk) {
    std::vector<std::string> titles;
    std::string note, hardware, gammaAfterSlide, level;
    bool placedNote = false;
    const DialogResult result = RunSheet([&](HWND sheet) {
        titles = TabTitles(sheet);
        hardware = ItemText(CurrentPage(sheet), IDC_HARDWARE);
        placedNote = WaitUntil([&] { return ::GetDlgItem(sheet, IDC_OPTIONS_NOTE) != nullptr; });
        note = ItemText(sheet, IDC_OPTIONS_NOTE);
        HWND page = ShowPage(sheet, 2);
        level = ItemText(page, IDC_ENHANCEMENT_LEVEL);
        ::SetDlgItemTextA(page, IDC_POSTERIOR_BRIGHTNESS, "42");
        HWND slider = ::GetDlgItem(page, IDC_POSTERIOR_GAMMA_SLIDER);
        ::SendMessageA(slider, TBM_SETPOS, TRUE, 150);
        ::SendMessageA(page, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 150),
                       reinterpret_cast<LPARAM>(slider));
        gammaAfterSlide = ItemText(page, IDC_POSTERIOR_GAMMA);
        PressSheetButton(sheet, PSBTN_OK);
    });
    EXPECT_EQ(result, DialogResult::Ok);
    EXPECT_EQ(titles, (std::vector<std::string>{"General", "2000 Image Processing",
                                                "2000 Adjustments", "ToviRay Image Processing",
                                                "ToviRay Adjustments", "Default Calibration",
                                                "Detection Sensitivity and Threshold *"}));
    EXPECT_EQ(hardware, "2000 A1B2C3\r\nTOVIRAY TR000042");
    EXPECT_TRUE(placedNote);
    EXPECT_EQ(note, "* - password protected options");
    EXPECT_EQ(level, "None");
    EXPECT_EQ(gammaAfterSlide, "1.50");
    EXPECT_EQ(IntAt(164), 42);
    EXPECT_DOUBLE_EQ(Options().Double(static_cast<SensorOptions::Offset>(184)), 1.5);
}

TEST_F(OptionsSheetWindows, TheRightPasswordOpensTheDetectionPage) {
    std::string message, label;
    LONG_PTR fieldStyle = 0;
    int thresholdSpinLow = 0, thresholdSpinHigh = 0;
    const DialogResult result = RunSheet([&](HWND sheet) {
        HWND first = AskForDetectionPage(sheet);
        if (HWND prompt = WaitForWindow("Password Required")) {
            message = ItemText(prompt, 5003);
            label = ItemText(prompt, 19003);
            fieldStyle = ::GetWindowLongPtrA(::GetDlgItem(prompt, 19004), GWL_STYLE);
        }
        EnterPassword("radiofennel");
        WaitUntil([&] { return CurrentPage(sheet) != first && SelectedTab(sheet) == 6; });
        HWND page = CurrentPage(sheet);
        ::SendDlgItemMessageA(page, IDC_THRESHOLD_2000_SPIN, UDM_GETRANGE32,
                              reinterpret_cast<WPARAM>(&thresholdSpinLow),
                              reinterpret_cast<LPARAM>(&thresholdSpinHigh));
        ::SetDlgItemTextA(page, IDC_THRESHOLD_2000, "0");
        PressSheetButton(sheet, PSBTN_OK);
    });
    EXPECT_EQ(result, DialogResult::Ok);
    EXPECT_EQ(message, "A password is required in order to access the advanced options.");
    EXPECT_EQ(label, "Password");
    EXPECT_NE(fieldStyle & ES_PASSWORD, 0);
    EXPECT_EQ(thresholdSpinLow, 1);
    EXPECT_EQ(thresholdSpinHigh, 255);
    EXPECT_EQ(IntAt(212), 8);
}

TEST_F(OptionsSheetWindows, AWrongPasswordWarnsAndReturnsToTheFirstPage) {
    Options().SetInt(static_cast<SensorOptions::Offset>(212), 15);
    bool backOnFirst = false;
    const DialogResult result = RunSheet([&](HWND sheet) {
        HWND first = AskForDetectionPage(sheet);
        EnterPassword("RADIOFENNEL");
        backOnFirst = WaitUntil([&] {
            return !boxes->Shown().empty() && CurrentPage(sheet) == first &&
                   SelectedTab(sheet) == 0;
        });
        PressSheetButton(sheet, PSBTN_CANCEL);
    });
    EXPECT_EQ(result, DialogResult::Cancel);
    EXPECT_TRUE(backOnFirst);
    ASSERT_EQ(boxes->Shown().size(), 1u);
    EXPECT_EQ(boxes->Shown()[0].text, "Invalid password specified");
    EXPECT_EQ(IntAt(212), 15);
}

TEST_F(OptionsSheetWindows, AnUnusableMaskSizeKeepsTheSheetOpen) {
    bool openAfterOk = false;
    const DialogResult result = RunSheet([&](HWND sheet) {
        HWND page = ShowPage(sheet, 1);
        ::SetDlgItemTextA(page, IDC_SMOOTHING_SIZE, "0 x 0");
        PressSheetButton(sheet, PSBTN_OK);
        openAfterOk =
            WaitUntil([&] { return !boxes->Shown().empty(); }) && ::IsWindowVisible(sheet);
        PressSheetButton(sheet, PSBTN_CANCEL);
    });
    EXPECT_EQ(result, DialogResult::Cancel);
    EXPECT_TRUE(openAfterOk);
    ASSERT_EQ(boxes->Shown().size(), 1u);
    EXPECT_EQ(boxes->Shown()[0].caption, "Invalid Mask Size Specified");
}
