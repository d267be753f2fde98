#include "platform/KeyboardAbort.h"

#include <mutex>
#include <vector>
#include <windows.h>

namespace platform {

namespace {
std::mutex sourceMutex;
std::function<bool()> escapeSource;

bool EscapeInMessageQueue() {
    bool escape = false;
    std::vector<MSG> others;
    MSG message{};
    while (::PeekMessageA(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
        bool key = message.message == WM_KEYDOWN || message.message == WM_KEYUP;
        if (key && message.wParam == VK_ESCAPE)
            escape = true;
        else
            others.push_back(message);
    }
    for (const MSG& other : others)
        ::PostMessageA(other.hwnd, other.message, other.wParam, other.lParam);
    return escape;
}
} // namespace

bool EscapeKeyPressed() {
    {
        std::lock_guard lock(sourceMutex);
        if (escapeSource)
            return escapeSource();
    }
    return EscapeInMessageQueue();
}

// Tests may answer instead of the message queue.
void SetEscapeKeySource(std::function<bool()> source) {
    std::lock_guard lock(sourceMutex);
    escapeSource = std::move(source);
}

} // namespace platform
