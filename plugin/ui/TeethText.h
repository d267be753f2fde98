#pragma once

#include <string>

namespace ui {

// The capture dialog's "Capturing For Teeth:" text: permanent tooth numbers
// (bit n is tooth n+1), then primary tooth letters (bit n is 'A'+n, up to 'T').
std::string TeethText(unsigned permanentTeeth, unsigned primaryTeeth);

// The capture dialog's elapsed-time text after the given number of seconds.
std::string ElapsedText(unsigned long seconds);

} // namespace ui
