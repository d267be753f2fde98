#include "hardware/Device2000.h"

#include <cctype>
#include <cstring>

#include "hardware/DeviceLog.h"
#include "hardware/DeviceStatus.h"
#include "hardware/SensorSettings.h"
#include "support/LastError.h"
#include "support/LogChannels.h"
#include "support/Translation.h"

namespace {

const char* const kReadMacTag = "Device2000::ReadMacID()::%s";

struct SensorSize {
    const char* name;
    std::uint32_t pixelsPerLine, lines;
    std::int32_t fullResolutionUnbinned;
    std::uint8_t binnedCode, unbinnedCode;
};
constexpr SensorSize kSizeClasses[] = {{"A", 468, 578, 0, 0x27, 0x25},
                                       {"B", 578, 800, 0, 0x2B, 0x29},
                                       {"C", 890, 1420, 1, 0x2F, 0x2D},
                                       {"D", 1156, 1600, 1, 0x23, 0x21}};

} // namespace

Device2000::Device2000(std::unique_ptr<UsbIo> channel, std::string devicePath,
                       NotifyCallback notify, std::shared_ptr<const DeviceHost> host)
    : Device(std::move(channel), std::move(devicePath), notify, std::move(host)) {
    for (const char* name : {"id", "device_name", "software_version", "cropping_on",
                             "capture_timeout", "flush_time", "binned"})
        properties_.Set(name, "");
}

Device2000::~Device2000() {
    Channel().Close();
}

std::int32_t Device2000::Send(std::initializer_list<std::uint8_t> bytes) {
    return Channel().WriteCommand(bytes.begin(), static_cast<std::uint32_t>(bytes.size()));
}

std::int32_t Device2000::Fail(std::int32_t status, const char* message, const char* tag) {
    SetTranslatedMessage(message);
    CaptureLog.Log(tag, LastErrorText().c_str());
    return status;
}

std::int32_t Device2000::Open() {
    LogStep("Device2000::Open()::Begin");
    LogStep("Device2000::Open()::USB Open");
    if (std::int32_t status = Channel().Open(devicePath_); status != kUsbOk)
        return status;
    LogStep("Device2000::Open()::Init");
    if (!initialized_) {
        if (std::int32_t status = Init(); status != kDeviceOk)
            return status;
        initialized_ = true;
    }
    LogStep("Device2000::Open()::End");
    return kDeviceOk;
}

void Device2000::Close() {
    LogStep("Device2000::Close()::Begin");
    LogStep("Device2000::Close()::USB close");
    Channel().Close();
    LogStep("Device2000::Close()::End");
}

std::int32_t Device2000::Init() {
    LogStep("Device2000::Init()::Begin");
    LogStep("Device2000::Init()::InInit");
    LogStep("Device2000::Init()::USB Reset");
    if (std::int32_t status = Channel().Reset(); status != kUsbOk)
        return Fail(status,
                    "The usb connection to the hardware could not be reset.  Please check the "
                    "hardware connection and then retry the operation.",
                    kInitTag);
    LogStep("Device2000::Init()::SensorReset");
    if (std::int32_t status = Reset(); status != kUsbOk)
        return Fail(status,
                    "The sensor could not be reset.  Please check the hardware connection and "
                    "then retry the operation.",
                    kInitTag);
    LogStep("Device2000::Init()::Echo");
    if (std::int32_t status = Echo(false); status != kDeviceOk)
        return status;
    codec_ = std::make_unique<Codec2000>();
    if (std::int32_t status = PowerCommand(1); status != kUsbOk)
        return Fail(status,
                    "The power command could not be sent to the hardware.  Please check the "
                    "hardware connection and then retry the operation.",
                    kInitTag);
    Host().Settings().CopyInto("2000", properties_);
    ApplyDefaults();
    // The property only: the id given by the device manager is what a sensor
    // without memory finds its device file by.
    properties_.Set("sensor_id", "");
    fullResolution_ = 1;
    LogStep("Device2000::Init()::GetSettingsFrom1WireMemory");
    if (std::int32_t status = GetSettingsFrom1WireMemory(); status != kDeviceOk)
        return status;
    LogStep("Device2000::Init()::End");
    return kDeviceOk;
}

std::int32_t Device2000::Reset() {
    LogStep("Device2000::Reset()");
    return Send({0x0F});
}

std::int32_t Device2000::PowerCommand(std::uint8_t power) {
    LogStep("Device2000::PowerCommand()");
    return Send({0x08, power});
}

std::int32_t Device2000::CheckMemoryPresent(std::uint8_t& present) {
    LogStep("Device2000::CheckMemoryPresent()");
    if (std::int32_t status = Send({0x02, 0xC0}); status != kUsbOk) {
        SetTranslatedMessage("Could not send a status check message to the hardware.  Please "
                             "check the hardware connection and then retry the operation.");
        return status;
    }
    std::uint8_t reply[kReplyLength] = {};
    if (std::int32_t status = Channel().ReadReply(reply); status != kUsbOk) {
        SetTranslatedMessage("Could not read the status from the hardware.  Please check the "
                             "hardware connection and then retry the operation.");
        return status;
    }
    present = reply[0];
    return kDeviceOk;
}

