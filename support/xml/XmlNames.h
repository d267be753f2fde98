#pragma once

#include <cstdint>
#include <string>

// Character classes and name rules of the XML model and parser (ASCII only).
bool IsXmlSpace(unsigned char c);
bool IsXmlNameStart(unsigned char c);
bool IsXmlNameCharacter(unsigned char c);
bool XmlNamesEqual(const std::string& a, const std::string& b);
// Trimmed; an empty name becomes "_%08lX" of the calendar time; a leading
// character outside the start set gets "_" before it; other characters become "_".
std::string MakeValidXmlName(const std::string& name, std::int64_t calendarTime);
// Letters and digits stay, everything else becomes "_".
std::string MakeDocTypeName(const std::string& name);
