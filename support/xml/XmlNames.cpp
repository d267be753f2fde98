#include "support/xml/XmlNames.h"

#include <algorithm>
#include <cctype>

#include "support/TextFormat.h"

namespace {
bool IsAsciiLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsAsciiDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
unsigned char Lower(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}
} // namespace

bool IsXmlSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsXmlNameStart(unsigned char c) {
    return IsAsciiLetter(c) || c == ':' || c == '_';
}

bool IsXmlNameCharacter(unsigned char c) {
    return IsXmlNameStart(c) || IsAsciiDigit(c) || c == '-' || c == '.';
}

bool XmlNamesEqual(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](unsigned char x, unsigned char y) { return Lower(x) == Lower(y); });
}

std::string MakeValidXmlName(const std::string& name, std::int64_t calendarTime) {
    std::size_t first = 0;
    std::size_t last = name.size();
    while (first < last && std::isspace(static_cast<unsigned char>(name[first])))
        ++first;
    while (last > first && std::isspace(static_cast<unsigned char>(name[last - 1])))
        --last;
    std::string valid = name.substr(first, last - first);
    if (valid.empty())
        return FormatText("_%08lX", static_cast<unsigned long>(calendarTime & 0xFFFFFFFF));
    if (!IsXmlNameStart(static_cast<unsigned char>(valid.front())))
        valid.insert(valid.begin(), '_');
    for (char& c : valid) {
        if (!IsXmlNameCharacter(static_cast<unsigned char>(c)))
            c = '_';
    }
    return valid;
}

std::string MakeDocTypeName(const std::string& name) {
    std::string safe = name;
    for (char& c : safe) {
        auto u = static_cast<unsigned char>(c);
        if (!IsAsciiLetter(u) && !IsAsciiDigit(u))
            c = '_';
    }
    return safe;
}
