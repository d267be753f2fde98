#pragma once

#include <functional>

namespace platform {

// Takes the keyboard messages off the calling thread's queue and tells whether
// Escape was among them; the other messages are posted back in order.
// A source installed by a test answers instead.
bool EscapeKeyPressed();
// The source EscapeKeyPressed asks instead (null: the system's own).
void SetEscapeKeySource(std::function<bool()> source);

} // namespace platform
