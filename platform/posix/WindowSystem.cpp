#include "platform/WindowSystem.h"

#include <algorithm>
#include <cctype>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "platform/Clock.h"

namespace platform {

namespace {

// The system's error codes, so callers read the same numbers in every build.
constexpr std::uint32_t kInvalidParameter = 87;
constexpr std::uint32_t kCannotFindClass = 1407;

// Class names match without regard to case.
std::string ClassKey(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
}

// Windows of this process with one message queue per thread, served when the
// thread dispatches; the procedures run without the lock held, so they may post,
// create and destroy windows themselves.
class NativeWindowSystem : public WindowSystem {
public:
    std::uint32_t RegisterWindowClass(const std::string& name, WindowProcedure procedure) override {
        if (name.empty() || procedure == nullptr)
            return kInvalidParameter;
        std::lock_guard<std::mutex> lock(mutex_);
        return classes_.emplace(ClassKey(name), procedure).second ? 0 : kClassAlreadyExists;
    }

    bool UnregisterWindowClass(const std::string& name) override {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = classes_.find(ClassKey(name));
        if (found == classes_.end())
            return false;
        for (const auto& [handle, window] : windows_)
            if (window.className == found->first)
                return false;
        classes_.erase(found);
        return true;
    }

    WindowHandle CreateHiddenWindow(const std::string& className, std::uint32_t& error) override {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = classes_.find(ClassKey(className));
        if (found == classes_.end()) {
            error = kCannotFindClass;
            return 0;
        }
        WindowHandle handle = nextHandle_++;
        windows_[handle] = {found->first, found->second, std::this_thread::get_id()};
        return handle;
    }

    bool DestroyHiddenWindow(WindowHandle window) override {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = windows_.find(window);
        if (found == windows_.end() || found->second.owner != std::this_thread::get_id())
            return false;
        windows_.erase(found);
        std::erase_if(timers_, [window](const auto& timer) { return timer.first.first == window; });
        for (auto& [thread, queue] : queues_)
            std::erase_if(queue,
                          [window](const Message& message) { return message.window == window; });
        return true;
    }

    MessageResult DefaultProcedure(WindowHandle, std::uint32_t, std::uintptr_t,
                                   std::intptr_t) override {
        return 0;
    }

    bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
              std::intptr_t lParam) override {
        return Queue({window, message, wParam, lParam, std::nullopt});
    }

    bool PostData(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                  std::vector<std::uint8_t> data) override {
        return Queue({window, message, wParam, 0, std::move(data)});
    }

    std::size_t DispatchPending() override {
        std::size_t dispatched = 0;
        for (;;) {
            while (std::optional<Delivery> delivery = NextForThisThread()) {
                Message& message = delivery->message;
                std::intptr_t lParam = message.data
                                           ? reinterpret_cast<std::intptr_t>(message.data->data())
                                           : message.lParam;
                delivery->procedure(message.window, message.message, message.wParam, lParam);
                ++dispatched;
            }
            // Timers are not messages, but what they post is dispatched before returning.
            if (FireDueTimers() == 0)
                return dispatched;
        }
    }

    bool StartTimer(WindowHandle window, std::uintptr_t id, unsigned periodMilliseconds,
                    TimerCallback callback, void* context) override {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = windows_.find(window);
        if (found == windows_.end() || found->second.owner != std::this_thread::get_id() ||
            callback == nullptr)
            return false;
        const std::uint64_t due = CurrentClock().Milliseconds() + periodMilliseconds;
        timers_[{window, id}] = {callback, context, periodMilliseconds, due};
        return true;
    }

    void StopTimer(WindowHandle window, std::uintptr_t id) override {
        std::lock_guard<std::mutex> lock(mutex_);
        timers_.erase({window, id});
    }

private:
    struct Window {
        std::string className;
        WindowProcedure procedure = nullptr;
        std::thread::id owner;
    };
    struct Message {
        WindowHandle window = 0;
        std::uint32_t message = 0;
        std::uintptr_t wParam = 0;
        std::intptr_t lParam = 0;
        std::optional<std::vector<std::uint8_t>> data;
    };
    struct Delivery {
        Message message;
        WindowProcedure procedure;
    };
    struct Timer {
        TimerCallback callback = nullptr;
        void* context = nullptr;
        unsigned period = 0;
        std::uint64_t due = 0;
    };
    struct DueTimer {
        TimerCallback callback;
        void* context;
    };

    // Runs the timers of this thread's windows that are due, each once.
    std::size_t FireDueTimers() {
        std::vector<DueTimer> due;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            const std::uint64_t now = CurrentClock().Milliseconds();
            for (auto& [key, timer] : timers_) {
                auto window = windows_.find(key.first);
                if (timer.due > now || window == windows_.end() ||
                    window->second.owner != std::this_thread::get_id())
                    continue;
                timer.due = now + std::max(timer.period, 1u);
                due.push_back({timer.callback, timer.context});
            }
        }
        for (const DueTimer& timer : due)
            timer.callback(timer.context);
        return due.size();
    }

    bool Queue(Message message) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto window = windows_.find(message.window);
        if (window == windows_.end())
            return false;
        queues_[window->second.owner].push_back(std::move(message));
        return true;
    }

    std::optional<Delivery> NextForThisThread() {
        std::lock_guard<std::mutex> lock(mutex_);
        auto queue = queues_.find(std::this_thread::get_id());
        while (queue != queues_.end() && !queue->second.empty()) {
            Message message = std::move(queue->second.front());
            queue->second.pop_front();
            auto window = windows_.find(message.window);
            if (window != windows_.end())
                return Delivery{std::move(message), window->second.procedure};
        }
        return std::nullopt;
    }

    std::mutex mutex_;
    std::map<std::string, WindowProcedure> classes_;
    std::map<WindowHandle, Window> windows_;
    std::map<std::thread::id, std::deque<Message>> queues_;
    std::map<std::pair<WindowHandle, std::uintptr_t>, Timer> timers_;
    WindowHandle nextHandle_ = 0x10000;
};

} // namespace

WindowSystem& SystemWindowSystem() {
    static auto* windows = new NativeWindowSystem();
    return *windows;
}

} // namespace platform
