#pragma once

#include <memory>
#include <optional>
#include <string>

#include "plugin/ui/options/OptionsSheetView.h"

namespace ui {

// CPasswordRequiredDlg: asks for the password of the advanced options.
class CPasswordRequiredDlg {
public:
    explicit CPasswordRequiredDlg(std::unique_ptr<PasswordDialogView> view);
    // A view of this build (DialogViews()).
    CPasswordRequiredDlg();

    // The entered text on OK; nothing on Cancel.
    std::optional<std::string> DoModal(void* parent);

private:
    std::unique_ptr<PasswordDialogView> view_;
};

} // namespace ui
