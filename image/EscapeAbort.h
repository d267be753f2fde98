#pragma once

// The module-wide abort flag of the image operations: cleared before the first
// row, polled after each row for the Escape key.
namespace EscapeAbort {
void ClearAbort();
bool PollAbort();
} // namespace EscapeAbort

// Called after each row with the fraction done.
using ProgressCallback = void (*)(double fraction);
