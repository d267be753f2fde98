// simulator.xml as any text: parsed or refused, never a crash.

#include <cstddef>
#include <cstdint>
#include <string>

#include "simulator/SimulatorConfig.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    simulator::SimulatorSetup setup;
    simulator::ParseSimulatorSetup(text.c_str(), setup);
    return 0;
}
