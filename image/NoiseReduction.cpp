#include "image/NoiseReduction.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

#include "image/MedianNetworks.h"
#include "image/Multiversion.h"
#include "image/ResultImage.h"
#include "image/RowBands.h"

namespace {

// Samples are ordered as signed 16-bit values with the top bit flipped, which
// keeps their order and lets SSE2's signed minimum and maximum sort them.
inline std::int16_t Biased(std::uint16_t v) {
    return static_cast<std::int16_t>(v ^ 0x8000);
}
inline std::uint16_t Unbiased(std::int16_t v) {
    return static_cast<std::uint16_t>(static_cast<std::uint16_t>(v) ^ 0x8000);
}

inline void Order(std::int16_t& a, std::int16_t& b) {
    std::int16_t low = std::min(a, b);
    b = std::max(a, b);
    a = low;
}

inline std::int16_t MedianOfThree(std::int16_t a, std::int16_t b, std::int16_t c) {
    return std::max(std::min(a, b), std::min(std::max(a, b), c));
}

// Runs a comparator network on v with every index known at compile time, so
// that v lives in registers and the loop around it vectorises across pixels.
template <const auto& Network, std::size_t... I>
[[gnu::always_inline]] inline void ApplyNetwork(std::int16_t* v, std::index_sequence<I...>) {
    (Order(v[Network[I].low], v[Network[I].high]), ...);
}
template <const auto& Network> [[gnu::always_inline]] inline void ApplyNetwork(std::int16_t* v) {
    ApplyNetwork<Network>(v, std::make_index_sequence<std::size(Network)>());
}

// The median of the five-sample cross is the middle one of the centre, the
// larger of the two pairs' lows and the smaller of their highs.
TOVI_PIXEL_LOOP void FastMedianRow(const std::uint16_t* __restrict__ above,
                                   const std::uint16_t* __restrict__ row,
                                   const std::uint16_t* __restrict__ below,
                                   std::uint16_t* __restrict__ out, std::size_t width) {
    for (std::size_t x = 1; x + 1 < width; ++x) {
        std::int16_t up = Biased(above[x]), down = Biased(below[x]);
        std::int16_t left = Biased(row[x - 1]), right = Biased(row[x + 1]);
        std::int16_t low = std::max(std::min(up, down), std::min(left, right));
        std::int16_t high = std::min(std::max(up, down), std::max(left, right));
        out[x] = Unbiased(MedianOfThree(Biased(row[x]), low, high));
    }
}

// Rows y - half ... y + half, clamped, each padded left and right by half samples.
class WindowRows {
public:
    WindowRows(const CKIPImage16Bit& image, std::uint32_t k)
        : image_(image), k_(k), half_(k / 2), pitch_(image.GetWidth() + 2 * (k / 2)),
          rows_(static_cast<std::size_t>(k) * pitch_), loaded_(k, -1), slots_(k) {}

    // Each source row is biased and padded once while the window moves down.
    void Load(std::uint32_t y) {
        for (std::uint32_t dy = 0; dy < k_; ++dy) {
            std::int64_t yy =
                std::clamp<std::int64_t>(std::int64_t{y} - half_ + dy, 0, image_.GetHeight() - 1);
            std::size_t slot = static_cast<std::size_t>(yy % k_);
            if (loaded_[slot] != yy) {
                BiasRow(image_.GetRow(static_cast<std::uint32_t>(yy)), &rows_[slot * pitch_]);
                loaded_[slot] = yy;
            }
            slots_[dy] = &rows_[slot * pitch_];
        }
    }
    // Window row dy: sample dx of output column x is Row(dy)[x + dx].
    const std::int16_t* Row(std::uint32_t dy) const { return slots_[dy]; }

private:
    void BiasRow(const std::uint16_t* source, std::int16_t* out) const {
        const std::size_t width = image_.GetWidth();
        std::fill_n(out, half_, Biased(source[0]));
        std::int16_t* __restrict__ body = out + half_;
        for (std::size_t x = 0; x < width; ++x) // size_t indices keep this loop vectorised
            body[x] = Biased(source[x]);
        std::fill_n(body + width, half_, Biased(source[width - 1]));
    }

