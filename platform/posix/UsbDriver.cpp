#include "platform/UsbDriver.h"

namespace platform {

namespace {

// The native build has no sensor driver: nothing opens, every request fails.
class AbsentUsbDriver : public UsbDriver {
public:
    DriverHandle Open(const std::string&) override { return 0; }
    void Close(DriverHandle) override {}
    bool Control(DriverHandle, std::uint32_t, const void*, std::uint32_t, void*,
                 std::uint32_t) override {
        return false;
    }
    std::optional<std::string> DriverFileName(const std::string&) override { return std::nullopt; }
    std::string WindowsDirectory() override { return "C:\\windows"; }
    std::unique_ptr<VersionResource> LoadFileVersion(const std::string&) override {
        return nullptr;
    }
    bool IsWow64() override { return false; }
};

} // namespace

UsbDriver& SystemUsbDriver() {
    static auto* driver = new AbsentUsbDriver();
    return *driver;
}

} // namespace platform
