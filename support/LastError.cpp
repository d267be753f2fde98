#include "support/LastError.h"

#include <mutex>

namespace {
std::mutex lastErrorMutex;
std::string lastErrorText;
} // namespace

void SetLastErrorText(const std::string& text) {
    std::lock_guard lock(lastErrorMutex);
    lastErrorText = text;
}

std::string LastErrorText() {
    std::lock_guard lock(lastErrorMutex);
    return lastErrorText;
}
