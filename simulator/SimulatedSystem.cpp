#include "simulator/SimulatedSystem.h"

#include <memory>

#include "platform/Clock.h"
#include "simulator/SimulatorConfig.h"
#include "support/FileHelpers.h"
#include "support/Translation.h"

namespace simulator {

namespace {

bool LoadSetup(const std::string& path, SimulatorSetup& setup) {
    std::uint32_t size = 0;
    std::unique_ptr<char[]> text = ksp::ReadWholeFile(path, size);
    if (text && ParseSimulatorSetup(text.get(), setup))
        return true;
    SetTranslatedError("The settings file '%s' could not be properly interrupted.  Please check "
                       "the installation and then retry the operation.",
                       path.c_str());
    return false;
}

// Waits and time-outs of sensors and devices at the file's pace.
void InstallTimeScale(double timeScale) {
    if (timeScale == 1.0)
        return;
    std::shared_ptr<platform::Clock> system(&platform::SystemClock(), [](platform::Clock*) {});
    platform::SetClock(std::make_shared<platform::ScaledClock>(system, timeScale));
}

} // namespace

bool SimulatedSystem::Prepare(const std::string& dataDirectory) {
    if (prepared_)
        return true;
    std::string path = dataDirectory + "\\simulator.xml";
    SimulatorSetup setup = DefaultSimulatorSetup();
    if (ksp::FileExists(path) && !LoadSetup(path, setup))
        return false;
    InstallTimeScale(setup.timeScale);
    AttachSensors(*this, setup, platform::CurrentClock().Milliseconds());
    prepared_ = true;
    return true;
}

void InstallSimulatedSystem() {
    auto system = std::make_shared<SimulatedSystem>();
    platform::SetUsbDriver(system);
    platform::SetDeviceEnumerator(system);
}

} // namespace simulator
