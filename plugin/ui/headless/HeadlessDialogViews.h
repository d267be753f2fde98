#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "plugin/ui/DialogViews.h"
#include "plugin/ui/headless/HeadlessCaptureView.h"
#include "plugin/ui/headless/HeadlessOptionsSheetView.h"
#include "plugin/ui/headless/HeadlessPauseView.h"
#include "plugin/ui/headless/HeadlessSelectSensorView.h"

namespace ui {

// Headless views for every dialog the plug-in opens: one script per kind of
// dialog, shared by the dialogs of that kind in turn, and (when kept) the
// record of every dialog made, in order.
class HeadlessDialogViews : public DialogViewFactory {
public:
    explicit HeadlessDialogViews(bool keepRecords = true);

    std::unique_ptr<CaptureDialogView> CreateCaptureView() override;
    std::unique_ptr<SelectSensorView> CreateSelectSensorView() override;
    std::unique_ptr<PauseDialogView> CreatePauseView() override;
    std::unique_ptr<OptionsSheetView> CreateOptionsSheetView() override;
    std::unique_ptr<PasswordDialogView> CreatePasswordView() override;

    void Script(const CaptureAction& action) { captureScript_->Push(action); }
    void Script(const SelectSensorAction& action) { selectionScript_->Push(action); }
    void Script(PauseAction action) { pauseScript_->Push(action); }
    void Script(const OptionsSheetAction& action) { sheetScript_->Push(action); }
    // The text typed into the next password prompt (none: Cancel).
    void ScriptPassword(std::optional<std::string> text) { passwordScript_->Push(std::move(text)); }
    // The next capture window cannot be made.
    void FailNextCaptureCreate();

    std::vector<CaptureDialogRecord> CaptureDialogs() const;
    std::vector<SelectSensorRecord> SelectionDialogs() const;
    std::vector<PauseDialogRecord> PauseDialogs() const;
    std::vector<OptionsSheetRecord> OptionsSheets() const;
    std::vector<PasswordDialogRecord> PasswordDialogs() const;

private:
    template <typename Record>
    std::shared_ptr<SharedRecord<Record>>
    NewRecord(std::vector<std::shared_ptr<SharedRecord<Record>>>& records);

    const bool keepRecords_;
    std::shared_ptr<HeadlessCaptureView::Script> captureScript_;
    std::shared_ptr<HeadlessSelectSensorView::Script> selectionScript_;
    std::shared_ptr<HeadlessPauseView::Script> pauseScript_;
    std::shared_ptr<HeadlessOptionsSheetView::Script> sheetScript_;
    std::shared_ptr<HeadlessPasswordView::Script> passwordScript_;
    mutable std::mutex mutex_;
    bool failNextCapture_ = false;
    std::vector<std::shared_ptr<HeadlessCaptureView::Record>> captureRecords_;
    std::vector<std::shared_ptr<HeadlessSelectSensorView::Record>> selectionRecords_;
    std::vector<std::shared_ptr<HeadlessPauseView::Record>> pauseRecords_;
    std::vector<std::shared_ptr<HeadlessOptionsSheetView::Record>> sheetRecords_;
    std::vector<std::shared_ptr<HeadlessPasswordView::Record>> passwordRecords_;
};

} // namespace ui