    const CKIPImage16Bit& image_;
    std::uint32_t k_;
    std::uint32_t half_;
    std::size_t pitch_;
    std::vector<std::int16_t> rows_; // biased samples
    std::vector<std::int64_t> loaded_;
    std::vector<const std::int16_t*> slots_;
};

// The k samples of each window column in order, one array per rank, with the
// columns of the picture at half ... half + width - 1 and the edge columns
// repeated half times on either side.
class SortedColumns {
public:
    SortedColumns(std::uint32_t k, std::uint32_t width)
        : half_(k / 2), width_(width), pitch_(std::size_t{width} + 2 * half_), ranks_(k * pitch_) {}
    std::int16_t* Rank(std::uint32_t r) { return &ranks_[r * pitch_]; }
    const std::int16_t* Rank(std::uint32_t r) const { return &ranks_[r * pitch_]; }
    // Where column 0 of the picture goes.
    std::int16_t* Picture(std::uint32_t r) { return Rank(r) + half_; }

    void RepeatEdges() {
        for (std::uint32_t r = 0; r < 2 * half_ + 1 && r * pitch_ < ranks_.size(); ++r) {
            std::int16_t* rank = Picture(r);
            std::fill(rank - half_, rank, rank[0]);
            std::fill(rank + width_, rank + width_ + half_, rank[width_ - 1]);
        }
    }

private:
    std::uint32_t half_;
    std::uint32_t width_;
    std::size_t pitch_;
    std::vector<std::int16_t> ranks_;
};

// Row y + dy of the picture, clamped to its first and last rows.
const std::uint16_t* ClampedRow(const CKIPImage16Bit& image, std::uint32_t y, int dy) {
    std::int64_t row = std::clamp<std::int64_t>(std::int64_t{y} + dy, 0, image.GetHeight() - 1);
    return image.GetRow(static_cast<std::uint32_t>(row));
}

// Restricted parameters, as GCC does not trust restricted locals.
TOVI_PIXEL_LOOP void SortThreeRows(const std::uint16_t* __restrict__ a,
                                   const std::uint16_t* __restrict__ b,
                                   const std::uint16_t* __restrict__ c,
                                   std::int16_t* __restrict__ lows,
                                   std::int16_t* __restrict__ middles,
                                   std::int16_t* __restrict__ highs, std::size_t count) {
    for (std::size_t x = 0; x < count; ++x) {
        std::int16_t p = Biased(a[x]), q = Biased(b[x]), r = Biased(c[x]);
        std::int16_t low = std::min(p, q), high = std::max(p, q);
        lows[x] = std::min(low, r);
        middles[x] = std::max(low, std::min(high, r));
        highs[x] = std::max(high, r);
    }
}

void SortColumnsOfThree(const CKIPImage16Bit& image, std::uint32_t y, SortedColumns& columns) {
    SortThreeRows(ClampedRow(image, y, -1), image.GetRow(y), ClampedRow(image, y, 1),
                  columns.Picture(0), columns.Picture(1), columns.Picture(2), image.GetWidth());
    columns.RepeatEdges();
}

// The median of nine is the middle one of the largest column low, the middle
// column middle and the smallest column high.
TOVI_PIXEL_LOOP void Median3Row(const SortedColumns& columns, std::uint16_t* __restrict__ out,
                                std::size_t width) {
    const std::int16_t* __restrict__ lows = columns.Rank(0);
    const std::int16_t* __restrict__ middles = columns.Rank(1);
    const std::int16_t* __restrict__ highs = columns.Rank(2);
    for (std::size_t x = 0; x < width; ++x) {
        std::int16_t low = std::max(std::max(lows[x], lows[x + 1]), lows[x + 2]);
        std::int16_t high = std::min(std::min(highs[x], highs[x + 1]), highs[x + 2]);
        std::int16_t middle = MedianOfThree(middles[x], middles[x + 1], middles[x + 2]);
        out[x] = Unbiased(MedianOfThree(low, middle, high));
    }
}

TOVI_PIXEL_LOOP void
SortFiveRows(const std::uint16_t* __restrict__ a, const std::uint16_t* __restrict__ b,
             const std::uint16_t* __restrict__ c, const std::uint16_t* __restrict__ d,
             const std::uint16_t* __restrict__ e, std::int16_t* __restrict__ rank0,
             std::int16_t* __restrict__ rank1, std::int16_t* __restrict__ rank2,
             std::int16_t* __restrict__ rank3, std::int16_t* __restrict__ rank4,
             std::size_t count) {
    for (std::size_t x = 0; x < count; ++x) {
        std::int16_t v[5] = {Biased(a[x]), Biased(b[x]), Biased(c[x]), Biased(d[x]), Biased(e[x])};
        ApplyNetwork<kSortFive>(v);
        rank0[x] = v[0];
        rank1[x] = v[1];
        rank2[x] = v[2];
        rank3[x] = v[3];
        rank4[x] = v[4];
    }
}

void SortColumnsOfFive(const CKIPImage16Bit& image, std::uint32_t y, SortedColumns& columns) {
    SortFiveRows(ClampedRow(image, y, -2), ClampedRow(image, y, -1), image.GetRow(y),
                 ClampedRow(image, y, 1), ClampedRow(image, y, 2), columns.Picture(0),
                 columns.Picture(1), columns.Picture(2), columns.Picture(3), columns.Picture(4),
                 image.GetWidth());
    columns.RepeatEdges();
}

TOVI_PIXEL_LOOP void Median5Row(const SortedColumns& columns, std::uint16_t* __restrict__ out,
                                std::size_t width) {
    const std::int16_t* __restrict__ ranks[5];
    for (std::uint32_t r = 0; r < 5; ++r)
        ranks[r] = columns.Rank(r);
    for (std::size_t x = 0; x < width; ++x) {
        std::int16_t v[25];
        for (std::uint32_t c = 0; c < 5; ++c)
            for (std::uint32_t r = 0; r < 5; ++r)
                v[5 * c + r] = ranks[r][x + c];
        ApplyNetwork<kMedianOfSortedFives>(v);
        out[x] = Unbiased(v[12]);
    }
}

// A comparator network that leaves the element of rank n / 2 of k x k values at
// that index: Batcher's odd-even merge sort of the next power of two, inputs past
// n padded with the largest value, and pruned to the comparators the rank depends on.
class MedianNetwork {
public:
    explicit MedianNetwork(std::uint32_t k) : count_(k * k), rank_(k * k / 2) {
        while (size_ < count_)
            size_ *= 2;
        std::vector<std::pair<std::uint8_t, std::uint8_t>> all;
        SortRange(0, size_ - 1, all);
        std::vector<bool> needed(size_, false);
        needed[rank_] = true;
        for (auto it = all.rbegin(); it != all.rend(); ++it) {
            if (needed[it->first] || needed[it->second]) {
                needed[it->first] = needed[it->second] = true;
                comparators_.push_back(*it);
            }
        }
        std::reverse(comparators_.begin(), comparators_.end());
    }

