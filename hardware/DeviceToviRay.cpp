#include "hardware/DeviceToviRay.h"

#include <cctype>
#include <cstring>

#include "hardware/DeviceLog.h"
#include "hardware/DeviceStatus.h"
#include "hardware/FrameCorrection.h"
#include "hardware/SensorSettings.h"
#include "hardware/ToviRayRecords.h"
#include "support/LastError.h"
#include "support/LogChannels.h"
#include "support/TextCase.h"

namespace {

const char* const kToviRayImageTag = "DeviceVXR303::DoGetImage()::%s";
const char* const kMemoryTag = "DeviceVXR303::GetSettingsFrom1WireMemory()::%s";
const char* const kNoMemory = "Unable to load the ToviRay memory from the sensor";
const char* const kNoRecords = "The ToviRay memory holds no correction data.  Please check the "
                               "hardware connection and then retry the operation.";
const char* const kBadRecords = "The ToviRay memory holds malformed correction data.  Please "
                                "check the hardware connection and then retry the operation.";
const char* const kBadSize = "Unable to determine the size of the sensor attached to the "
                             "hardware.  Please check the hardware connection and then retry "
                             "the operation.";
const char* const kFpnMismatch = "The sensor's correction data does not fit its image.  Please "
                                 "check the hardware connection and then retry the operation.";
constexpr std::uint32_t kIdAddress = 16;
constexpr std::size_t kIdLength = 16;
const char* const kNoIdRead = "TOVIRAY";

struct ToviRaySize {
    const char* name;
    std::uint32_t pixelsPerLine, lines;
    std::int32_t storedClass;
    std::uint8_t code;
};
constexpr ToviRaySize kToviRaySizes[] = {{"C", 616, 944, 2, 0x25}, {"D", 798, 1070, 3, 0x29}};

bool IsLetterOrDigit(std::uint8_t c) {
    return std::isalnum(c) != 0 && c < 0x80;
}

bool Ignored(const std::string& name) {
    const std::string lower = ToLowerText(name);
    return lower == "binned" || lower == "sensor_id" || lower == "hw_correction_data";
}

} // namespace

std::string DeviceTOVIRAY::GetProperty(const std::string& name) {
    const std::string lower = ToLowerText(name);
    if (lower == "sensor_id")
        return sensorId_;
    if (lower == "hw_correction_data")
        return "true";
    return Device2000::GetProperty(name);
}

std::int32_t DeviceTOVIRAY::SetProperty(const std::string& name, const std::string& value) {
    if (Ignored(name))
        return kDeviceOk;
    return Device2000::SetProperty(name, value);
}

std::uint8_t* DeviceTOVIRAY::GetMemoryBuffer() {
    // One zero byte behind the memory, so that every text in it ends.
    if (toviRayMemory_.empty())
        toviRayMemory_.assign(kToviRayMemorySize + 1, 0);
    return toviRayMemory_.data();
}

std::int32_t DeviceTOVIRAY::CheckMemoryPresent(std::uint8_t& present) {
    present = 1;
    return kDeviceOk;
}

void DeviceTOVIRAY::ApplyToviRayDefaults() {
    Device2000::SetProperty("sensitivity", "7");
    Device2000::SetProperty("threshold", "160");
    Device2000::SetProperty("integration_time", "350");
    Device2000::SetProperty("device_name", "ToviRay II");
    Device2000::SetProperty("software_version", "1.03.03");
    Device2000::SetProperty("cropping_on", "true");
    Device2000::SetProperty("corner_fill", "false");
    Device2000::SetProperty("corner_color", "0");
    SetDefaultProperty("capture_timeout", "600000");
    SetDefaultProperty("flush_time", "2000");
    properties_.Set("micron_resX", "33");
    properties_.Set("micron_resY", "33");
}

// No echo, no power command and no codec: the codecs come from the memory.
std::int32_t DeviceTOVIRAY::Init() {
    LogStep("DeviceVXR303::Init()::Begin");
    LogStep("DeviceVXR303::Init()::In Init");
    LogStep("DeviceVXR303::Init()::USB reset");
    if (std::int32_t status = Channel().Reset(); status != kUsbOk)
        return status;
    if (std::int32_t status = Reset(); status != kUsbOk)
        return status;
    Host().Settings().CopyInto("TOVIRAY", properties_);
    ApplyToviRayDefaults();
    LogStep("DeviceVXR303::Init()::GetSettingsFrom1WireMemory");
    if (std::int32_t status = GetSettingsFrom1WireMemory(); status != kDeviceOk)
        return status;
    fullResolution_ = 1;
    properties_.Set("hw_correction_data", "true");
    sensorId_ = properties_.Get("sensor_id");
    LogStep("DeviceVXR303::Init()::End");
    return kDeviceOk;
}

std::int32_t DeviceTOVIRAY::ReadMemory(std::uint32_t address, std::uint32_t length,
                                       std::uint8_t* into) {
    if (std::int32_t status =
            Send({0x0B, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length),
                  static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)});
        status != kUsbOk)
        return status;
    return Channel().ReadBulk(into, length);
}

// The id at address 16: letters and digits, at most 16; "TOVIRAY" when empty.
std::int32_t DeviceTOVIRAY::ParseDefectDataAddress() {
    ForgetMemoryContents();
    std::uint8_t* memory = GetMemoryBuffer();
    std::memset(memory, 0, kIdLength + 1);
    if (std::int32_t status = ReadMemory(kIdAddress, kIdLength, memory); status != kUsbOk) {
        std::memset(memory, 0, kIdLength + 1);
        return status;
    }
    std::size_t length = 0;
    while (length < kIdLength && IsLetterOrDigit(memory[length]))
        ++length;
    memory[length] = 0;
    memorySensorId_ = length == 0 ? kNoIdRead : reinterpret_cast<const char*>(memory);
    return kDeviceOk;
}

