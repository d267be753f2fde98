#pragma once

// A kernel's weighted sum reformulated for kernels with few distinct
// coefficients (smoothing, sharpening and Laplace kernels): the samples under
// equal coefficients are added as integers, exactly, and each distinct
// coefficient is multiplied once. The result differs from the formula's
// tap-by-tap sum by at most a bound known in advance, so a caller that rounds
// it can tell when the rounding could differ and ask for the formula's sum.

#include <cstdint>
#include <memory>
#include <vector>

#include "image/FilterKernel.h"
#include "image/Image16.h"

namespace convolution_detail {

class GroupedKernel {
public:
    // Null when grouping would not save work or its integer sums could overflow.
    static std::unique_ptr<const GroupedKernel> Plan(const FilterKernel& kernel);

    // The largest difference between the scaled grouped sum, plus a source
    // sample when addSource, and the same value from the formula's sum.
    double Tolerance(double scale, bool addSource) const;

    // A column of one row class: samples at column offset `column` of the
    // class's summed rows.
    struct Term {
        std::uint32_t rowClass;
        std::uint32_t column;
    };
    // The terms under one coefficient.
    struct Group {
        double coefficient;
        std::uint32_t firstTerm;
        std::uint32_t termCount;
    };

    std::uint32_t Rows() const { return static_cast<std::uint32_t>(rowClassOf_.size()); }
    std::uint32_t Cols() const { return cols_; }
    std::uint32_t RowClassOf(std::uint32_t r) const { return rowClassOf_[r]; }
    std::uint32_t RowClassCount() const { return rowClassCount_; }
    const std::vector<Term>& Terms() const { return terms_; }
    const std::vector<Group>& Groups() const { return groups_; }
    // The centre cell's coefficient, added on its own.
    double Centre() const { return centre_; }

private:
    std::uint32_t cols_ = 0;
    std::vector<std::uint32_t> rowClassOf_; // kernel rows with equal coefficients share a class
    std::uint32_t rowClassCount_ = 0;
    std::vector<Term> terms_;
    std::vector<Group> groups_;
    double centre_ = 0;
    double absoluteSum_ = 0; // of all coefficients
    std::uint32_t cells_ = 0;
};

// One thread's work space: the rows of each row class summed, padded by the
// kernel's half width on either side.
class GroupedRows {
public:
    GroupedRows(const GroupedKernel& plan, const CKIPImage16Bit& image);
    // sums[x] = the grouped, unscaled weighted sum at (x, y) for every column.
    void Sums(std::uint32_t y, double* sums);

private:
    void SumRowClasses(std::uint32_t y);
    const GroupedKernel& plan_;
    const CKIPImage16Bit& image_;
    std::uint32_t pad_;
    std::size_t pitch_;
    std::vector<std::int32_t> classRows_;
    std::vector<std::size_t> offsets_; // of each term's first sample in classRows_
};

} // namespace convolution_detail
