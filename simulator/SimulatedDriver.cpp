#include "simulator/SimulatedDriver.h"

#include <cstring>
#include <stdexcept>

#include "platform/Clock.h"
#include "simulator/Protocol.h"
#include "support/ByteFields.h"
#include "support/TextCase.h"
#include "support/TextFormat.h"

namespace simulator {

namespace {

using namespace protocol;

// A driver file's version resource: only the fixed file information.
class FixedVersion : public platform::VersionResource {
public:
    FixedVersion(std::uint16_t major, std::uint16_t minor) : fixed_(52, 0) {
        StoreLittleEndian<std::uint32_t>(&fixed_[0], 0xFEEF04BD);
        StoreLittleEndian<std::uint32_t>(&fixed_[4], 0x00010000);
        std::uint32_t version = (std::uint32_t{major} << 16) | minor;
        StoreLittleEndian<std::uint32_t>(&fixed_[8], version);
        StoreLittleEndian<std::uint32_t>(&fixed_[16], version);
    }
    std::optional<std::string> QueryText(const std::string&) const override { return std::nullopt; }
    std::vector<std::uint8_t> QueryBytes(const std::string& subBlock) const override {
        return subBlock == "\\" ? fixed_ : std::vector<std::uint8_t>();
    }

private:
    std::vector<std::uint8_t> fixed_;
};

const Pipe* PipeByIndex(std::uint32_t index) {
    for (const Pipe& pipe : kPipes)
        if (pipe.index == index)
            return &pipe;
    return nullptr;
}

const Pipe* PipeByEndpoint(std::uint8_t endpoint) {
    for (const Pipe& pipe : kPipes)
        if (pipe.endpoint == endpoint)
            return &pipe;
    return nullptr;
}

UsbPresence PresenceOn(DriverFamily family) {
    UsbPresence presence;
    presence.family = family;
    return presence;
}

} // namespace

std::string SimulatedDriver::Attach(Sensor2000Config config, DriverFamily family) {
    return Attach(std::move(config), PresenceOn(family));
}

std::string SimulatedDriver::Attach(Sensor2000Config config, UsbPresence presence) {
    return Attach(std::make_unique<Sensor2000>(std::move(config)), kProduct2000,
                  std::move(presence));
}

std::string SimulatedDriver::AttachToviRay(SensorToviRayConfig config, DriverFamily family) {
    return AttachToviRay(std::move(config), PresenceOn(family));
}

std::string SimulatedDriver::AttachToviRay(SensorToviRayConfig config, UsbPresence presence) {
    return Attach(std::make_unique<SensorToviRay>(std::move(config)), kProductToviRay,
                  std::move(presence));
}

std::string SimulatedDriver::AttachForeign(UsbPresence presence) {
    return Attach(nullptr, 0, std::move(presence));
}

// Paths and instance ids as the system forms them: the interface path in lower
// case behind a four-character prefix, the instance id in upper case.
std::string SimulatedDriver::Attach(std::unique_ptr<SensorFirmware> sensor, std::uint16_t productId,
                                    UsbPresence presence) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto index = static_cast<unsigned>(devices_.size() + 1);
    Attached device;
    device.productId = presence.productId.value_or(productId);
    std::string serial = presence.serial.empty() ? std::to_string(index) : presence.serial;
    device.path = ToLowerText(FormatText("\\\\?\\usb#vid_%04x&pid_%04x#%s#%s", presence.vendorId,
                                         device.productId, serial.c_str(), kUsbInterfaceClass));
    device.instanceId = ToUpperText(FormatText("USB\\VID_%04X&PID_%04X\\%s", presence.vendorId,
                                               device.productId, serial.c_str()));
    device.driverKey = FormatText("{36fc9e60-c465-11cf-8056-444553540000}\\%04u", index);
    device.sensor = std::move(sensor);
    device.arrived = !presence.arrivalTime;
    if (!presence.driverInstalled)
        SetDriverVersion(device.driverKey, "", 0, 0);
    else if (presence.family == DriverFamily::EzUsb)
        SetDriverVersion(device.driverKey, "ezusb.sys", 1, 2);
    else
        SetDriverVersion(device.driverKey, "cyusb.sys", 3, 4);
    device.presence = std::move(presence);
    devices_.push_back(std::move(device));
    if (devices_.back().arrived)
        Arrive(devices_.back());
    PollDue();
    return devices_.back().path;
}

