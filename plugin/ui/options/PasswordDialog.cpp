#include "plugin/ui/options/PasswordDialog.h"

#include "plugin/PluginState.h"
#include "plugin/ui/DialogViews.h"

namespace ui {

CPasswordRequiredDlg::CPasswordRequiredDlg(std::unique_ptr<PasswordDialogView> view)
    : view_(std::move(view)) {}

CPasswordRequiredDlg::CPasswordRequiredDlg()
    : CPasswordRequiredDlg(CurrentDialogViews()->CreatePasswordView()) {}

std::optional<std::string> CPasswordRequiredDlg::DoModal(void* parent) {
    if (!view_)
        return std::nullopt;
    view_->SetCaption(Translate("Password Required"));
    view_->SetLabel(Translate("Password"), {kDarkBlue, false, {}});
    view_->SetMessage(Translate("A password is required in order to access the advanced options."),
                      {kDarkBlue, true, "MS Sans Serif"}, kWhite);
    view_->PlayDefaultSound();
    return view_->RunModal(parent);
}

} // namespace ui
