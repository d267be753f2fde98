#pragma once

#include <string>

// The process-wide lastErrorText: the reason of the latest failure, which the
// host reads through SEDGetErrorMessage.
void SetLastErrorText(const std::string& text);
std::string LastErrorText();
