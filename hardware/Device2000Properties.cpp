#include <cmath>

#include "hardware/Device2000.h"
#include "hardware/DeviceStatus.h"
#include "hardware/PropertyValues.h"
#include "support/TextCase.h"
#include "support/Translation.h"

namespace {

// A value accepted only within [low, high]; the message takes the parsed number.
struct RangeRule {
    const char* name;
    std::int32_t low, high;
    const char* message;
};
constexpr RangeRule kRangeRules[] = {
    {"sensitivity", 1, 7, "An invalid sensitivity value of %ld was specified"},
    {"threshold", 1, 255, "An invalid threshold value of %ld was specified"},
    {"integration_time", 200, 1000, "An invalid integration time value of %ld was specified"},
};

} // namespace

void Device2000::ApplyDefaults() {
    SetProperty("sensitivity", "4");
    SetProperty("threshold", "8");
    SetProperty("integration_time", "300");
    SetProperty("device_name", "USB-2000");
    SetProperty("software_version", "1.03.03");
    SetProperty("cropping_on", "true");
    SetProperty("binned", "false");
    SetProperty("hw_correction_data", "false");
    SetDefaultProperty("capture_timeout", "600000");
    SetDefaultProperty("flush_time", "5000");
}

std::int32_t Device2000::SetProperty(const std::string& rawName, const std::string& rawValue) {
    std::string name = ToLowerText(rawName);
    std::string value = ToLowerText(rawValue);
    std::int32_t number = PropertyInteger(value);
    for (const RangeRule& rule : kRangeRules) {
        if (name == rule.name && (number < rule.low || number > rule.high)) {
            SetTranslatedError(rule.message, static_cast<long>(number));
            return kPropertyRefused;
        }
    }
    if (name == "binned") {
        binned_ = value == "true";
        if (!sensorId_.empty())
            GetSensorSize();
    } else if (name == "sensitivity") {
        sensitivity_ = number;
    } else if (name == "threshold") {
        threshold_ = number;
    } else if (name == "integration_time") {
        integrationTime_ = number;
    } else if (name == "capture_timeout") {
        captureTimeout_ = number;
    } else if (name == "flush_time") {
        flushTime_ = number;
    } else if (name == "cropping_on") {
        cropping_ = value != "false";
    } else if (name == "sensor_id") {
        // The sensor's own memory decides its id when it has one.
        if (properties_.Get("hw_correction_data") == "true")
            return kPropertyRefused;
        sensorId_ = value;
        GetSensorSize();
    }
    properties_.Set(name, value);
    return kDeviceOk;
}

std::int32_t Device2000::SetDefaultProperty(const std::string& name,
                                            const std::string& defaultValue) {
    std::string value = properties_.Get(name);
    return SetProperty(name, value.empty() ? defaultValue : value);
}

std::string Device2000::GetProperty(const std::string& name) {
    bool family2000 = properties_.Get("id") == "2000";
    bool sensorIdQuery = EqualsIgnoringCase(name, "sensor_id");
    bool correctionQuery = EqualsIgnoringCase(name, "hw_correction_data");
    if (family2000 && (sensorIdQuery || correctionQuery) && MACID_HasChanged())
        GetSettingsFrom1WireMemory();
    if (family2000 && sensorIdQuery) {
        if (properties_.Get("hw_correction_data") == "true")
            return sensorId_;
        if (properties_.Find("sensor_id") == nullptr)
            properties_.Set("sensor_id", "");
    }
    return properties_.Get(name);
}

// 25400 / pitch, rounded half up; the family's pitch when none is set, doubled
// for binned read-outs of the 2000 family.
std::int32_t Device2000::Resolution(const char* pitchName) {
    bool family2000 = familyKey_ == "2000";
    double pitch = PropertyReal(properties_.Get(pitchName));
    if (!(pitch > 0))
        pitch = family2000 ? 45 : 33;
    if (family2000 && ReadsBinned())
        pitch *= 2;
    return static_cast<std::int32_t>(std::floor(25400.0 / pitch + 0.5));
}

std::int32_t Device2000::GetResolutionX() {
    return Resolution("micron_resX");
}

std::int32_t Device2000::GetResolutionY() {
    return Resolution("micron_resY");
}
