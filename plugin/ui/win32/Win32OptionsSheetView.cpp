#include "plugin/ui/win32/Win32OptionsSheetView.h"

#include <commctrl.h>

#include <cstdint>

#include "platform/win32/ThisModule.h"
#include "plugin/PluginState.h"
#include "resources/DialogIds.h"

namespace ui {

namespace {

// Sent to the first page once the sheet has laid out its buttons.
constexpr UINT kPlaceNoteMessage = WM_APP + 3;
constexpr int kNoteMargin = 6;
constexpr int kGammaSliderMaximum = 500;
constexpr int kGammaTickEvery = 10;

enum class PageKind { General, Processing, Adjustments, Calibration, Detection };

PageKind KindOf(OptionsPage page) {
    switch (page) {
    case OptionsPage::General:
        return PageKind::General;
    case OptionsPage::Processing2000:
    case OptionsPage::ProcessingToviRay:
    case OptionsPage::Processing2000Plus:
        return PageKind::Processing;
    case OptionsPage::Adjustments2000:
    case OptionsPage::AdjustmentsToviRay:
    case OptionsPage::Adjustments2000Plus:
        return PageKind::Adjustments;
    case OptionsPage::Calibration:
        return PageKind::Calibration;
    case OptionsPage::Detection:
        return PageKind::Detection;
    }
    return PageKind::General;
}

struct MaskControls {
    int check, size, factor;
};
constexpr MaskControls kSmoothing{IDC_SMOOTHING, IDC_SMOOTHING_SIZE, IDC_SMOOTHING_FACTOR};
constexpr MaskControls kSharpening{IDC_SHARPENING, IDC_SHARPENING_SIZE, IDC_SHARPENING_FACTOR};
constexpr MaskControls kLaplace{IDC_LAPLACE, IDC_LAPLACE_SIZE, IDC_LAPLACE_FACTOR};

struct GroupControls {
    int brightness, brightnessSpin, contrast, contrastSpin, slider, gamma;
};
constexpr GroupControls kPosterior{IDC_POSTERIOR_BRIGHTNESS,   IDC_POSTERIOR_BRIGHTNESS_SPIN,
                                   IDC_POSTERIOR_CONTRAST,     IDC_POSTERIOR_CONTRAST_SPIN,
                                   IDC_POSTERIOR_GAMMA_SLIDER, IDC_POSTERIOR_GAMMA};
constexpr GroupControls kAnterior{IDC_ANTERIOR_BRIGHTNESS,   IDC_ANTERIOR_BRIGHTNESS_SPIN,
                                  IDC_ANTERIOR_CONTRAST,     IDC_ANTERIOR_CONTRAST_SPIN,
                                  IDC_ANTERIOR_GAMMA_SLIDER, IDC_ANTERIOR_GAMMA};

struct FamilyDetectionControls {
    int sensitivity, threshold, thresholdSpin, integration, integrationSpin;
};
constexpr FamilyDetectionControls kDetection2000{IDC_SENSITIVITY_2000, IDC_THRESHOLD_2000,
                                                 IDC_THRESHOLD_2000_SPIN, IDC_INTEGRATION_2000,
                                                 IDC_INTEGRATION_2000_SPIN};
constexpr FamilyDetectionControls kDetectionToviRay{
    IDC_SENSITIVITY_TOVIRAY, IDC_THRESHOLD_TOVIRAY, IDC_THRESHOLD_TOVIRAY_SPIN,
    IDC_INTEGRATION_TOVIRAY, IDC_INTEGRATION_TOVIRAY_SPIN};

// Control access.

void SetCheck(HWND page, int id, bool on) {
    ::CheckDlgButton(page, id, on ? BST_CHECKED : BST_UNCHECKED);
}

bool Checked(HWND page, int id) {
    return ::IsDlgButtonChecked(page, id) == BST_CHECKED;
}

void SetText(HWND page, int id, const std::string& text) {
    ::SetDlgItemTextA(page, id, text.c_str());
}

std::string Text(HWND page, int id) {
    HWND control = ::GetDlgItem(page, id);
    std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

void SetNumber(HWND page, int id, std::int32_t value) {
    ::SetDlgItemInt(page, id, static_cast<UINT>(value), TRUE);
}

// What the field holds as a whole number; 0 when it holds none.
std::int32_t Number(HWND page, int id) {
    BOOL read = FALSE;
    const auto value = static_cast<std::int32_t>(::GetDlgItemInt(page, id, &read, TRUE));
    return read ? value : 0;
}

void SetSelection(HWND page, int id, std::int32_t index) {
    ::SendDlgItemMessageA(page, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::int32_t Selection(HWND page, int id) {
    return static_cast<std::int32_t>(::SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0));
}

void FillList(HWND page, int id, const std::vector<std::string>& entries) {
    for (const std::string& entry : entries)
        ::SendDlgItemMessageA(page, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
}

void SetSpinRange(HWND page, int id, int low, int high) {
    ::SendDlgItemMessageA(page, id, UDM_SETRANGE32, static_cast<WPARAM>(low),
                          static_cast<LPARAM>(high));
}

// The summary's lines as a multi-line field shows them, and back.
std::string WithCarriageReturns(const std::string& lines) {
    std::string text;
    for (char c : lines) {
        if (c == '\n')
            text += '\r';
        text += c;
    }
    return text;
}

std::string WithoutCarriageReturns(std::string text) {
    std::erase(text, '\r');
    return text;
}

// The controls' set-up when a page is created.

void PrepareAdjustmentGroup(HWND page, const GroupControls& group) {
    SetSpinRange(page, group.brightnessSpin, -100, 100);
    SetSpinRange(page, group.contrastSpin, -100, 100);
    ::SendDlgItemMessageA(page, group.slider, TBM_SETRANGEMIN, FALSE, 0);
    ::SendDlgItemMessageA(page, group.slider, TBM_SETRANGEMAX, TRUE, kGammaSliderMaximum);
    ::SendDlgItemMessageA(page, group.slider, TBM_SETTICFREQ, kGammaTickEvery, 0);
}

void PrepareDetectionFamily(HWND page, const FamilyDetectionControls& family) {
    FillList(page, family.sensitivity, SensitivityNames());
    SetSpinRange(page, family.thresholdSpin, 1, 255);
    SetSpinRange(page, family.integrationSpin, 200, 1000);
}

void PreparePage(HWND page, PageKind kind) {
    switch (kind) {
    case PageKind::Processing:
        SetText(page, IDC_NOISE_NOTE,
                Translate("Noise reduction is utilized to aid in image quality"));
        break;
    case PageKind::Adjustments:
        PrepareAdjustmentGroup(page, kPosterior);
        PrepareAdjustmentGroup(page, kAnterior);
        FillList(page, IDC_ENHANCEMENT_LEVEL, EnhancementLevelNames());
        SetText(page, IDC_BC_NOTE,
                Translate("BC adjustments are used to compensate for radiation variations in "
                          "your x-ray equipment"));
        break;
    case PageKind::Detection:
        PrepareDetectionFamily(page, kDetection2000);
        PrepareDetectionFamily(page, kDetectionToviRay);
        break;
    default:
        break;
    }
}

// The gamma field follows its slider.
void ShowSliderGamma(HWND page, HWND slider) {
    const int id = ::GetDlgCtrlID(slider);
    for (const GroupControls& group : {kPosterior, kAnterior}) {
        if (group.slider == id) {
            const auto position = ::SendMessageA(slider, TBM_GETPOS, 0, 0);
            SetText(page, group.gamma, GammaText(static_cast<double>(position) / 100.0));
        }
    }
}

// Moving values to and from a page's controls.

void Write(HWND page, const GeneralValues& values) {
    SetCheck(page, IDC_PAUSE_BETWEEN_CAPTURES, values.pauseBetweenGroupCaptures);
    SetCheck(page, IDC_AUTO_ORIENT, values.autoOrient);
    SetCheck(page, IDC_EXTENDED_FLUSH, values.extendedFlushTimes);
    SetCheck(page, IDC_ENABLE_LOGGING, values.logging);
    SetCheck(page, IDC_RAW_DUMP, values.rawDump);
    SetText(page, IDC_HARDWARE, WithCarriageReturns(values.hardware));
}

GeneralValues ReadGeneral(HWND page) {
    return {Checked(page, IDC_PAUSE_BETWEEN_CAPTURES),
            Checked(page, IDC_AUTO_ORIENT),
            Checked(page, IDC_EXTENDED_FLUSH),
            Checked(page, IDC_ENABLE_LOGGING),
            Checked(page, IDC_RAW_DUMP),
            WithoutCarriageReturns(Text(page, IDC_HARDWARE))};
}

void WriteMask(HWND page, const MaskControls& controls, bool on, const MaskOperation& mask) {
    SetCheck(page, controls.check, on);
    SetText(page, controls.size, mask.size);
    SetNumber(page, controls.factor, mask.factor);
}

MaskOperation ReadMask(HWND page, const MaskControls& controls) {
    return {Text(page, controls.size), Number(page, controls.factor)};
}

void Write(HWND page, const ProcessingValues& values) {
    SetCheck(page, IDC_MEDIAN, values.median);
    SetCheck(page, IDC_FAST_MEDIAN, values.fastMedian);
    SetCheck(page, IDC_THOROUGH_MEDIAN, values.thoroughMedian);
    WriteMask(page, kSmoothing, values.smoothing, values.smoothingMask);
    WriteMask(page, kSharpening, values.sharpening, values.sharpeningMask);
    WriteMask(page, kLaplace, values.laplace, values.laplaceMask);
}

ProcessingValues ReadProcessing(HWND page) {
    ProcessingValues values;
    values.median = Checked(page, IDC_MEDIAN);
    values.fastMedian = Checked(page, IDC_FAST_MEDIAN);
    values.thoroughMedian = Checked(page, IDC_THOROUGH_MEDIAN);
    values.smoothing = Checked(page, kSmoothing.check);
    values.sharpening = Checked(page, kSharpening.check);
    values.laplace = Checked(page, kLaplace.check);
    values.smoothingMask = ReadMask(page, kSmoothing);
    values.sharpeningMask = ReadMask(page, kSharpening);
    values.laplaceMask = ReadMask(page, kLaplace);
    return values;
}

void WriteGroup(HWND page, const GroupControls& controls, const AdjustmentGroup& group) {
    SetNumber(page, controls.brightness, group.brightness);
    SetNumber(page, controls.contrast, group.contrast);
    ::SendDlgItemMessageA(page, controls.slider, TBM_SETPOS, TRUE, group.gammaSlider);
    SetText(page, controls.gamma, group.gamma);
}

AdjustmentGroup ReadGroup(HWND page, const GroupControls& controls) {
    return {
        Number(page, controls.brightness), Number(page, controls.contrast),
        static_cast<std::int32_t>(::SendDlgItemMessageA(page, controls.slider, TBM_GETPOS, 0, 0)),
        Text(page, controls.gamma)};
}

void Write(HWND page, const AdjustmentValues& values) {
    WriteGroup(page, kPosterior, values.posterior);
    WriteGroup(page, kAnterior, values.anterior);
    SetSelection(page, IDC_ENHANCEMENT_LEVEL, values.level);
}

AdjustmentValues ReadAdjustments(HWND page) {
    return {ReadGroup(page, kPosterior), ReadGroup(page, kAnterior),
            Selection(page, IDC_ENHANCEMENT_LEVEL)};
}

void Write(HWND page, const CalibrationValues& values) {
    SetText(page, IDC_CALIBRATION, values.factor);
}

CalibrationValues ReadCalibration(HWND page) {
    return {Text(page, IDC_CALIBRATION)};
}

void WriteFamily(HWND page, const FamilyDetectionControls& controls, std::int32_t sensitivity,
                 std::int32_t threshold, std::int32_t integrationTime) {
    SetSelection(page, controls.sensitivity, sensitivity);
    SetNumber(page, controls.threshold, threshold);
    SetNumber(page, controls.integration, integrationTime);
}

void Write(HWND page, const DetectionValues& values) {
    WriteFamily(page, kDetection2000, values.sensitivity2000, values.threshold2000,
                values.integrationTime2000);
    WriteFamily(page, kDetectionToviRay, values.sensitivityToviRay, values.thresholdToviRay,
                values.integrationTimeToviRay);
    SetCheck(page, IDC_RETURN_BINNED, values.returnBinnedImage);
}

DetectionValues ReadDetection(HWND page) {
    DetectionValues values;
    values.sensitivity2000 = Selection(page, kDetection2000.sensitivity);
    values.sensitivityToviRay = Selection(page, kDetectionToviRay.sensitivity);
    values.threshold2000 = Number(page, kDetection2000.threshold);
    values.integrationTime2000 = Number(page, kDetection2000.integration);
    values.thresholdToviRay = Number(page, kDetectionToviRay.threshold);
    values.integrationTimeToviRay = Number(page, kDetectionToviRay.integration);
    values.returnBinnedImage = Checked(page, IDC_RETURN_BINNED);
    return values;
}

// What a page of this kind holds: its controls, or the empty values before it exists.
PageValues Read(HWND page, PageKind kind) {
    switch (kind) {
    case PageKind::General:
        return page != nullptr ? ReadGeneral(page) : GeneralValues{};
    case PageKind::Processing:
        return page != nullptr ? ReadProcessing(page) : ProcessingValues{};
    case PageKind::Adjustments:
        return page != nullptr ? ReadAdjustments(page) : AdjustmentValues{};
    case PageKind::Calibration:
        return page != nullptr ? ReadCalibration(page) : CalibrationValues{};
    case PageKind::Detection:
        return page != nullptr ? ReadDetection(page) : DetectionValues{};
    }
    return GeneralValues{};
}

INT_PTR NotifyResult(HWND page, LONG_PTR result) {
    ::SetWindowLongPtrA(page, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR CALLBACK PageProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG)
        ::SetWindowLongPtrA(window, DWLP_USER,
                            reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
    auto* slot = reinterpret_cast<const Win32OptionsSheetView::PageSlot*>(
        ::GetWindowLongPtrA(window, DWLP_USER));
    return slot != nullptr ? slot->view->HandlePage(*slot, window, message, wParam, lParam) : FALSE;
}

PROPSHEETPAGEA PageDescription(const OptionsPageInfo& info,
                               const Win32OptionsSheetView::PageSlot& slot) {
    PROPSHEETPAGEA description{};
    description.dwSize = sizeof description;
    description.dwFlags = PSP_USETITLE;
    description.hInstance = platform::ThisModule();
    description.pszTemplate = MAKEINTRESOURCEA(info.dialogId);
    description.pfnDlgProc = &PageProcedure;
    description.pszTitle = info.title.c_str();
    description.lParam = reinterpret_cast<LPARAM>(&slot);
    return description;
}

void InitialiseSheetControls() {
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_TAB_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
}

// Where a child of the sheet lies, in the sheet's client coordinates.
RECT AreaInSheet(HWND sheet, HWND child) {
    RECT area{};
    ::GetWindowRect(child, &area);
    ::MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&area), 2);
    return area;
}

} // namespace

DialogResult Win32OptionsSheetView::RunModal(void* parent, const std::string& caption,
                                             const std::vector<OptionsPageInfo>& pages,
                                             const std::string& note, OptionsSheetEvents& events) {
    if (pages.empty())
        return DialogResult::Cancel;
    InitialiseSheetControls();
    events_ = &events;
    note_ = note;
    accepted_ = false;
    std::vector<PageSlot> slots;
    slots.reserve(pages.size());
    std::vector<PROPSHEETPAGEA> descriptions;
    for (const OptionsPageInfo& info : pages) {
        slots.push_back({this, info.page, slots.empty()});
        descriptions.push_back(PageDescription(info, slots.back()));
    }
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP;
    header.hwndParent = static_cast<HWND>(parent);
    header.hInstance = platform::ThisModule();
    header.pszCaption = caption.c_str();
    header.nPages = static_cast<UINT>(descriptions.size());
    header.nStartPage = 0;
    header.ppsp = descriptions.data();
    const INT_PTR shown = ::PropertySheetA(&header);
    sheet_ = nullptr;
    windows_.clear();
    events_ = nullptr;
    return shown >= 0 && accepted_ ? DialogResult::Ok : DialogResult::Cancel;
}

void Win32OptionsSheetView::SetValues(OptionsPage page, const PageValues& values) {
    auto found = windows_.find(page);
    if (found == windows_.end())
        return;
    std::visit([window = found->second](const auto& typed) { Write(window, typed); }, values);
}

PageValues Win32OptionsSheetView::Values(OptionsPage page) {
    auto found = windows_.find(page);
    return Read(found != windows_.end() ? found->second : nullptr, KindOf(page));
}

void Win32OptionsSheetView::ActivateFirstPage() {
    if (sheet_ != nullptr)
        ::PostMessageA(sheet_, PSM_SETCURSEL, 0, 0);
}

INT_PTR Win32OptionsSheetView::HandlePage(const PageSlot& slot, HWND window, UINT message,
                                          WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OpenPage(slot, window);
        return TRUE;
    case kPlaceNoteMessage:
        PlaceNote();
        return TRUE;
    case WM_NOTIFY:
        return HandleNotify(slot, window, *reinterpret_cast<const NMHDR*>(lParam));
    case WM_HSCROLL:
        ShowSliderGamma(window, reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) != IDC_OPTIONS_DEFAULTS || HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        events_->OnDefaults(slot.page);
        return TRUE;
    case WM_DESTROY:
        windows_.erase(slot.page);
        return FALSE;
    default:
        return FALSE;
    }
}

void Win32OptionsSheetView::OpenPage(const PageSlot& slot, HWND window) {
    windows_[slot.page] = window;
    sheet_ = ::GetParent(window);
    PreparePage(window, KindOf(slot.page));
    if (slot.first)
        ::PostMessageA(window, kPlaceNoteMessage, 0, 0);
}

INT_PTR Win32OptionsSheetView::HandleNotify(const PageSlot& slot, HWND window,
                                            const NMHDR& header) {
    switch (header.code) {
    case PSN_SETACTIVE:
        return NotifyResult(window, events_->OnPageActivating(slot.page) ? 0 : -1);
    case PSN_KILLACTIVE:
        return NotifyResult(window, FALSE);
    case PSN_APPLY:
        // Every opened page hears OK; the first one answers for the sheet.
        if (slot.first)
            accepted_ = events_->OnOk();
        return NotifyResult(window, !slot.first || accepted_ ? PSNRET_NOERROR
                                                             : PSNRET_INVALID_NOCHANGEPAGE);
    default:
        return FALSE;
    }
}

// The note goes under the tabs, left of the sheet's buttons.
void Win32OptionsSheetView::PlaceNote() const {
    HWND ok = ::GetDlgItem(sheet_, IDOK);
    HWND tabs = reinterpret_cast<HWND>(::SendMessageA(sheet_, PSM_GETTABCONTROL, 0, 0));
    if (ok == nullptr || tabs == nullptr || ::GetDlgItem(sheet_, IDC_OPTIONS_NOTE) != nullptr)
        return;
    const RECT button = AreaInSheet(sheet_, ok);
    const RECT tabArea = AreaInSheet(sheet_, tabs);
    HWND note = ::CreateWindowExA(
        0, "STATIC", note_.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE, tabArea.left,
        button.top, button.left - kNoteMargin - tabArea.left, button.bottom - button.top, sheet_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_OPTIONS_NOTE)), platform::ThisModule(),
        nullptr);
    ::SendMessageA(note, WM_SETFONT, ::SendMessageA(sheet_, WM_GETFONT, 0, 0), FALSE);
}

} // namespace ui
