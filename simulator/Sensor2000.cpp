#include "simulator/Sensor2000.h"

#include <algorithm>

#include "simulator/Protocol.h"

namespace simulator {

namespace {

using namespace protocol;

SensorMemory2000 BuildMemory(const Sensor2000Config& config) {
    if (config.memoryImage)
        return SensorMemory2000(*config.memoryImage);
    return SensorMemory2000(config.sensorId, DefectText(config.defects));
}

} // namespace

Sensor2000::Sensor2000(Sensor2000Config config)
    : config_(std::move(config)), memory_(BuildMemory(config_)) {}

std::optional<Sensor2000::Geometry> Sensor2000::GeometryFor(std::uint8_t sizeCode) const {
    for (const SizeClass& size : kSizeClasses) {
        if (sizeCode != size.fullCode && sizeCode != size.binnedCode)
            continue;
        const std::uint32_t pixels = size.pixelsPerLine, lines = size.lines;
        // Classes A and B send every pixel as two samples; the image keeps its size.
        if (size.name == 'A' || size.name == 'B')
            return Geometry{pixels, lines, pixels, lines, 2 * pixels, true, 3};
        if (sizeCode == size.binnedCode)
            return Geometry{pixels, lines, pixels / 2, lines / 2, pixels, true, 3};
        return Geometry{pixels, lines, pixels, lines, pixels, false, 7};
    }
    return std::nullopt;
}

std::uint8_t Sensor2000::MemoryReadCommand() const {
    return kReadMemoryCommand;
}

// Erased (0xFF) past the end, and all of it without a memory.
std::vector<std::uint8_t> Sensor2000::ReadMemory(std::uint32_t address,
                                                 std::uint32_t length) const {
    std::vector<std::uint8_t> bytes(length, 0xFF);
    const auto& memory = memory_.Bytes();
    for (std::uint32_t i = 0; i < length && address + i < memory.size(); ++i)
        bytes[i] = config_.memoryPresent ? memory[address + i] : 0xFF;
    return bytes;
}

SampleImage Sensor2000::ExpectedSignal(std::uint32_t width, std::uint32_t height) {
    return CachedImage(width, height, MakeRadiograph);
}

// The frame as the sensor sends it: every line after the first starts with the
// last pixels of the line before, samples carry noise in their high nibble,
// and interleaved read-outs put the pixels at the odd samples.
std::vector<std::uint8_t> Sensor2000::FrameStream(const Geometry& geometry, bool exposed,
                                                  bool xray) {
    const std::uint32_t w = geometry.width, h = geometry.height, k = geometry.displacement;
    const SampleImage& dark = CachedImage(w, h, MakeDarkPattern);
    const SampleImage& signal = CachedImage(w, h, MakeRadiograph);
    std::vector<std::uint16_t> frame(dark.samples);
    if (exposed) {
        for (std::size_t i = 0; i < frame.size(); ++i)
            frame[i] = static_cast<std::uint16_t>(
                std::min(4095, frame[i] + (xray ? signal.samples[i] : 0)));
        std::uint32_t scale = geometry.pixelsPerLine / w;
        for (const Defect& defect : config_.defects) {
            // The defect description counts rows from the last stored line up.
            std::uint32_t x = defect.x / scale;
            std::uint32_t y = defect.y / scale < h ? h - 1 - defect.y / scale : h;
            if (defect.kind == Defect::Kind::Pixel && x < w && y < h)
                frame[x + std::size_t{y} * w] = 4095;
            else if (defect.kind == Defect::Kind::Column && x < w)
                for (std::uint32_t row = 0; row < h; ++row)
                    frame[x + std::size_t{row} * w] = dark.samples[x + std::size_t{row} * w];
            else if (defect.kind == Defect::Kind::Row && y < h)
                std::fill_n(frame.begin() + static_cast<std::ptrdiff_t>(std::size_t{y} * w), w,
                            std::uint16_t{4095});
        }
    }
    std::uint32_t perPixel = geometry.interleaved ? 2 : 1;
    std::vector<std::uint8_t> stream(std::size_t{geometry.lineSamples} * h * 2);
    for (std::uint32_t line = 0; line < h; ++line) {
        std::uint8_t* out = &stream[std::size_t{line} * geometry.lineSamples * 2];
        for (std::uint32_t s = 0; s < geometry.lineSamples; ++s) {
            std::uint32_t value = 0x0ABC;
            if (s % perPixel == perPixel - 1 && s / perPixel < w) {
                std::uint32_t x = s / perPixel;
                // Line 0 is sent as it is; the rest lag k pixels behind.
                std::size_t source = std::size_t{line} * w + x;
                if (line > 0)
                    source -= k;
                value = frame[source];
            }
            StoreSample(&out[2 * s], value);
        }
    }
    return stream;
}

} // namespace simulator
