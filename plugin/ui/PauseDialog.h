#pragma once

#include <memory>

#include "plugin/ui/PauseDialogView.h"

namespace ui {

// CLayoutCapturePauseDlg: asks between two captures of a group whether to go on.
class CLayoutCapturePauseDlg : private PauseDialogEvents {
public:
    explicit CLayoutCapturePauseDlg(std::unique_ptr<PauseDialogView> view);
    // A view of this build (DialogViews()).
    CLayoutCapturePauseDlg();

    // OK: continue with the capture; Cancel: abort.
    DialogResult DoModal(void* parent);

private:
    void OnOpening() override;
    void OnContinue() override;
    void OnAbort() override;

    std::unique_ptr<PauseDialogView> view_;
};

} // namespace ui