std::int32_t Device2000::Echo(bool check) {
    LogStep("Device2000::CheckSensorID()::Echo");
    if (std::int32_t status = Send({0x0E, 0xAA, 0x55}); status != kUsbOk)
        return Fail(status,
                    "The hardware could not be pinged.  Please check the hardware connection "
                    "and then retry the operation.",
                    kInitTag);
    std::uint8_t reply[kReplyLength] = {};
    if (std::int32_t status = Channel().ReadReply(reply); status != kUsbOk)
        return Fail(status,
                    "The hardware's status could not be obtained.  Please check the hardware "
                    "connection and then retry the operation.",
                    kInitTag);
    if (!check)
        return kDeviceOk;
    const char* const unknownError =
        "An unknown hardware error was encountered trying to obtain the sensor ID.  Please "
        "check the hardware connection and then retry the operation.";
    if (reply[0] != 0x8E)
        return Fail(kUnknownReply,
                    "An unknown response was received from the hardware while trying to obtain "
                    "the sensor ID.  Please check the hardware connection and then retry the "
                    "operation.",
                    kCheckSensorIdTag);
    if (reply[1] != 0xAA)
        return Fail(kUnknownHardwareError, unknownError, kCheckSensorIdTag);
    if (reply[2] == 0xFF)
        return Fail(kXilinxError,
                    "A Xilinx error was received from the hardware while trying to obtain the "
                    "sensor ID.  Please check the hardware connection and then retry the "
                    "operation.",
                    kCheckSensorIdTag);
    if (reply[2] != 0x55)
        return Fail(kUnknownHardwareError, unknownError, kCheckSensorIdTag);
    return kDeviceOk;
}

std::int32_t Device2000::ReadMacID(std::uint8_t* buffer, std::size_t length) {
    LogStep("Device2000::ReadMacID()::Begin");
    std::uint8_t present = 0;
    if (std::int32_t status = CheckMemoryPresent(present); status != kDeviceOk)
        return Fail(status,
                    "Unable to access the memory on the hardware.  Please check the hardware "
                    "connection and then retry the operation.",
                    kReadMacTag);
    if (present == 1) {
        if (std::int32_t status = Send({0x06}); status != kUsbOk)
            return Fail(status,
                        "Unable to send a command to obtain the MAC ID from the hardware.  "
                        "Please check the hardware connection and then retry the operation.",
                        kReadMacTag);
        if (std::int32_t status = Channel().ReadBulk(buffer, static_cast<std::uint32_t>(length));
            status != kUsbOk)
            return Fail(status,
                        "Unable to read MAC ID from the hardware.  Please check the hardware "
                        "connection and then retry the operation.",
                        kReadMacTag);
    } else {
        std::memset(buffer, 0, length);
    }
    LogStep("Device2000::ReadMacID()::End");
    return kDeviceOk;
}

bool Device2000::MACID_HasChanged() {
    LogStep("Device2000::MACID_HasChanged()");
    std::array<std::uint8_t, kMacLength> current{};
    // A sensor that cannot be asked keeps the settings it gave last.
    if (ReadMacID(current.data(), current.size()) != kDeviceOk || current == macId_)
        return false;
    macId_ = current;
    return true;
}

std::uint8_t* Device2000::GetMemoryBuffer() {
    if (memory_.empty())
        memory_.assign(kMemorySize + 1, 0);
    return memory_.data();
}

std::int32_t Device2000::GetSensorSize() {
    if (sensorId_.empty())
        return kBadSizeClass;
    char last = static_cast<char>(std::tolower(static_cast<unsigned char>(sensorId_.back())));
    if (last < 'a' || last > 'd')
        return kBadSizeClass;
    SetSensorSize(last - 'a');
    return kDeviceOk;
}

std::int32_t Device2000::SetSensorSize(std::int32_t sizeClass) {
    if (sizeClass < 0 || sizeClass > 3)
        return kBadSizeClass;
    const SensorSize& size = kSizeClasses[sizeClass];
    sizeClass_ = sizeClass;
    pixelsPerLine_ = size.pixelsPerLine;
    linesPerFrame_ = size.lines;
    fullResolution_ = binned_ ? 0 : size.fullResolutionUnbinned;
    properties_.Set("sensor_size", size.name);
    properties_.Set("micron_resX", "22.5");
    properties_.Set("micron_resY", "22.5");
    return Send({0x02, binned_ ? size.binnedCode : size.unbinnedCode});
}

std::int32_t Device2000::ProcessingFamily() {
    if (sensorId_.size() <= 2)
        return 0;
    char c = sensorId_[sensorId_.size() - 2];
    return c == 'x' || c == 'X' ? 2 : 0;
}

std::int32_t Device2000::Identify(char* buffer) {
    std::memset(buffer, 0, kIdentifyBufferSize);
    if (std::int32_t status = Channel().Open(devicePath_); status != kUsbOk)
        return status;
    std::uint8_t present = 0;
    std::int32_t status = Channel().Reset();
    if (status == kUsbOk)
        status = Reset();
    if (status == kUsbOk)
        status = Echo(false);
    if (status == kDeviceOk)
        status = CheckMemoryPresent(present);
    if (status == kDeviceOk && present != 1)
        status = CheckMemoryPresent(present);
    if (status == kDeviceOk && present == 1) {
        std::int32_t found = ParseDefectDataAddress();
        if (found < 0)
            status = found;
        else
            std::strncpy(buffer, memorySensorId_.c_str(), kIdentifyBufferSize - 1);
    }
    Channel().Close();
    return status;
}
