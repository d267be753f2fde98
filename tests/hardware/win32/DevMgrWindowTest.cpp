#include <gtest/gtest.h>
#include <windows.h>

#include <dbt.h>

#include <cstring>
#include <vector>

#include "tests/hardware/DevMgrFixture.h"

namespace {

using namespace devmgr_testing;

HWND FindMonitor() {
    return ::FindWindowA("KUsbWnd", nullptr);
}

bool MonitorClassRegistered() {
    WNDCLASSEXA info{};
    info.cbSize = sizeof info;
    return ::GetClassInfoExA(::GetModuleHandleA(nullptr), "KUsbWnd", &info) != 0;
}

// The system's enumeration and windows: Wine lists no USB interfaces.
TEST(SystemDevMgr, EnumeratesThroughSetupApiAndInstallsARealHiddenWindow) {
    testing_files::TempDirectory data;
    ASSERT_TRUE(plugin_data::Install(data.Path()));
    auto host = std::make_shared<StaticDeviceHost>();
    host->dataDirectory = data.Path();
    CDevMgr manager(host);
    ASSERT_EQ(manager.Initialize(nullptr), 0) << LastErrorText();
    EXPECT_EQ(manager.DeviceCount(), 0u);
    HWND window = FindMonitor();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(reinterpret_cast<platform::WindowHandle>(window), manager.MonitorWindow());
    EXPECT_FALSE(::IsWindowVisible(window));
    EXPECT_EQ(::GetWindowLongA(window, GWL_STYLE) & WS_POPUP, static_cast<LONG>(WS_POPUP));
    EXPECT_EQ(::GetWindowThreadProcessId(window, nullptr), ::GetCurrentThreadId());
    EXPECT_TRUE(MonitorClassRegistered());

    EXPECT_EQ(manager.Finalize(), 0);
    EXPECT_EQ(FindMonitor(), nullptr);
    EXPECT_FALSE(MonitorClassRegistered());
}

// The simulated bus behind a real window: a broadcast sent as the system sends
// it reaches the manager through the window's procedure.
TEST_F(DevMgrTest, ARealWindowHearsTheSystemsBroadcast) {
    std::string path = Attach2000("20001");
    ASSERT_EQ(manager->Initialize(nullptr), 0);
    HWND window = FindMonitor();
    ASSERT_EQ(reinterpret_cast<platform::WindowHandle>(window), manager->MonitorWindow());

    std::vector<char> bytes(sizeof(DEV_BROADCAST_DEVICEINTERFACE_A) + path.size(), 0);
    auto* broadcast = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_A*>(bytes.data());
    broadcast->dbcc_size = static_cast<DWORD>(bytes.size());
    broadcast->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    std::memcpy(broadcast->dbcc_name, path.c_str(), path.size() + 1);
    ASSERT_EQ(reinterpret_cast<char*>(broadcast->dbcc_name) - bytes.data(), 28);
    ::SendMessageA(window, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE,
                   reinterpret_cast<LPARAM>(broadcast));
    EXPECT_EQ(manager->DeviceCount(), 0u);
    ::SendMessageA(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(broadcast));
    EXPECT_EQ(manager->DeviceCount(), 1u);
}

} // namespace
