#include "platform/KeyboardAbort.h"

#include <mutex>

namespace platform {

namespace {
std::mutex sourceMutex;
std::function<bool()> escapeSource;
} // namespace

bool EscapeKeyPressed() {
    std::lock_guard lock(sourceMutex);
    return escapeSource ? escapeSource() : false;
}

void SetEscapeKeySource(std::function<bool()> source) {
    std::lock_guard lock(sourceMutex);
    escapeSource = std::move(source);
}

} // namespace platform
