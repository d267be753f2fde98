// The host's option record as any bytes, handed over as a host does, then a
// capture from a simulated sensor through the exports: the record is repaired
// or ignored, and every processing setting it reaches either gives an image
// or fails the capture with a message.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "hardware/DevMgr.h"
#include "platform/Clock.h"
#include "platform/DeviceEnumeration.h"
#include "platform/GlobalMemory.h"
#include "platform/UsbDriver.h"
#include "plugin/PluginDeviceHost.h"
#include "plugin/PluginState.h"
#include "plugin/SedApi.h"
#include "plugin/ToviIFace.h"
#include "plugin/ui/DialogViews.h"
#include "plugin/ui/headless/HeadlessDialogViews.h"
#include "simulator/SimulatedDriver.h"
#include "support/BufferedFile.h"
#include "support/FileHelpers.h"

SED_EXPORT void* SED_CALL SEDCaptureImage(unsigned, unsigned);
SED_EXPORT void* SED_CALL SEDCaptureImage16(unsigned, unsigned);
SED_EXPORT void SED_CALL SEDSetSEDDir(const char*);
SED_EXPORT void SED_CALL SEDSetConfigurationAndOptions(const void*, unsigned);

namespace {

class FuzzPluginHost : public PluginDeviceHost {
public:
    std::string ModuleDirectory() const override { return "/nonexistent"; }
};

// The installed plug-in data: the shipped settings beside the fuzzer's sources.
std::string InstallData() {
    const std::filesystem::path directory =
        std::filesystem::temp_directory_path() / "tovi-option-capture-fuzzer";
    std::filesystem::create_directories(directory / "Devices");
    std::filesystem::copy_file(TOVI_RESOURCES "/settings.xml", directory / "settings.xml",
                               std::filesystem::copy_options::overwrite_existing);
    return directory.string();
}

// One module with a small simulated sensor of each family, set up once.
struct Session {
    Session() {
        platform::SetClock(std::make_shared<platform::VirtualClock>());
        platform::SetUsbDriver(driver);
        platform::SetDeviceEnumerator(driver);
        ui::SetDialogViews(std::make_shared<ui::HeadlessDialogViews>(false));
        SEDSetSEDDir(InstallData().c_str());
        simulator::Sensor2000Config small;
        small.sensorId = "XCCD0001A";
        simulator::UsbPresence presence;
        presence.serial = "FUZZ2000";
        driver->Attach(std::move(small), presence);
        presence.serial = "FUZZRAY";
        simulator::SensorToviRayConfig ray;
        ray.sensorId = "TR2S0042C";
        driver->AttachToviRay(std::move(ray), presence);
        manager = std::make_unique<CDevMgr>(std::make_shared<FuzzPluginHost>());
        PluginModule::Instance().SetController(std::make_unique<CToviIFace>(*manager, nullptr));
    }
    std::shared_ptr<simulator::SimulatedDriver> driver =
        std::make_shared<simulator::SimulatedDriver>();
    std::unique_ptr<CDevMgr> manager;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Session session;
    if (size < 1)
        return 0;
    // The first byte picks the sensor and the depth; the rest is the record.
    const bool toviRay = (data[0] & 1) != 0, sixteenBit = (data[0] & 2) != 0;
    SEDSetConfigurationAndOptions(data + 1, static_cast<unsigned>(size - 1));
    // Keep a sensor selected, so that the capture reaches the processing chain.
    SensorOptions& options = PluginModule::Instance().state.options;
    options.SetText(SensorOptions::DeviceName, toviRay ? "TOVIRAY" : "2000");
    options.SetText(SensorOptions::DeviceId, toviRay ? "usb\\vid_7a1c&pid_1005\\fuzzray"
                                                     : "usb\\vid_7a1c&pid_2000\\fuzz2000");
    options.SetText(SensorOptions::SensorId, toviRay ? "TR2S0042C" : "XCCD0001A");
    void* dib = sixteenBit ? SEDCaptureImage16(1u << 29, 0) : SEDCaptureImage(1u << 29, 0);
    platform::GlobalFreeBlock(dib);
    return 0;
}
