#pragma once

#include <windows.h>

#include "plugin/ui/SelectSensorView.h"
#include "plugin/ui/win32/StyledTexts.h"

namespace ui {

// The sensor selection dialog from template 5001, run with DialogBoxParamA.
class Win32SelectSensorView : public SelectSensorView {
public:
    DialogResult RunModal(void* parent, SelectSensorEvents& events) override;
    void End(DialogResult result) override;
    void* Owner() const override { return window_; }

    void SetColumns(const std::vector<std::string>& titles) override;
    void SetMessage(const std::string& text, const TextStyle& style) override;
    void AddRow(const std::vector<std::string>& cells) override;
    void SelectRow(int row) override;
    void HideList() override;
    int SelectedRow() const override;

    void Attach(HWND window) { window_ = window; }
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);

private:
    HWND List() const;

    HWND window_ = nullptr;
    SelectSensorEvents* events_ = nullptr;
    StyledTexts texts_;
};

} // namespace ui
