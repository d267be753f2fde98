#include "plugin/ui/headless/HeadlessSelectSensorView.h"

namespace ui {

HeadlessSelectSensorView::HeadlessSelectSensorView(std::shared_ptr<Script> script,
                                                   std::shared_ptr<Record> record)
    : ScriptedView(std::move(script), std::move(record)) {}

DialogResult HeadlessSelectSensorView::RunModal(void* parent, SelectSensorEvents& events) {
    result_.reset();
    record_->Update([parent](SelectSensorRecord& record) {
        record.opened = true;
        record.parent = parent;
    });
    events.OnOpening();
    bool defaultPressed = false;
    while (!result_) {
        if (std::optional<SelectSensorAction> action = script_->Pop())
            Perform(*action, events);
        else if (!defaultPressed) {
            defaultPressed = true;
            events.OnOk();
        } else {
            events.OnCancel();
        }
    }
    return *result_;
}

void HeadlessSelectSensorView::Perform(const SelectSensorAction& action,
                                       SelectSensorEvents& events) {
    switch (action.kind) {
    case SelectSensorAction::Kind::SelectRow:
        SetSelection(action.row);
        break;
    case SelectSensorAction::Kind::ClearSelection:
        SetSelection(-1);
        break;
    case SelectSensorAction::Kind::Ok:
        events.OnOk();
        break;
    case SelectSensorAction::Kind::Cancel:
        events.OnCancel();
        break;
    }
}

void HeadlessSelectSensorView::End(DialogResult result) {
    result_ = result;
    record_->Update([result](SelectSensorRecord& record) { record.result = result; });
}

void HeadlessSelectSensorView::SetColumns(const std::vector<std::string>& titles) {
    record_->Update([&](SelectSensorRecord& record) { record.columns = titles; });
}

void HeadlessSelectSensorView::SetMessage(const std::string& text, const TextStyle& style) {
    record_->Update([&](SelectSensorRecord& record) { record.messages.emplace_back(text, style); });
}

void HeadlessSelectSensorView::AddRow(const std::vector<std::string>& cells) {
    record_->Update([&](SelectSensorRecord& record) { record.rows.push_back(cells); });
}

void HeadlessSelectSensorView::SelectRow(int row) {
    SetSelection(row);
    record_->Update([row](SelectSensorRecord& record) { record.focusedRow = row; });
}

void HeadlessSelectSensorView::SetSelection(int row) {
    int rows = static_cast<int>(record_->Snapshot().rows.size());
    selectedRow_ = row >= 0 && row < rows ? row : -1;
    record_->Update([this](SelectSensorRecord& record) { record.selectedRow = selectedRow_; });
}

void HeadlessSelectSensorView::HideList() {
    record_->Update([](SelectSensorRecord& record) { record.listHidden = true; });
}

} // namespace ui
