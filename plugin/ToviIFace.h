#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "hardware/DevMgr.h"
#include "platform/Thread.h"
#include "plugin/CaptureController.h"
#include "plugin/CaptureResult.h"
#include "plugin/ImageHandOff.h"
#include "plugin/StatusNotifications.h"
#include "plugin/ui/CaptureDialog.h"
#include "plugin/ui/SelectSensorDialog.h"

// The capture controller: initialises the device manager, makes sure a sensor
// is selected, opens it and the capture dialog, runs the capture worker and
// waits in the dialog's modal loop until the worker ends it, then closes the
// device. The last capture's images stay here until the next capture starts.
class CToviIFace : public CaptureController {
public:
    // enhancer: the module's external enhancement adapter (none: the step is skipped).
    CToviIFace(CDevMgr& manager, ImageEnhancer* enhancer);
    ~CToviIFace() override;
    CToviIFace(const CToviIFace&) = delete;
    CToviIFace& operator=(const CToviIFace&) = delete;

    bool Initialize() override;
    void GetDevices(DeviceIdList& devices) override;
    const CapturedImage* CaptureSingleImage(unsigned permanentTeeth,
                                            unsigned primaryTeeth) override;
    const CapturedImage* CaptureSingleImage16Bit(unsigned permanentTeeth,
                                                 unsigned primaryTeeth) override;
    bool ShowPauseDialog() override;
    bool ShowSelectionDialog() override;
    void ShowOptionsSheet() override;
    void Finalize() override;

    bool FindSelectedSensor();
    bool SelectSensor();
    bool CreateToviDevice();
    void CloseToviHardware();
    void ManualTrigger();
    bool CreateCaptureDlg();
    bool DestroyCaptureDlg();
    bool DoModalCaptureDlg();
    // Writes the detection settings into the device and starts the worker.
    bool CaptureImage();

    // The device manager's notification entry; reaches the module's controller.
    static std::int32_t OnNotify(const char* text, std::int32_t code, std::int32_t percent);

private:
    const CapturedImage* Capture(bool sixteenBit, unsigned permanentTeeth, unsigned primaryTeeth);
    const CapturedImage* RunCaptureSteps(const char* tag);
    const CapturedImage* FinishCapture(const char* tag, bool ended);
    void BeginCapture(bool sixteenBit, unsigned permanentTeeth, unsigned primaryTeeth);
    ui::CaptureDialogHooks DialogHooks();
    ui::DialogResult RunSelectionDialog(ui::SelectionMode mode);
    void OnCancel(bool modifierHeld);
    bool SetBinning();
    bool SetDetectionProperties();
    bool StartWorker();
    void WaitForWorker();

    // The worker's side.
    int CaptureProc();
    int RunCaptureProc();
    void ProcessFrame(std::unique_ptr<RawFrame> frame);
    void PostEndMessage(std::intptr_t lParam);
    std::int32_t Notify(const char* text, std::int32_t code, std::int32_t percent);
    std::string SensorText() const;

    static std::atomic<CToviIFace*> active_;

    CDevMgr& manager_;
    ImageEnhancer* enhancer_;
    std::unique_ptr<ui::CCaptureXrayDlg> captureDialog_;
    platform::WindowHandle captureWindow_ = 0;
    LabelBitmaps labels_;
    std::unique_ptr<platform::Thread> worker_;
    DeviceRef device_;
    CaptureResult result_;
    std::atomic<bool> imageReady_{false};
    unsigned permanentTeeth_ = 0;
    unsigned primaryTeeth_ = 0;
    bool initialized_ = false;
    // The removal message of the capture's device, kept over the worker's own failure.
    std::string removalText_;
};
