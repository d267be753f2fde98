// The SED entry points. Every body runs inside Guarded so that no exception
// reaches the host; failures return 0 or null with the reason in lastErrorText.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <stdexcept>

#include "image/Orientation.h"
#include "image/PackedDib.h"
#include "platform/Environment.h"
#include "platform/MessageBox.h"
#include "plugin/DicomRecord.h"
#include "plugin/Guarded.h"
#include "plugin/Logs.h"
#include "plugin/PlainBox.h"
#include "plugin/PluginState.h"
#include "plugin/SensorDescription.h"
#include "plugin/StatusNotifications.h"
#include "support/ByteFields.h"
#include "support/TextCase.h"

namespace {

PluginState& State() {
    return PluginModule::Instance().state;
}

void CopyToHost(const std::string& text, char* dst, int dstSize) {
    if (dstSize > 0)
        CopyBoundedText(dst, static_cast<std::size_t>(dstSize), text);
}

void SelectAttachedSensor(const DeviceIdList& devices) {
    SensorOptions& options = State().options;
    if (devices.empty()) {
        options.SetText(SensorOptions::DeviceName, "");
        options.SetText(SensorOptions::DeviceId, "");
        options.SetText(SensorOptions::SensorId, "");
        return;
    }
    for (const _ToviDeviceId& device : devices) {
        if (IsSelectedSensor(device, options))
            return;
    }
    options.SetText(SensorOptions::DeviceName, devices.front().deviceName);
    options.SetText(SensorOptions::DeviceId, devices.front().deviceId);
    options.SetText(SensorOptions::SensorId, devices.front().sensorId);
}

bool RefuseReentrantCapture() {
    if (State().captureActive == 0)
        return false;
    std::string text = FormatWithSystemName(
        Translate("A %s capture is currently in process.  You cannot start another acquisition "
                  "until the current one is finished."));
    SetLastErrorText(text);
    platform::MessageBoxes().Show(State().mainWindow, text, Translate("Capture Already Active"),
                                  platform::kBoxOk | platform::kBoxIconWarning |
                                      platform::kBoxTaskModal | platform::kBoxTopmost |
                                      platform::kBoxSetForeground);
    LogError(text);
    return true;
}

bool PauseAllowsCapture() {
    PluginState& state = State();
    bool pauseWanted = state.options.Int(SensorOptions::PauseBetweenGroupCaptures) != 0 &&
                       state.groupActive == 1 && state.groupCaptureCount > 0;
    if (!pauseWanted || PluginModule::Instance().Controller().ShowPauseDialog())
        return true;
    std::string text = Translate("The user cancelled the capture process.");
    SetLastErrorText(text);
    LogError(text);
    state.userTerminated = 1;
    return false;
}

const CapturedImage* CaptureWithController(unsigned permanentTeeth, unsigned primaryTeeth,
                                           bool sixteenBit) {
    return Guarded<const CapturedImage*>(nullptr, [&] {
        CaptureController& controller = PluginModule::Instance().Controller();
        return sixteenBit ? controller.CaptureSingleImage16Bit(permanentTeeth, primaryTeeth)
                          : controller.CaptureSingleImage(permanentTeeth, primaryTeeth);
    });
}

// Whatever ends the capture, a later one may start.
class CaptureActiveScope {
public:
    explicit CaptureActiveScope(PluginState& state) : state_(state) { state_.captureActive = 1; }
    ~CaptureActiveScope() { state_.captureActive = 0; }
    CaptureActiveScope(const CaptureActiveScope&) = delete;
    CaptureActiveScope& operator=(const CaptureActiveScope&) = delete;

private:
    PluginState& state_;
};

platform::GlobalHandle RunCapture(unsigned permanentTeeth, unsigned primaryTeeth, bool sixteenBit,
                                  const char* tag) {
    PluginState& state = State();
    CaptureActiveScope active(state);
    state.permanentTeeth = permanentTeeth;
    state.primaryTeeth = primaryTeeth;
    const CapturedImage* image = CaptureWithController(permanentTeeth, primaryTeeth, sixteenBit);
    CaptureLog.CloseLog(); // every capture writes a log file of its own
    if (image == nullptr)
        LogError(LastErrorText());
    MainLog.Log("%s::Converting to an HGLOBAL", tag);
    platform::OwnedGlobalBlock result;
    if (image != nullptr)
        result.reset(
            Guarded<platform::GlobalHandle>(nullptr, [&] { return image->CreatePackedDIB(); }));
    MainLog.Log("%s::HGLOBAL conversion complete", tag);
    SendTermination();
    MainLog.Log("%s::End", tag);
    return result.release();
}

platform::GlobalHandle CaptureExport(unsigned permanentTeeth, unsigned primaryTeeth,
                                     bool sixteenBit) {
    const char* tag = sixteenBit ? "SEDCaptureImage16()" : "SEDCaptureImage()";
    if (!sixteenBit) {
        if (!PauseAllowsCapture())
            return nullptr;
        ++State().groupCaptureCount;
    }
    MainLog.Log("%s::Begin", tag);
    EnsureLogOpen(LogChannel::Capture);
    if (RefuseReentrantCapture()) {
        // The running capture keeps its CaptureLog; the 16-bit path closes it.
        if (sixteenBit)
            CaptureLog.CloseLog();
        return nullptr;
    }
    return RunCapture(permanentTeeth, primaryTeeth, sixteenBit, tag);
}

void ShowNotRequired(const std::string& format) {
    ShowPlainBox(FormatWithSystemName(format));
}

} // namespace

