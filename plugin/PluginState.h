#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "plugin/CaptureController.h"
#include "plugin/PqeAdapter.h"
#include "plugin/SedApi.h"
#include "plugin/SensorOptions.h"
#include "plugin/SharedFlag.h"
#include "plugin/Translator.h"
#include "support/LastError.h"

using StatusCallback = void(SED_CALL*)(int hostSensorId, int statusCode, const char* text);

struct _SensorDiagnosticEntry {
    std::array<char, 132> text{};
};
static_assert(sizeof(_SensorDiagnosticEntry) == 132);

struct PluginState {
    std::string sedDir;
    std::string devicesDir;
    std::string systemDir;
    void* mainWindow = nullptr;
    StatusCallback statusCallback = nullptr;
    void* imageCallback = nullptr;
    int hostSensorId = 0;
    unsigned permanentTeeth = 0;
    unsigned primaryTeeth = 0;
    // Written on the UI thread, read by the capture worker.
    SharedFlag userTerminated = 0;
    SharedFlag timedOut = 0;
    int captureActive = 0;
    int groupActive = 0;
    int groupCaptureCount = 0;
    int saveRawDump = 0;
    std::string imageInfoText;
    std::vector<_SensorDiagnosticEntry> diagnostics;
    SensorOptions options;
};

// The module: state, translator, enhancement adapter and controller, one each
// for the library's lifetime.
class PluginModule {
public:
    static PluginModule& Instance();

    PluginState state;
    Translator translator;
    CPQEDLL_IFace enhancer;

    CaptureController& Controller();
    // Replaces the controller (tests); null makes a new one of the module's own.
    void SetController(std::unique_ptr<CaptureController> controller);
    void Reset();

private:
    PluginModule();
    std::unique_ptr<CaptureController> controller_;
};

const char* const kSystemName = "Tovi USB II";
const char* const kApplicationName = "ToviUSBII";

std::string Translate(const std::string& text);
