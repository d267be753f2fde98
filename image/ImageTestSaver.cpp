#include "image/ImageTestSaver.h"

#include <vector>

#include "platform/Environment.h"
#include "platform/MessageBox.h"
#include "support/BufferedFile.h"
#include "support/FileHelpers.h"
#include "support/LastError.h"
#include "support/TextFormat.h"
#include "support/Translation.h"

void CKIPImageTestSaver::ResolveDefaults() {
    std::vector<std::string> arguments = platform::CommandLineArguments();
    std::string program = arguments.empty() ? std::string() : arguments.front();
    std::string fileName;
    std::string directory;
    ksp::SplitPath(program, fileName, directory);
    if (directory_.empty() || !ksp::DirectoryExists(directory_))
        directory_ = directory;
    if (baseName_.empty())
        baseName_ = fileName.substr(0, fileName.rfind('.'));
}

void CKIPImageTestSaver::DeleteOldFiles(const std::string& extension) {
    if (!deleteOldFiles_)
        return;
    ResolveDefaults();
    std::vector<std::string> files;
    ksp::ListFiles(directory_, baseName_ + "*." + extension, files, false, true);
    for (const std::string& file : files)
        ksp::DeleteFile(file);
}

std::string CKIPImageTestSaver::MakeFileName(const std::string& suffix,
                                             const std::string& extension) {
    ResolveDefaults();
    std::string stem = suffix.empty() ? baseName_ : baseName_ + "_" + suffix;
    ++savedCount_;
    return ksp::MakeUniqueFilePath(directory_, stem, extension);
}

void CKIPImageTestSaver::SaveImage(const ImageSaveRequest& request) {
    std::string extension = FormatText("RAW%lu", static_cast<unsigned long>(request.bitsPerSample));
    if (savedCount_ == 0)
        DeleteOldFiles(extension);
    std::string path = MakeFileName(request.suffix, extension);
    CKSPBufferedFile file(CKSPBufferedFile::kDefaultBufferSize);
    if (!file.OpenWrite(path))
        return;
    bool written = true;
    for (std::uint32_t value :
         {request.bytesPerSample, request.bitsPerSample, request.width, request.height,
          request.rowLength, request.resolutionX, request.resolutionY})
        written = written && file.WriteValue(value);
    written = written && file.WriteString(request.note);
    std::uint64_t bytes =
        std::uint64_t{request.bytesPerSample} * request.height * request.rowLength;
    if (written && bytes > 0) {
        written =
            request.samples != nullptr && bytes <= 0x7FFFFFFF &&
            file.WriteBytes(request.samples, static_cast<int>(bytes)) == static_cast<int>(bytes);
    }
    written = file.CloseFile() && written;
    if (written)
        return;
    std::string text =
        TranslateText("CKIPImageTestSaver::SaveImage() could not save the image. %s");
    if (std::size_t at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, LastErrorText());
    platform::MessageBoxes().Show(nullptr, text, TranslateText("Unable To Save"),
                                  platform::kBoxIconWarning | platform::kBoxTaskModal |
                                      platform::kBoxTopmost | platform::kBoxSetForeground);
}
