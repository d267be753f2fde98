#pragma once

#include <memory>
#include <string>

#include "hardware/Device.h"
#include "hardware/StaticDeviceHost.h"
#include "simulator/SimulatedDriver.h"

// Attaches the simulated sensor the id names and makes its device: an id
// starting with "TR" is a ToviRay, any other (or none) a 2000-series sensor.
DeviceRef MakeSimulatedDevice(simulator::SimulatedDriver& driver, const std::string& sensorId,
                              NotifyCallback notify, const std::shared_ptr<StaticDeviceHost>& host);
