#pragma once

// The interpolating flaw repair as first written: every pixel of a flaw line
// walks over the flawed lines one at a time to find its good neighbours.
// The production repair must write the same samples and list the same
// repaired pixels in the same order.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "image/FlawMap.h"

namespace oracle {

class InterpolationRepair {
public:
    explicit InterpolationRepair(const FlawMap& map)
        : pixels_(map.FlawPixels()), rows_(map.FlawRows()), columns_(map.FlawColumns()) {
        for (const auto& pixel : pixels_)
            flawedPixels_.insert({pixel.x, pixel.y});
        for (const auto& row : rows_)
            flawedRows_.insert(row.y);
        for (const auto& column : columns_)
            flawedColumns_.insert(column.x);
    }

    void Run(std::uint16_t* samples, std::uint32_t width, std::uint32_t height,
             std::uint32_t rowPad, bool bottomUp, bool useMedian) {
        samples_ = samples;
        width_ = width;
        height_ = height;
        rowPitch_ = width + rowPad;
        bottomUp_ = bottomUp;
        useMedian_ = useMedian;
        repaired.clear();
        for (const auto& pixel : pixels_)
            RepairPixel(pixel.x, pixel.y);
        for (const auto& row : rows_)
            if (row.y >= 0 && static_cast<std::uint32_t>(row.y) < height)
                for (std::uint32_t x = 0; x < width; ++x)
                    Interpolate(x, row.y, true);
        for (const auto& column : columns_)
            if (column.x >= 0 && static_cast<std::uint32_t>(column.x) < width)
                for (std::uint32_t y = 0; y < height; ++y)
                    Interpolate(column.x, y, false);
    }

    std::vector<_KIPImageFlawMapEntry> repaired;

private:
    struct Neighbour {
        int dx, dy;
        double weight;
    };

    bool IsFlawed(std::int64_t x, std::int64_t y) const {
        auto x32 = static_cast<std::int32_t>(x), y32 = static_cast<std::int32_t>(y);
        return flawedColumns_.count(x32) != 0 || flawedRows_.count(y32) != 0 ||
               flawedPixels_.count({x32, y32}) != 0;
    }
    bool InRange(std::int64_t x, std::int64_t y) const {
        return samples_ != nullptr && x >= 0 && y >= 0 && x < width_ && y < height_;
    }
    std::uint16_t& At(std::int64_t x, std::int64_t y) const {
        std::int64_t row = bottomUp_ ? height_ - 1 - y : y;
        return samples_[static_cast<std::size_t>(row) * rowPitch_ + static_cast<std::size_t>(x)];
    }
    std::uint16_t GetSample(std::int64_t x, std::int64_t y) const {
        return !InRange(x, y) || IsFlawed(x, y) ? 0 : At(x, y);
    }
    void SetSample(std::int64_t x, std::int64_t y, std::uint32_t value) const {
        if (InRange(x, y))
            At(x, y) = static_cast<std::uint16_t>(value);
    }

    bool AddNeighbour(std::int64_t x, std::int64_t y, double weight) {
        if (!InRange(x, y) || IsFlawed(x, y))
            return false;
        std::uint16_t sample = GetSample(x, y);
        ++count_;
        weightTotal_ += weight;
        weightedSum_ += static_cast<std::int32_t>(std::trunc(sample * weight + 0.5));
        values_.push_back(sample);
        return true;
    }

    void RepairPixel(std::int64_t x, std::int64_t y) {
        weightedSum_ = 0;
        count_ = 0;
        weightTotal_ = 0;
        values_.clear();
        if (!InRange(x, y))
            return;
        static const Neighbour near[] = {{-1, -1, 50}, {0, -1, 100}, {1, -1, 50}, {-1, 0, 100},
                                         {1, 0, 100},  {-1, 1, 50},  {0, 1, 100}, {1, 1, 50}};
        static const Neighbour ring[] = {{-2, -2, 10}, {-1, -2, 25}, {0, -2, 33}, {1, -2, 25},
                                         {2, -2, 10},  {-2, -1, 25}, {2, -1, 25}, {-2, 0, 33},
                                         {2, 0, 33},   {-2, 1, 25},  {2, 1, 25},  {-2, 2, 10},
                                         {-1, 2, 25},  {0, 2, 33},   {1, 2, 25},  {2, 2, 10}};
        for (const Neighbour& n : near)
            AddNeighbour(x + n.dx, y + n.dy, n.weight);
        if (count_ <= 2)
            for (const Neighbour& n : ring)
                AddNeighbour(x + n.dx, y + n.dy, n.weight);
        if (count_ != 0) {
            std::uint32_t value = 0;
            if (useMedian_) {
                std::sort(values_.begin(), values_.end());
                value = values_[values_.size() / 2];
            } else {
                value = static_cast<std::uint32_t>(
                    std::trunc(static_cast<std::uint32_t>(weightedSum_) / weightTotal_ + 0.5));
            }
            SetSample(x, y, value);
        }
        repaired.push_back({static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), 0});
    }

    void Interpolate(std::int64_t x, std::int64_t y, bool row) {
        const std::int64_t limit = row ? height_ : width_;
        const std::int64_t at = row ? y : x;
        auto good = [&](std::int64_t p) { return row ? !IsFlawed(x, p) : !IsFlawed(p, y); };
        std::int64_t before = at - 1;
        while (before >= 0 && !good(before))
            --before;
        std::int64_t after = at + 1;
        while (after < limit && !good(after))
            ++after;
        if (before < 0 || after >= limit) {
            RepairPixel(x, y);
            return;
        }
        double a = row ? GetSample(x, before) : GetSample(before, y);
        double b = row ? GetSample(x, after) : GetSample(after, y);
        double value =
            a + std::trunc(static_cast<double>(at - before) / (after - before) * (b - a) + 0.5);
        SetSample(x, y, static_cast<std::uint32_t>(value));
    }

    std::vector<_KIPImageFlawMapEntry> pixels_, rows_, columns_;
    std::set<std::pair<std::int32_t, std::int32_t>> flawedPixels_;
    std::set<std::int32_t> flawedRows_, flawedColumns_;
    std::uint16_t* samples_ = nullptr;
    std::uint32_t width_ = 0, height_ = 0, rowPitch_ = 0;
    bool bottomUp_ = false, useMedian_ = false;
    std::int32_t weightedSum_ = 0;
    std::uint32_t count_ = 0;
    double weightTotal_ = 0;
    std::vector<std::uint32_t> values_;
};

} // namespace oracle
