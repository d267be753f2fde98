#include "plugin/ui/PauseDialog.h"

#include "plugin/ui/DialogViews.h"

namespace ui {

namespace {
constexpr int kContinueBitmap = 146;
constexpr int kAbortBitmap = 147;
} // namespace

CLayoutCapturePauseDlg::CLayoutCapturePauseDlg(std::unique_ptr<PauseDialogView> view)
    : view_(std::move(view)) {}

CLayoutCapturePauseDlg::CLayoutCapturePauseDlg()
    : CLayoutCapturePauseDlg(CurrentDialogViews()->CreatePauseView()) {}

DialogResult CLayoutCapturePauseDlg::DoModal(void* parent) {
    return view_->RunModal(parent, *this);
}

void CLayoutCapturePauseDlg::OnOpening() {
    view_->SetButtonBitmap(PauseButton::Continue, kContinueBitmap, kLightGrey);
    view_->SetButtonBitmap(PauseButton::Abort, kAbortBitmap, kLightGrey);
}

void CLayoutCapturePauseDlg::OnContinue() {
    view_->End(DialogResult::Ok);
}

void CLayoutCapturePauseDlg::OnAbort() {
    view_->End(DialogResult::Cancel);
}

} // namespace ui
