#pragma once

#include <cstdint>
#include <string>

// One raw sample buffer to dump.
struct ImageSaveRequest {
    std::string suffix;
    const void* samples = nullptr;
    std::uint32_t bytesPerSample = 0;
    std::uint32_t bitsPerSample = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t rowLength = 0; // samples per stored row
    std::uint32_t resolutionX = 0;
    std::uint32_t resolutionY = 0;
    std::string note;
};

// Writes diagnostic dumps of raw frames beside the host program: a header of
// seven numbers and the note, then the stored rows. Earlier dumps of the same
// base name and extension are removed before the first save.
class CKIPImageTestSaver {
public:
    void SetBaseFilename(const std::string& name) { baseName_ = name; }
    void SetDirectory(const std::string& directory) { directory_ = directory; }
    void SetDeleteOldFiles(bool deleteOldFiles) { deleteOldFiles_ = deleteOldFiles; }
    void SaveImage(const ImageSaveRequest& request);

private:
    void ResolveDefaults();
    void DeleteOldFiles(const std::string& extension);
    std::string MakeFileName(const std::string& suffix, const std::string& extension);

    std::string baseName_;
    std::string directory_;
    bool deleteOldFiles_ = true;
    std::uint32_t savedCount_ = 0;
};
