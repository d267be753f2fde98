// The capture controller's steps on the host's UI thread: sensor selection,
// the device, the capture dialog and the modal loop the capture waits in.

#include "plugin/ToviIFace.h"

#include <new>

#include "plugin/PlainBox.h"
#include "plugin/PluginState.h"
#include "plugin/SensorDescription.h"
#include "plugin/ui/PauseDialog.h"
#include "plugin/ui/SelectSensorDialog.h"
#include "plugin/ui/options/SensorOptionsDialog.h"
#include "support/LastError.h"
#include "support/LogChannels.h"
#include "support/TextFormat.h"
#include "support/Translation.h"

std::atomic<CToviIFace*> CToviIFace::active_{nullptr};

namespace {

PluginState& State() {
    return PluginModule::Instance().state;
}

const char* const kTag8 = "IFace::CaptureSingleImage()";
const char* const kTag16 = "IFace::CaptureSingleImage16Bit()";

} // namespace

CToviIFace::CToviIFace(CDevMgr& manager, ImageEnhancer* enhancer)
    : manager_(manager), enhancer_(enhancer) {
    active_ = this;
}

CToviIFace::~CToviIFace() {
    CToviIFace* self = this;
    active_.compare_exchange_strong(self, nullptr);
    if (worker_)
        worker_->Join();
    DestroyCaptureDlg();
    device_ = DeviceRef();
}

void CToviIFace::Finalize() {
    manager_.Finalize();
}

const CapturedImage* CToviIFace::CaptureSingleImage(unsigned permanentTeeth,
                                                    unsigned primaryTeeth) {
    return Capture(false, permanentTeeth, primaryTeeth);
}

const CapturedImage* CToviIFace::CaptureSingleImage16Bit(unsigned permanentTeeth,
                                                         unsigned primaryTeeth) {
    return Capture(true, permanentTeeth, primaryTeeth);
}

void CToviIFace::BeginCapture(bool sixteenBit, unsigned permanentTeeth, unsigned primaryTeeth) {
    result_.Release();
    result_.SetSixteenBit(sixteenBit);
    labels_.Release();
    imageReady_ = false;
    removalText_.clear();
    permanentTeeth_ = permanentTeeth;
    primaryTeeth_ = primaryTeeth;
    State().userTerminated = 0;
}

const CapturedImage* CToviIFace::Capture(bool sixteenBit, unsigned permanentTeeth,
                                         unsigned primaryTeeth) {
    BeginCapture(sixteenBit, permanentTeeth, primaryTeeth);
    const char* tag = sixteenBit ? kTag16 : kTag8;
    CaptureLog.Log("%s::Begin", tag);
    CaptureLog.Log("%s::Initialize", tag);
    if (!Initialize())
        return nullptr;
    CaptureLog.Log("%s::SelectSensor", kTag8); // both depths write this text
    if (!SelectSensor())
        return nullptr;
    CaptureLog.Log("%s::CreateToviDevice", tag);
    if (!CreateToviDevice()) {
        if (sixteenBit)
            CloseToviHardware();
        return nullptr;
    }
    return RunCaptureSteps(tag);
}

const CapturedImage* CToviIFace::RunCaptureSteps(const char* tag) {
    CaptureLog.Log("%s::CreateCaptureDlg", tag);
    if (!CreateCaptureDlg()) {
        CloseToviHardware();
        return nullptr;
    }
    CaptureLog.Log("%s::CaptureImage", tag);
    if (!CaptureImage()) {
        // The dialog stays open until the next capture or the controller's end.
        CloseToviHardware();
        return nullptr;
    }
    if (!result_.IsSixteenBit())
        CaptureLog.Log("%s::DoModalCaptureDlg", tag);
    const bool ended = DoModalCaptureDlg();
    // A removal ends the loop while the worker may still be inside the device.
    WaitForWorker();
    return FinishCapture(tag, ended);
}

