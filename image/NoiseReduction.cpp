#include "image/NoiseReduction.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

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

// The cross of five sorted by a nine-exchange network; its middle is the third
// smallest, which the three-slot tracker of the smallest values also yields.
TOVI_PIXEL_LOOP void FastMedianRow(const std::uint16_t* __restrict__ above,
                                   const std::uint16_t* __restrict__ row,
                                   const std::uint16_t* __restrict__ below,
                                   std::uint16_t* __restrict__ out, std::size_t width) {
    for (std::size_t x = 1; x + 1 < width; ++x) {
        std::int16_t p0 = Biased(above[x]), p1 = Biased(row[x - 1]), p2 = Biased(row[x]);
        std::int16_t p3 = Biased(row[x + 1]), p4 = Biased(below[x]);
        Order(p0, p1);
        Order(p3, p4);
        Order(p2, p4);
        Order(p2, p3);
        Order(p0, p3);
        Order(p0, p2);
        Order(p1, p4);
        Order(p1, p3);
        Order(p1, p2);
        out[x] = Unbiased(p2);
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
        std::uint32_t width = image_.GetWidth();
        std::fill_n(out, half_, Biased(source[0]));
        for (std::uint32_t x = 0; x < width; ++x)
            out[half_ + x] = Biased(source[x]);
        std::fill_n(out + half_ + width, half_, Biased(source[width - 1]));
    }

    const CKIPImage16Bit& image_;
    std::uint32_t k_;
    std::uint32_t half_;
    std::size_t pitch_;
    std::vector<std::int16_t> rows_; // biased samples
    std::vector<std::int64_t> loaded_;
    std::vector<const std::int16_t*> slots_;
};

// Median of nine with the classic 19-exchange network, across a whole row.
TOVI_PIXEL_LOOP void Median3Row(const WindowRows& window, std::uint16_t* __restrict__ out,
                                std::size_t width) {
    const std::int16_t* __restrict__ r0 = window.Row(0);
    const std::int16_t* __restrict__ r1 = window.Row(1);
    const std::int16_t* __restrict__ r2 = window.Row(2);
    for (std::size_t x = 0; x < width; ++x) {
        std::int16_t p0 = r0[x], p1 = r0[x + 1], p2 = r0[x + 2];
        std::int16_t p3 = r1[x], p4 = r1[x + 1], p5 = r1[x + 2];
        std::int16_t p6 = r2[x], p7 = r2[x + 1], p8 = r2[x + 2];
        Order(p1, p2);
        Order(p4, p5);
        Order(p7, p8);
        Order(p0, p1);
        Order(p3, p4);
        Order(p6, p7);
        Order(p1, p2);
        Order(p4, p5);
        Order(p7, p8);
        Order(p0, p3);
        Order(p5, p8);
        Order(p4, p7);
        Order(p3, p6);
        Order(p1, p4);
        Order(p2, p5);
        Order(p4, p7);
        Order(p4, p2);
        Order(p6, p4);
        Order(p4, p2);
        out[x] = Unbiased(p4);
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

} // namespace

std::unique_ptr<CKIPImage16Bit> FastMedian(const CKIPImage16Bit* image, ProgressCallback progress) {
    if (image == nullptr || !image->IsValid())
        return nullptr;
    auto result = image->Clone();
    if (!result)
        return nullptr;
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
    if (!ForEachRowInBands(inner, 32, progress, makeWorker))
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
    std::shared_ptr<const MedianNetwork> network;
    if (k > 3 && k <= 7 && width >= kNetworkLanes)
        network = std::make_shared<MedianNetwork>(k);
    EscapeAbort::ClearAbort();
    auto makeWorker = [&] {
        auto window = std::make_shared<WindowRows>(*image, k);
        auto values = std::make_shared<std::vector<std::int16_t>>(
            network ? std::size_t{network->Size()} * kNetworkLanes : 0);
        auto list = std::make_shared<std::vector<std::uint32_t>>();
        list->reserve(static_cast<std::size_t>(k) * k);
        return [&, window, values, list](std::uint32_t y) {
            window->Load(y);
            if (k == 3)
                Median3Row(*window, result->GetRow(y), width);
            else if (network)
                MedianNetworkRow(*network, *window, k, *values, result->GetRow(y), width);
            else
                MedianKRow(*window, k, *list, result->GetRow(y), width);
        };
    };
    if (!ForEachRowInBands(height, 32, progress, makeWorker))
        return nullptr;
    return result;
}
