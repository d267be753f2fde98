#include "simulator/SimulatorConfig.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "support/TextCase.h"
#include "support/xml/XmlDocument.h"
#include "support/xml/XmlParser.h"

namespace simulator {

namespace {

using namespace protocol;
using Attributes = const CKXMLCodexElement&;

std::optional<std::string> Text(Attributes element, const char* name) {
    const CKXMLCodexAttribute* attribute = element.FindAttribute(name);
    return attribute == nullptr ? std::nullopt : std::optional<std::string>(attribute->GetValue());
}

template <typename Number> bool ReadNumber(const std::string& text, Number& value, int base) {
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value, base);
    return !text.empty() && error == std::errc() && stop == end;
}

// A missing attribute leaves the value as it was; false when one does not read.
template <typename Number>
bool ReadOptional(Attributes element, const char* name, std::optional<Number>& value,
                  int base = 10) {
    std::optional<std::string> text = Text(element, name);
    if (!text)
        return true;
    Number number{};
    if (!ReadNumber(*text, number, base))
        return false;
    value = number;
    return true;
}

bool ReadFamily(Attributes element, SensorEntry& entry) {
    std::optional<std::string> family = Text(element, "family");
    if (!family)
        return true;
    if (EqualsIgnoringCase(*family, "TOVIRAY")) {
        entry.productId = kProductToviRay;
        return true;
    }
    return ReadNumber(*family, entry.productId, 16);
}

bool ReadDriver(Attributes element, UsbPresence& presence) {
    std::string driver = Text(element, "driver").value_or("ezusb");
    presence.family =
        EqualsIgnoringCase(driver, "cyusb") ? DriverFamily::CyUsb : DriverFamily::EzUsb;
    return EqualsIgnoringCase(driver, "cyusb") || EqualsIgnoringCase(driver, "ezusb");
}

bool ReadMemory(Attributes element, bool& memory) {
    std::string text = Text(element, "memory").value_or("true");
    memory = EqualsIgnoringCase(text, "true");
    return memory || EqualsIgnoringCase(text, "false");
}

bool ReadExposure(Attributes element, std::optional<std::uint64_t>& exposureMs) {
    std::optional<std::string> text = Text(element, "exposure_ms");
    if (text && EqualsIgnoringCase(*text, "never")) {
        exposureMs.reset();
        return true;
    }
    return ReadOptional(element, "exposure_ms", exposureMs);
}

bool ReadSensor(Attributes element, std::size_t position, SensorEntry& entry) {
    UsbPresence& presence = entry.presence;
    presence.serial = Text(element, "serial").value_or(std::to_string(position));
    entry.sensorId = Text(element, "sensor_id");
    std::optional<std::uint16_t> vendor;
    std::optional<std::uint32_t> failing;
    bool read = ReadFamily(element, entry) && ReadOptional(element, "vendor", vendor, 16) &&
                ReadDriver(element, presence) && ReadMemory(element, entry.memory) &&
                ReadExposure(element, entry.exposureMs) &&
                ReadOptional(element, "arrive_ms", entry.arriveMs) &&
                ReadOptional(element, "unplug_ms", presence.unplugAfterArming) &&
                ReadOptional(element, "fail_request", failing);
    presence.vendorId = vendor.value_or(protocol::kVendorId);
    presence.failingRequest = failing;
    return read && !presence.serial.empty() && failing != 0u;
}

bool ReadTimeScale(Attributes root, double& timeScale) {
    std::optional<std::string> text = Text(root, "time_scale");
    if (!text)
        return true;
    char* end = nullptr;
    timeScale = std::strtod(text->c_str(), &end);
    return !text->empty() && *end == '\0' && std::isfinite(timeScale) && timeScale > 0;
}

} // namespace

bool ParseSimulatorSetup(const char* text, SimulatorSetup& setup) {
    CKXMLCodexDocument document;
    CKXMLCodexParser parser;
    if (!parser.Parse(text, &document, false) || document.GetRootElement() == nullptr)
        return false;
    const CKXMLCodexElement& root = *document.GetRootElement();
    SimulatorSetup read;
    if (root.GetName() != "simulator" || !ReadTimeScale(root, read.timeScale))
        return false;
    for (const CKXMLCodexElement& element : root.ChildElements()) {
        if (element.GetName() != "sensor")
            continue;
        SensorEntry entry;
        if (!ReadSensor(element, read.sensors.size() + 1, entry))
            return false;
        read.sensors.push_back(std::move(entry));
    }
    setup = std::move(read);
    return true;
}

SimulatorSetup DefaultSimulatorSetup() {
    SensorEntry sensor;
    sensor.presence.serial = "1";
    sensor.sensorId = "XCCD0001D";
    SimulatorSetup setup;
    setup.sensors.push_back(std::move(sensor));
    return setup;
}

void AttachSensors(SimulatedDriver& driver, const SimulatorSetup& setup, std::uint64_t now) {
    for (const SensorEntry& entry : setup.sensors) {
        UsbPresence presence = entry.presence;
        if (entry.arriveMs)
            presence.arrivalTime = now + *entry.arriveMs;
        if (entry.productId == kProduct2000) {
            Sensor2000Config config;
            config.sensorId = entry.sensorId.value_or(config.sensorId);
            config.memoryPresent = entry.memory;
            config.exposureDelay = entry.exposureMs;
            driver.Attach(std::move(config), std::move(presence));
        } else if (entry.productId == kProductToviRay) {
            SensorToviRayConfig config;
            config.sensorId = entry.sensorId.value_or(config.sensorId);
            config.exposureDelay = entry.exposureMs;
            driver.AttachToviRay(std::move(config), std::move(presence));
        } else {
            presence.productId = entry.productId;
            driver.AttachForeign(std::move(presence));
        }
    }
}

} // namespace simulator
