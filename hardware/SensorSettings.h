#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hardware/HardwareProperties.h"

// The per-family SENSOR sets of "settings.xml", with the "Debug" element's
// attributes laid over every one of them.
class SensorSettings {
public:
    // Reads "<dataDirectory>\settings.xml" unless it is unchanged since the last
    // successful load. False with the reason in lastErrorText; the sets are then empty.
    bool Load(const std::string& dataDirectory);
    const CHardwareProperties* Find(const std::string& familyKey) const;
    // Copies the family's set into target; false when there is none.
    bool CopyInto(const std::string& familyKey, CHardwareProperties& target) const;
    std::size_t Count() const { return sets_.size(); }

private:
    bool Parse(const char* text, const std::string& path);

    std::vector<std::unique_ptr<CHardwareProperties>> sets_;
    std::int64_t loadedStamp_ = 0;
    bool loaded_ = false;
};
