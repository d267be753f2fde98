#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

using WindowHandle = std::uintptr_t;
using MessageResult = std::intptr_t;
using WindowProcedure = MessageResult (*)(WindowHandle window, std::uint32_t message,
                                          std::uintptr_t wParam, std::intptr_t lParam);
using TimerCallback = void (*)(void* context);

// ERROR_CLASS_ALREADY_EXISTS.
constexpr std::uint32_t kClassAlreadyExists = 1410;

// Window classes, hidden windows and their messages. A window belongs to the
// thread that created it, and its procedure runs only on that thread, when
// the thread dispatches its messages. Windows has the system's windows; the
// native build keeps queues of its own with the same rules.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // RegisterClassExA with nothing but the name, the procedure and this module;
    // 0, or the system's error (kClassAlreadyExists among them).
    virtual std::uint32_t RegisterWindowClass(const std::string& name,
                                              WindowProcedure procedure) = 0;
    virtual bool UnregisterWindowClass(const std::string& name) = 0;
    // A hidden WS_POPUP window of the class at 0, 0, 0, 0 without title, parent,
    // menu or instance, owned by the calling thread; 0 with the system's error.
    virtual WindowHandle CreateHiddenWindow(const std::string& className, std::uint32_t& error) = 0;
    virtual bool DestroyHiddenWindow(WindowHandle window) = 0;
    virtual MessageResult DefaultProcedure(WindowHandle window, std::uint32_t message,
                                           std::uintptr_t wParam, std::intptr_t lParam) = 0;
    // Queues a message for the window's thread.
    virtual bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                      std::intptr_t lParam) = 0;
    // Queues a message that carries a block of data: the procedure receives the
    // block's address as lParam, valid while it runs.
    virtual bool PostData(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                          std::vector<std::uint8_t> data) = 0;
    // Dispatches what waits for the calling thread, and what is posted meanwhile
    // (by a due timer too); returns how many messages it dispatched.
    virtual std::size_t DispatchPending() = 0;
    // From the window's own thread: calls back on that thread, when it dispatches,
    // every period (natively measured on the clock port) until stopped. A timer
    // with the same window and id replaces the earlier one.
    virtual bool StartTimer(WindowHandle window, std::uintptr_t id, unsigned periodMilliseconds,
                            TimerCallback callback, void* context) = 0;
    virtual void StopTimer(WindowHandle window, std::uintptr_t id) = 0;
};

WindowSystem& SystemWindowSystem();
// The window system installed now; a window keeps the one it was created with.
std::shared_ptr<WindowSystem> CurrentWindowSystem();
// Installs a window system for this process (tests); null restores the system's.
void SetWindowSystem(std::shared_ptr<WindowSystem> windows);

} // namespace platform
