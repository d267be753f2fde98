#pragma once

#include <string>

#include "simulator/SimulatedDriver.h"

namespace simulator {

// The sensors of a simulated-hardware build: the simulated driver and bus, set
// up from "simulator.xml" in the plug-in data directory when the device manager
// first initialises (one 2000-series sensor of class D without the file).
class SimulatedSystem : public SimulatedDriver {
public:
    // False for a file that cannot be read or parsed, with the settings file's
    // message; nothing is attached then, and the next call tries again.
    bool Prepare(const std::string& dataDirectory) override;

private:
    bool prepared_ = false;
};

// Makes a simulated system the process's driver and device enumerator.
void InstallSimulatedSystem();

} // namespace simulator
