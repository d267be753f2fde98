#pragma once

#include "plugin/CaptureController.h"

// Stands in until the sensor hardware is wired: no devices, every capture fails.
class UnavailableController : public CaptureController {
public:
    bool Initialize() override { return true; }
    void GetDevices(DeviceIdList& devices) override { devices.clear(); }
    const CapturedImage* CaptureSingleImage(unsigned, unsigned) override;
    const CapturedImage* CaptureSingleImage16Bit(unsigned, unsigned) override;
    bool ShowPauseDialog() override { return true; }
    bool ShowSelectionDialog() override { return false; }
    void ShowOptionsSheet() override {}
};
