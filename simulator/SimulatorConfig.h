#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "simulator/SimulatedDriver.h"

namespace simulator {

// One <sensor> element of "simulator.xml".
struct SensorEntry {
    std::uint16_t productId = protocol::kProduct2000;
    UsbPresence presence;
    // None: the family's default id; empty: a memory without an id.
    std::optional<std::string> sensorId;
    bool memory = true;
    // Milliseconds from arming to the exposure; none: no exposure arrives.
    std::optional<std::uint64_t> exposureMs = 1500;
    // Milliseconds after the manager initialises; none: present from the start.
    std::optional<std::uint64_t> arriveMs;
};

// The virtual sensors of a simulated build and the pace of their time.
struct SimulatorSetup {
    double timeScale = 1.0;
    std::vector<SensorEntry> sensors;
};

// The sensors of "simulator.xml": a root element "simulator" (time_scale) with
// one "sensor" element each (family, vendor, serial, driver, sensor_id, memory,
// exposure_ms, arrive_ms, unplug_ms, fail_request). False for a document that
// does not parse or a value that does not read.
bool ParseSimulatorSetup(const char* text, SimulatorSetup& setup);
// Without a file: one 2000-series sensor of class D with memory.
SimulatorSetup DefaultSimulatorSetup();
// Attaches the sensors in order; arrivals count from now on the clock.
void AttachSensors(SimulatedDriver& driver, const SimulatorSetup& setup, std::uint64_t now);

} // namespace simulator
