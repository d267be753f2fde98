#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "plugin/ui/options/OptionsSheetView.h"

namespace ui {

// The options sheet as a modal property sheet: one page per template, each
// created by the sheet when first shown.
class Win32OptionsSheetView : public OptionsSheetView {
public:
    DialogResult RunModal(void* parent, const std::string& caption,
                          const std::vector<OptionsPageInfo>& pages, const std::string& note,
                          OptionsSheetEvents& events) override;
    void SetValues(OptionsPage page, const PageValues& values) override;
    PageValues Values(OptionsPage page) override;
    void ActivateFirstPage() override;
    void* Window() const override { return sheet_; }

    // A page of the running sheet, as its dialog procedure knows it.
    struct PageSlot {
        Win32OptionsSheetView* view;
        OptionsPage page;
        // The sheet's first page: it places the note and answers OK for all.
        bool first;
    };
    INT_PTR HandlePage(const PageSlot& slot, HWND window, UINT message, WPARAM wParam,
                       LPARAM lParam);

private:
    void OpenPage(const PageSlot& slot, HWND window);
    INT_PTR HandleNotify(const PageSlot& slot, HWND window, const NMHDR& header);
    void PlaceNote() const;

    HWND sheet_ = nullptr;
    OptionsSheetEvents* events_ = nullptr;
    std::string note_;
    std::map<OptionsPage, HWND> windows_;
    bool accepted_ = false;
};

} // namespace ui
