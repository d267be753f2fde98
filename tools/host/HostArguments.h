#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The command line of tovi-host: a sub-command, then options.
struct HostArguments {
    std::string command;
    std::string plugin;
    std::string dataDirectory = ".";
    std::string recordFile; // the option record the host keeps between runs
    std::string output;
    std::string input;
    int sensorNumber = 1;
    int bits = 8;
    int count = 1;
    std::int32_t family = 0;
    std::uint32_t permanentTeeth = 1u << 29; // tooth 30: a posterior view
    std::uint32_t primaryTeeth = 0;
    std::uint32_t newPermanentTeeth = 0;
    std::uint32_t newPrimaryTeeth = 0;
};

// False with the reason when the command line cannot be used.
bool ParseHostArguments(const std::vector<std::string>& words, HostArguments& arguments,
                        std::string& error);
// "8, 9, A, B": tooth numbers, then primary letters.
std::string TeethText(std::uint32_t permanentTeeth, std::uint32_t primaryTeeth);

extern const char* const kHostUsage;
