#pragma once

#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "image/FrameFlaws.h"

struct _KIPImageFlawMapEntry {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t kind = 0; // 2: flaw column, 3: flaw row, otherwise a flaw pixel
};

// A sensor's defective pixels, rows and columns, and the repairs of a frame in
// place. No flaw is listed twice and no flaw pixel lies on a flaw row or column.
class FlawMap {
public:
    static constexpr std::int32_t kColumn = 2;
    static constexpr std::int32_t kRow = 3;

    FlawMap() = default;

    void CopyFlaws(const FlawMap& source);
    void ClearFlaws();
    void AddPixelFlaw(std::int32_t x, std::int32_t y);
    void AddColumnFlaw(std::int32_t x);
    void AddRowFlaw(std::int32_t y);
    bool IsFlawed(std::int32_t x, std::int32_t y) const;
    // Scales every coordinate, half up or truncating (values read as unsigned).
    void ScaleFlaws(double factor, bool roundHalfUp);

    void FillFlaws(std::uint16_t value, std::uint16_t* samples, std::uint32_t width,
                   std::uint32_t height, std::uint32_t rowPad, bool bottomUp);
    // The 2000-series repair: neighbour-weighted means.
    void RepairByNeighbours(std::uint16_t* samples, std::uint32_t width, std::uint32_t height,
                            std::uint32_t rowPad, bool bottomUp);
    // The ToviRay repair: flaw rows and columns interpolated between good lines;
    // linear in the frame's size, however many lines are flawed.
    void RepairByInterpolation(std::uint16_t* samples, std::uint32_t width, std::uint32_t height,
                               std::uint32_t rowPad, bool bottomUp, bool useMedian);

    const std::vector<_KIPImageFlawMapEntry>& FlawPixels() const { return flawPixels_; }
    const std::vector<_KIPImageFlawMapEntry>& FlawRows() const { return flawRows_; }
    const std::vector<_KIPImageFlawMapEntry>& FlawColumns() const { return flawColumns_; }
    const std::vector<_KIPImageFlawMapEntry>& RepairedPixels() const { return repairedPixels_; }

private:
    static std::uint64_t PixelKey(std::int32_t x, std::int32_t y) {
        return (std::uint64_t{static_cast<std::uint32_t>(x)} << 32) | static_cast<std::uint32_t>(y);
    }
    // Removes the flaw pixels for which onLine holds, keeping the order of the rest.
    template <typename Predicate> void RemovePixelsWhere(Predicate onLine);
    void RebuildIndex();
    void SetFrame(std::uint16_t* samples, std::uint32_t width, std::uint32_t height,
                  std::uint32_t rowPad, bool bottomUp);
    // The flaws of the frame set, for the repairs' look-ups, and their release.
    void IndexFrameFlaws();
    void ReleaseFrameIndex();
    bool InRange(std::int64_t x, std::int64_t y) const;
    std::uint16_t GetSample(std::int64_t x, std::int64_t y) const;
    void SetSample(std::int64_t x, std::int64_t y, std::uint32_t value);
    void ResetNeighbours();
    bool AddNeighbour(std::int64_t x, std::int64_t y, double weight);
    void WriteRepairedValue(std::int64_t x, std::int64_t y);
    void RepairPixel(std::int64_t x, std::int64_t y);
    // Both directions of a flaw line: along rows (row true) or columns.
    void RepairLineByNeighbours(std::int64_t x, std::int64_t y, bool row);
    void InterpolateLine(std::int64_t x, std::int64_t y, bool row);

    std::vector<_KIPImageFlawMapEntry> flawPixels_;
    std::vector<_KIPImageFlawMapEntry> flawRows_;
    std::vector<_KIPImageFlawMapEntry> flawColumns_;
    std::vector<_KIPImageFlawMapEntry> repairedPixels_;
    // Indexes of the three lists for IsFlawed; always the same flaws as the lists.
    std::unordered_set<std::uint64_t> pixelIndex_;
    std::unordered_set<std::int32_t> rowIndex_;
    std::unordered_set<std::int32_t> columnIndex_;
    std::unordered_map<std::int32_t, std::uint32_t> pixelsOnRow_;
    std::unordered_map<std::int32_t, std::uint32_t> pixelsOnColumn_;

    // The frame's flaws while a repair runs, and the interpolation's good lines.
    FrameFlaws frameFlaws_;
    FlawLineNeighbours acrossRows_;
    FlawLineNeighbours acrossColumns_;

    std::vector<std::uint32_t> neighbourValues_;
    std::uint16_t* samples_ = nullptr;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    std::uint32_t rowPitch_ = 0;
    std::int32_t weightedSum_ = 0;
    std::uint32_t neighbourCount_ = 0;
    double weightTotal_ = 0;
    bool bottomUp_ = false;
    bool useMedian_ = true;
};
