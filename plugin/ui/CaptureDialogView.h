#pragma once

#include <cstdint>
#include <string>

#include "platform/WindowSystem.h"
#include "plugin/ui/DialogTypes.h"

namespace ui {

// The capture dialog's texts whose content or look the dialog sets.
enum class CaptureText { TeethLabel, Teeth, StatusLabel, Elapsed };

// What the capture window reports, always on the thread that created it.
class CaptureDialogEvents {
public:
    virtual void OnOpening() = 0;
    virtual void OnTimer(std::uintptr_t timerId) = 0;
    // The Cancel button or Esc; modifierHeld: Ctrl, Shift or Alt was down.
    virtual void OnCancel(bool modifierHeld) = 0;
    // The end message 0x040A with its lParam.
    virtual void OnEndMessage(std::intptr_t lParam) = 0;
    // A line sent from another thread.
    virtual void OnStatusLine(const std::string& line) = 0;

protected:
    ~CaptureDialogEvents() = default;
};

// The modeless capture window (template 9001) and its modal loop.
class CaptureDialogView {
public:
    virtual ~CaptureDialogView() = default;

    // Creates the window hidden; OnOpening runs before this returns.
    virtual bool Create(void* parent, CaptureDialogEvents& events) = 0;
    // SW_SHOW and an update; a minimised window stays minimised.
    virtual void Show() = 0;
    virtual bool IsWindow() const = 0;
    virtual platform::WindowHandle Window() const = 0;
    virtual void Destroy() = 0;

    virtual void SetText(CaptureText text, const std::string& value) = 0;
    virtual void SetTextStyle(CaptureText text, const TextStyle& style) = 0;
    // Adds the line at the end of the status list and scrolls it to the top.
    virtual void AddStatusLine(const std::string& line) = 0;
    virtual void Minimise() = 0;
    virtual void StartTimer(std::uintptr_t id, unsigned periodMilliseconds) = 0;
    virtual void StopTimer(std::uintptr_t id) = 0;

    // Serves the thread's messages until EndModalLoop, or until the window is gone (Cancel).
    virtual DialogResult RunModalLoop() = 0;
    virtual void EndModalLoop(DialogResult result) = 0;

    // Safe from any thread while the view exists; false once the window is gone.
    virtual bool PostEndMessage(std::intptr_t lParam) = 0;
    // Hands the line to the window's thread, after everything sent or posted
    // before it; from that thread itself the line is added at once.
    virtual bool SendStatusLine(const std::string& line) = 0;
};

} // namespace ui
