#include "tools/host/Replay.h"

#include <cstring>
#include <memory>

#include "hardware/RawFrame.h"
#include "plugin/CaptureResult.h"
#include "plugin/ImageHandOff.h"
#include "plugin/SensorOptions.h"
#include "support/FileHelpers.h"
#include "support/LastError.h"
#include "tools/host/GlobalBlocks.h"

namespace {

constexpr std::size_t kDumpHeader = 32;

std::uint32_t Read32(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    std::uint32_t value;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

// The dumped frame: seven header numbers, the note, then the stored rows.
// The path may use backslashes, as the plug-in's own paths do.
bool ReadDump(const std::string& path, RawFrame& frame, std::string& error) {
    std::uint32_t size = 0;
    const std::unique_ptr<char[]> read = ksp::ReadWholeFile(path, size);
    if (!read) {
        error = LastErrorText();
        return false;
    }
    const auto* begin = reinterpret_cast<const std::uint8_t*>(read.get());
    const std::vector<std::uint8_t> bytes(begin, begin + size);
    if (bytes.size() < kDumpHeader) {
        error = path + " is no raw dump";
        return false;
    }
    const std::uint32_t bytesPerSample = Read32(bytes, 0), bitsPerSample = Read32(bytes, 4);
    const std::uint32_t width = Read32(bytes, 8), height = Read32(bytes, 12);
    const std::uint32_t rowLength = Read32(bytes, 16), noteLength = Read32(bytes, 28);
    if (bytesPerSample != 2 || bitsPerSample != 16 || rowLength < width ||
        noteLength > bytes.size() - kDumpHeader) {
        error = path + " is no 16-bit raw dump";
        return false;
    }
    const std::size_t samples = kDumpHeader + noteLength;
    if (!frame.Allocate(width, static_cast<std::int32_t>(height),
                        static_cast<std::int32_t>(Read32(bytes, 20)),
                        static_cast<std::int32_t>(Read32(bytes, 24))) ||
        (bytes.size() - samples) / 2 / rowLength < height) {
        error = path + " is shorter than its frame";
        return false;
    }
    for (std::uint32_t y = 0; y < height; ++y)
        std::memcpy(frame.Line(y), bytes.data() + samples + 2 * std::size_t{rowLength} * y,
                    2 * std::size_t{width});
    return true;
}

} // namespace

bool ReplayDump(const ReplayRequest& request, std::vector<std::uint8_t>& dib, std::string& error) {
    auto frame = std::make_unique<RawFrame>();
    if (!ReadDump(request.dumpPath, *frame, error))
        return false;
    SensorOptions options;
    if (!request.options.empty() &&
        !options.Assign(request.options.data(), static_cast<unsigned>(request.options.size()))) {
        error = "the option record is not one of this plug-in";
        return false;
    }
    LabelBitmaps labels;
    HandOffRequest handOff;
    handOff.family = request.family;
    handOff.sixteenBit = request.sixteenBit;
    handOff.permanentTeeth = request.permanentTeeth;
    handOff.primaryTeeth = request.primaryTeeth;
    handOff.options = &options;
    handOff.labels = &labels;
    CaptureResult result;
    result.SetSixteenBit(request.sixteenBit);
    if (!ProcessBitmapToImage(std::move(frame), handOff, result.Images())) {
        error = LastErrorText();
        return false;
    }
    dib = hostblocks::TakeBlock(result.CreatePackedDIB());
    if (dib.empty()) {
        error = "Out of memory";
        return false;
    }
    return true;
}
