#pragma once

#include <functional>
#include <memory>

#include "plugin/CaptureController.h"
#include "plugin/SensorOptions.h"
#include "plugin/ui/SelectSensorView.h"

namespace ui {

// Capture mode confirms a single listed sensor by itself.
enum class SelectionMode { Normal, Capture };

// What the selection dialog needs of the capture controller.
struct SelectSensorHooks {
    std::function<bool()> initialize;
    std::function<void(DeviceIdList& devices)> getDevices;
};

// CSelectSensorDlg: lists the attached sensors and stores the confirmed one
// in the option record.
class CSelectSensorDlg : private SelectSensorEvents {
public:
    CSelectSensorDlg(std::unique_ptr<SelectSensorView> view, SelectionMode mode,
                     SensorOptions& options, SelectSensorHooks hooks);
    // A view of this build (DialogViews()).
    CSelectSensorDlg(SelectionMode mode, SensorOptions& options, SelectSensorHooks hooks);

    // OK or Cancel; OK has stored the selection unless the list was empty.
    DialogResult DoModal(void* parent);

private:
    void OnOpening() override;
    void OnOk() override;
    void OnCancel() override;
    void FillList();
    bool Confirm(const _ToviDeviceId& device);
    void Warn(const std::string& text, const std::string& caption);

    std::unique_ptr<SelectSensorView> view_;
    SelectionMode mode_;
    SensorOptions& options_;
    SelectSensorHooks hooks_;
    DeviceIdList devices_;
};

} // namespace ui
