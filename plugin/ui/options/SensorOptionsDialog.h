#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>

#include "plugin/SensorOptions.h"
#include "plugin/ui/options/OptionsSheetView.h"
#include "plugin/ui/options/PasswordGate.h"

namespace ui {

// What the options sheet needs from around it.
struct SensorOptionsHooks {
    // The device manager's hardware summary, one line per device.
    std::function<std::string()> hardwareSummary;
    // Asks for the password (none: Cancel).
    PasswordGate::Prompt askPassword;
};

// CSensorOptionsDlg: the "Sensor Options" sheet. Each page fills its controls
// from the record when it first opens; OK applies the opened pages in their
// order until one refuses, which keeps the sheet open.
class CSensorOptionsDlg : private OptionsSheetEvents {
public:
    CSensorOptionsDlg(std::unique_ptr<OptionsSheetView> view, SensorOptions& options,
                      int& saveRawDump, PasswordGate& gate, SensorOptionsHooks hooks);
    // A view of this build (DialogViews()), the module's password gate and the
    // password dialog.
    CSensorOptionsDlg(SensorOptions& options, int& saveRawDump, SensorOptionsHooks hooks);

    DialogResult DoModal(void* parent);

    // The pages as the sheet shows them, and the two it builds but leaves out.
    static const std::vector<OptionsPageInfo>& SheetPages();
    static const std::vector<OptionsPageInfo>& Pages2000Plus();

private:
    bool OnPageActivating(OptionsPage page) override;
    void OnDefaults(OptionsPage page) override;
    bool OnOk() override;
    PageValues OpenPage(OptionsPage page);
    bool ApplyPage(OptionsPage page);
    bool AskForDefaults();
    void Warn(const std::string& text, const std::string& caption);
    // The sheet owns the dialogs and boxes it opens, so they stay above it.
    void* PromptOwner() const;

    std::unique_ptr<OptionsSheetView> view_;
    SensorOptions& options_;
    int& saveRawDump_;
    PasswordGate& gate_;
    SensorOptionsHooks hooks_;
    void* parent_ = nullptr;
    std::set<OptionsPage> opened_;
};

} // namespace ui
