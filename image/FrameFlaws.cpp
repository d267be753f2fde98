#include "image/FrameFlaws.h"

#include <algorithm>

#include "image/FlawMap.h"

namespace {

bool Inside(std::int32_t value, std::uint32_t limit) {
    return value >= 0 && static_cast<std::uint32_t>(value) < limit;
}

} // namespace

FrameFlaws::FrameFlaws(std::uint32_t width, std::uint32_t height,
                       const std::vector<_KIPImageFlawMapEntry>& pixels,
                       const std::vector<_KIPImageFlawMapEntry>& rows,
                       const std::vector<_KIPImageFlawMapEntry>& columns)
    : width_(width), height_(height), flawed_(static_cast<std::size_t>(width) * height, 0),
      flawRows_(height, 0), flawColumns_(width, 0) {
    for (const auto& pixel : pixels)
        if (Inside(pixel.x, width) && Inside(pixel.y, height))
            flawed_[static_cast<std::size_t>(pixel.y) * width + pixel.x] = 1;
    for (const auto& row : rows)
        if (Inside(row.y, height) && flawRows_[row.y] == 0) {
            flawRows_[row.y] = 1;
            std::fill_n(flawed_.begin() + static_cast<std::ptrdiff_t>(row.y) * width, width, 1);
        }
    for (const auto& column : columns)
        if (Inside(column.x, width) && flawColumns_[column.x] == 0) {
            flawColumns_[column.x] = 1;
            for (std::uint32_t y = 0; y < height; ++y)
                flawed_[static_cast<std::size_t>(y) * width + column.x] = 1;
        }
}

// Runs are taken in order, so the search from a run for its nearest good line
// crosses only the lines between it and the run before (after) it, and takes
// over that run's answer when it gets there: every line is crossed at most
// once at each position.
template <typename IsFlawed>
FlawLineNeighbours::FlawLineNeighbours(const std::vector<std::uint8_t>& flawLines,
                                       std::uint32_t positions, IsFlawed isFlawed)
    : positions_(positions), runOfLine_(flawLines.size(), 0) {
    const auto lines = static_cast<std::uint32_t>(flawLines.size());
    auto flawLine = [&](std::uint32_t line) { return flawLines[line] != 0; };
    std::vector<std::uint32_t> first, last; // of each run
    for (std::uint32_t line = 0; line < lines; ++line) {
        if (!flawLine(line))
            continue;
        if (line == 0 || !flawLine(line - 1)) {
            first.push_back(line);
            last.push_back(line);
        }
        last.back() = line;
        runOfLine_[line] = static_cast<std::uint32_t>(first.size() - 1);
    }
    const std::size_t runs = first.size();
    before_.resize(runs * positions);
    after_.resize(runs * positions);
    for (std::size_t run = 0; run < runs; ++run) {
        for (std::uint32_t position = 0; position < positions; ++position) {
            std::uint32_t line = first[run]; // the search is at line - 1
            while (line > 0 && !flawLine(line - 1) && isFlawed(line - 1, position))
                --line;
            before_[run * positions + position] =
                line == 0 || !flawLine(line - 1) ? line : before_[(run - 1) * positions + position];
        }
    }
    for (std::size_t run = runs; run-- > 0;) {
        for (std::uint32_t position = 0; position < positions; ++position) {
            std::uint32_t line = last[run]; // the search is at line + 1
            while (line + 1 < lines && !flawLine(line + 1) && isFlawed(line + 1, position))
                ++line;
            after_[run * positions + position] = line + 1 == lines || !flawLine(line + 1)
                                                     ? line + 1
                                                     : after_[(run + 1) * positions + position];
        }
    }
}

FlawLineNeighbours FlawLineNeighbours::AcrossRows(const FrameFlaws& flaws) {
    return FlawLineNeighbours(flaws.FlawRows(), flaws.Width(),
                              [&](std::uint32_t y, std::uint32_t x) { return flaws.Flawed(x, y); });
}

FlawLineNeighbours FlawLineNeighbours::AcrossColumns(const FrameFlaws& flaws) {
    return FlawLineNeighbours(flaws.FlawColumns(), flaws.Height(),
                              [&](std::uint32_t x, std::uint32_t y) { return flaws.Flawed(x, y); });
}
