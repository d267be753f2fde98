#include "plugin/Translator.h"

#include <vector>

std::string Translator::Translate(const std::string& text) const {
    if (text.empty())
        return text;
    if (pseudo_)
        return std::string(text.size(), 'x');
    if (callback_ != nullptr) {
        std::vector<char> buffer(kBufferSize, '\0');
        callback_(text.c_str(), buffer.data(), kBufferSize);
        buffer.back() = '\0'; // a careless callback may fill the whole buffer
        return buffer.data();
    }
    if (auto entry = table_.find(text); entry != table_.end())
        return entry->second;
    return text;
}

void Translator::AddTableEntry(const std::string& text, const std::string& translation) {
    table_[text] = translation;
}
