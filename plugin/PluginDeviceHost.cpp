#include "plugin/PluginDeviceHost.h"

#include "plugin/PluginState.h"

namespace {

const PluginState& State() {
    return PluginModule::Instance().state;
}

} // namespace

std::string PluginDeviceHost::DataDirectory() const {
    return State().sedDir;
}

bool PluginDeviceHost::UserTerminated() const {
    return State().userTerminated != 0;
}

bool PluginDeviceHost::ExtendedFlushTimes() const {
    return State().options.Int(SensorOptions::ExtendedFlush2000) != 0;
}

bool PluginDeviceHost::SaveRawDump() const {
    return State().saveRawDump != 0;
}
