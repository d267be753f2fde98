#include "image/GroupedKernel.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "image/Multiversion.h"

namespace convolution_detail {

namespace {

std::uint64_t Bits(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Integer sums of up to this many samples of 16 bits stay within 31 bits.
constexpr std::uint32_t kMostCells = 32767;
// Smaller kernels are as quick tap by tap (measured on 3 x 3 to 9 x 9).
constexpr std::uint32_t kFewestCells = 81;

// Rough costs per pixel, in vector instructions, of the two ways to the sum.
double DirectCost(std::uint32_t cells) {
    return 0.6 * cells;
}
double GroupedCost(std::uint32_t rows, std::size_t terms, std::size_t groups) {
    return 0.25 * rows + 0.125 * static_cast<double>(terms) +
           0.75 * static_cast<double>(groups + 1);
}

// The relative error bound of a sum of n products.
double Gamma(double n) {
    const double u = std::ldexp(1.0, -53);
    return n * u / (1 - n * u);
}

} // namespace

std::unique_ptr<const GroupedKernel> GroupedKernel::Plan(const FilterKernel& kernel) {
    const std::uint32_t rows = kernel.Rows(), cols = kernel.Cols();
    const std::uint32_t cells = rows * cols;
    if (cells < kFewestCells || cells > kMostCells)
        return nullptr;
    auto plan = std::unique_ptr<GroupedKernel>(new GroupedKernel);
    plan->cols_ = cols;
    plan->cells_ = cells;
    plan->centre_ = kernel.Coefficient(kernel.CentreRow(), kernel.CentreCol());
    // Rows compare with the centre cell taken out, so mirrored rows still match.
    auto coefficient = [&](std::uint32_t r, std::uint32_t c) {
        return r == kernel.CentreRow() && c == kernel.CentreCol() ? 0.0 : kernel.Coefficient(r, c);
    };
    auto sameRow = [&](std::uint32_t a, std::uint32_t b) {
        for (std::uint32_t c = 0; c < cols; ++c)
            if (Bits(coefficient(a, c)) != Bits(coefficient(b, c)))
                return false;
        return true;
    };
    std::vector<std::uint32_t> representatives; // first kernel row of each class
    for (std::uint32_t r = 0; r < rows; ++r) {
        auto match = std::find_if(representatives.begin(), representatives.end(),
                                  [&](std::uint32_t first) { return sameRow(first, r); });
        plan->rowClassOf_.push_back(static_cast<std::uint32_t>(match - representatives.begin()));
        if (match == representatives.end())
            representatives.push_back(r);
        for (std::uint32_t c = 0; c < cols; ++c)
            plan->absoluteSum_ += std::abs(kernel.Coefficient(r, c));
    }
    if (!std::isfinite(plan->absoluteSum_))
        return nullptr;
    plan->rowClassCount_ = static_cast<std::uint32_t>(representatives.size());
    std::map<std::uint64_t, std::vector<Term>> byCoefficient;
    std::vector<double> order; // coefficients in order of appearance
    for (std::uint32_t rowClass = 0; rowClass < plan->rowClassCount_; ++rowClass) {
        for (std::uint32_t c = 0; c < cols; ++c) {
            double value = coefficient(representatives[rowClass], c);
            if (value == 0)
                continue; // adds nothing, exactly
            auto& terms = byCoefficient[Bits(value)];
            if (terms.empty())
                order.push_back(value);
            terms.push_back({rowClass, c});
        }
    }
    for (double value : order) {
        const auto& terms = byCoefficient[Bits(value)];
        plan->groups_.push_back({value, static_cast<std::uint32_t>(plan->terms_.size()),
                                 static_cast<std::uint32_t>(terms.size())});
        plan->terms_.insert(plan->terms_.end(), terms.begin(), terms.end());
    }
    if (GroupedCost(rows, plan->terms_.size(), plan->groups_.size()) >= 0.8 * DirectCost(cells))
        return nullptr;
    return plan;
}

double GroupedKernel::Tolerance(double scale, bool addSource) const {
    // Both sums lie within gamma(terms) x sum |c_i v_i| of the exact sum.
    const double u = std::ldexp(1.0, -53);
    const double bound = std::abs(scale) * 65535.0 * absoluteSum_;
    const double sums = bound * (Gamma(cells_) + Gamma(static_cast<double>(groups_.size()) + 1));
    // Scaling and adding the source sample round once more on either side.
    const double steps = 4 * u * (bound + (addSource ? 65536.0 : 0.0) + 1);
    return 2 * (sums + steps) + 1e-9;
}

namespace {

typedef std::int32_t Ints __attribute__((vector_size(32)));
typedef std::int32_t HalfInts __attribute__((vector_size(16)));
typedef std::uint16_t Shorts __attribute__((vector_size(8)));
typedef double Doubles __attribute__((vector_size(32)));
constexpr std::size_t kLanes = 8; // of Ints; Doubles, HalfInts and Shorts hold half as many
constexpr std::size_t kVectors = 4;
constexpr std::size_t kBlock = kLanes * kVectors;

// out += the row padded by pad repeated edge samples, or out = it when first.
TOVI_PIXEL_LOOP void AddPaddedRow(const std::uint16_t* __restrict__ row, std::size_t width,
                                  std::size_t pad, bool first, std::int32_t* __restrict__ out) {
    if (first)
        std::fill_n(out, width + 2 * pad, 0);
    for (std::size_t i = 0; i < pad; ++i)
        out[i] += row[0];
    std::int32_t* __restrict__ picture = out + pad;
    for (std::size_t x = 0; x < width; ++x)
        picture[x] += row[x];
    for (std::size_t i = 0; i < pad; ++i)
        picture[width + i] += row[width - 1];
}

// Sums of the kBlock neighbouring pixels from column x, the group sums held in registers.
TOVI_PIXEL_LOOP void GroupedBlock(const GroupedKernel& plan, const std::size_t* offsets,
                                  const std::int32_t* classRows, const std::uint16_t* centreRow,
                                  std::size_t x, double* __restrict__ sums) {
    Doubles total[2 * kVectors] = {};
    for (const GroupedKernel::Group& group : plan.Groups()) {
        Ints block[kVectors] = {};
        for (std::uint32_t t = group.firstTerm; t < group.firstTerm + group.termCount; ++t) {
            const std::int32_t* at = classRows + offsets[t] + x;
            for (std::size_t i = 0; i < kVectors; ++i) {
                Ints samples;
                std::memcpy(&samples, at + i * kLanes, sizeof samples);
                block[i] += samples;
            }
        }
        for (std::size_t i = 0; i < kVectors; ++i) {
            total[2 * i] += group.coefficient *
                            __builtin_convertvector(
                                __builtin_shufflevector(block[i], block[i], 0, 1, 2, 3), Doubles);
            total[2 * i + 1] +=
                group.coefficient *
                __builtin_convertvector(__builtin_shufflevector(block[i], block[i], 4, 5, 6, 7),
                                        Doubles);
        }
    }
    for (std::size_t i = 0; i < 2 * kVectors; ++i) {
        Shorts centre;
        std::memcpy(&centre, centreRow + x + i * kLanes / 2, sizeof centre);
        total[i] += plan.Centre() * __builtin_convertvector(centre, Doubles);
        std::memcpy(sums + x + i * kLanes / 2, &total[i], sizeof total[i]);
    }
}

// The same sum for one pixel.
double GroupedPixel(const GroupedKernel& plan, const std::size_t* offsets,
                    const std::int32_t* classRows, const std::uint16_t* centreRow, std::size_t x) {
    double total = 0;
    for (const GroupedKernel::Group& group : plan.Groups()) {
        std::int32_t sum = 0;
        for (std::uint32_t t = group.firstTerm; t < group.firstTerm + group.termCount; ++t)
            sum += classRows[offsets[t] + x];
        total += group.coefficient * sum;
    }
    return total + plan.Centre() * centreRow[x];
}

} // namespace

GroupedRows::GroupedRows(const GroupedKernel& plan, const CKIPImage16Bit& image)
    : plan_(plan), image_(image), pad_(plan.Cols() / 2),
      pitch_(std::size_t{image.GetWidth()} + 2 * pad_), classRows_(plan.RowClassCount() * pitch_) {
    for (const GroupedKernel::Term& term : plan.Terms())
        offsets_.push_back(term.rowClass * pitch_ + term.column);
}

void GroupedRows::SumRowClasses(std::uint32_t y) {
    std::vector<bool> started(plan_.RowClassCount(), false);
    const std::int64_t centreRow = plan_.Rows() / 2;
    const std::int64_t lastRow = std::int64_t{image_.GetHeight()} - 1;
    for (std::uint32_t r = 0; r < plan_.Rows(); ++r) {
        std::int64_t yy = std::clamp<std::int64_t>(std::int64_t{y} - centreRow + r, 0, lastRow);
        const std::uint32_t rowClass = plan_.RowClassOf(r);
        AddPaddedRow(image_.GetRow(static_cast<std::uint32_t>(yy)), image_.GetWidth(), pad_,
                     !started[rowClass], &classRows_[rowClass * pitch_]);
        started[rowClass] = true;
    }
}

void GroupedRows::Sums(std::uint32_t y, double* sums) {
    SumRowClasses(y);
    const std::size_t width = image_.GetWidth();
    const std::uint16_t* centreRow = image_.GetRow(y);
    const std::size_t* offsets = offsets_.data();
    const std::int32_t* classRows = classRows_.data();
    std::size_t x = 0;
    for (; x + kBlock <= width; x += kBlock)
        GroupedBlock(plan_, offsets, classRows, centreRow, x, sums);
    if (x < width && width >= kBlock) // the last block overlaps the one before, with equal sums
        GroupedBlock(plan_, offsets, classRows, centreRow, width - kBlock, sums);
    else
        for (; x < width; ++x)
            sums[x] = GroupedPixel(plan_, offsets, classRows, centreRow, x);
}

} // namespace convolution_detail
