#include "hardware/FrameCorrection.h"

#include <algorithm>

bool SubtractDark(RawFrame& exposed, const RawFrame& dark) {
    if (!exposed.pixels || !dark.pixels || exposed.width != dark.width ||
        exposed.height != dark.height || exposed.stride != dark.stride)
        return false;
    for (std::int32_t y = 0; y < exposed.height; ++y) {
        std::uint16_t* line = exposed.Line(static_cast<std::uint32_t>(y));
        const std::uint16_t* darkLine = dark.Line(static_cast<std::uint32_t>(y));
        for (std::uint32_t x = 0; x < exposed.width; ++x) {
            std::int32_t value = std::int32_t{line[x]} - darkLine[x];
            line[x] = static_cast<std::uint16_t>(std::clamp(value, 0, 65535));
        }
    }
    return true;
}

void CorrectOffset(RawFrame& frame, std::uint32_t k) {
    if (!frame.pixels || k == 0 || k >= frame.width)
        return;
    for (std::int32_t i = 1; i < frame.height; ++i) {
        std::uint16_t* previous = frame.Line(static_cast<std::uint32_t>(i - 1));
        std::uint16_t* line = frame.Line(static_cast<std::uint32_t>(i));
        std::copy_n(line, k, previous + frame.width - k);
        std::copy(line + k, line + frame.width, line);
    }
}

bool CutCorners(RawFrame& frame, std::uint32_t c, std::uint16_t colour) {
    if (c == 0)
        return true;
    if (!frame.pixels || c > frame.width / 2 || c > static_cast<std::uint32_t>(frame.height) / 2)
        return false;
    const std::uint32_t lastColumn = frame.width - 1;
    const std::uint32_t lastLine = static_cast<std::uint32_t>(frame.height) - 1;
    for (std::uint32_t d = 0; d < c; ++d) {
        for (std::uint32_t i = 0; i < c && i + d <= c; ++i) {
            frame.SetPixel(i, d, colour);
            frame.SetPixel(lastColumn - i, d, colour);
            frame.SetPixel(i, lastLine - d, colour);
            frame.SetPixel(lastColumn - i, lastLine - d, colour);
        }
    }
    return true;
}

std::unique_ptr<RawFrame> Crop(const RawFrame& frame, std::uint32_t left, std::uint32_t right,
                               std::uint32_t top, std::uint32_t bottom) {
    std::uint64_t height = static_cast<std::uint32_t>(frame.height);
    if (!frame.pixels || std::uint64_t{left} + right >= frame.width ||
        std::uint64_t{top} + bottom >= height)
        return nullptr;
    auto cropped = std::make_unique<RawFrame>();
    std::uint32_t width = frame.width - left - right;
    auto lines = static_cast<std::int32_t>(height - top - bottom);
    if (!cropped->Allocate(width, lines, frame.resolutionX, frame.resolutionY))
        return nullptr;
    for (std::int32_t y = 0; y < lines; ++y)
        std::copy_n(frame.Line(top + static_cast<std::uint32_t>(y)) + left, width,
                    cropped->Line(static_cast<std::uint32_t>(y)));
    return cropped;
}