    std::uint32_t Size() const { return size_; }
    std::uint32_t Count() const { return count_; }
    std::uint32_t Rank() const { return rank_; }
    const std::vector<std::pair<std::uint8_t, std::uint8_t>>& Comparators() const {
        return comparators_;
    }

private:
    using List = std::vector<std::pair<std::uint8_t, std::uint8_t>>;
    static void Merge(std::uint32_t lo, std::uint32_t hi, std::uint32_t r, List& out) {
        std::uint32_t step = r * 2;
        if (step < hi - lo) {
            Merge(lo, hi, step, out);
            Merge(lo + r, hi, step, out);
            for (std::uint32_t i = lo + r; i + r < hi; i += step)
                out.emplace_back(static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i + r));
        } else {
            out.emplace_back(static_cast<std::uint8_t>(lo), static_cast<std::uint8_t>(lo + r));
        }
    }
    static void SortRange(std::uint32_t lo, std::uint32_t hi, List& out) {
        if (hi - lo < 1)
            return;
        std::uint32_t mid = lo + (hi - lo) / 2;
        SortRange(lo, mid, out);
        SortRange(mid + 1, hi, out);
        Merge(lo, hi, 1, out);
    }

    std::uint32_t count_;
    std::uint32_t rank_;
    std::uint32_t size_ = 1;
    std::vector<std::pair<std::uint8_t, std::uint8_t>> comparators_;
};

