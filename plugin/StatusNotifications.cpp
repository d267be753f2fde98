#include "plugin/StatusNotifications.h"

#include "plugin/PluginState.h"
#include "support/LastError.h"
#include "support/LogChannels.h"
#include "support/TextFormat.h"

namespace {

void Send(const char* name, int code, const std::string* text) {
    if (CaptureLog.IsLogOpen())
        CaptureLog.Log("DLL sending %s(%s)", name, text ? text->c_str() : "");
    const PluginState& state = PluginModule::Instance().state;
    if (state.statusCallback != nullptr)
        state.statusCallback(state.hostSensorId, code, text ? text->c_str() : nullptr);
}

std::string ProgressText(const char* word, std::int32_t percent, const std::string& sensorText) {
    return FormatText("%s %d%%\n%s", word, percent, sensorText.c_str());
}

bool UserTerminated() {
    return PluginModule::Instance().state.userTerminated != 0;
}

// The status word of the code, after what the code asks for; null for 999.
const char* ActOn(const NotificationTarget& target, const std::string& text, std::int32_t code,
                  std::int32_t percent) {
    switch (code) {
    case 2: {
        const std::string progress = ProgressText("Flushing sensor", percent, target.sensorText);
        CaptureLog.Log("IFace::OnNotify()::Flush::%s", progress.c_str());
        SendPreping(progress);
        return "Flushing sensor";
    }
    case 3:
        if (percent == 0 && !UserTerminated()) {
            SendReady(target.sensorText);
            CaptureLog.Log("IFace::OnNotify()::Waiting for exposure");
        }
        return "Waiting for exposure";
    case 4: {
        const bool aborting = UserTerminated();
        const char* word = aborting ? "Aborting Capture" : "Retrieving image";
        const std::string progress = ProgressText(word, percent, target.sensorText);
        CaptureLog.Log("IFace::OnNotify()::Retrieving::%s", progress.c_str());
        aborting ? SendPause(progress) : SendProcessing(progress);
        return word;
    }
    case 5: {
        const std::string sentence = FormatText("Device %s has been removed.", text.c_str());
        const std::string reason = Translate(sentence);
        SetLastErrorText(reason);
        CaptureLog.Log("IFace::OnNotify()::Device Removed::%s", sentence.c_str());
        if (target.endWithCancel)
            target.endWithCancel(reason);
        return "Device removed";
    }
    case 6:
        CaptureLog.Log("IFace::OnNotify()::Device plugged in");
        return "Device inserted";
    case 100: {
        const std::string progress = ProgressText("Waiting for sensor", percent, target.sensorText);
        CaptureLog.Log("IFace::OnNotify()::Waiting::%s", progress.c_str());
        SendPreping(progress);
        return "Waiting for sensor";
    }
    case 999:
        return nullptr;
    default:
        return "Unknown status";
    }
}

} // namespace

void SendTermination() {
    Send("SendTermination", 0, nullptr);
}
void SendPreping(const std::string& text) {
    Send("SendPreping", 5, &text);
}
void SendReady(const std::string& text) {
    Send("SendReady", 6, &text);
}
void SendProcessing(const std::string& text) {
    Send("SendProcessing", 7, &text);
}
void SendPause(const std::string& text) {
    Send("SendPause", 8, &text);
}

std::int32_t HandleDeviceNotification(const NotificationTarget& target, const char* deviceText,
                                      std::int32_t code, std::int32_t percent) {
    CaptureLog.Log("IFace::OnNotify()::Begin");
    CaptureLog.Log("IFace::OnNotify()::%s", target.sensorText.c_str());
    const std::string text = deviceText != nullptr ? deviceText : "";
    const char* word = ActOn(target, text, code, percent);
    if (word != nullptr && target.appendLine)
        target.appendLine(FormatText("%s: %s (%d%%)", text.c_str(), word, percent));
    CaptureLog.Log("IFace::OnNotify()::End");
    return 0;
}
