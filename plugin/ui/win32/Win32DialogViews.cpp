#include "plugin/ui/DialogViews.h"
#include "plugin/ui/win32/Win32CaptureView.h"
#include "plugin/ui/win32/Win32OptionsSheetView.h"
#include "plugin/ui/win32/Win32PasswordView.h"
#include "plugin/ui/win32/Win32PauseView.h"
#include "plugin/ui/win32/Win32SelectSensorView.h"

namespace ui {

namespace {

class Win32DialogViews : public DialogViewFactory {
public:
    std::unique_ptr<CaptureDialogView> CreateCaptureView() override {
        return std::make_unique<Win32CaptureView>();
    }
    std::unique_ptr<SelectSensorView> CreateSelectSensorView() override {
        return std::make_unique<Win32SelectSensorView>();
    }
    std::unique_ptr<PauseDialogView> CreatePauseView() override {
        return std::make_unique<Win32PauseView>();
    }
    std::unique_ptr<OptionsSheetView> CreateOptionsSheetView() override {
        return std::make_unique<Win32OptionsSheetView>();
    }
    std::unique_ptr<PasswordDialogView> CreatePasswordView() override {
        return std::make_unique<Win32PasswordView>();
    }
};

} // namespace

DialogViewFactory& SystemDialogViews() {
    static auto* views = new Win32DialogViews();
    return *views;
}

} // namespace ui
