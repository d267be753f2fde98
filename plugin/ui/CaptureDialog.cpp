#include "plugin/ui/CaptureDialog.h"

#include "plugin/PluginState.h"
#include "plugin/ui/DialogViews.h"
#include "plugin/ui/TeethText.h"

namespace ui {

namespace {
constexpr std::uintptr_t kElapsedTimer = 0x12341234;
constexpr unsigned kElapsedPeriod = 1000;
} // namespace

CCaptureXrayDlg::CCaptureXrayDlg(std::unique_ptr<CaptureDialogView> view, CaptureDialogHooks hooks)
    : view_(std::move(view)), hooks_(std::move(hooks)) {}

CCaptureXrayDlg::CCaptureXrayDlg(CaptureDialogHooks hooks)
    : CCaptureXrayDlg(CurrentDialogViews()->CreateCaptureView(), std::move(hooks)) {}

CCaptureXrayDlg::~CCaptureXrayDlg() {
    Destroy();
}

void CCaptureXrayDlg::SetTeeth(unsigned permanentTeeth, unsigned primaryTeeth) {
    permanentTeeth_ = permanentTeeth;
    primaryTeeth_ = primaryTeeth;
}

bool CCaptureXrayDlg::Create(void* parent) {
    return view_->Create(parent, *this);
}

void CCaptureXrayDlg::Show() {
    view_->Show();
}

bool CCaptureXrayDlg::IsWindow() const {
    return view_->IsWindow();
}

platform::WindowHandle CCaptureXrayDlg::Window() const {
    return view_->Window();
}

DialogResult CCaptureXrayDlg::RunModalLoop() {
    if (!endResult_ && view_->IsWindow())
        return view_->RunModalLoop();
    return endResult_.value_or(DialogResult::Cancel);
}

void CCaptureXrayDlg::Destroy() {
    if (!view_->IsWindow())
        return;
    view_->StopTimer(kElapsedTimer);
    view_->Destroy();
}

bool CCaptureXrayDlg::PostEndMessage(std::intptr_t lParam) {
    return view_->PostEndMessage(lParam);
}

bool CCaptureXrayDlg::AppendStatusLine(const std::string& line) {
    return view_->SendStatusLine(line);
}

void CCaptureXrayDlg::OnOpening() {
    PluginModule::Instance().state.timedOut = 0;
    SetStyles();
    view_->AddStatusLine(Translate("Initializing ..."));
    if (hooks_.sendPreping)
        hooks_.sendPreping(hooks_.describeSensor ? hooks_.describeSensor() : std::string());
    view_->AddStatusLine(Translate("Initializing hardware ..."));
    view_->Minimise();
    view_->StartTimer(kElapsedTimer, kElapsedPeriod);
}

void CCaptureXrayDlg::SetStyles() {
    view_->SetText(CaptureText::Teeth, TeethText(permanentTeeth_, primaryTeeth_));
    view_->SetTextStyle(CaptureText::Teeth, {kBlack, true, {}});
    view_->SetTextStyle(CaptureText::TeethLabel, {kDarkBlue, true, {}});
    view_->SetTextStyle(CaptureText::StatusLabel, {kDarkBlue, true, {}});
}

void CCaptureXrayDlg::OnTimer(std::uintptr_t timerId) {
    if (timerId != kElapsedTimer)
        return;
    ++elapsedSeconds_;
    view_->SetText(CaptureText::Elapsed, ElapsedText(elapsedSeconds_));
    view_->SetTextStyle(CaptureText::Elapsed, {kBlue, true, {}});
}

void CCaptureXrayDlg::OnCancel(bool modifierHeld) {
    if (hooks_.cancel)
        hooks_.cancel(modifierHeld);
}

void CCaptureXrayDlg::OnEndMessage(std::intptr_t lParam) {
    if (endResult_)
        return;
    endResult_ = lParam == 0 ? DialogResult::Ok : DialogResult::Cancel;
    view_->EndModalLoop(*endResult_);
}

void CCaptureXrayDlg::OnStatusLine(const std::string& line) {
    view_->AddStatusLine(line);
}

} // namespace ui
