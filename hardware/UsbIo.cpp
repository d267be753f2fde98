#include "hardware/UsbIo.h"

#include <cstring>
#include <vector>

#include "support/ByteFields.h"

namespace {

std::int32_t RequestStatus(bool succeeded) {
    return succeeded ? kUsbOk : kUsbRequestFailed;
}

} // namespace

UsbIo::~UsbIo() {
    // Not the virtual Close: the derived part is gone by now.
    UsbIo::Close();
}

std::int32_t UsbIo::Open(const std::string& devicePath) {
    if (handle_ != 0)
        Close();
    handle_ = Driver().Open(devicePath);
    return handle_ == 0 ? kUsbOpenFailed : kUsbOk;
}

void UsbIo::Close() {
    if (handle_ != 0)
        Driver().Close(handle_);
    handle_ = 0;
}

std::int32_t EzUsbIo::Reset() {
    return RequestStatus(Driver().Control(handle_, kEzUsbResetRequest, nullptr, 0, nullptr, 0));
}

std::int32_t EzUsbIo::Read(std::uint32_t pipe, void* buffer, std::uint32_t length) {
    if (handle_ == 0)
        return kUsbNotOpen;
    if (length == 0)
        return kUsbOk;
    if (pipe != kReplyPipe && pipe != kImagePipe)
        return kUsbBadPipe;
    return Transfer(pipe, buffer, length);
}

std::int32_t EzUsbIo::Write(std::uint32_t pipe, const void* buffer, std::uint32_t length) {
    if (handle_ == 0)
        return kUsbNotOpen;
    if (pipe != kCommandPipe && pipe != kBulkOutPipe)
        return kUsbBadPipe;
    if (length == 0)
        return kUsbOk;
    // The driver takes the direction from the pipe; the data always travels as the output.
    return Transfer(pipe, const_cast<void*>(buffer), length);
}

std::int32_t EzUsbIo::Transfer(std::uint32_t pipe, void* buffer, std::uint32_t length) {
    std::uint8_t pipeNumber[4];
    StoreLittleEndian<std::uint32_t>(pipeNumber, pipe);
    return RequestStatus(Driver().Control(handle_, kEzUsbTransferRequest, pipeNumber,
                                          sizeof pipeNumber, buffer, length));
}

std::int32_t CyUsbIo::Reset() {
    if (handle_ == 0)
        return kUsbNotOpen;
    return RequestStatus(Driver().Control(handle_, kCyUsbResetRequest, nullptr, 0, nullptr, 0));
}

std::int32_t CyUsbIo::Read(std::uint32_t pipe, void* buffer, std::uint32_t length) {
    if (handle_ == 0)
        return kUsbNotOpen;
    if (pipe != kReplyPipe && pipe != kImagePipe)
        return kUsbBadPipe;
    return Transfer(pipe == kReplyPipe ? 0x81 : 0x86, nullptr, buffer, length);
}

std::int32_t CyUsbIo::Write(std::uint32_t pipe, const void* buffer, std::uint32_t length) {
    if (handle_ == 0)
        return kUsbNotOpen;
    if (pipe != kCommandPipe && pipe != kBulkOutPipe)
        return kUsbBadPipe;
    return Transfer(pipe == kCommandPipe ? 0x01 : 0x02, buffer, nullptr, length);
}

// The 38-byte header (setup packet, endpoint, statuses, buffer offset and
// length), then the data; the same record goes in and comes back.
std::int32_t CyUsbIo::Transfer(std::uint8_t endpoint, const void* data, void* received,
                               std::uint32_t length) {
    std::vector<std::uint8_t> record(std::size_t{kCyUsbHeaderLength} + length, 0);
    record[13] = endpoint;
    StoreLittleEndian<std::uint32_t>(&record[30], kCyUsbHeaderLength);
    StoreLittleEndian<std::uint32_t>(&record[34], length);
    if (data != nullptr && length != 0)
        std::memcpy(&record[kCyUsbHeaderLength], data, length);
    auto recordLength = static_cast<std::uint32_t>(record.size());
    bool succeeded = Driver().Control(handle_, kCyUsbTransferRequest, record.data(), recordLength,
                                      record.data(), recordLength);
    if (succeeded && received != nullptr && length != 0)
        std::memcpy(received, &record[kCyUsbHeaderLength], length);
    return RequestStatus(succeeded);
}

DriverVersion GetDriverVersion(const std::string& driverKey) {
    return GetDriverVersion(*platform::CurrentUsbDriver(), driverKey);
}

DriverVersion GetDriverVersion(platform::UsbDriver& driver, const std::string& driverKey) {
    DriverVersion version;
    std::optional<std::string> fileName = driver.DriverFileName(driverKey);
    if (!fileName)
        return version;
    std::string path = driver.WindowsDirectory() + "\\System32\\Drivers\\" + *fileName;
    std::unique_ptr<platform::VersionResource> resource = driver.LoadFileVersion(path);
    if (!resource)
        return version;
    // VS_FIXEDFILEINFO: the product version's two double words at offsets 16 and 20.
    std::vector<std::uint8_t> fixed = resource->QueryBytes("\\");
    if (fixed.size() < 24)
        return version;
    std::uint32_t mostSignificant = LoadLittleEndian<std::uint32_t>(&fixed[16]);
    std::uint32_t leastSignificant = LoadLittleEndian<std::uint32_t>(&fixed[20]);
    version.parts = {static_cast<std::uint16_t>(mostSignificant >> 16),
                     static_cast<std::uint16_t>(mostSignificant),
                     static_cast<std::uint16_t>(leastSignificant >> 16),
                     static_cast<std::uint16_t>(leastSignificant)};
    return version;
}

std::unique_ptr<UsbIo> CreateUsbIo(std::uint32_t productId, const std::string& driverKey) {
    if (productId != 0x2000 && productId != 0x1005)
        return nullptr;
    std::shared_ptr<platform::UsbDriver> driver = platform::CurrentUsbDriver();
    if (driver->IsWow64())
        return std::make_unique<CyUsbIo>(driver);
    switch (GetDriverVersion(*driver, driverKey).Major()) {
    case 1:
        return std::make_unique<EzUsbIo>(driver);
    case 3:
        return std::make_unique<CyUsbIo>(driver);
    default:
        return nullptr;
    }
}
