#include "image/FlawMap.h"

#include <algorithm>
#include <cmath>

namespace {

struct Neighbour {
    int dx;
    int dy;
    double weight;
};

const Neighbour kNear[] = {{-1, -1, 50}, {0, -1, 100}, {1, -1, 50}, {-1, 0, 100},
                           {1, 0, 100},  {-1, 1, 50},  {0, 1, 100}, {1, 1, 50}};

const Neighbour kRing[] = {{-2, -2, 10}, {-1, -2, 25}, {0, -2, 33}, {1, -2, 25},
                           {2, -2, 10},  {-2, -1, 25}, {2, -1, 25}, {-2, 0, 33},
                           {2, 0, 33},   {-2, 1, 25},  {2, 1, 25},  {-2, 2, 10},
                           {-1, 2, 25},  {0, 2, 33},   {1, 2, 25},  {2, 2, 10}};

std::int32_t Scaled(std::int32_t value, double factor, bool roundHalfUp) {
    double scaled = static_cast<std::uint32_t>(value) * factor;
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(std::trunc(roundHalfUp ? scaled + 0.5 : scaled)));
}

} // namespace

void FlawMap::CopyFlaws(const FlawMap& source) {
    flawPixels_ = source.flawPixels_;
    flawRows_ = source.flawRows_;
    flawColumns_ = source.flawColumns_;
    RebuildIndex();
    SetFrame(nullptr, 0, 0, 0, false);
    useMedian_ = true;
}

void FlawMap::ClearFlaws() {
    flawPixels_.clear();
    flawRows_.clear();
    flawColumns_.clear();
    RebuildIndex();
}

// Adding a flaw line removes the flaw pixels on it, which is all that
// pruning can change when the lists kept their invariants before.
void FlawMap::AddPixelFlaw(std::int32_t x, std::int32_t y) {
    if (rowIndex_.count(y) != 0 || columnIndex_.count(x) != 0)
        return; // added and pruned at once
    if (pixelIndex_.insert(PixelKey(x, y)).second) {
        flawPixels_.push_back({x, y, 0});
        ++pixelsOnRow_[y];
        ++pixelsOnColumn_[x];
    }
}

void FlawMap::AddColumnFlaw(std::int32_t x) {
    if (!columnIndex_.insert(x).second)
        return;
    flawColumns_.push_back({x, 0, kColumn});
    if (pixelsOnColumn_[x] != 0)
        RemovePixelsWhere([x](const _KIPImageFlawMapEntry& pixel) { return pixel.x == x; });
}

void FlawMap::AddRowFlaw(std::int32_t y) {
    if (!rowIndex_.insert(y).second)
        return;
    flawRows_.push_back({0, y, kRow});
    if (pixelsOnRow_[y] != 0)
        RemovePixelsWhere([y](const _KIPImageFlawMapEntry& pixel) { return pixel.y == y; });
}

template <typename Predicate> void FlawMap::RemovePixelsWhere(Predicate onLine) {
    auto end = std::stable_partition(flawPixels_.begin(), flawPixels_.end(),
                                     [&](const _KIPImageFlawMapEntry& p) { return !onLine(p); });
    for (auto it = end; it != flawPixels_.end(); ++it) {
        pixelIndex_.erase(PixelKey(it->x, it->y));
        --pixelsOnRow_[it->y];
        --pixelsOnColumn_[it->x];
    }
    flawPixels_.erase(end, flawPixels_.end());
}

void FlawMap::RebuildIndex() {
    pixelIndex_.clear();
    rowIndex_.clear();
    columnIndex_.clear();
    pixelsOnRow_.clear();
    pixelsOnColumn_.clear();
    for (const auto& pixel : flawPixels_) {
        pixelIndex_.insert(PixelKey(pixel.x, pixel.y));
        ++pixelsOnRow_[pixel.y];
        ++pixelsOnColumn_[pixel.x];
    }
    for (const auto& row : flawRows_)
        rowIndex_.insert(row.y);
    for (const auto& column : flawColumns_)
        columnIndex_.insert(column.x);
}

bool FlawMap::IsFlawed(std::int32_t x, std::int32_t y) const {
    return columnIndex_.count(x) != 0 || rowIndex_.count(y) != 0 ||
           pixelIndex_.count(PixelKey(x, y)) != 0;
}

