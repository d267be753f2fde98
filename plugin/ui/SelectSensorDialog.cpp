#include "plugin/ui/SelectSensorDialog.h"

#include "platform/MessageBox.h"
#include "plugin/PluginState.h"
#include "plugin/ui/DialogViews.h"
#include "support/TextCase.h"
#include "support/Translation.h"

namespace ui {

namespace {

const TextStyle kMessageStyle{kDarkBlue, true, "MS Sans Serif"};
const TextStyle kNoDevicesStyle{kDarkRed, true, "MS Sans Serif"};

bool IsSupportedDevice(const std::string& deviceName) {
    return EqualsIgnoringCase(deviceName, "2000") || EqualsIgnoringCase(deviceName, "TOVIRAY");
}

} // namespace

CSelectSensorDlg::CSelectSensorDlg(std::unique_ptr<SelectSensorView> view, SelectionMode mode,
                                   SensorOptions& options, SelectSensorHooks hooks)
    : view_(std::move(view)), mode_(mode), options_(options), hooks_(std::move(hooks)) {}

CSelectSensorDlg::CSelectSensorDlg(SelectionMode mode, SensorOptions& options,
                                   SelectSensorHooks hooks)
    : CSelectSensorDlg(CurrentDialogViews()->CreateSelectSensorView(), mode, options,
                       std::move(hooks)) {}

DialogResult CSelectSensorDlg::DoModal(void* parent) {
    devices_.clear();
    return view_->RunModal(parent, *this);
}

void CSelectSensorDlg::OnOpening() {
    view_->SetColumns({"Device Name", "Sensor ID", "Device ID"});
    view_->SetMessage(
        Translate("Select that sensor that is to be used to capture the digital x-ray."),
        kMessageStyle);
    if (!hooks_.initialize || !hooks_.initialize()) {
        view_->SetMessage(
            FormatTranslated("Unable to initialize %s hardware interface.", kSystemName),
            kMessageStyle);
        return;
    }
    FillList();
    if (mode_ == SelectionMode::Capture && devices_.size() == 1)
        OnOk();
}

void CSelectSensorDlg::FillList() {
    if (hooks_.getDevices)
        hooks_.getDevices(devices_);
    if (devices_.empty()) {
        view_->SetMessage(FormatTranslated("No %s devices detected. Please check your hardware "
                                           "connection.",
                                           kSystemName),
                          kNoDevicesStyle);
        view_->HideList();
        return;
    }
    for (const _ToviDeviceId& device : devices_)
        view_->AddRow({device.deviceName, device.sensorId, device.deviceId});
    view_->SelectRow(0);
}

void CSelectSensorDlg::OnOk() {
    if (devices_.empty()) {
        view_->End(DialogResult::Ok);
        return;
    }
    int row = view_->SelectedRow();
    if (row < 0 || static_cast<std::size_t>(row) >= devices_.size()) {
        Warn(FormatTranslated("You must select a %s hardware system before you can click on the "
                              "'OK' button",
                              kSystemName),
             Translate("No Sensor System Selected"));
        return;
    }
    if (Confirm(devices_[static_cast<std::size_t>(row)]))
        view_->End(DialogResult::Ok);
}

bool CSelectSensorDlg::Confirm(const _ToviDeviceId& device) {
    if (!IsSupportedDevice(device.deviceName)) {
        Warn(Translate("You may only select a Tovi 2000, ToviRayII or ToviRay sensor system with "
                       "this sensor extension.  Please select either the 2000 series, ToviRayII "
                       "series, or ToviRay series sensor system."),
             Translate("Unsupported % Sensor System Selected"));
        return false;
    }
    options_.SetText(SensorOptions::DeviceName, device.deviceName);
    options_.SetText(SensorOptions::DeviceId, device.deviceId);
    options_.SetText(SensorOptions::SensorId, device.sensorId);
    return true;
}

void CSelectSensorDlg::Warn(const std::string& text, const std::string& caption) {
    platform::MessageBoxes().Show(view_->Owner(), text, caption,
                                  platform::kBoxOk | platform::kBoxIconWarning |
                                      platform::kBoxTaskModal | platform::kBoxTopmost |
                                      platform::kBoxSetForeground);
}

void CSelectSensorDlg::OnCancel() {
    view_->End(DialogResult::Cancel);
}

} // namespace ui
