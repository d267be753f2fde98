#include "plugin/ui/options/SensorOptionsDialog.h"

#include "platform/MessageBox.h"
#include "plugin/PluginState.h"
#include "plugin/ui/DialogViews.h"
#include "plugin/ui/options/PasswordDialog.h"

namespace ui {

namespace {

// The order in which OK applies the pages.
constexpr OptionsPage kApplyOrder[] = {
    OptionsPage::General,           OptionsPage::Processing2000,     OptionsPage::Adjustments2000,
    OptionsPage::ProcessingToviRay, OptionsPage::AdjustmentsToviRay, OptionsPage::Detection,
    OptionsPage::Calibration,
};

PageFamily FamilyOf(OptionsPage page) {
    switch (page) {
    case OptionsPage::ProcessingToviRay:
    case OptionsPage::AdjustmentsToviRay:
        return PageFamily::ToviRay;
    case OptionsPage::Processing2000Plus:
    case OptionsPage::Adjustments2000Plus:
        return PageFamily::Series2000Plus;
    default:
        return PageFamily::Series2000;
    }
}

bool IsProcessingPage(OptionsPage page) {
    return page == OptionsPage::Processing2000 || page == OptionsPage::ProcessingToviRay ||
           page == OptionsPage::Processing2000Plus;
}

bool IsAdjustmentsPage(OptionsPage page) {
    return page == OptionsPage::Adjustments2000 || page == OptionsPage::AdjustmentsToviRay ||
           page == OptionsPage::Adjustments2000Plus;
}

constexpr unsigned kWarningBox = platform::kBoxOk | platform::kBoxIconWarning |
                                 platform::kBoxTaskModal | platform::kBoxTopmost |
                                 platform::kBoxSetForeground;

} // namespace

const std::vector<OptionsPageInfo>& CSensorOptionsDlg::SheetPages() {
    static const std::vector<OptionsPageInfo> pages{
        {OptionsPage::General, 213, "General"},
        {OptionsPage::Processing2000, 6004, "2000 Image Processing"},
        {OptionsPage::Adjustments2000, 6005, "2000 Adjustments"},
        {OptionsPage::ProcessingToviRay, 30013, "ToviRay Image Processing"},
        {OptionsPage::AdjustmentsToviRay, 30012, "ToviRay Adjustments"},
        {OptionsPage::Calibration, 30011, "Default Calibration"},
        {OptionsPage::Detection, 19004, "Detection Sensitivity and Threshold *"},
    };
    return pages;
}

const std::vector<OptionsPageInfo>& CSensorOptionsDlg::Pages2000Plus() {
    static const std::vector<OptionsPageInfo> pages{
        {OptionsPage::Processing2000Plus, 30015, "2000+ Image Processing"},
        {OptionsPage::Adjustments2000Plus, 30016, "2000+ Adjustments"},
    };
    return pages;
}

CSensorOptionsDlg::CSensorOptionsDlg(std::unique_ptr<OptionsSheetView> view, SensorOptions& options,
                                     int& saveRawDump, PasswordGate& gate, SensorOptionsHooks hooks)
    : view_(std::move(view)), options_(options), saveRawDump_(saveRawDump), gate_(gate),
      hooks_(std::move(hooks)) {}

CSensorOptionsDlg::CSensorOptionsDlg(SensorOptions& options, int& saveRawDump,
                                     SensorOptionsHooks hooks)
    : CSensorOptionsDlg(CurrentDialogViews()->CreateOptionsSheetView(), options, saveRawDump,
                        PasswordGate::Module(), std::move(hooks)) {
    if (!hooks_.askPassword)
        hooks_.askPassword = [this] { return CPasswordRequiredDlg().DoModal(PromptOwner()); };
}

DialogResult CSensorOptionsDlg::DoModal(void* parent) {
    if (!view_)
        return DialogResult::Cancel;
    parent_ = parent;
    opened_.clear();
    return view_->RunModal(parent, "Sensor Options", SheetPages(),
                           Translate("* - password protected options"), *this);
}

bool CSensorOptionsDlg::OnPageActivating(OptionsPage page) {
    if (page == OptionsPage::Detection &&
        !gate_.Admit(hooks_.askPassword,
                     [this](const std::string& text) { Warn(text, kApplicationName); })) {
        view_->ActivateFirstPage();
        return false;
    }
    if (opened_.insert(page).second)
        view_->SetValues(page, OpenPage(page));
    return true;
}

PageValues CSensorOptionsDlg::OpenPage(OptionsPage page) {
    if (page == OptionsPage::General)
        return OpenGeneral(options_, saveRawDump_,
                           hooks_.hardwareSummary ? hooks_.hardwareSummary() : std::string());
    if (IsProcessingPage(page))
        return OpenProcessing(options_, FamilyOf(page));
    if (IsAdjustmentsPage(page))
        return OpenAdjustments(options_, FamilyOf(page));
    if (page == OptionsPage::Calibration)
        return OpenCalibration(options_);
    return OpenDetection(options_);
}

void CSensorOptionsDlg::OnDefaults(OptionsPage page) {
    if (opened_.count(page) == 0)
        return;
    if (page == OptionsPage::Detection) {
        // The detection page sets its defaults without asking.
        PageValues values = view_->Values(page);
        if (auto* detection = std::get_if<DetectionValues>(&values)) {
            SetDetectionDefaults(*detection);
            view_->SetValues(page, values);
        }
        return;
    }
    if ((IsProcessingPage(page) || IsAdjustmentsPage(page)) && AskForDefaults()) {
        if (IsProcessingPage(page))
            view_->SetValues(page, ProcessingDefaults(FamilyOf(page)));
        else
            view_->SetValues(page, AdjustmentDefaults(FamilyOf(page)));
    }
}

bool CSensorOptionsDlg::AskForDefaults() {
    return platform::MessageBoxes().Show(
               PromptOwner(),
               Translate("Are you sure that you want to set these settings to their defaults?"),
               Translate("Set To Defaults"), platform::kBoxYesNo) == platform::kAnswerYes;
}

bool CSensorOptionsDlg::OnOk() {
    for (OptionsPage page : kApplyOrder) {
        if (opened_.count(page) != 0 && !ApplyPage(page))
            return false;
    }
    return true;
}

bool CSensorOptionsDlg::ApplyPage(OptionsPage page) {
    const PageValues values = view_->Values(page);
    if (const auto* general = std::get_if<GeneralValues>(&values)) {
        ApplyGeneral(*general, options_, saveRawDump_);
    } else if (const auto* processing = std::get_if<ProcessingValues>(&values)) {
        if (!ApplyProcessing(*processing, options_, FamilyOf(page))) {
            Warn(Translate("An invalidate mask size was specified.  Please check the values "
                           "entered for the various mask sizes before clicking on the 'OK' "
                           "button."),
                 Translate("Invalid Mask Size Specified"));
            return false;
        }
    } else if (const auto* adjustments = std::get_if<AdjustmentValues>(&values)) {
        ApplyAdjustments(*adjustments, options_, FamilyOf(page));
    } else if (const auto* calibration = std::get_if<CalibrationValues>(&values)) {
        ApplyCalibration(*calibration, options_);
    } else if (const auto* detection = std::get_if<DetectionValues>(&values)) {
        ApplyDetection(*detection, options_);
    }
    return true;
}

void* CSensorOptionsDlg::PromptOwner() const {
    void* sheet = view_ ? view_->Window() : nullptr;
    return sheet != nullptr ? sheet : parent_;
}

void CSensorOptionsDlg::Warn(const std::string& text, const std::string& caption) {
    platform::MessageBoxes().Show(PromptOwner(), text, caption, kWarningBox);
}

} // namespace ui
