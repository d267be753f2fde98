#pragma once

#include <cstdarg>
#include <string>

// printf-style formatting into a string of any length.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatTextV(const char* format, va_list arguments);
// Replaces every occurrence of from by to, left to right.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to);
