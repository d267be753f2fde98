#pragma once

#include <memory>

#include "hardware/StaticDeviceHost.h"
#include "platform/Clock.h"

// What every sensor fuzzer shares: a device host without a data directory and
// a virtual clock, set up once for the process.
inline const std::shared_ptr<StaticDeviceHost>& FuzzDeviceHost() {
    static const std::shared_ptr<StaticDeviceHost> host = [] {
        platform::SetClock(std::make_shared<platform::VirtualClock>());
        auto made = std::make_shared<StaticDeviceHost>();
        made->dataDirectory = "/nonexistent";
        return made;
    }();
    return host;
}
