#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "plugin/ui/SelectSensorView.h"
#include "plugin/ui/headless/ScriptQueue.h"

namespace ui {

struct SelectSensorRecord {
    bool opened = false;
    void* parent = nullptr;
    std::vector<std::string> columns;
    // Every message text in the order shown; the last one is on display.
    std::vector<std::pair<std::string, TextStyle>> messages;
    std::vector<std::vector<std::string>> rows;
    int selectedRow = -1;
    int focusedRow = -1;
    bool listHidden = false;
    std::optional<DialogResult> result;
};

// One step of the script's user.
struct SelectSensorAction {
    enum class Kind { SelectRow, ClearSelection, Ok, Cancel };
    Kind kind = Kind::Ok;
    int row = 0;

    static SelectSensorAction Select(int row) { return {Kind::SelectRow, row}; }
    static SelectSensorAction ClearSelection() { return {Kind::ClearSelection, 0}; }
    static SelectSensorAction Ok() { return {Kind::Ok, 0}; }
    static SelectSensorAction Cancel() { return {Kind::Cancel, 0}; }
};

// The selection window without a display. When the script runs out, OK is
// pressed once (the default button); if the dialog stays open, Cancel.
class HeadlessSelectSensorView : public SelectSensorView,
                                 public ScriptedView<SelectSensorAction, SelectSensorRecord> {
public:
    explicit HeadlessSelectSensorView(std::shared_ptr<Script> script = std::make_shared<Script>(),
                                      std::shared_ptr<Record> record = std::make_shared<Record>());

    DialogResult RunModal(void* parent, SelectSensorEvents& events) override;
    void End(DialogResult result) override;
    void* Owner() const override { return nullptr; }

    void SetColumns(const std::vector<std::string>& titles) override;
    void SetMessage(const std::string& text, const TextStyle& style) override;
    void AddRow(const std::vector<std::string>& cells) override;
    void SelectRow(int row) override;
    void HideList() override;
    int SelectedRow() const override { return selectedRow_; }

private:
    void Perform(const SelectSensorAction& action, SelectSensorEvents& events);
    void SetSelection(int row);

    std::optional<DialogResult> result_;
    int selectedRow_ = -1;
};

} // namespace ui
