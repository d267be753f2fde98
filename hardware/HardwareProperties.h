#pragma once

#include <memory>
#include <string>
#include <vector>

class CHardwarePropertyEntry {
public:
    CHardwarePropertyEntry(std::string name, std::string value)
        : name(std::move(name)), value(std::move(value)) {}
    std::string name;
    std::string value;
};

// A named list of text properties. Names match without regard to case; a new
// entry is stored upper-cased, an existing one takes the value as given.
class CHardwareProperties {
public:
    explicit CHardwareProperties(std::string name) : name_(std::move(name)) {}

    const std::string& Name() const { return name_; }
    CHardwarePropertyEntry* Find(const std::string& name) const;
    // Empty when missing.
    std::string Get(const std::string& name) const;
    void Set(const std::string& name, const std::string& value);
    // Sets each entry, in order, into target.
    void CopyInto(CHardwareProperties& target) const;
    const std::vector<std::unique_ptr<CHardwarePropertyEntry>>& Entries() const { return entries_; }

private:
    std::vector<std::unique_ptr<CHardwarePropertyEntry>> entries_;
    std::string name_;
};