// Set-up and tear-down

SED_EXPORT void SED_CALL SEDSetSEDDir(const char* dir) {
    GuardedVoid([&] { State().sedDir = dir != nullptr ? dir : ""; });
}
SED_EXPORT void SED_CALL SEDSetDevicesDir(const char* dir) {
    GuardedVoid([&] { State().devicesDir = dir != nullptr ? dir : ""; });
}
SED_EXPORT void SED_CALL SEDSetMainWindow(void* wnd) {
    State().mainWindow = wnd;
}
SED_EXPORT void SED_CALL SEDSetStatusCallback(StatusCallback cb) {
    State().statusCallback = cb;
}
SED_EXPORT void SED_CALL SEDSetImageCallback(void* cb) {
    State().imageCallback = cb;
}
SED_EXPORT void SED_CALL SEDSetTranslateCallback(TranslateCallback cb) {
    PluginModule::Instance().translator.SetCallback(cb);
}
SED_EXPORT void SED_CALL SEDSetSensorID(int id) {
    State().hostSensorId = id;
}

SED_EXPORT int SED_CALL SEDPostMount() {
    return Guarded(1, [] {
        State().systemDir = platform::SystemDirectory();
        EnsureLogOpen(LogChannel::Main);
        MainLog.Log("PostMount()");
        return 1;
    });
}
SED_EXPORT int SED_CALL SEDPreUnmount() {
    GuardedVoid([] {
        MainLog.Log("PreUnMount()");
        PluginModule::Instance().Controller().Finalize();
    });
    return 1;
}

// Identity and version

SED_EXPORT int SED_CALL SEDGetSEDVersion() {
    return 0x00020000;
}
SED_EXPORT int SED_CALL SEDGetCurrentPort() {
    return 1;
}
SED_EXPORT void SED_CALL SEDGetCurrentSensorID(char* dst, int dstSize) {
    GuardedVoid([&] { CopyToHost(FormatWithSystemName("<%s Sensor>"), dst, dstSize); });
}
SED_EXPORT void SED_CALL SEDGetCurrentSensorDefinition(char* dst, int dstSize) {
    GuardedVoid([&] {
        CaptureController& controller = PluginModule::Instance().Controller();
        if (!controller.Initialize()) {
            ShowPlainBox(FormatWithSystemName("Unable to initialize %s hardware interface.."));
            return;
        }
        DeviceIdList devices;
        controller.GetDevices(devices);
        SelectAttachedSensor(devices);
        CopyToHost(DescribeSensor(), dst, dstSize);
    });
}

