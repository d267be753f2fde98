#pragma once

#include <memory>

#include "plugin/ui/headless/HeadlessDialogViews.h"

namespace ui {

// The native build's dialogs on a console: the selection dialog and the
// options sheet's General page write what they show to standard output and are
// cancelled, so that a command-line host can list the sensors and the hardware
// through the exports without changing the record; the other dialogs answer as
// the headless views do.
class ConsoleDialogViews : public DialogViewFactory {
public:
    std::unique_ptr<CaptureDialogView> CreateCaptureView() override;
    std::unique_ptr<SelectSensorView> CreateSelectSensorView() override;
    std::unique_ptr<PauseDialogView> CreatePauseView() override;
    std::unique_ptr<OptionsSheetView> CreateOptionsSheetView() override;
    std::unique_ptr<PasswordDialogView> CreatePasswordView() override;

private:
    HeadlessDialogViews headless_{false};
};

} // namespace ui
