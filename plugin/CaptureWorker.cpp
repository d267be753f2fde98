// The capture worker and what feeds it: the detection settings written before
// it starts, its thread routine, and the device's notifications while it runs.

#include <stdexcept>

#include "plugin/Guarded.h"
#include "plugin/PlainBox.h"
#include "plugin/PluginState.h"
#include "plugin/ToviIFace.h"
#include "support/LastError.h"
#include "support/LogChannels.h"
#include "support/TextCase.h"
#include "support/TextFormat.h"
#include "support/Translation.h"

namespace {

PluginState& State() {
    return PluginModule::Instance().state;
}

// The image the worker asks for, and the factor of its histogram correction.
constexpr std::int32_t kCorrectedImageType = 5; // OFFSET_DEFECT_HISTOGRAM_CORRECTED
constexpr double kHistogramFactor = 0.4;

struct DetectionSettings {
    std::int32_t sensitivity;
    std::int32_t threshold;
    std::int32_t integrationTime;
};

DetectionSettings DetectionSettingsFor(const std::string& deviceName,
                                       const SensorOptions& options) {
    if (EqualsIgnoringCase(deviceName, "TOVIRAY"))
        return {options.Int(SensorOptions::SensitivityToviRay),
                options.Int(SensorOptions::ThresholdToviRay),
                options.Int(SensorOptions::IntegrationTimeToviRay)};
    return {options.Int(SensorOptions::Sensitivity2000), options.Int(SensorOptions::Threshold2000),
            options.Int(SensorOptions::IntegrationTime2000)};
}

std::string UnsignedText(std::int32_t value) {
    return FormatText("%lu", static_cast<unsigned long>(static_cast<std::uint32_t>(value)));
}

bool RefusedWith(const char* format) {
    SetTranslatedError(format, kSystemName);
    CaptureLog.Log("IFace::CaptureImage()::%s", LastErrorText().c_str());
    return false;
}

} // namespace

bool CToviIFace::CaptureImage() {
    if (!device_)
        return false;
    CaptureLog.Log("IFace::CaptureImage()::Begin");
    if (!SetBinning() || !SetDetectionProperties())
        return false;
    CaptureLog.Log("IFace::CaptureImage()::Creating capture thread");
    if (!StartWorker()) {
        ShowPlainBox(Translate("The system was unable to create the necessary callback thread."));
        CaptureLog.Log("IFace::CaptureImage()::%s", LastErrorText().c_str());
        return false;
    }
    CaptureLog.Log("IFace::CaptureImage()::End");
    return true;
}

bool CToviIFace::SetBinning() {
    const SensorOptions& options = State().options;
    if (!EqualsIgnoringCase(options.Text(SensorOptions::DeviceName), "2000"))
        return true;
    // The record keeps the inverse of "Return binned image".
    const bool binned = options.Int(SensorOptions::FullResolution) == 0;
    if (device_->SetProperty("binned", binned ? "true" : "false") < 0)
        return RefusedWith("Unable to set binning state for %s device.");
    return true;
}

bool CToviIFace::SetDetectionProperties() {
    const SensorOptions& options = State().options;
    const DetectionSettings settings =
        DetectionSettingsFor(options.Text(SensorOptions::DeviceName), options);
    CaptureLog.Log("IFace::CaptureImage()::Setting properties");
    if (device_->SetProperty("sensitivity", UnsignedText(settings.sensitivity)) < 0)
        return RefusedWith("Unable to set detection sensitivity for %s device.");
    if (device_->SetProperty("threshold", UnsignedText(settings.threshold)) < 0)
        return RefusedWith("Unable to set detection threshold for %s device.");
    if (device_->SetProperty("integration_time", UnsignedText(settings.integrationTime)) < 0)
        return RefusedWith("Unable to set integration time for %s device.");
    return true;
}

