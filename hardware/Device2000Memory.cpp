#include <cstring>

#include "hardware/Device2000.h"
#include "hardware/DeviceLog.h"
#include "hardware/DeviceStatus.h"
#include "support/BufferedFile.h"
#include "support/FileHelpers.h"
#include "support/LastError.h"
#include "support/LogChannels.h"
#include "support/Translation.h"

namespace {

constexpr std::size_t kSlotSize = 32;
constexpr std::size_t kScanEnd = 7200;
const char* const kSettingsTag = "Device2000::GetSettingsFrom1WireMemory()::%s";
const char* const kMemoryReadFailed = "Could not read from the memory on the hardware.  Please "
                                      "check the hardware connection and then retry the "
                                      "operation.";

bool IsLetterOrDigit(std::uint8_t c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool StartsWith(const std::uint8_t* slot, const char* tag) {
    return std::memcmp(slot, tag, 4) == 0;
}

} // namespace

void Device2000::ForgetMemoryContents() {
    memorySensorId_.clear();
    defectOffset_ = 0;
    defectLength_ = 0;
}

// The memory is a run of 32-byte slots: "XCCD..." holds the sensor id,
// "newd" a 16-bit length and the defect text, four 0xFF bytes end the map.
std::int32_t Device2000::ParseDefectDataAddress() {
    std::uint8_t* memory = GetMemoryBuffer();
    std::memset(memory, 0, kMemorySize + 1);
    if (std::int32_t status = Send({0x0C, 0x20, 0x00, 0x00, 0x00}); status != kUsbOk)
        return status;
    if (std::int32_t status = Channel().ReadBulk(memory, kMemorySize); status != kUsbOk)
        return status;
    LogStep("Device2000::ParseDefectDataAddress()::Begin");
    ForgetMemoryContents();
    for (std::size_t slot = kSlotSize; slot < kScanEnd; slot += kSlotSize) {
        const std::uint8_t* at = memory + slot;
        if (at[0] == 0xFF && at[1] == 0xFF && at[2] == 0xFF && at[3] == 0xFF)
            break;
        if (StartsWith(at, "newd")) {
            std::size_t length = at[4] | (std::size_t{at[5]} << 8);
            std::size_t start = slot + 6;
            if (start + length >= kMemorySize)
                return kDefectDataTooLong;
            memory[start + length] = 0;
            defectOffset_ = start;
            defectLength_ = length;
        } else if (StartsWith(at, "XCCD")) {
            // The byte behind the memory is always zero, so the run ends in the buffer.
            std::size_t end = slot;
            while (IsLetterOrDigit(memory[end]))
                ++end;
            memory[end] = 0;
            memorySensorId_.assign(reinterpret_cast<const char*>(at), end - slot);
        }
    }
    LogStep("Device2000::ParseDefectDataAddress()::End");
    return memorySensorId_.empty() ? 0 : 1;
}

std::int32_t Device2000::GetSettingsFrom1WireMemory() {
    LogStep("Device2000::GetSettingsFrom1WireMemory()::Begin");
    LogStep("Device2000::GetSettingsFrom1WireMemory()::CheckMemoryPresent");
    std::uint8_t present = 0;
    if (std::int32_t status = CheckMemoryPresent(present); status != kDeviceOk)
        return Fail(status, kMemoryReadFailed, kSettingsTag);
    if (present != 1) {
        LogStep("Device2000::GetSettingsFrom1WireMemory()::CheckMemoryPresent");
        if (std::int32_t status = CheckMemoryPresent(present); status != kDeviceOk)
            return Fail(status, kMemoryReadFailed, kSettingsTag);
    }
    if (present != 1) {
        SetProperty("hw_correction_data", "false");
        if (sensorId_.empty())
            return kNoSensorId;
        if (std::int32_t status = GetSensorSize(); status != kDeviceOk)
            return status;
        if (std::int32_t status = LoadDeviceFile(); status != kDeviceOk)
            return status;
        LogStep("Device2000::GetSettingsFrom1WireMemory()::ReadDefectDataParams");
        ReadDefectDataParams();
        return kDeviceOk;
    }
    LogStep("Device2000::GetSettingsFrom1WireMemory()::CheckSensorID");
    LogStep("Device2000::CheckSensorID()::Begin");
    if (std::int32_t status = Echo(true); status != kDeviceOk)
        return Fail(status,
                    "Could not obtain the sensor ID from the hardware.  Please check the "
                    "hardware connection and then retry the operation.",
                    kCheckSensorIdTag);
    LogStep("Device2000::CheckSensorID()::ReadSensorMemory");
    if (std::int32_t status = ParseDefectDataAddress(); status < 0)
        return Fail(status,
                    "Unable to read the sensor ID from the hardware.  Please check the hardware "
                    "connection and then retry the operation.",
                    kCheckSensorIdTag);
    sensorId_ = memorySensorId_;
    SetProperty("hw_correction_data", "true");
    LogStep("Device2000::CheckSensorID()::SensorReset");
    if (std::int32_t status = Reset(); status != kUsbOk)
        return Fail(status,
                    "Unable to reset the sensor on the hardware.  Please check the hardware "
                    "connection and then retry the operation.",
                    kCheckSensorIdTag);
    LogStep("Device2000::CheckSensorID()::GetSensorSize");
    if (std::int32_t status = GetSensorSize(); status != kDeviceOk)
        return Fail(status,
                    "Unable to determine the size of the sensor attached to the hardware.  "
                    "Please check the hardware connection and then retry the operation.",
                    kCheckSensorIdTag);
    LogStep("Device2000::CheckSensorID()::End");
    LogStep("Device2000::GetSettingsFrom1WireMemory()::ReadMacID");
    ReadMacID(macId_.data(), macId_.size());
    LogStep("Device2000::GetSettingsFrom1WireMemory()::End");
    LogStep("Device2000::GetSettingsFrom1WireMemory()::ReadDefectDataParams");
    ReadDefectDataParams();
    return kDeviceOk;
}

// The codec forgets the flaws it had: they may be another sensor's.
void Device2000::ReadDefectDataParams() {
    if (!codec_)
        return;
    codec_->Clear();
    if (defectLength_ == 0)
        return;
    codec_->ParseDefectText(reinterpret_cast<const char*>(&memory_[defectOffset_]), pixelsPerLine_,
                            linesPerFrame_);
}

// "<data>\Devices\<sensor id>.tovi", else ".fix", read whole into the memory buffer.
std::int32_t Device2000::LoadDeviceFile() {
    if (sensorId_.find_first_of("\\/:") != std::string::npos)
        return kNoSensorId;
    std::string stem = Host().DataDirectory() + "\\Devices\\" + sensorId_;
    std::string path = stem + ".tovi";
    if (!ksp::FileExists(path))
        path = stem + ".fix";
    CKSPBufferedFile file(51200);
    if (!file.OpenRead(path))
        return kNoSensorId;
    std::uint32_t size = ksp::GetFileSize(path);
    if (size > kMemorySize) {
        SetTranslatedError("The device file '%s' is larger than the sensor memory.", path.c_str());
        CaptureLog.Log(kSettingsTag, LastErrorText().c_str());
        return kNoSensorId;
    }
    std::uint8_t* memory = GetMemoryBuffer();
    std::memset(memory, 0, kMemorySize + 1);
    ForgetMemoryContents();
    int read = file.ReadBytes(memory, static_cast<int>(size));
    if (read < 0)
        return kNoSensorId;
    defectLength_ = static_cast<std::size_t>(read);
    return kDeviceOk;
}