std::int32_t DeviceTOVIRAY::SetSensorSize(std::int32_t sizeClass) {
    if (sizeClass < 0 || sizeClass > 1)
        return kBadSizeClass;
    const ToviRaySize& size = kToviRaySizes[sizeClass];
    sizeClass_ = size.storedClass;
    pixelsPerLine_ = size.pixelsPerLine;
    linesPerFrame_ = size.lines;
    fullResolution_ = 1;
    properties_.Set("sensor_size", size.name);
    return Send({0x02, size.code});
}

// The id's last letter: "c" or "d".
std::int32_t DeviceTOVIRAY::SelectSize() {
    const char last =
        sensorId_.empty()
            ? '\0'
            : static_cast<char>(std::tolower(static_cast<unsigned char>(sensorId_.back())));
    if (last != 'c' && last != 'd')
        return kBadSizeClass;
    return SetSensorSize(last == 'c' ? 0 : 1);
}

std::int32_t DeviceTOVIRAY::GetSettingsFrom1WireMemory() {
    LogStep("DeviceVXR303::GetSettingsFrom1WireMemory()");
    ParseDefectDataAddress(); // a failed read leaves the id empty
    sensorId_ = memorySensorId_;
    properties_.Set("sensor_id", sensorId_);
    if (sensorId_ == kNoIdRead)
        return Fail(kNoSensorId, kNoMemory, kMemoryTag);
    if (std::int32_t status = Reset(); status != kUsbOk)
        return Fail(status, kNoMemory, kMemoryTag);
    if (std::int32_t status = SelectSize(); status != kDeviceOk)
        return Fail(sensorId_.empty() ? kBadSizeClass : status,
                    sensorId_.empty() ? kNoMemory : kBadSize, kMemoryTag);
    std::uint8_t* area = GetMemoryBuffer() + kRecordAreaOffset;
    if (std::int32_t status = ReadMemory(kRecordAreaOffset, kRecordAreaSize, area);
        status != kUsbOk)
        return Fail(status, kNoMemory, kMemoryTag);
    defectOffset_ = kRecordAreaOffset;
    defectLength_ = kRecordAreaSize;
    if (std::int32_t status = LoadRecords(); status != kDeviceOk)
        return status;
    scaling_ = ReadScalingBlock(area + kRecordAreaSize - kScalingBlockLength);
    return kDeviceOk;
}

// A codec per record: selector 0 corrects the defects, selector 1 holds the
// FPN entries. Both are replaced at every read of the memory.
std::int32_t DeviceTOVIRAY::LoadRecords() {
    codec_.reset();
    fpnCodec_.reset();
    std::vector<ToviRayRecord> records;
    const std::uint8_t* area = GetMemoryBuffer() + kRecordAreaOffset;
    if (ParseToviRayRecords(area, kRecordAreaSize, records) != kResultOk)
        return Fail(kResultUnexpected, kBadRecords, kMemoryTag);
    if (records.empty())
        return Fail(kDefectDataTooLong, kNoRecords, kMemoryTag);
    for (const ToviRayRecord& record : records) {
        auto codec = std::make_unique<CodecTOVIRAY>();
        if (std::int32_t status = codec->ParsePackedDefects(record.payload, record.length, 0, 0);
            status != kResultOk)
            return Fail(status, kBadRecords, kMemoryTag);
        if (record.selector == 0)
            codec_ = std::move(codec);
        else if (record.selector == 1)
            fpnCodec_ = std::move(codec);
    }
    return kDeviceOk;
}

std::int32_t DeviceTOVIRAY::DoGetImage(std::int32_t type, double,
                                       std::unique_ptr<RawFrame>& frame) {
    LogStep("DeviceVXR303::DoGetImage()");
    if (type < 1 || type > 5)
        return kUnknownImageType;
    std::unique_ptr<RawFrame> result;
    if (std::int32_t status = BuildToviRayImage(type, result); status != kDeviceOk)
        return status;
    FinishImage(result);
    frame = std::move(result);
    if (Host().SaveRawDump())
        SaveDump(*frame);
    return kDeviceOk;
}

std::int32_t DeviceTOVIRAY::BuildToviRayImage(std::int32_t type, std::unique_ptr<RawFrame>& frame) {
    if (const char* missing = MissingFrame(type))
        return Fail(kUnknownImageType, missing, kToviRayImageTag);
    if (type >= 4)
        return CorrectedImage(frame);
    frame = (type == 2 ? darkFrame_ : exposedFrame_).Clone();
    if (!frame)
        return Fail(kUnknownImageType, "Out of memory", kToviRayImageTag);
    if (type == 3 && !SubtractDark(*frame, darkFrame_))
        return Fail(kUnknownImageType, kFpnMismatch, kToviRayImageTag);
    return kDeviceOk;
}

// The FPN correction (without FPN records, the exposed frame as it is), then
// the defect repair; ToviRay frames are never read binned.
std::int32_t DeviceTOVIRAY::CorrectedImage(std::unique_ptr<RawFrame>& frame) {
    if (fpnCodec_)
        frame = CorrectFixedPatternNoise(exposedFrame_, darkFrame_, fpnCodec_->FpnEntries(),
                                         scaling_, sizeClass_);
    else
        frame = exposedFrame_.Clone();
    if (!frame)
        return Fail(kUnknownImageType, kFpnMismatch, kToviRayImageTag);
    if (codec_)
        codec_->CorrectFrame(*frame, false);
    return kDeviceOk;
}
