#pragma once

#include <string>
#include <vector>

#include "platform/GlobalMemory.h"

struct _ToviDeviceId {
    std::string deviceName;
    std::string sensorId;
    std::string deviceId;
};
using DeviceIdList = std::vector<_ToviDeviceId>;

// A finished capture as the exports hand it to the host.
class CapturedImage {
public:
    virtual ~CapturedImage() = default;
    // A packed DIB in a new global-memory block that the caller owns.
    virtual platform::GlobalHandle CreatePackedDIB() const = 0;
};

// What the exports need of the capture controller.
class CaptureController {
public:
    virtual ~CaptureController() = default;
    virtual bool Initialize() = 0;
    virtual void GetDevices(DeviceIdList& devices) = 0;
    // The image stays owned by the controller; null on failure with lastErrorText set.
    virtual const CapturedImage* CaptureSingleImage(unsigned permanentTeeth,
                                                    unsigned primaryTeeth) = 0;
    virtual const CapturedImage* CaptureSingleImage16Bit(unsigned permanentTeeth,
                                                         unsigned primaryTeeth) = 0;
    // The pause dialog between group captures; false when the user aborts.
    virtual bool ShowPauseDialog() = 0;
    virtual bool ShowSelectionDialog() = 0;
    virtual void ShowOptionsSheet() = 0;
    // The device manager's monitor goes; the module is about to unload.
    virtual void Finalize() = 0;
};
