#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The plug-in's records as a host reads them, field by field with names.
enum class FieldKind { Int, Double, Text };

struct OptionField {
    std::size_t offset;
    const char* name;
    FieldKind kind;
};

struct DescriptionField {
    std::size_t offset;
    std::size_t width;
    const char* name;
};

// A zero-terminated text field of a record; empty when the record is shorter.
std::string RecordText(const std::vector<std::uint8_t>& record, std::size_t offset,
                       std::size_t width);

// The 1280-byte option record, printed one field per line.
void PrintOptionRecord(const std::vector<std::uint8_t>& record);

// The text fields of the 1584-byte DICOM description record.
const std::vector<DescriptionField>& DescriptionFields();
std::string DescriptionText(const std::vector<std::uint8_t>& record, const DescriptionField& field);
