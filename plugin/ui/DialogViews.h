#pragma once

#include <memory>

#include "plugin/ui/CaptureDialogView.h"
#include "plugin/ui/PauseDialogView.h"
#include "plugin/ui/SelectSensorView.h"
#include "plugin/ui/options/OptionsSheetView.h"

namespace ui {

// Makes the windows behind the dialogs.
class DialogViewFactory {
public:
    virtual ~DialogViewFactory() = default;
    virtual std::unique_ptr<CaptureDialogView> CreateCaptureView() = 0;
    virtual std::unique_ptr<SelectSensorView> CreateSelectSensorView() = 0;
    virtual std::unique_ptr<PauseDialogView> CreatePauseView() = 0;
    // Null when this build cannot show the sheet (it then counts as cancelled).
    virtual std::unique_ptr<OptionsSheetView> CreateOptionsSheetView() = 0;
    virtual std::unique_ptr<PasswordDialogView> CreatePasswordView() = 0;
};

// This build's views: the dialog resources on Windows; natively headless
// views with empty scripts.
DialogViewFactory& SystemDialogViews();
std::shared_ptr<DialogViewFactory> CurrentDialogViews();
// Installs views for this process (tests); null restores the build's own.
void SetDialogViews(std::shared_ptr<DialogViewFactory> views);

} // namespace ui
