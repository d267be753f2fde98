#include <gtest/gtest.h>

#include "tests/hardware/DevMgrFixture.h"

namespace {

using namespace devmgr_testing;

// The system's windows, failing the steps a test names with the errors it names.
class FaultyWindows : public platform::WindowSystem {
public:
    std::uint32_t registerError = 0;
    std::uint32_t createError = 0;

    std::uint32_t RegisterWindowClass(const std::string& name,
                                      platform::WindowProcedure procedure) override {
        return registerError != 0 ? registerError : real_->RegisterWindowClass(name, procedure);
    }
    bool UnregisterWindowClass(const std::string& name) override {
        return real_->UnregisterWindowClass(name);
    }
    platform::WindowHandle CreateHiddenWindow(const std::string& className,
                                              std::uint32_t& error) override {
        if (createError == 0)
            return real_->CreateHiddenWindow(className, error);
        error = createError;
        return 0;
    }
    bool DestroyHiddenWindow(platform::WindowHandle window) override {
        return real_->DestroyHiddenWindow(window);
    }
    platform::MessageResult DefaultProcedure(platform::WindowHandle window, std::uint32_t message,
                                             std::uintptr_t wParam, std::intptr_t lParam) override {
        return real_->DefaultProcedure(window, message, wParam, lParam);
    }
    bool Post(platform::WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
              std::intptr_t lParam) override {
        return real_->Post(window, message, wParam, lParam);
    }
    bool PostData(platform::WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                  std::vector<std::uint8_t> data) override {
        return real_->PostData(window, message, wParam, std::move(data));
    }
    bool StartTimer(platform::WindowHandle window, std::uintptr_t id, unsigned period,
                    platform::TimerCallback callback, void* context) override {
        return real_->StartTimer(window, id, period, callback, context);
    }
    void StopTimer(platform::WindowHandle window, std::uintptr_t id) override {
        real_->StopTimer(window, id);
    }
    std::size_t DispatchPending() override { return real_->DispatchPending(); }

private:
    std::shared_ptr<platform::WindowSystem> real_ = platform::CurrentWindowSystem();
};

// The simulated bus, failing the notification or the enumeration on demand.
class FaultyBus : public platform::DeviceEnumerator {
public:
    explicit FaultyBus(std::shared_ptr<simulator::SimulatedDriver> bus) : bus_(std::move(bus)) {}
    std::uint32_t notificationError = 0;
    std::uint32_t enumerationError = 0;

    bool Prepare(const std::string& directory) override { return bus_->Prepare(directory); }
    std::unique_ptr<platform::UsbInterfaceSet> PresentUsbInterfaces(std::uint32_t& error) override {
        if (enumerationError == 0)
            return bus_->PresentUsbInterfaces(error);
        error = enumerationError;
        return nullptr;
    }
    platform::DeviceNotification RegisterUsbNotification(platform::WindowHandle window,
                                                         std::uint32_t& error) override {
        if (notificationError == 0)
            return bus_->RegisterUsbNotification(window, error);
        error = notificationError;
        return 0;
    }
    void UnregisterUsbNotification(platform::DeviceNotification notification) override {
        bus_->UnregisterUsbNotification(notification);
    }

private:
    std::shared_ptr<simulator::SimulatedDriver> bus_;
};

class DevMgrMonitorTest : public DevMgrTest {
protected:
    void SetUp() override {
        DevMgrTest::SetUp();
        platform::SetWindowSystem(windows);
        platform::SetDeviceEnumerator(bus);
        manager = std::make_unique<CDevMgr>(host);
        Attach2000("20001");
    }
    void TearDown() override {
        manager.reset();
        platform::SetWindowSystem(nullptr);
        DevMgrTest::TearDown();
    }

    // Initialize fails with the message, and succeeds once the fault is gone.
    void ExpectFailureThenRecovery(std::uint32_t& fault, const std::string& message) {
        EXPECT_EQ(manager->Initialize(nullptr), -8194);
        EXPECT_EQ(LastErrorText(), message);
        EXPECT_EQ(manager->MonitorWindow(), 0u);
        fault = 0;
        EXPECT_EQ(manager->Initialize(nullptr), 0) << LastErrorText();
        EXPECT_EQ(manager->DeviceCount(), 1u);
        EXPECT_NE(manager->MonitorWindow(), 0u);
    }

    std::shared_ptr<FaultyWindows> windows = std::make_shared<FaultyWindows>();
    std::shared_ptr<FaultyBus> bus = std::make_shared<FaultyBus>(driver);
};

TEST_F(DevMgrMonitorTest, AClassThatCannotBeRegisteredFailsInitialize) {
    windows->registerError = 5;
    ExpectFailureThenRecovery(windows->registerError,
                              "The monitor class could not be registered with the operating "
                              "system (OS error = 5).");
}

TEST_F(DevMgrMonitorTest, AWindowThatCannotBeCreatedFailsInitialize) {
    windows->createError = 8;
    ExpectFailureThenRecovery(windows->createError,
                              "The monitor class could not be created (OS error = 8).");
}

TEST_F(DevMgrMonitorTest, ANotificationThatCannotBeRegisteredFailsInitialize) {
    bus->notificationError = 13;
    ExpectFailureThenRecovery(bus->notificationError,
                              "The monitor class could not be registered (OS error = 13).");
}

TEST_F(DevMgrMonitorTest, AnEnumerationThatCannotStartFailsInitialize) {
    bus->enumerationError = 1784;
    ExpectFailureThenRecovery(bus->enumerationError,
                              "No devices could be located on this computer (OS error = 1784).");
}

TEST_F(DevMgrMonitorTest, AClassRegisteredBeforeIsUsedAndASecondMonitorRefused) {
    ASSERT_EQ(windows->RegisterWindowClass(
                  "KUsbWnd", [](platform::WindowHandle, std::uint32_t, std::uintptr_t,
                                std::intptr_t) { return platform::MessageResult{0}; }),
              0u);
    EXPECT_EQ(manager->Initialize(nullptr), 0) << LastErrorText();
    EXPECT_FALSE(manager->InstallMonitor());
}

} // namespace