// A sensor plugged back in gets its old path: the newest device of the path.
SimulatedDriver::Attached* SimulatedDriver::Find(const std::string& path) {
    for (auto device = devices_.rbegin(); device != devices_.rend(); ++device)
        if (EqualsIgnoringCase(device->path, path))
            return &*device;
    return nullptr;
}

SimulatedDriver::Attached& SimulatedDriver::Existing(const std::string& path) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Attached* device = Find(path);
    if (device == nullptr || !device->sensor)
        throw std::invalid_argument("no simulated sensor at " + path);
    return *device;
}

SensorFirmware& SimulatedDriver::FirmwareAt(const std::string& path) {
    return *Existing(path).sensor;
}

Sensor2000& SimulatedDriver::SensorAt(const std::string& path) {
    return dynamic_cast<Sensor2000&>(FirmwareAt(path));
}

SensorToviRay& SimulatedDriver::ToviRayAt(const std::string& path) {
    return dynamic_cast<SensorToviRay&>(FirmwareAt(path));
}

std::string SimulatedDriver::InstanceIdAt(const std::string& path) {
    return Existing(path).instanceId;
}

void SimulatedDriver::Unplug(const std::string& path) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Attached* device = Find(path))
        Remove(*device);
}

void SimulatedDriver::InjectFault(std::uint32_t requestNumber, Fault fault) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    faults_[requestNumber] = fault;
}

void SimulatedDriver::SetDriverVersion(const std::string& driverKey, std::string fileName,
                                       std::uint16_t major, std::uint16_t minor) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    driverFiles_[ToLowerText(driverKey)] = {std::move(fileName), major, minor};
}

platform::DriverHandle SimulatedDriver::Open(const std::string& path) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    PollDue();
    Attached* device = Find(path);
    if (device == nullptr || !device->sensor || !device->arrived || !device->plugged)
        return 0;
    platform::DriverHandle handle = nextHandle_++;
    handles_[handle] = device->path;
    return handle;
}

void SimulatedDriver::Close(platform::DriverHandle handle) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    handles_.erase(handle);
}

bool SimulatedDriver::Control(platform::DriverHandle handle, std::uint32_t code, const void* input,
                              std::uint32_t inputLength, void* output, std::uint32_t outputLength) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    PollDue();
    DriverRequest record;
    record.number = ++requestCount_;
    record.code = code;
    const auto* in = static_cast<const std::uint8_t*>(input);
    if (in != nullptr)
        record.input.assign(in, in + inputLength);
    record.outputLength = outputLength;
    auto open = handles_.find(handle);
    Attached* device = open == handles_.end() ? nullptr : Find(open->second);
    std::optional<Fault> fault = FaultFor(device, record.number);
    if (device != nullptr && fault == Fault::Unplug)
        Remove(*device);
    if (device != nullptr && device->plugged) {
        record.succeeded = Serve(*device, code, in, inputLength, static_cast<std::uint8_t*>(output),
                                 outputLength, record, fault);
        NoteArming(*device, record);
    }
    requests_.push_back(std::move(record));
    return requests_.back().succeeded;
}

// A fault injected at the driver's request number, else the device's own failing request.
std::optional<Fault> SimulatedDriver::FaultFor(Attached* device, std::uint32_t requestNumber) {
    if (auto at = faults_.find(requestNumber); at != faults_.end())
        return at->second;
    if (device != nullptr && ++device->requests == device->presence.failingRequest)
        return Fault::Fail;
    return std::nullopt;
}

// The first arming command starts the time to a planned removal.
void SimulatedDriver::NoteArming(Attached& device, const DriverRequest& record) {
    bool arming =
        record.succeeded && record.pipe == static_cast<std::int32_t>(kCommandPipe.index) &&
        record.data.size() == 3 && record.data[0] == kSubCommand && record.data[1] == kArmDetection;
    if (arming && !device.armedAt)
        device.armedAt = platform::CurrentClock().Milliseconds();
}

