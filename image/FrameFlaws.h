#pragma once

#include <cstdint>
#include <vector>

struct _KIPImageFlawMapEntry;

// The flaws of one frame, a byte per pixel, so that a repair looks each
// neighbour up in constant time. Flaws outside the frame are left out.
class FrameFlaws {
public:
    FrameFlaws() = default;
    FrameFlaws(std::uint32_t width, std::uint32_t height,
               const std::vector<_KIPImageFlawMapEntry>& pixels,
               const std::vector<_KIPImageFlawMapEntry>& rows,
               const std::vector<_KIPImageFlawMapEntry>& columns);

    std::uint32_t Width() const { return width_; }
    std::uint32_t Height() const { return height_; }
    // (x, y) inside the frame.
    bool Flawed(std::uint32_t x, std::uint32_t y) const {
        return flawed_[static_cast<std::size_t>(y) * width_ + x] != 0;
    }
    const std::vector<std::uint8_t>& FlawRows() const { return flawRows_; }
    const std::vector<std::uint8_t>& FlawColumns() const { return flawColumns_; }

private:
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    std::vector<std::uint8_t> flawed_;
    std::vector<std::uint8_t> flawRows_;    // per row: listed as a flaw row
    std::vector<std::uint8_t> flawColumns_; // per column: listed as a flaw column
};

// The nearest good lines on both sides of the flaw rows (or flaw columns) of
// a frame, at every position along them. Lines of one run of consecutive flaw
// lines share them, so finding them all costs at most one look at each pixel,
// however long the runs.
class FlawLineNeighbours {
public:
    FlawLineNeighbours() = default;
    static FlawLineNeighbours AcrossRows(const FrameFlaws& flaws);
    static FlawLineNeighbours AcrossColumns(const FrameFlaws& flaws);

    // For a flaw line: the nearest line before it whose pixel at position is
    // good, or -1; the nearest such line after it, or the line count.
    std::int64_t Before(std::uint32_t line, std::uint32_t position) const {
        return std::int64_t{before_[Cell(line, position)]} - 1;
    }
    std::int64_t After(std::uint32_t line, std::uint32_t position) const {
        return after_[Cell(line, position)];
    }

private:
    template <typename IsFlawed>
    FlawLineNeighbours(const std::vector<std::uint8_t>& flawLines, std::uint32_t positions,
                       IsFlawed isFlawed);
    std::size_t Cell(std::uint32_t line, std::uint32_t position) const {
        return static_cast<std::size_t>(runOfLine_[line]) * positions_ + position;
    }

    std::uint32_t positions_ = 0;
    std::vector<std::uint32_t> runOfLine_;
    std::vector<std::uint32_t> before_; // per run and position: the line + 1, 0 for none
    std::vector<std::uint32_t> after_;  // per run and position: the line, the count for none
};
