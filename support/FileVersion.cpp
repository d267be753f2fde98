#include "support/FileVersion.h"

#include <cctype>
#include <cstdlib>
#include <vector>

#include "platform/VersionResource.h"
#include "support/TextFormat.h"

namespace ksp {

namespace {

bool IsWordCharacter(unsigned char c) {
    return c < 128 &&
           (std::isalnum(c) || c == '-' || c == '_' || c == '\'' || c == '@' || c == '%');
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (unsigned char c : text) {
        if (IsWordCharacter(c)) {
            word += static_cast<char>(c);
        } else if (!word.empty()) {
            words.push_back(std::move(word));
            word.clear();
        }
    }
    if (!word.empty())
        words.push_back(std::move(word));
    return words;
}

std::uint32_t NumberOf(const std::string& word) {
    return static_cast<std::uint32_t>(std::strtol(word.c_str(), nullptr, 10));
}

std::string ReplaceEach(std::string text, std::initializer_list<const char*> marks,
                        const std::string& value) {
    for (const char* mark : marks)
        text = ReplaceAll(std::move(text), mark, value);
    return text;
}

std::string Part(std::uint32_t value) {
    return FormatText("%lu", static_cast<unsigned long>(value));
}

} // namespace

std::string ProductVersionOf(const platform::VersionResource& resource) {
    if (auto english = resource.QueryText("\\StringFileInfo\\040904B0\\ProductVersion"))
        return *english;
    std::vector<std::uint8_t> translation = resource.QueryBytes("\\VarFileInfo\\Translation");
    if (translation.size() < 4)
        return {};
    unsigned language = translation[0] | (translation[1] << 8);
    unsigned codePage = translation[2] | (translation[3] << 8);
    return resource
        .QueryText(FormatText("\\StringFileInfo\\%04x%04x\\ProductVersion", language, codePage))
        .value_or("");
}

std::string GetProductVersionString(const std::string& path) {
    auto resource = platform::LoadVersionResource(path);
    return resource ? ProductVersionOf(*resource) : std::string();
}

FileVersionNumber ParseVersionString(const std::string& text) {
    std::vector<std::string> words = Words(text);
    FileVersionNumber version;
    if (words.size() >= 1)
        version.major = NumberOf(words[0]);
    if (words.size() >= 2)
        version.minor = NumberOf(words[1]);
    if (words.size() == 3)
        version.revision = NumberOf(words[2]);
    if (words.size() >= 4) {
        version.build = NumberOf(words[2]);
        version.revision = NumberOf(words[3]);
    }
    return version;
}

bool GetFileVersion(const std::string& path, FileVersionNumber& version) {
    std::string text = GetProductVersionString(path);
    version = ParseVersionString(text);
    return !text.empty();
}

std::string FormatVersion(const FileVersionNumber& v, std::string templateText) {
    auto unsignedLong = [](std::uint32_t value) { return static_cast<unsigned long>(value); };
    std::string named =
        FormatText("Version %lu (%lu.%lu.%lu.%lu)", unsignedLong(v.major), unsignedLong(v.major),
                   unsignedLong(v.minor), unsignedLong(v.build), unsignedLong(v.revision));
    std::string dotted = FormatText("%lu.%lu.%lu.%lu", unsignedLong(v.major), unsignedLong(v.minor),
                                    unsignedLong(v.build), unsignedLong(v.revision));
    std::string text = ReplaceEach(std::move(templateText), {"%s", "%S"}, named);
    text = ReplaceEach(std::move(text), {"%d", "%D"}, dotted);
    text = ReplaceEach(std::move(text), {"%v1", "%V1", "%1"}, Part(v.major));
    text = ReplaceEach(std::move(text), {"%v2", "%V2", "%2"}, Part(v.minor));
    text = ReplaceEach(std::move(text), {"%v3", "%V3", "%3"}, Part(v.build));
    text = ReplaceEach(std::move(text), {"%v4", "%V4", "%4"}, Part(v.revision));
    return ReplaceEach(std::move(text), {"%v", "%V"}, named);
}

std::string FormatFileVersion(const std::string& path, const std::string& templateText) {
    FileVersionNumber version;
    if (!GetFileVersion(path, version))
        return "<Unknown Version>";
    return FormatVersion(version, templateText);
}

std::string GetFileVersionText(const std::string& path) {
    return FormatFileVersion(path, "%s");
}

} // namespace ksp
