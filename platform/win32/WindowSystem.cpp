#include "platform/WindowSystem.h"

#include <windows.h>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/win32/ThisModule.h"

namespace platform {

namespace {

HWND ToWindow(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}

std::string ClassKey(std::string name) {
    ::CharLowerBuffA(name.data(), static_cast<DWORD>(name.size()));
    return name;
}

// A message with a block of data, posted as the carrier message and handed to
// the procedure as the message it stands for.
struct Carried {
    HWND window;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::vector<std::uint8_t> data;
};

// The portable procedures behind the classes this module registered, and the
// data blocks still on their way.
class Registry {
public:
    void SetProcedure(const std::string& className, WindowProcedure procedure) {
        std::lock_guard<std::mutex> lock(mutex_);
        procedures_[ClassKey(className)] = procedure;
    }
    WindowProcedure ProcedureOf(HWND window) {
        char name[256] = {};
        ::GetClassNameA(window, name, sizeof name);
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = procedures_.find(ClassKey(name));
        return found == procedures_.end() ? nullptr : found->second;
    }
    Carried* Keep(std::unique_ptr<Carried> carried) {
        std::lock_guard<std::mutex> lock(mutex_);
        Carried* address = carried.get();
        carried_[address] = std::move(carried);
        return address;
    }
    // Null for an address that is not one of ours.
    std::unique_ptr<Carried> Take(LPARAM address) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = carried_.find(reinterpret_cast<Carried*>(address));
        if (found == carried_.end())
            return nullptr;
        std::unique_ptr<Carried> carried = std::move(found->second);
        carried_.erase(found);
        return carried;
    }
    // A destroyed window's messages are gone with it.
    void DropFor(HWND window) {
        std::lock_guard<std::mutex> lock(mutex_);
        std::erase_if(carried_,
                      [window](const auto& entry) { return entry.second->window == window; });
    }

private:
    std::mutex mutex_;
    std::map<std::string, WindowProcedure> procedures_;
    std::map<Carried*, std::unique_ptr<Carried>> carried_;
};

Registry& Classes() {
    static auto* registry = new Registry();
    return *registry;
}

UINT CarrierMessage() {
    static const UINT message = ::RegisterWindowMessageA("ToviUSBII carried message");
    return message;
}

// The window procedure of every class registered here: it passes the message
// on to the class's portable procedure.
LRESULT CALLBACK PortWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowProcedure procedure = Classes().ProcedureOf(window);
    if (procedure == nullptr)
        return ::DefWindowProcA(window, message, wParam, lParam);
    auto handle = reinterpret_cast<WindowHandle>(window);
    if (message == CarrierMessage()) {
        if (std::unique_ptr<Carried> carried = Classes().Take(lParam))
            return procedure(handle, carried->message, carried->wParam,
                             reinterpret_cast<std::intptr_t>(carried->data.data()));
    }
    return procedure(handle, message, wParam, lParam);
}

// The callbacks of the port's timers by window and id, for the system's timer procedure.
class Timers {
public:
    struct Entry {
        TimerCallback callback = nullptr;
        void* context = nullptr;
    };
    void Set(HWND window, UINT_PTR id, Entry entry) {
        std::lock_guard<std::mutex> lock(mutex_);
        entries_[{window, id}] = entry;
    }
    void Drop(HWND window, UINT_PTR id) {
        std::lock_guard<std::mutex> lock(mutex_);
        entries_.erase({window, id});
    }
    void DropFor(HWND window) {
        std::lock_guard<std::mutex> lock(mutex_);
        std::erase_if(entries_,
                      [window](const auto& entry) { return entry.first.first == window; });
    }
    std::optional<Entry> Find(HWND window, UINT_PTR id) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = entries_.find({window, id});
        return found == entries_.end() ? std::nullopt : std::optional<Entry>(found->second);
    }

private:
    std::mutex mutex_;
    std::map<std::pair<HWND, UINT_PTR>, Entry> entries_;
};

Timers& PortTimers() {
    static auto* timers = new Timers();
    return *timers;
}

void CALLBACK PortTimerProcedure(HWND window, UINT, UINT_PTR id, DWORD) {
    if (std::optional<Timers::Entry> entry = PortTimers().Find(window, id))
        entry->callback(entry->context);
}

class Win32WindowSystem : public WindowSystem {
public:
    std::uint32_t RegisterWindowClass(const std::string& name, WindowProcedure procedure) override {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = PortWindowProcedure;
        windowClass.hInstance = ThisModule();
        windowClass.lpszClassName = name.c_str();
        bool registered = ::RegisterClassExA(&windowClass) != 0;
        std::uint32_t error = registered ? 0 : ::GetLastError();
        if (registered || error == kClassAlreadyExists)
            Classes().SetProcedure(name, procedure);
        return error;
    }

    bool UnregisterWindowClass(const std::string& name) override {
        return ::UnregisterClassA(name.c_str(), ThisModule()) != 0;
    }

    WindowHandle CreateHiddenWindow(const std::string& className, std::uint32_t& error) override {
        HWND window = ::CreateWindowExA(0, className.c_str(), nullptr, WS_POPUP, 0, 0, 0, 0,
                                        nullptr, nullptr, nullptr, nullptr);
        if (window == nullptr)
            error = ::GetLastError();
        return reinterpret_cast<WindowHandle>(window);
    }

    bool DestroyHiddenWindow(WindowHandle window) override {
        bool destroyed = ::DestroyWindow(ToWindow(window)) != 0;
        if (destroyed) {
            Classes().DropFor(ToWindow(window));
            PortTimers().DropFor(ToWindow(window));
        }
        return destroyed;
    }

    MessageResult DefaultProcedure(WindowHandle window, std::uint32_t message,
                                   std::uintptr_t wParam, std::intptr_t lParam) override {
        return ::DefWindowProcA(ToWindow(window), message, wParam, lParam);
    }

    bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
              std::intptr_t lParam) override {
        return ::PostMessageA(ToWindow(window), message, wParam, lParam) != 0;
    }

    bool PostData(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                  std::vector<std::uint8_t> data) override {
        HWND target = ToWindow(window);
        Carried* carried = Classes().Keep(
            std::make_unique<Carried>(Carried{target, message, wParam, std::move(data)}));
        if (::PostMessageA(target, CarrierMessage(), 0, reinterpret_cast<LPARAM>(carried)) != 0)
            return true;
        Classes().Take(reinterpret_cast<LPARAM>(carried));
        return false;
    }

    std::size_t DispatchPending() override {
        std::size_t dispatched = 0;
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // The loop that waits for it must still see it.
                ::PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
            ++dispatched;
        }
        return dispatched;
    }

    bool StartTimer(WindowHandle window, std::uintptr_t id, unsigned periodMilliseconds,
                    TimerCallback callback, void* context) override {
        HWND target = ToWindow(window);
        if (callback == nullptr ||
            ::GetWindowThreadProcessId(target, nullptr) != ::GetCurrentThreadId())
            return false;
        PortTimers().Set(target, id, {callback, context});
        if (::SetTimer(target, id, periodMilliseconds, &PortTimerProcedure) != 0)
            return true;
        PortTimers().Drop(target, id);
        return false;
    }

    void StopTimer(WindowHandle window, std::uintptr_t id) override {
        ::KillTimer(ToWindow(window), id);
        PortTimers().Drop(ToWindow(window), id);
    }
};

} // namespace

WindowSystem& SystemWindowSystem() {
    static auto* windows = new Win32WindowSystem();
    return *windows;
}

} // namespace platform