constexpr std::size_t kNetworkLanes = 32;

// The median of kNetworkLanes neighbouring windows starting at column x at once.
TOVI_PIXEL_LOOP void MedianNetworkBlock(const MedianNetwork& network, const WindowRows& window,
                                        std::uint32_t k, std::size_t x, std::int16_t* values,
                                        std::uint16_t* out) {
    for (std::uint32_t dy = 0; dy < k; ++dy)
        for (std::uint32_t dx = 0; dx < k; ++dx)
            std::memcpy(values + (dy * k + dx) * kNetworkLanes, window.Row(dy) + x + dx,
                        kNetworkLanes * sizeof(std::int16_t));
    for (std::uint32_t i = network.Count(); i < network.Size(); ++i)
        std::fill_n(values + i * kNetworkLanes, kNetworkLanes, INT16_MAX);
    for (const auto& [low, high] : network.Comparators()) {
        std::int16_t* __restrict__ a = values + low * kNetworkLanes;
        std::int16_t* __restrict__ b = values + high * kNetworkLanes;
        for (std::size_t lane = 0; lane < kNetworkLanes; ++lane) {
            std::int16_t smaller = std::min(a[lane], b[lane]);
            b[lane] = std::max(a[lane], b[lane]);
            a[lane] = smaller;
        }
    }
    const std::int16_t* median = values + network.Rank() * kNetworkLanes;
    for (std::size_t lane = 0; lane < kNetworkLanes; ++lane)
        out[x + lane] = Unbiased(median[lane]);
}

void MedianNetworkRow(const MedianNetwork& network, const WindowRows& window, std::uint32_t k,
                      std::vector<std::int16_t>& values, std::uint16_t* out, std::uint32_t width) {
    std::size_t x = 0;
    for (; x + kNetworkLanes <= width; x += kNetworkLanes)
        MedianNetworkBlock(network, window, k, x, values.data(), out);
    if (x < width) // the last block overlaps the one before and writes the same values
        MedianNetworkBlock(network, window, k, width - kNetworkLanes, values.data(), out);
}

void MedianKRow(const WindowRows& window, std::uint32_t k, std::vector<std::uint32_t>& list,
                std::uint16_t* out, std::uint32_t width) {
    for (std::uint32_t x = 0; x < width; ++x) {
        list.clear();
        for (std::uint32_t dy = 0; dy < k; ++dy) {
            const std::int16_t* row = window.Row(dy) + x;
            for (std::uint32_t dx = 0; dx < k; ++dx)
                list.push_back(Unbiased(row[dx]));
        }
        auto middle = list.begin() + static_cast<std::ptrdiff_t>(list.size() / 2);
        std::nth_element(list.begin(), middle, list.end());
        out[x] = static_cast<std::uint16_t>(*middle);
    }
}

