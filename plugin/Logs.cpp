#include "plugin/Logs.h"

#include "plugin/PluginState.h"
#include "support/LogManager.h"

namespace {
constexpr std::uint32_t kKeptLogFiles = 5;
}

void EnsureLogOpen(LogChannel channel) {
    bool capture = channel == LogChannel::Capture;
    CLogManager& log = capture ? CaptureLog : MainLog;
    bool enabled = PluginModule::Instance().state.options.Int(SensorOptions::EnableLogging) != 0;
    if (enabled && !log.IsLogOpen()) {
        OpenChannel(log, capture ? "ToviUSBIIICap" : "ToviUSBIIMain", "", "",
                    capture ? "ToviLog" : "ToviMainLog", true, kKeptLogFiles, true, true, true);
    } else if (!enabled) {
        log.CloseLog();
    }
    log.SetFlushEachLine(true);
}

void LogError(const std::string& text) {
    if (MainLog.IsLogOpen())
        MainLog.Log("Error: %s", text.c_str());
}

void LogSensor(const std::string& sensorId) {
    if (CaptureLog.IsLogOpen())
        CaptureLog.Log("Sensor: %s", sensorId.c_str());
}
