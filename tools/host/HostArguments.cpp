#include "tools/host/HostArguments.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <sstream>

const char* const kHostUsage =
    "usage: tovi-host <command> [options]\n"
    "commands:\n"
    "  list       the attached sensors (the selection list) and the hardware summary\n"
    "  info       the interface version, the sensor and the option record field by field\n"
    "  capture    capture to --out FILE (.bmp, .png, .dcm natively); --bits 8|16,\n"
    "             --teeth 8,9 --primary A,B or --whole-mouth, --count N (a series in a group)\n"
    "  options    the plug-in's options sheet; the record is saved to --record\n"
    "  configure  the plug-in's sensor selection; the record is saved to --record\n"
    "  reorient   --in BMP --out BMP from --teeth/--primary to --to-teeth/--to-primary\n"
    "  replay     --in DUMP --out FILE through the chain of --family 2000|2000plus|toviray\n"
    "options:\n"
    "  --plugin FILE   the plug-in (default: the one built beside this program)\n"
    "  --data DIR      the data directory with settings.xml (default: .)\n"
    "  --record FILE   the option record: handed to the plug-in, saved after a dialog\n"
    "  --sensor N      the host's sensor number in status callbacks (default 1)\n";

namespace {

// "8,9" as tooth numbers 1 to 32, or "A,B" as letters A to T.
bool ParseTeeth(const std::string& list, bool letters, std::uint32_t& mask) {
    mask = 0;
    std::stringstream stream(list);
    std::string item;
    while (std::getline(stream, item, ',')) {
        if (letters) {
            if (item.size() != 1 || std::toupper(item[0]) < 'A' || std::toupper(item[0]) > 'T')
                return false;
            mask |= 1u << (std::toupper(item[0]) - 'A');
            continue;
        }
        if (item.empty() || item.size() > 2 ||
            item.find_first_not_of("0123456789") != std::string::npos)
            return false;
        const int tooth = std::stoi(item);
        if (tooth < 1 || tooth > 32)
            return false;
        mask |= 1u << (tooth - 1);
    }
    return true;
}

bool ParseNumber(const std::string& text, int low, int high, int& value) {
    if (text.empty() || text.size() > 6 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::stoi(text);
    return value >= low && value <= high;
}

bool ParseFamily(const std::string& text, std::int32_t& family) {
    const char* const names[] = {"2000", "toviray", "2000plus"};
    for (std::int32_t index = 0; index < 3; ++index)
        if (text == names[index]) {
            family = index;
            return true;
        }
    return false;
}

bool ParseOption(const std::string& name, const std::string& value, HostArguments& arguments) {
    if (name == "--plugin")
        arguments.plugin = value;
    else if (name == "--data")
        arguments.dataDirectory = value;
    else if (name == "--record")
        arguments.recordFile = value;
    else if (name == "--out")
        arguments.output = value;
    else if (name == "--in")
        arguments.input = value;
    else if (name == "--sensor")
        return ParseNumber(value, 0, 999999, arguments.sensorNumber);
    else if (name == "--bits")
        return (value == "8" || value == "16") && ParseNumber(value, 8, 16, arguments.bits);
    else if (name == "--count")
        return ParseNumber(value, 1, 1000, arguments.count);
    else if (name == "--family")
        return ParseFamily(value, arguments.family);
    else if (name == "--teeth")
        return ParseTeeth(value, false, arguments.permanentTeeth);
    else if (name == "--primary")
        return ParseTeeth(value, true, arguments.primaryTeeth);
    else if (name == "--to-teeth")
        return ParseTeeth(value, false, arguments.newPermanentTeeth);
    else if (name == "--to-primary")
        return ParseTeeth(value, true, arguments.newPrimaryTeeth);
    else
        return false;
    return true;
}

} // namespace

bool ParseHostArguments(const std::vector<std::string>& words, HostArguments& arguments,
                        std::string& error) {
    if (words.empty()) {
        error = "no command";
        return false;
    }
    arguments.command = words[0];
    const char* const commands[] = {"list",      "info",     "capture", "options",
                                    "configure", "reorient", "replay"};
    if (std::find(std::begin(commands), std::end(commands), arguments.command) ==
        std::end(commands)) {
        error = "unknown command " + arguments.command;
        return false;
    }
    for (std::size_t index = 1; index < words.size(); ++index) {
        const std::string& word = words[index];
        if (word == "--whole-mouth") {
            arguments.permanentTeeth = 0xFFFFFFFFu;
            continue;
        }
        if (index + 1 >= words.size() || !ParseOption(word, words[index + 1], arguments)) {
            error = "cannot use " + word + (index + 1 < words.size() ? " " + words[index + 1] : "");
            return false;
        }
        ++index;
    }
    return true;
}

std::string TeethText(std::uint32_t permanentTeeth, std::uint32_t primaryTeeth) {
    std::string text;
    auto add = [&text](const std::string& item) { text += (text.empty() ? "" : ", ") + item; };
    for (int tooth = 0; tooth < 32; ++tooth)
        if (permanentTeeth & (1u << tooth))
            add(std::to_string(tooth + 1));
    for (int letter = 0; letter < 20; ++letter)
        if (primaryTeeth & (1u << letter))
            add(std::string(1, static_cast<char>('A' + letter)));
    return text;
}