// Scaling can make two entries equal; both stay, as they would in the lists.
void FlawMap::ScaleFlaws(double factor, bool roundHalfUp) {
    for (auto* list : {&flawPixels_, &flawRows_, &flawColumns_}) {
        for (auto& entry : *list) {
            entry.x = Scaled(entry.x, factor, roundHalfUp);
            entry.y = Scaled(entry.y, factor, roundHalfUp);
        }
    }
    RebuildIndex();
}

void FlawMap::SetFrame(std::uint16_t* samples, std::uint32_t width, std::uint32_t height,
                       std::uint32_t rowPad, bool bottomUp) {
    samples_ = samples;
    width_ = width;
    height_ = height;
    rowPitch_ = width + rowPad;
    bottomUp_ = bottomUp;
}

void FlawMap::IndexFrameFlaws() {
    frameFlaws_ = samples_ != nullptr
                      ? FrameFlaws(width_, height_, flawPixels_, flawRows_, flawColumns_)
                      : FrameFlaws();
}

void FlawMap::ReleaseFrameIndex() {
    frameFlaws_ = FrameFlaws();
    acrossRows_ = FlawLineNeighbours();
    acrossColumns_ = FlawLineNeighbours();
}

bool FlawMap::InRange(std::int64_t x, std::int64_t y) const {
    return samples_ != nullptr && x >= 0 && y >= 0 && x < width_ && y < height_;
}

// Inside the frame a flaw is one the frame's index holds.
std::uint16_t FlawMap::GetSample(std::int64_t x, std::int64_t y) const {
    if (!InRange(x, y) ||
        frameFlaws_.Flawed(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)))
        return 0;
    std::int64_t row = bottomUp_ ? height_ - 1 - y : y;
    return samples_[static_cast<std::size_t>(row) * rowPitch_ + static_cast<std::size_t>(x)];
}

void FlawMap::SetSample(std::int64_t x, std::int64_t y, std::uint32_t value) {
    if (!InRange(x, y))
        return;
    std::int64_t row = bottomUp_ ? height_ - 1 - y : y;
    samples_[static_cast<std::size_t>(row) * rowPitch_ + static_cast<std::size_t>(x)] =
        static_cast<std::uint16_t>(value);
}

void FlawMap::ResetNeighbours() {
    weightedSum_ = 0;
    neighbourCount_ = 0;
    weightTotal_ = 0;
    neighbourValues_.clear();
}

bool FlawMap::AddNeighbour(std::int64_t x, std::int64_t y, double weight) {
    if (!InRange(x, y) ||
        frameFlaws_.Flawed(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)))
        return false;
    std::uint16_t sample = GetSample(x, y);
    ++neighbourCount_;
    weightTotal_ += weight;
    weightedSum_ += static_cast<std::int32_t>(std::trunc(sample * weight + 0.5));
    neighbourValues_.push_back(sample);
    return true;
}

void FlawMap::WriteRepairedValue(std::int64_t x, std::int64_t y) {
    if (neighbourCount_ == 0)
        return;
    std::uint32_t value = 0;
    if (useMedian_) {
        std::sort(neighbourValues_.begin(), neighbourValues_.end());
        value = neighbourValues_[neighbourValues_.size() / 2];
    } else {
        value = static_cast<std::uint32_t>(
            std::trunc(static_cast<std::uint32_t>(weightedSum_) / weightTotal_ + 0.5));
    }
    SetSample(x, y, value);
}

void FlawMap::RepairPixel(std::int64_t x, std::int64_t y) {
    ResetNeighbours();
    if (!InRange(x, y))
        return;
    for (const Neighbour& near : kNear)
        AddNeighbour(x + near.dx, y + near.dy, near.weight);
    if (neighbourCount_ <= 2) {
        for (const Neighbour& ring : kRing)
            AddNeighbour(x + ring.dx, y + ring.dy, ring.weight);
    }
    WriteRepairedValue(x, y);
    repairedPixels_.push_back({static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), 0});
}

// One pixel of a flaw row (row true) or column: the two nearest good pixels
// across the line, the four diagonals, and the pixel repair as the fallback.
void FlawMap::RepairLineByNeighbours(std::int64_t x, std::int64_t y, bool row) {
    ResetNeighbours();
    const int ax = row ? 0 : 1; // step across the line
    const int ay = row ? 1 : 0;
    if (!AddNeighbour(x - ax, y - ay, 10))
        AddNeighbour(x - 2 * ax, y - 2 * ay, 4);
    if (!AddNeighbour(x + ax, y + ay, 10))
        AddNeighbour(x + 2 * ax, y + 2 * ay, 4);
    AddNeighbour(x - 1, y - 1, 2);
    AddNeighbour(x + 1, y - 1, 2);
    AddNeighbour(x - 1, y + 1, 2);
    AddNeighbour(x + 1, y + 1, 2);
    if (neighbourCount_ <= 2)
        RepairPixel(x, y);
    WriteRepairedValue(x, y);
}

