#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "hardware/DevMgr.h"
#include "platform/Clock.h"
#include "platform/DeviceEnumeration.h"
#include "platform/GlobalMemory.h"
#include "platform/UsbDriver.h"
#include "platform/WindowSystem.h"
#include "plugin/PluginDeviceHost.h"
#include "plugin/PqeAdapter.h"
#include "plugin/ToviIFace.h"
#include "plugin/ui/DialogViews.h"
#include "plugin/ui/headless/HeadlessDialogViews.h"
#include "simulator/SimulatedDriver.h"
#include "tests/hardware/PluginData.h"
#include "tests/native/DialogFixture.h"
#include "tests/support/TestFiles.h"

SED_EXPORT void* SED_CALL SEDCaptureImage(unsigned, unsigned);
SED_EXPORT void* SED_CALL SEDCaptureImage16(unsigned, unsigned);
SED_EXPORT void SED_CALL SEDGetErrorMessage(char*, int);
SED_EXPORT int SED_CALL SEDUserTerminated();
SED_EXPORT void SED_CALL SEDSetStatusCallback(StatusCallback);
SED_EXPORT void SED_CALL SEDSetSEDDir(const char*);
SED_EXPORT void SED_CALL SEDSetConfigurationAndOptions(const void*, unsigned);

namespace capture_testing {

struct Status {
    int code = 0;
    std::string text;
    bool hasText = false;
};

// The host's status callback: called from the UI thread and the worker.
class StatusLog {
public:
    static StatusLog& Instance() {
        static StatusLog log;
        return log;
    }
    static void SED_CALL Record(int, int code, const char* text) {
        StatusLog& log = Instance();
        std::lock_guard lock(log.mutex_);
        log.statuses_.push_back({code, text ? text : "", text != nullptr});
    }
    std::vector<Status> Statuses() {
        std::lock_guard lock(mutex_);
        return statuses_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        statuses_.clear();
    }
    int Count(int code) {
        int count = 0;
        for (const Status& status : Statuses())
            count += status.code == code ? 1 : 0;
        return count;
    }

private:
    std::mutex mutex_;
    std::vector<Status> statuses_;
};

// The header of a packed DIB the host received.
struct DibHeader {
    std::int32_t width = 0, height = 0;
    std::uint16_t bitCount = 0;
    std::int32_t xPelsPerMeter = 0, yPelsPerMeter = 0;
};

// The plug-in's answers, with a module folder of the test's own.
class TestPluginHost : public PluginDeviceHost {
public:
    explicit TestPluginHost(std::string moduleDirectory)
        : moduleDirectory_(std::move(moduleDirectory)) {}
    std::string ModuleDirectory() const override { return moduleDirectory_; }

private:
    std::string moduleDirectory_;
};

// The module's exports over a controller of the test's own: simulated sensors,
// a virtual clock, an installed data directory and headless dialogs.
class CaptureTest : public DialogFixture {
protected:
    void SetUp() override {
        DialogFixture::SetUp();
        platform::SetClock(clock);
        platform::SetUsbDriver(driver);
        platform::SetDeviceEnumerator(driver);
        ui::SetDialogViews(views);
        ASSERT_TRUE(plugin_data::Install(data.Path()));
        SEDSetSEDDir(data.Path().c_str());
        manager = std::make_unique<CDevMgr>(std::make_shared<TestPluginHost>(module.Path()));
        auto owned = std::make_unique<CToviIFace>(*manager, enhancer.get());
        controller = owned.get();
        PluginModule::Instance().SetController(std::move(owned));
        StatusLog::Instance().Clear();
        SEDSetStatusCallback(&StatusLog::Record);
        liveDevices = Device::LiveDevices();
    }
    void TearDown() override {
        PluginModule::Instance().SetController(nullptr);
        enhancer.reset();
        manager.reset();
        EXPECT_EQ(Device::LiveDevices(), liveDevices) << "a device outlived its manager";
        ui::SetDialogViews(nullptr);
        platform::SetDeviceEnumerator(nullptr);
        platform::SetUsbDriver(nullptr);
        platform::SetClock(nullptr);
        DialogFixture::TearDown();
    }

    static simulator::UsbPresence Serial(const std::string& serial) {
        simulator::UsbPresence presence;
        presence.serial = serial;
        return presence;
    }
    std::string Attach2000(const std::string& serial = "S2000",
                           simulator::Sensor2000Config config = {}) {
        return driver->Attach(std::move(config), Serial(serial));
    }
    std::string AttachToviRay(const std::string& serial = "SRAY",
                              simulator::SensorToviRayConfig config = {}) {
        return driver->AttachToviRay(std::move(config), Serial(serial));
    }
    // What the host's own message loop does between two captures.
    void HostIdle() {
        driver->Poll();
        platform::CurrentWindowSystem()->DispatchPending();
    }

    static std::string ErrorText() {
        char text[512] = {};
        SEDGetErrorMessage(text, sizeof text);
        return text;
    }
    // The capture's DIB header; the block is freed.
    static DibHeader Received(void* dib) { return HeaderOf(ReceivedBytes(dib)); }
    static DibHeader HeaderOf(const std::vector<std::uint8_t>& dib) {
        DibHeader header;
        if (dib.size() < 40)
            return header;
        std::memcpy(&header.width, dib.data() + 4, 4);
        std::memcpy(&header.height, dib.data() + 8, 4);
        std::memcpy(&header.bitCount, dib.data() + 14, 2);
        std::memcpy(&header.xPelsPerMeter, dib.data() + 24, 4);
        std::memcpy(&header.yPelsPerMeter, dib.data() + 28, 4);
        return header;
    }
    // The whole DIB; the block is freed.
    static std::vector<std::uint8_t> ReceivedBytes(void* dib) {
        std::vector<std::uint8_t> bytes;
        if (dib == nullptr)
            return bytes;
        const auto* data = static_cast<const std::uint8_t*>(platform::GlobalLockBlock(dib));
        bytes.assign(data, data + platform::GlobalBlockSize(dib));
        platform::GlobalUnlockBlock(dib);
        platform::GlobalFreeBlock(dib);
        return bytes;
    }
    static SensorOptions& Options() { return PluginModule::Instance().state.options; }

    std::shared_ptr<platform::VirtualClock> clock = std::make_shared<platform::VirtualClock>();
    std::shared_ptr<simulator::SimulatedDriver> driver =
        std::make_shared<simulator::SimulatedDriver>();
    std::shared_ptr<ui::HeadlessDialogViews> views = std::make_shared<ui::HeadlessDialogViews>();
    testing_files::TempDirectory data;
    testing_files::TempDirectory module;
    std::unique_ptr<CPQEDLL_IFace> enhancer = std::make_unique<CPQEDLL_IFace>();
    std::unique_ptr<CDevMgr> manager;
    CToviIFace* controller = nullptr;
    std::int32_t liveDevices = 0;
};

} // namespace capture_testing
