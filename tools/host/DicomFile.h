#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A Digital Intra-Oral X-Ray Image (for presentation) made from a captured
// DIB and the plug-in's DICOM description record of that capture.
bool WriteDicomFile(const std::string& path, const std::vector<std::uint8_t>& dib,
                    const std::vector<std::uint8_t>& description, const std::string& teethText,
                    std::string& error);
