#include "simulator/SimulatedSystem.h"

// Linked into the simulated-hardware builds of the plug-in only: from the
// module's load on, its sensors are the simulator's.
namespace {

[[maybe_unused]] const bool kSimulatedSystemInstalled = [] {
    simulator::InstallSimulatedSystem();
    return true;
}();

} // namespace
