#include "hardware/HardwareProperties.h"

#include "support/TextCase.h"

CHardwarePropertyEntry* CHardwareProperties::Find(const std::string& name) const {
    for (const auto& entry : entries_)
        if (EqualsIgnoringCase(entry->name, name))
            return entry.get();
    return nullptr;
}

std::string CHardwareProperties::Get(const std::string& name) const {
    CHardwarePropertyEntry* entry = Find(name);
    return entry != nullptr ? entry->value : std::string();
}

void CHardwareProperties::Set(const std::string& name, const std::string& value) {
    if (CHardwarePropertyEntry* entry = Find(name)) {
        entry->value = value;
        return;
    }
    entries_.push_back(
        std::make_unique<CHardwarePropertyEntry>(ToUpperText(name), ToUpperText(value)));
}

void CHardwareProperties::CopyInto(CHardwareProperties& target) const {
    for (const auto& entry : entries_)
        target.Set(entry->name, entry->value);
}
