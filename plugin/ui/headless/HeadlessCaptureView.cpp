#include "plugin/ui/headless/HeadlessCaptureView.h"

#include <chrono>
#include <map>
#include <mutex>

#include "platform/Clock.h"

namespace ui {

namespace {

constexpr std::uint32_t kEndMessage = 0x040A;
// WM_APP + 1: a status line, its text zero-terminated in the message's data.
constexpr std::uint32_t kStatusLineMessage = 0x8001;
const char* const kClassName = "ToviHeadlessCaptureDialog";

// The views behind the hidden windows, for the class's window procedure.
class ViewsByWindow {
public:
    void Add(platform::WindowHandle window, HeadlessCaptureView* view) {
        std::lock_guard<std::mutex> lock(mutex_);
        views_[window] = view;
    }
    void Remove(platform::WindowHandle window) {
        std::lock_guard<std::mutex> lock(mutex_);
        views_.erase(window);
    }
    HeadlessCaptureView* Find(platform::WindowHandle window) const {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = views_.find(window);
        return found == views_.end() ? nullptr : found->second;
    }

private:
    mutable std::mutex mutex_;
    std::map<platform::WindowHandle, HeadlessCaptureView*> views_;
};

// No view outlives the module, so the table may go when the module unloads.
ViewsByWindow& Views() {
    static ViewsByWindow views;
    return views;
}

// Nothing wakes a thread when a message is queued for it: the loop looks again shortly.
void IdleWait() {
    std::this_thread::sleep_for(std::chrono::microseconds(500));
}

} // namespace

HeadlessCaptureView::HeadlessCaptureView(std::shared_ptr<Script> script,
                                         std::shared_ptr<Record> record)
    : ScriptedView(std::move(script), std::move(record)) {}

HeadlessCaptureView::~HeadlessCaptureView() {
    Destroy();
}

bool HeadlessCaptureView::Create(void* parent, CaptureDialogEvents& events) {
    if (failCreate_ || IsWindow())
        return false;
    windows_ = platform::CurrentWindowSystem();
    std::uint32_t error = windows_->RegisterWindowClass(kClassName, &Procedure);
    if (error != 0 && error != platform::kClassAlreadyExists)
        return false;
    platform::WindowHandle window = windows_->CreateHiddenWindow(kClassName, error);
    if (window == 0)
        return false;
    owner_ = std::this_thread::get_id();
    events_ = &events;
    Views().Add(window, this);
    window_ = window;
    record_->Update([parent](CaptureDialogRecord& record) {
        record.created = true;
        record.parent = parent;
    });
    events.OnOpening();
    return true;
}

void HeadlessCaptureView::Show() {
    record_->Update([](CaptureDialogRecord& record) { record.shown = true; });
}

void HeadlessCaptureView::Destroy() {
    platform::WindowHandle window = window_.exchange(0);
    if (window == 0)
        return;
    Views().Remove(window);
    windows_->DestroyHiddenWindow(window);
    timerRunning_ = false;
    record_->Update([](CaptureDialogRecord& record) { record.destroyed = true; });
}

void HeadlessCaptureView::SetText(CaptureText text, const std::string& value) {
    record_->Update([&](CaptureDialogRecord& record) { record.texts[text] = value; });
}

void HeadlessCaptureView::SetTextStyle(CaptureText text, const TextStyle& style) {
    record_->Update([&](CaptureDialogRecord& record) { record.styles[text] = style; });
}

void HeadlessCaptureView::AddStatusLine(const std::string& line) {
    record_->Update([&](CaptureDialogRecord& record) {
        record.statusLines.push_back(line);
        record.topLine = record.statusLines.size() - 1;
    });
}

void HeadlessCaptureView::Minimise() {
    record_->Update([](CaptureDialogRecord& record) { record.minimised = true; });
}

void HeadlessCaptureView::StartTimer(std::uintptr_t id, unsigned periodMilliseconds) {
    timerRunning_ = true;
    timerId_ = id;
    timerPeriod_ = periodMilliseconds;
    nextTick_ = platform::CurrentClock().Milliseconds() + periodMilliseconds;
    record_->Update([&](CaptureDialogRecord& record) {
        record.timerId = id;
        record.timerPeriod = periodMilliseconds;
        record.timerRunning = true;
    });
}

void HeadlessCaptureView::StopTimer(std::uintptr_t id) {
    if (!timerRunning_ || id != timerId_)
        return;
    timerRunning_ = false;
    record_->Update([](CaptureDialogRecord& record) { record.timerRunning = false; });
}

DialogResult HeadlessCaptureView::RunModalLoop() {
    while (!ended_) {
        if (!IsWindow())
            return DialogResult::Cancel;
        bool busy = windows_->DispatchPending() > 0;
        busy = PressDueAction() || busy;
        busy = TickWhenDue() || busy;
        if (!busy)
            IdleWait();
    }
    return result_;
}

void HeadlessCaptureView::EndModalLoop(DialogResult result) {
    ended_ = true;
    result_ = result;
    record_->Update([result](CaptureDialogRecord& record) { record.loopResult = result; });
}

bool HeadlessCaptureView::PostEndMessage(std::intptr_t lParam) {
    platform::WindowHandle window = window_.load();
    return window != 0 && windows_->Post(window, kEndMessage, 0, lParam);
}

bool HeadlessCaptureView::SendStatusLine(const std::string& line) {
    platform::WindowHandle window = window_.load();
    if (window == 0)
        return false;
    if (std::this_thread::get_id() == owner_) {
        events_->OnStatusLine(line);
        return true;
    }
    std::vector<std::uint8_t> text(line.begin(), line.end());
    text.push_back(0);
    return windows_->PostData(window, kStatusLineMessage, 0, std::move(text));
}

void HeadlessCaptureView::Tick() {
    if (timerRunning_ && events_ != nullptr)
        events_->OnTimer(timerId_);
}

void HeadlessCaptureView::PressCancel(bool modifierHeld) {
    if (IsWindow())
        events_->OnCancel(modifierHeld);
}

platform::MessageResult HeadlessCaptureView::Procedure(platform::WindowHandle window,
                                                       std::uint32_t message, std::uintptr_t wParam,
                                                       std::intptr_t lParam) {
    HeadlessCaptureView* view = Views().Find(window);
    if (view != nullptr && view->Receive(message, lParam))
        return 0;
    // Windows sends creation and other system messages too.
    std::shared_ptr<platform::WindowSystem> windows =
        view != nullptr ? view->windows_ : platform::CurrentWindowSystem();
    return windows->DefaultProcedure(window, message, wParam, lParam);
}

bool HeadlessCaptureView::Receive(std::uint32_t message, std::intptr_t lParam) {
    if (message == kEndMessage)
        events_->OnEndMessage(lParam);
    else if (message == kStatusLineMessage)
        events_->OnStatusLine(reinterpret_cast<const char*>(lParam));
    else
        return false;
    return true;
}

bool HeadlessCaptureView::PressDueAction() {
    std::optional<CaptureAction> next = script_->Front();
    if (!next)
        return false;
    if (!next->afterLine.empty()) {
        std::vector<std::string> lines = record_->Snapshot().statusLines;
        bool shown = false;
        for (const std::string& line : lines)
            shown = shown || line.find(next->afterLine) != std::string::npos;
        if (!shown)
            return false;
    }
    script_->Pop();
    PressCancel(next->modifierHeld);
    return true;
}

bool HeadlessCaptureView::TickWhenDue() {
    if (!timerRunning_)
        return false;
    std::uint64_t now = platform::CurrentClock().Milliseconds();
    if (now < nextTick_)
        return false;
    // Like WM_TIMER, ticks missed while busy come as one.
    nextTick_ = now + timerPeriod_;
    Tick();
    return true;
}

} // namespace ui
