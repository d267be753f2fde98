#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Status notifications to the host: each logs "DLL sending %s(%s)" to the
// capture log, then calls the host's status callback with the text as given.
void SendTermination();                       // code 0, no text
void SendPreping(const std::string& text);    // code 5
void SendReady(const std::string& text);      // code 6
void SendProcessing(const std::string& text); // code 7
void SendPause(const std::string& text);      // code 8

// What a device notification reaches of the running capture.
struct NotificationTarget {
    // "%s %s" of the held device's family key and sensor id ("" and "" without one).
    std::string sensorText;
    // Appends a line to the capture dialog's status list; empty without a dialog.
    std::function<void(const std::string&)> appendLine;
    // The device was removed: ends the capture dialog with Cancel (the end
    // message with lParam 1); reason is the message left in lastErrorText.
    std::function<void(const std::string& reason)> endWithCancel;
};

// The device's progress report (its text, a status code and a percentage):
// a status notification to the host and a line in the capture dialog.
std::int32_t HandleDeviceNotification(const NotificationTarget& target, const char* deviceText,
                                      std::int32_t code, std::int32_t percent);
