#pragma once

#include <array>
#include <cstdint>
#include <string>

// The 1584-byte DICOM description of the last capture that the host stores with the image.
class DicomRecord {
public:
    static constexpr std::size_t kSize = 1584;

    DicomRecord(unsigned permanentTeeth, unsigned primaryTeeth, const std::string& computerName);

    // Copies min(the host's size word, 1584) bytes into the host's buffer.
    void CopyToHost(void* hostRecord) const;
    const std::array<std::uint8_t, kSize>& Bytes() const { return bytes_; }

    static std::string Laterality(unsigned permanentTeeth, unsigned primaryTeeth);
    static std::string Orientation(unsigned permanentTeeth, unsigned primaryTeeth);
    static std::string VersionText();

private:
    void PutText(std::size_t offset, std::size_t width, const std::string& text);
    void PutWord(std::size_t offset, std::uint32_t value);

    std::array<std::uint8_t, kSize> bytes_{};
};