bool SimulatedDriver::Serve(Attached& device, std::uint32_t code, const std::uint8_t* input,
                            std::uint32_t inputLength, std::uint8_t* output,
                            std::uint32_t outputLength, DriverRequest& record,
                            std::optional<Fault> fault) {
    bool reset = device.presence.family == DriverFamily::EzUsb ? code == kEzUsbResetRequest
                                                               : code == kCyUsbResetRequest;
    if (reset) {
        if (inputLength != 0 || outputLength != 0 || fault == Fault::Fail)
            return false;
        device.sensor->ResetConnection();
        return true;
    }
    std::optional<Transfer> transfer =
        DecodeTransfer(device.presence.family, code, input, inputLength, output, outputLength);
    if (!transfer)
        return false;
    record.pipe = static_cast<std::int32_t>(transfer->pipe->index);
    if (!transfer->pipe->in)
        record.data.assign(transfer->data, transfer->data + transfer->length);
    return Exchange(*device.sensor, *transfer, fault);
}

// EZ-USB: the pipe as 4 input bytes, the data as the output buffer. CyUSB: one
// record of the 38-byte header and the data, sent in and out.
std::optional<SimulatedDriver::Transfer>
SimulatedDriver::DecodeTransfer(DriverFamily family, std::uint32_t code, const std::uint8_t* input,
                                std::uint32_t inputLength, std::uint8_t* output,
                                std::uint32_t outputLength) {
    if (family == DriverFamily::EzUsb) {
        if (code != kEzUsbTransferRequest || inputLength != 4 || input == nullptr ||
            output == nullptr || outputLength == 0)
            return std::nullopt;
        const Pipe* pipe = PipeByIndex(LoadLittleEndian<std::uint32_t>(input));
        if (pipe == nullptr)
            return std::nullopt;
        return Transfer{pipe, output, outputLength};
    }
    if (code != kCyUsbTransferRequest || input == nullptr || output == nullptr ||
        inputLength < kCyUsbHeaderLength || outputLength != inputLength || input != output)
        return std::nullopt;
    const Pipe* pipe = PipeByEndpoint(input[kCyUsbEndpointOffset]);
    if (pipe == nullptr ||
        LoadLittleEndian<std::uint32_t>(&input[kCyUsbBufferOffsetField]) != kCyUsbHeaderLength ||
        LoadLittleEndian<std::uint32_t>(&input[kCyUsbBufferLengthField]) !=
            inputLength - kCyUsbHeaderLength)
        return std::nullopt;
    for (std::uint32_t i = 0; i < kCyUsbEndpointOffset; ++i)
        if (input[i] != 0)
            return std::nullopt;
    return Transfer{pipe, output + kCyUsbHeaderLength, inputLength - kCyUsbHeaderLength};
}

bool SimulatedDriver::Exchange(SensorFirmware& sensor, const Transfer& transfer,
                               std::optional<Fault> fault) {
    // A failed write never reaches the sensor; a failed read loses what the sensor sent.
    if (!transfer.pipe->in) {
        if (transfer.pipe->index == kCommandPipe.index && fault != Fault::Fail)
            sensor.Command(transfer.data, transfer.length);
        return fault != Fault::Fail;
    }
    std::vector<std::uint8_t> received(transfer.length);
    bool delivered = false;
    if (transfer.pipe->index == kReplyPipe.index)
        delivered = transfer.length == kReplyLength && sensor.Reply(received.data());
    else
        delivered = transfer.length == 0 || sensor.Bulk(received.data(), transfer.length);
    if (!delivered || fault == Fault::Fail)
        return false;
    if (fault == Fault::Foreign)
        for (std::size_t i = 0; i < received.size(); ++i)
            received[i] = static_cast<std::uint8_t>(0x82 + 31 * i);
    std::size_t count =
        fault == Fault::Short ? std::min<std::size_t>(1, received.size()) : received.size();
    if (count != 0)
        std::memcpy(transfer.data, received.data(), count);
    return true;
}

std::optional<std::string> SimulatedDriver::DriverFileName(const std::string& driverKey) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto at = driverFiles_.find(ToLowerText(driverKey));
    if (at == driverFiles_.end() || at->second.name.empty())
        return std::nullopt;
    return at->second.name;
}

std::unique_ptr<platform::VersionResource>
SimulatedDriver::LoadFileVersion(const std::string& path) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    for (const auto& [key, file] : driverFiles_) {
        std::string expected = WindowsDirectory() + "\\System32\\Drivers\\" + file.name;
        if (!file.name.empty() && EqualsIgnoringCase(path, expected))
            return std::make_unique<FixedVersion>(file.major, file.minor);
    }
    return nullptr;
}

} // namespace simulator