const CapturedImage* CToviIFace::FinishCapture(const char* tag, bool ended) {
    const bool logSteps = ended || !result_.IsSixteenBit();
    if (logSteps)
        CaptureLog.Log("%s::DestroyCaptureDlg", tag);
    DestroyCaptureDlg();
    if (logSteps)
        CaptureLog.Log("%s::CloseToviHardware", tag);
    CloseToviHardware();
    if (!removalText_.empty())
        SetLastErrorText(removalText_);
    if (!ended || !imageReady_ || !result_.HasImage()) {
        if (!ended && logSteps)
            CaptureLog.Log("%s::End", tag);
        return nullptr;
    }
    const std::string end = FormatText("%s::End", tag);
    CaptureLog.Log("%s = Dim=(%lu, %lu)", end.c_str(), static_cast<unsigned long>(result_.Width()),
                   static_cast<unsigned long>(result_.Height()));
    return &result_;
}

void CToviIFace::WaitForWorker() {
    if (!worker_)
        return;
    worker_->JoinServingMessages();
    worker_.reset();
}

bool CToviIFace::Initialize() {
    if (initialized_)
        return true;
    CaptureLog.Log("IFace::Initialize()::Begin");
    if (manager_.Initialize(&CToviIFace::OnNotify) >= 0) {
        initialized_ = true;
        CaptureLog.Log("IFace::Initialize()::End");
        return true;
    }
    const std::string text = FormatTranslated("Unable to initialize %s Device manager. %s",
                                              kSystemName, LastErrorText().c_str());
    ShowPlainBox(text);
    CaptureLog.Log("%s", text.c_str());
    return false;
}

void CToviIFace::GetDevices(DeviceIdList& devices) {
    CaptureLog.Log("IFace::GetDevices()::Begin");
    devices.clear();
    for (std::size_t index = 0; index < manager_.DeviceCount(); ++index) {
        DeviceRef device = manager_.GetDevice(index);
        if (!device)
            continue;
        char sensorId[kIdentifyBufferSize] = {};
        device->Identify(sensorId);
        sensorId[kIdentifyBufferSize - 1] = 0;
        std::string lastSensorId = sensorId;
        if (!lastSensorId.empty()) {
            devices.push_back({device->FamilyKey(), lastSensorId, device->InstanceId()});
        } else {
            // A sensor that cannot tell its id is offered once per known sensor file.
            for (std::size_t file = 0; file < manager_.DeviceFileCount(); ++file) {
                lastSensorId = manager_.DeviceFile(file);
                devices.push_back({device->FamilyKey(), lastSensorId, device->InstanceId()});
            }
        }
        CaptureLog.Log("Device %lu: '%s', '%s', '%s'", static_cast<unsigned long>(index + 1),
                       device->FamilyKey().c_str(), lastSensorId.c_str(),
                       device->InstanceId().c_str());
    }
    CaptureLog.Log("IFace::GetDevices()::End");
}

bool CToviIFace::FindSelectedSensor() {
    DeviceIdList devices;
    GetDevices(devices);
    if (devices.empty()) {
        SetTranslatedMessage("No Tovi devices detected. Please check your hardware connection.");
        return false;
    }
    const SensorOptions& options = State().options;
    for (const _ToviDeviceId& device : devices) {
        if (IsSelectedSensor(device, options))
            return true;
    }
    return false;
}

bool CToviIFace::SelectSensor() {
    if (FindSelectedSensor())
        return true;
    if (RunSelectionDialog(ui::SelectionMode::Capture) == ui::DialogResult::Cancel) {
        SetTranslatedMessage("The user did not select a sensor");
        return false;
    }
    return true;
}

bool CToviIFace::CreateToviDevice() {
    CaptureLog.Log("IFace::CreateToviDevice()::Begin");
    const SensorOptions& options = State().options;
    const std::string deviceId = Trimmed(options.Text(SensorOptions::DeviceId));
    if (deviceId.empty()) {
        SetLastErrorText(FormatText("No viable %s sensor was selected in the sensor options; the "
                                    "selected sensor system may no longer be available",
                                    kSystemName));
        CaptureLog.Log("IFace::CreateToviDevice()::%s", LastErrorText().c_str());
        return false;
    }
    CaptureLog.Log("IFace::CreateToviDevice()::CreateDevice");
    DeviceRef device;
    if (manager_.CreateDevice(deviceId, options.Text(SensorOptions::SensorId), device) >= 0) {
        device_ = std::move(device);
        CaptureLog.Log("IFace::CreateToviDevice()::End");
        return true;
    }
    SetLastErrorText(FormatText(
        "Unable to create %s device for device id: %s. Please be sure that the %s hardware is "
        "plugged in and correctly configured and then retry the operation.",
        kSystemName, deviceId.c_str(), options.Text(SensorOptions::DeviceName).c_str()));
    CaptureLog.Log("IFace::CreateToviDevice()::%s", LastErrorText().c_str());
    return false;
}

