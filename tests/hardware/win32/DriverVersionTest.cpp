#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "hardware/UsbIo.h"
#include "support/Environment.h"

namespace {

const char* const kClassKey = "system\\currentcontrolset\\control\\class\\{70F1C0DE-0000-4000-8000-"
                              "000000000001}";

// A driver key under the class key whose "NTMPDriver" names fileName (none when empty),
// removed again with its driver file.
class DriverKey {
public:
    DriverKey(const std::string& instance, const std::string& fileName, const char* source)
        : key_(std::string(kClassKey) + "\\" + instance) {
        HKEY key = nullptr;
        EXPECT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                    nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        if (!fileName.empty())
            ::RegSetValueExA(key, "NTMPDriver", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(fileName.c_str()),
                             static_cast<DWORD>(fileName.size() + 1));
        ::RegCloseKey(key);
        char windows[MAX_PATH] = {};
        ::GetWindowsDirectoryA(windows, MAX_PATH);
        driverFile_ = std::string(windows) + "\\System32\\Drivers\\" + fileName;
        if (source != nullptr) {
            EXPECT_TRUE(::CopyFileA((ksp::GetLibraryDirectory() + "\\" + source).c_str(),
                                    driverFile_.c_str(), FALSE));
        }
    }
    ~DriverKey() {
        ::DeleteFileA(driverFile_.c_str());
        ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, key_.c_str());
    }
    std::string Name() const { return key_.substr(key_.find('{')); }

private:
    std::string key_;
    std::string driverFile_;
};

TEST(DriverVersion, ComesFromTheRegistryAndTheDriverFile) {
    DriverKey versioned("0001", "tovitest1.sys", "driver_version1.dll");
    DriverKey unversioned("0002", "tovitest2.sys", "hardware_tests.exe");
    DriverKey missingFile("0003", "tovitest3.sys", nullptr);
    DriverKey noValue("0004", "", nullptr);

    EXPECT_EQ(GetDriverVersion(versioned.Name()).parts, (std::array<std::uint16_t, 4>{1, 5, 0, 9}));
    EXPECT_NE(dynamic_cast<EzUsbIo*>(CreateUsbIo(0x2000, versioned.Name()).get()), nullptr);
    const std::array<std::uint16_t, 4> unknown{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    for (const DriverKey* key : {&unversioned, &missingFile, &noValue}) {
        EXPECT_EQ(GetDriverVersion(key->Name()).parts, unknown) << key->Name();
        EXPECT_EQ(CreateUsbIo(0x2000, key->Name()), nullptr);
    }
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kClassKey);
}

TEST(DriverVersion, AnAbsentDevicePathDoesNotOpen) {
    EzUsbIo io;
    EXPECT_EQ(io.Open("\\\\?\\usb#vid_7a1c&pid_2000#absent#{a5dcbf10-6530-11d2-901f-00c04fb951ed}"),
              kUsbOpenFailed);
    EXPECT_FALSE(io.IsOpen());
    EXPECT_EQ(io.Reset(), kUsbRequestFailed);
}

} // namespace
