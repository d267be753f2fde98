#pragma once

#include <string>
#include <vector>

#include "plugin/ui/DialogTypes.h"

namespace ui {

// What the selection window reports, on the UI thread.
class SelectSensorEvents {
public:
    virtual void OnOpening() = 0;
    virtual void OnOk() = 0;
    // The Cancel button or Esc.
    virtual void OnCancel() = 0;

protected:
    ~SelectSensorEvents() = default;
};

// The modal sensor selection window (template 5001).
class SelectSensorView {
public:
    virtual ~SelectSensorView() = default;

    // Runs the window until End; OnOpening runs first. Cancel when it cannot be shown.
    virtual DialogResult RunModal(void* parent, SelectSensorEvents& events) = 0;
    virtual void End(DialogResult result) = 0;
    // The owner of the boxes the dialog shows.
    virtual void* Owner() const = 0;

    virtual void SetColumns(const std::vector<std::string>& titles) = 0;
    virtual void SetMessage(const std::string& text, const TextStyle& style) = 0;
    virtual void AddRow(const std::vector<std::string>& cells) = 0;
    // Selects and focuses the row.
    virtual void SelectRow(int row) = 0;
    virtual void HideList() = 0;
    // The selected row, or -1.
    virtual int SelectedRow() const = 0;
};

} // namespace ui