bool CToviIFace::StartWorker() {
    try {
        worker_ = std::make_unique<platform::Thread>([this] { CaptureProc(); },
                                                     platform::ThreadPriority::TimeCritical);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

int CToviIFace::CaptureProc() {
    // Whatever goes wrong on this thread, the dialog hears the end of the capture.
    const int result = Guarded(-1, [this] { return RunCaptureProc(); });
    if (result < 0) {
        CaptureLog.Log("CaptureProc()::%s", LastErrorText().c_str());
        PostEndMessage(1);
        return 1;
    }
    return result;
}

int CToviIFace::RunCaptureProc() {
    CaptureLog.Log("CaptureProc()::Begin");
    CaptureLog.Log("CaptureProc()::CaptureImage");
    if (device_->CaptureImage() < 0) {
        PostEndMessage(1);
        CaptureLog.Log("CaptureProc()::FAILED");
        return 1;
    }
    CaptureLog.Log("CaptureProc()::GetImage");
    std::unique_ptr<RawFrame> frame;
    if (device_->DoGetImage(kCorrectedImageType, kHistogramFactor, frame) < 0 || !frame) {
        SetTranslatedError("Unable to get image data from %s interface.", kSystemName);
        CaptureLog.Log("CaptureProc()::%s", LastErrorText().c_str());
        PostEndMessage(1);
        return 1;
    }
    CaptureLog.Log("CaptureProc()::Processing result");
    std::intptr_t endParameter = 1;
    if (State().userTerminated != 0) {
        SendPause("Aborting Capture");
        frame.reset();
        CaptureLog.Log("CaptureProc()::User terminated process");
    } else {
        // Without an image the controller returns null with the hand-off's reason.
        ProcessFrame(std::move(frame));
        endParameter = 0;
    }
    PostEndMessage(endParameter);
    CaptureLog.Log("CaptureProc()::End");
    return 0;
}

void CToviIFace::ProcessFrame(std::unique_ptr<RawFrame> frame) {
    SendProcessing(FormatText("%s %s", device_->GetProperty("id").c_str(),
                              device_->GetProperty("sensor_id").c_str()));
    CaptureLog.Log("CaptureProc()::ProcessBitmapToImage");
    HandOffRequest request;
    request.family = device_->ProcessingFamily();
    request.sixteenBit = result_.IsSixteenBit();
    request.permanentTeeth = permanentTeeth_;
    request.primaryTeeth = primaryTeeth_;
    request.options = &State().options;
    request.sendProcessing = [](const std::string& text) { SendProcessing(text); };
    request.enhancer = enhancer_;
    request.labels = &labels_;
    imageReady_ = ProcessBitmapToImage(std::move(frame), request, result_.Images());
}

void CToviIFace::PostEndMessage(std::intptr_t lParam) {
    // After a removal the loop has ended already; the dialog ignores a second end.
    if (captureDialog_)
        captureDialog_->PostEndMessage(lParam);
}

std::string CToviIFace::SensorText() const {
    if (!device_)
        return " ";
    return device_->FamilyKey() + " " + device_->SensorId();
}

std::int32_t CToviIFace::OnNotify(const char* text, std::int32_t code, std::int32_t percent) {
    CToviIFace* controller = active_.load();
    if (controller == nullptr)
        return 0;
    return Guarded(0, [&] { return controller->Notify(text, code, percent); });
}

std::int32_t CToviIFace::Notify(const char* text, std::int32_t code, std::int32_t percent) {
    NotificationTarget target;
    target.sensorText = SensorText();
    if (captureDialog_) {
        ui::CCaptureXrayDlg* dialog = captureDialog_.get();
        target.appendLine = [dialog](const std::string& line) { dialog->AppendStatusLine(line); };
        target.endWithCancel = [this, dialog](const std::string& reason) {
            removalText_ = reason;
            dialog->PostEndMessage(1);
        };
    }
    return HandleDeviceNotification(target, text != nullptr ? text : "", code, percent);
}
