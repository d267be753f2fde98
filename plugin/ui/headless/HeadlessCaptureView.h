#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "plugin/ui/CaptureDialogView.h"
#include "plugin/ui/headless/ScriptQueue.h"

namespace ui {

struct CaptureDialogRecord {
    bool created = false;
    void* parent = nullptr;
    bool shown = false;
    bool minimised = false;
    bool destroyed = false;
    std::map<CaptureText, std::string> texts;
    std::map<CaptureText, TextStyle> styles;
    std::vector<std::string> statusLines;
    // The status line scrolled to the top of the list.
    std::size_t topLine = 0;
    std::uintptr_t timerId = 0;
    unsigned timerPeriod = 0;
    bool timerRunning = false;
    std::optional<DialogResult> loopResult;
};

// A press of Cancel (or Esc) by the script's user.
struct CaptureAction {
    bool modifierHeld = false;
    // Pressed once a status line holding this text has been shown; empty: as
    // soon as the modal loop runs.
    std::string afterLine;
};

// The capture window without a display: a hidden window of the window-system
// port receives the end message and the lines sent from other threads, the
// modal loop serves the thread's messages and ticks the timer on the clock
// port, and the script presses Cancel.
class HeadlessCaptureView : public CaptureDialogView,
                            public ScriptedView<CaptureAction, CaptureDialogRecord> {
public:
    explicit HeadlessCaptureView(std::shared_ptr<Script> script = std::make_shared<Script>(),
                                 std::shared_ptr<Record> record = std::make_shared<Record>());
    ~HeadlessCaptureView() override;

    bool Create(void* parent, CaptureDialogEvents& events) override;
    void Show() override;
    bool IsWindow() const override { return window_.load() != 0; }
    platform::WindowHandle Window() const override { return window_.load(); }
    void Destroy() override;

    void SetText(CaptureText text, const std::string& value) override;
    void SetTextStyle(CaptureText text, const TextStyle& style) override;
    void AddStatusLine(const std::string& line) override;
    void Minimise() override;
    void StartTimer(std::uintptr_t id, unsigned periodMilliseconds) override;
    void StopTimer(std::uintptr_t id) override;

    DialogResult RunModalLoop() override;
    void EndModalLoop(DialogResult result) override;

    bool PostEndMessage(std::intptr_t lParam) override;
    bool SendStatusLine(const std::string& line) override;

    // Test controls: the next Create fails; a tick of the running timer; a press of Cancel.
    void FailCreate() { failCreate_ = true; }
    void Tick();
    void PressCancel(bool modifierHeld);

private:
    static platform::MessageResult Procedure(platform::WindowHandle window, std::uint32_t message,
                                             std::uintptr_t wParam, std::intptr_t lParam);
    // False for a message the view leaves to the default procedure.
    bool Receive(std::uint32_t message, std::intptr_t lParam);
    bool PressDueAction();
    bool TickWhenDue();

    std::shared_ptr<platform::WindowSystem> windows_;
    std::atomic<platform::WindowHandle> window_{0};
    std::thread::id owner_;
    CaptureDialogEvents* events_ = nullptr;
    bool failCreate_ = false;
    bool ended_ = false;
    DialogResult result_ = DialogResult::Cancel;
    bool timerRunning_ = false;
    std::uintptr_t timerId_ = 0;
    unsigned timerPeriod_ = 0;
    std::uint64_t nextTick_ = 0;
};

} // namespace ui