// Capture

SED_EXPORT void* SED_CALL SEDCaptureImage(unsigned permanentTeeth, unsigned primaryTeeth) {
    return Guarded<void*>(nullptr,
                          [&] { return CaptureExport(permanentTeeth, primaryTeeth, false); });
}
SED_EXPORT void* SED_CALL SEDCaptureImageNoPrompt(unsigned permanentTeeth, unsigned primaryTeeth) {
    return SEDCaptureImage(permanentTeeth, primaryTeeth);
}
SED_EXPORT void* SED_CALL SEDCaptureImage16(unsigned permanentTeeth, unsigned primaryTeeth) {
    return Guarded<void*>(nullptr,
                          [&] { return CaptureExport(permanentTeeth, primaryTeeth, true); });
}
SED_EXPORT void* SED_CALL SEDCaptureImageNoPrompt16(unsigned permanentTeeth,
                                                    unsigned primaryTeeth) {
    return SEDCaptureImage16(permanentTeeth, primaryTeeth);
}
SED_EXPORT void SED_CALL SEDGroupStarted() {
    State().groupActive = 1;
    State().groupCaptureCount = 0;
}
SED_EXPORT int SED_CALL SEDGroupEnded() {
    State().groupActive = 0;
    State().groupCaptureCount = 0;
    return 0;
}
SED_EXPORT int SED_CALL SEDUserTerminated() {
    return State().userTerminated;
}
SED_EXPORT int SED_CALL SEDTimedOut() {
    return State().timedOut;
}

// Configuration and options

SED_EXPORT int SED_CALL SEDGetConfigurationAndOptionsSize() {
    return static_cast<int>(SensorOptions::kSize);
}
SED_EXPORT void SED_CALL SEDGetConfigurationAndOptions(void* dst) {
    if (dst != nullptr)
        std::memcpy(dst, State().options.Bytes().data(), SensorOptions::kSize);
}
SED_EXPORT void SED_CALL SEDSetConfigurationAndOptions(const void* src, unsigned size) {
    GuardedVoid([&] { State().options.Assign(src, size); });
}
SED_EXPORT int SED_CALL SEDDisplayConfiguration() {
    return Guarded(
        0, [] { return PluginModule::Instance().Controller().ShowSelectionDialog() ? 1 : 0; });
}
SED_EXPORT int SED_CALL SEDDisplayOptions() {
    return Guarded(0, [] {
        PluginModule::Instance().Controller().ShowOptionsSheet();
        EnsureLogOpen(LogChannel::Main);
        return 0;
    });
}

// Features this system does not need

SED_EXPORT int SED_CALL SEDAddNewSensor() {
    GuardedVoid(
        [] { ShowNotRequired("The 'Add New Sensor' feature is not required for the %s system."); });
    return 1;
}
SED_EXPORT int SED_CALL SEDSwitchSensor() {
    GuardedVoid(
        [] { ShowNotRequired("The 'Switch Sensor' feature is not required for the %s system."); });
    return 1;
}
SED_EXPORT int SED_CALL SEDImportNativeImage(int) {
    GuardedVoid([] {
        ShowNotRequired(Translate("The 'Import Native Image' feature is not required for %s "
                                  "digital x-ray system."));
    });
    return 0;
}
SED_EXPORT void SED_CALL SEDBGCStart() {
    GuardedVoid([] {
        ShowNotRequired(
            Translate("The 'Background Capture' feature is not supported for %s system."));
    });
}
SED_EXPORT void SED_CALL SEDBGCTerminate() {}
SED_EXPORT int SED_CALL SEDIsBGCActive() {
    return 0;
}
SED_EXPORT int SED_CALL SEDGetBGCDiagnosticMessage(int) {
    return 0;
}
SED_EXPORT int SED_CALL SEDReorientImage(int, int, int, int, int) {
    return 0;
}