void CToviIFace::CloseToviHardware() {
    CaptureLog.Log("IFace::CloseToviHardware()::Begin");
    if (device_) {
        device_->Close();
        device_ = DeviceRef();
    }
    CaptureLog.Log("IFace::CloseToviHardware()::End");
}

void CToviIFace::ManualTrigger() {
    CaptureLog.Log("IFace::ManualTrigger()::Begin");
    if (device_)
        device_->RequestTrigger();
    CaptureLog.Log("IFace::ManualTrigger()::End");
}

ui::CaptureDialogHooks CToviIFace::DialogHooks() {
    return {[] { return DescribeSensor(); }, [](const std::string& text) { SendPreping(text); },
            [this](bool modifierHeld) { OnCancel(modifierHeld); }};
}

void CToviIFace::OnCancel(bool modifierHeld) {
    // With Ctrl, Shift or Alt held the press only triggers: the image is kept.
    if (!modifierHeld) {
        SetTranslatedMessage("Sensor capture cancelled by the user");
        State().userTerminated = 1;
    }
    ManualTrigger();
}

bool CToviIFace::CreateCaptureDlg() {
    CaptureLog.Log("IFace::CreateCaptureDlg()::Begin");
    DestroyCaptureDlg();
    std::unique_ptr<ui::CCaptureXrayDlg> dialog(new (std::nothrow)
                                                    ui::CCaptureXrayDlg(DialogHooks()));
    const char* name = "Tovi";
    if (dialog) {
        dialog->SetTeeth(permanentTeeth_, primaryTeeth_);
        name = kSystemName;
        if (dialog->Create(State().mainWindow))
            captureDialog_ = std::move(dialog);
    }
    if (!captureDialog_) {
        SetTranslatedError("Out of memory!  Unable to create %s support window!", name);
        CaptureLog.Log("IFace::CreateCaptureDlg()::%s", LastErrorText().c_str());
        return false;
    }
    captureDialog_->Show();
    captureWindow_ = captureDialog_->Window();
    if (enhancer_ != nullptr)
        enhancer_->SetWindow(reinterpret_cast<void*>(captureWindow_));
    CaptureLog.Log("IFace::CreateCaptureDlg()::End");
    return true;
}

bool CToviIFace::DestroyCaptureDlg() {
    if (!captureDialog_)
        return true;
    CaptureLog.Log("IFace::DestroyCaptureDlg()::Begin");
    if (captureDialog_->IsWindow())
        captureDialog_->Destroy();
    captureDialog_.reset();
    captureWindow_ = 0;
    CaptureLog.Log("IFace::DestroyCaptureDlg()::End");
    return true;
}

bool CToviIFace::DoModalCaptureDlg() {
    return captureDialog_ && captureDialog_->IsWindow() &&
           captureDialog_->RunModalLoop() == ui::DialogResult::Ok;
}

bool CToviIFace::ShowPauseDialog() {
    return ui::CLayoutCapturePauseDlg().DoModal(State().mainWindow) == ui::DialogResult::Ok;
}

bool CToviIFace::ShowSelectionDialog() {
    return RunSelectionDialog(ui::SelectionMode::Normal) == ui::DialogResult::Ok;
}

ui::DialogResult CToviIFace::RunSelectionDialog(ui::SelectionMode mode) {
    ui::SelectSensorHooks hooks{[this] { return Initialize(); },
                                [this](DeviceIdList& devices) { GetDevices(devices); }};
    ui::CSelectSensorDlg dialog(mode, State().options, std::move(hooks));
    return dialog.DoModal(State().mainWindow);
}

void CToviIFace::ShowOptionsSheet() {
    PluginState& state = State();
    ui::SensorOptionsHooks hooks;
    hooks.hardwareSummary = [this] { return manager_.HardwareSummary("\n"); };
    ui::CSensorOptionsDlg(state.options, state.saveRawDump, std::move(hooks))
        .DoModal(state.mainWindow);
}
