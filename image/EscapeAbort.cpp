#include "image/EscapeAbort.h"

#include <atomic>

#include "platform/KeyboardAbort.h"

namespace {
std::atomic<bool> aborted{false};
}

void EscapeAbort::ClearAbort() {
    aborted = false;
}

bool EscapeAbort::PollAbort() {
    if (platform::EscapeKeyPressed())
        aborted = true;
    return aborted;
}