// Status, diagnostics and image description

SED_EXPORT void SED_CALL SEDGetErrorMessage(char* dst, int dstSize) {
    GuardedVoid([&] { CopyToHost(LastErrorText(), dst, dstSize); });
}
SED_EXPORT void SED_CALL SEDGetCurrentStatus(char* dst, int dstSize) {
    GuardedVoid([&] { CopyToHost(Translate("Ready"), dst, dstSize); });
}
SED_EXPORT int SED_CALL SEDGetNumberOfDiagnosticMessages() {
    return static_cast<int>(State().diagnostics.size());
}
SED_EXPORT void* SED_CALL SEDGetDiagnosticMessage(int index) {
    auto& diagnostics = State().diagnostics;
    if (static_cast<unsigned>(index) >= diagnostics.size())
        return nullptr;
    return &diagnostics[static_cast<unsigned>(index)];
}
SED_EXPORT void SED_CALL SEDResetDiagnosticMessages() {
    std::vector<_SensorDiagnosticEntry>().swap(State().diagnostics);
}
SED_EXPORT int SED_CALL SEDGetImageInfo(char* dst, int dstSize) {
    return Guarded(0, [&] {
        if (dst != nullptr && dstSize != 0)
            CopyToHost(State().imageInfoText, dst, dstSize);
        return static_cast<int>(State().imageInfoText.size());
    });
}
SED_EXPORT void SED_CALL SEDGetDICOMInfo(void* record) {
    GuardedVoid([&] {
        MainLog.Log("SEDGetDICOMInfo()::Begin");
        if (record == nullptr)
            return;
        const PluginState& state = State();
        DicomRecord(state.permanentTeeth, state.primaryTeeth, platform::ComputerName())
            .CopyToHost(record);
        MainLog.Log("SEDGetDICOMInfo()::End");
    });
}
// The host keeps its DIB; the turned copy it gets back is its own.
SED_EXPORT void* SED_CALL SEDReorientImageEx(void* dib, int oldPermanent, int oldPrimary,
                                             int newPermanent, int newPrimary) {
    return Guarded<void*>(nullptr, [&]() -> void* {
        std::unique_ptr<CKIPImage> image = ImageFromGlobalDIB(dib);
        if (!image)
            return nullptr;
        auto turned =
            ReorientImage(image.get(), oldPermanent, oldPrimary, newPermanent, newPrimary, 0);
        return turned ? turned->CreatePackedDIB() : nullptr;
    });
}
SED_EXPORT void* SED_CALL SEDReorientImage16Ex(void* dib, int oldPermanent, int oldPrimary,
                                               int newPermanent, int newPrimary) {
    return Guarded<void*>(nullptr, [&]() -> void* {
        std::unique_ptr<CKIPImage16Bit> image = Image16FromGlobalDIB(dib);
        if (!image)
            return nullptr;
        auto turned =
            ReorientImage(image.get(), oldPermanent, oldPrimary, newPermanent, newPrimary, 0);
        return turned ? CreatePackedDIB(*turned) : nullptr;
    });
}

#if !defined(_WIN32)
// Names that share one entry point; the Windows build aliases them in its .def file.
SED_EXPORT void* SEDQuickCaptureImage(unsigned, unsigned)
    __attribute__((alias("SEDCaptureImageNoPrompt")));
SED_EXPORT void* SEDQuickCaptureImage16(unsigned, unsigned)
    __attribute__((alias("SEDCaptureImageNoPrompt16")));
SED_EXPORT void SEDResetBGCDiagnosticMessages() __attribute__((alias("SEDBGCTerminate")));
SED_EXPORT int SEDGetNumberOfBGCDiagnosticMessages() __attribute__((alias("SEDIsBGCActive")));
SED_EXPORT int SEDReorientImage16(int, int, int, int, int)
    __attribute__((alias("SEDReorientImage")));
#endif