void FlawMap::RepairByNeighbours(std::uint16_t* samples, std::uint32_t width, std::uint32_t height,
                                 std::uint32_t rowPad, bool bottomUp) {
    SetFrame(samples, width, height, rowPad, bottomUp);
    IndexFrameFlaws();
    useMedian_ = false;
    for (const auto& pixel : flawPixels_)
        RepairPixel(pixel.x, pixel.y);
    // Lines outside the frame have nothing to repair.
    for (const auto& row : flawRows_) {
        if (row.y >= 0 && static_cast<std::uint32_t>(row.y) < height)
            for (std::uint32_t x = 0; x < width; ++x)
                RepairLineByNeighbours(x, row.y, true);
    }
    for (const auto& column : flawColumns_) {
        if (column.x >= 0 && static_cast<std::uint32_t>(column.x) < width)
            for (std::uint32_t y = 0; y < height; ++y)
                RepairLineByNeighbours(column.x, y, false);
    }
    ReleaseFrameIndex();
}

// The nearest good pixels across the line, or the pixel repair when one side has none.
void FlawMap::InterpolateLine(std::int64_t x, std::int64_t y, bool row) {
    const FlawLineNeighbours& across = row ? acrossRows_ : acrossColumns_;
    const auto line = static_cast<std::uint32_t>(row ? y : x);
    const auto position = static_cast<std::uint32_t>(row ? x : y);
    const std::int64_t before = across.Before(line, position);
    const std::int64_t after = across.After(line, position);
    if (before < 0 || after >= (row ? height_ : width_)) {
        RepairPixel(x, y);
        return;
    }
    double a = row ? GetSample(x, before) : GetSample(before, y);
    double b = row ? GetSample(x, after) : GetSample(after, y);
    double value =
        a + std::trunc(static_cast<double>(line - before) / (after - before) * (b - a) + 0.5);
    SetSample(x, y, static_cast<std::uint32_t>(value));
}

void FlawMap::RepairByInterpolation(std::uint16_t* samples, std::uint32_t width,
                                    std::uint32_t height, std::uint32_t rowPad, bool bottomUp,
                                    bool useMedian) {
    SetFrame(samples, width, height, rowPad, bottomUp);
    useMedian_ = useMedian;
    repairedPixels_.clear();
    if (samples == nullptr)
        return; // nothing to read or write
    IndexFrameFlaws();
    acrossRows_ = FlawLineNeighbours::AcrossRows(frameFlaws_);
    acrossColumns_ = FlawLineNeighbours::AcrossColumns(frameFlaws_);
    for (const auto& pixel : flawPixels_)
        RepairPixel(pixel.x, pixel.y);
    for (const auto& row : flawRows_) {
        if (row.y >= 0 && static_cast<std::uint32_t>(row.y) < height)
            for (std::uint32_t x = 0; x < width; ++x)
                InterpolateLine(x, row.y, true);
    }
    for (const auto& column : flawColumns_) {
        if (column.x >= 0 && static_cast<std::uint32_t>(column.x) < width)
            for (std::uint32_t y = 0; y < height; ++y)
                InterpolateLine(column.x, y, false);
    }
    ReleaseFrameIndex();
}

void FlawMap::FillFlaws(std::uint16_t value, std::uint16_t* samples, std::uint32_t width,
                        std::uint32_t height, std::uint32_t rowPad, bool bottomUp) {
    SetFrame(samples, width, height, rowPad, bottomUp);
    for (const auto& pixel : flawPixels_)
        SetSample(pixel.x, pixel.y, value);
    for (const auto& row : flawRows_) {
        if (row.y >= 0 && static_cast<std::uint32_t>(row.y) < height)
            for (std::uint32_t x = 0; x < width; ++x)
                SetSample(x, row.y, value);
    }
    for (const auto& column : flawColumns_) {
        if (column.x >= 0 && static_cast<std::uint32_t>(column.x) < width)
            for (std::uint32_t y = 0; y < height; ++y)
                SetSample(column.x, y, value);
    }
}