// One thread's work space for the rows of a k x k median.
struct MedianWork {
    MedianWork(const CKIPImage16Bit& image, std::uint32_t k, const MedianNetwork* network)
        : window(image, k == 3 || k == 5 ? 0 : k),
          columns(k == 3 || k == 5 ? k : 0, image.GetWidth()),
          values(network ? std::size_t{network->Size()} * kNetworkLanes : 0) {
        list.reserve(std::size_t{k} * k);
    }
    WindowRows window;
    SortedColumns columns;
    std::vector<std::int16_t> values;
    std::vector<std::uint32_t> list;
};

void MedianRow(const CKIPImage16Bit& image, std::uint32_t y, std::uint32_t k,
               const MedianNetwork* network, MedianWork& work, std::uint16_t* out) {
    const std::uint32_t width = image.GetWidth();
    if (k == 3) {
        SortColumnsOfThree(image, y, work.columns);
        Median3Row(work.columns, out, width);
    } else if (k == 5) {
        SortColumnsOfFive(image, y, work.columns);
        Median5Row(work.columns, out, width);
    } else {
        work.window.Load(y);
        if (network != nullptr)
            MedianNetworkRow(*network, work.window, k, work.values, out, width);
        else
            MedianKRow(work.window, k, work.list, out, width);
    }
}

// Keeps the outermost rows and columns, which the cross does not cover.
void CopyFrame(const CKIPImage16Bit& image, CKIPImage16Bit& result) {
    const std::uint32_t width = image.GetWidth();
    const std::uint32_t height = image.GetHeight();
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint16_t* row = image.GetRow(y);
        std::uint16_t* out = result.GetRow(y);
        if (y == 0 || y + 1 == height || width <= 2) {
            std::copy_n(row, width, out);
        } else {
            out[0] = row[0];
            out[width - 1] = row[width - 1];
        }
    }
}

} // namespace

std::unique_ptr<CKIPImage16Bit> FastMedian(const CKIPImage16Bit* image, ProgressCallback progress) {
    if (image == nullptr || !image->IsValid())
        return nullptr;
    auto result = NewResult(*image);
    if (!result)
        return nullptr;
    CopyFrame(*image, *result);
    const std::uint32_t width = image->GetWidth();
    const std::uint32_t height = image->GetHeight();
    EscapeAbort::ClearAbort();
    // The first and last rows are not filtered; the bands cover the rows between.
    std::uint32_t inner = height > 2 ? height - 2 : 0;
    auto makeWorker = [&] {
        return [&](std::uint32_t row) {
            std::uint32_t y = row + 1;
            FastMedianRow(image->GetRow(y - 1), image->GetRow(y), image->GetRow(y + 1),
                          result->GetRow(y), width);
        };
    };
    if (!ForEachRowInChunks(inner, 32, progress, makeWorker))
        return nullptr;
    return result;
}

std::unique_ptr<CKIPImage16Bit> MedianFilter(const CKIPImage16Bit* image, std::uint32_t k,
                                             ProgressCallback progress) {
    if (image == nullptr || !image->IsValid())
        return nullptr;
    if (k > image->GetWidth() || k > image->GetHeight())
        return nullptr;              // the window must fit the picture
    auto result = NewResult(*image); // every picture sample is written
    if (!result)
        return nullptr;
    if (k == 0) { // an empty window yields 0
        std::fill_n(result->GetPixels(), result->SampleCount(), 0);
        return result;
    }
    const std::uint32_t width = image->GetWidth();
    const std::uint32_t height = image->GetHeight();
    std::unique_ptr<const MedianNetwork> network;
    if (k > 3 && k <= 7 && k != 5 && width >= kNetworkLanes)
        network = std::make_unique<MedianNetwork>(k);
    EscapeAbort::ClearAbort();
    auto makeWorker = [&] {
        return [&, work = std::make_unique<MedianWork>(*image, k, network.get())](std::uint32_t y) {
            MedianRow(*image, y, k, network.get(), *work, result->GetRow(y));
        };
    };
    if (!ForEachRowInChunks(height, 32, progress, makeWorker))
        return nullptr;
    return result;
}
