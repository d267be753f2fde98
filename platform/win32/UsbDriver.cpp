#include "platform/UsbDriver.h"

#include <windows.h>

#include <vector>

namespace platform {

namespace {

HANDLE ToHandle(DriverHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

class Win32UsbDriver : public UsbDriver {
public:
    DriverHandle Open(const std::string& path) override {
        HANDLE handle =
            ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        return handle == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<DriverHandle>(handle);
    }

    void Close(DriverHandle handle) override { ::CloseHandle(ToHandle(handle)); }

    bool Control(DriverHandle handle, std::uint32_t code, const void* input,
                 std::uint32_t inputLength, void* output, std::uint32_t outputLength) override {
        DWORD returned = 0;
        return ::DeviceIoControl(ToHandle(handle), code, const_cast<void*>(input), inputLength,
                                 output, outputLength, &returned, nullptr) != 0;
    }

    std::optional<std::string> DriverFileName(const std::string& driverKey) override {
        std::string keyPath = "system\\currentcontrolset\\control\\class\\" + driverKey;
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key) !=
            ERROR_SUCCESS)
            return std::nullopt;
        std::optional<std::string> fileName = QueryText(key, "NTMPDriver");
        ::RegCloseKey(key);
        return fileName;
    }

    std::string WindowsDirectory() override {
        char directory[1024] = {};
        UINT length = ::GetWindowsDirectoryA(directory, sizeof directory);
        return length < sizeof directory ? std::string(directory, length) : std::string();
    }

    std::unique_ptr<VersionResource> LoadFileVersion(const std::string& path) override {
        return LoadVersionResource(path);
    }

    bool IsWow64() override {
        BOOL wow64 = FALSE;
        return ::IsWow64Process(::GetCurrentProcess(), &wow64) != 0 && wow64 != FALSE;
    }

private:
    // Asked once for the size, then for the value, up to 1024 bytes.
    static std::optional<std::string> QueryText(HKEY key, const char* name) {
        DWORD size = 0;
        if (::RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        std::vector<char> value(1024 + 1, '\0');
        DWORD length = 1024;
        if (::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value.data()),
                               &length) != ERROR_SUCCESS)
            return std::nullopt;
        std::string text(value.data(), strnlen(value.data(), length));
        if (text.empty())
            return std::nullopt;
        return text;
    }
};

} // namespace

UsbDriver& SystemUsbDriver() {
    static auto* driver = new Win32UsbDriver();
    return *driver;
}

} // namespace platform
