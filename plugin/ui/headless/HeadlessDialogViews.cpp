#include "plugin/ui/headless/HeadlessDialogViews.h"

namespace ui {

namespace {

template <typename Record>
std::vector<Record> Snapshots(const std::vector<std::shared_ptr<SharedRecord<Record>>>& records) {
    std::vector<Record> snapshots;
    for (const auto& record : records)
        snapshots.push_back(record->Snapshot());
    return snapshots;
}

} // namespace

HeadlessDialogViews::HeadlessDialogViews(bool keepRecords)
    : keepRecords_(keepRecords), captureScript_(std::make_shared<HeadlessCaptureView::Script>()),
      selectionScript_(std::make_shared<HeadlessSelectSensorView::Script>()),
      pauseScript_(std::make_shared<HeadlessPauseView::Script>()),
      sheetScript_(std::make_shared<HeadlessOptionsSheetView::Script>()),
      passwordScript_(std::make_shared<HeadlessPasswordView::Script>()) {}

template <typename Record>
std::shared_ptr<SharedRecord<Record>>
HeadlessDialogViews::NewRecord(std::vector<std::shared_ptr<SharedRecord<Record>>>& records) {
    auto record = std::make_shared<SharedRecord<Record>>();
    if (keepRecords_) {
        std::lock_guard<std::mutex> lock(mutex_);
        records.push_back(record);
    }
    return record;
}

std::unique_ptr<CaptureDialogView> HeadlessDialogViews::CreateCaptureView() {
    auto view = std::make_unique<HeadlessCaptureView>(captureScript_, NewRecord(captureRecords_));
    std::lock_guard<std::mutex> lock(mutex_);
    if (failNextCapture_)
        view->FailCreate();
    failNextCapture_ = false;
    return view;
}

std::unique_ptr<SelectSensorView> HeadlessDialogViews::CreateSelectSensorView() {
    return std::make_unique<HeadlessSelectSensorView>(selectionScript_,
                                                      NewRecord(selectionRecords_));
}

std::unique_ptr<PauseDialogView> HeadlessDialogViews::CreatePauseView() {
    return std::make_unique<HeadlessPauseView>(pauseScript_, NewRecord(pauseRecords_));
}

std::unique_ptr<OptionsSheetView> HeadlessDialogViews::CreateOptionsSheetView() {
    return std::make_unique<HeadlessOptionsSheetView>(sheetScript_, NewRecord(sheetRecords_));
}

std::unique_ptr<PasswordDialogView> HeadlessDialogViews::CreatePasswordView() {
    return std::make_unique<HeadlessPasswordView>(passwordScript_, NewRecord(passwordRecords_));
}

void HeadlessDialogViews::FailNextCaptureCreate() {
    std::lock_guard<std::mutex> lock(mutex_);
    failNextCapture_ = true;
}

std::vector<CaptureDialogRecord> HeadlessDialogViews::CaptureDialogs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return Snapshots(captureRecords_);
}

std::vector<SelectSensorRecord> HeadlessDialogViews::SelectionDialogs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return Snapshots(selectionRecords_);
}

std::vector<PauseDialogRecord> HeadlessDialogViews::PauseDialogs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return Snapshots(pauseRecords_);
}

} // namespace ui

namespace ui {

std::vector<OptionsSheetRecord> HeadlessDialogViews::OptionsSheets() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return Snapshots(sheetRecords_);
}

std::vector<PasswordDialogRecord> HeadlessDialogViews::PasswordDialogs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return Snapshots(passwordRecords_);
}

} // namespace ui
