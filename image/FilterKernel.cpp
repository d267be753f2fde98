#include "image/FilterKernel.h"

#include <cmath>
#include <limits>
#include <numeric>

FilterKernel::FilterKernel() {
    SetKernelSize(3, 3);
    SetKernelCentre(1.0);
    scale = 1.0;
}

void FilterKernel::SetKernelSize(std::uint32_t cols, std::uint32_t rows) {
    auto odd = [](std::uint32_t size) {
        return size == 0 ? 1u : (size % 2 == 0 ? size + 1 : size);
    };
    cols_ = odd(cols);
    rows_ = odd(rows);
    scale = 0.0;
    coefficients_.assign(static_cast<std::size_t>(rows_) * cols_, 0.0);
}

void FilterKernel::FillKernel(double value) {
    std::fill(coefficients_.begin(), coefficients_.end(), value);
}

void FilterKernel::SetKernelCentre(double value) {
    coefficients_[static_cast<std::size_t>(CentreRow()) * cols_ + CentreCol()] = value;
}

double FilterKernel::KernelSum() const {
    double sum = 0.0;
    for (double coefficient : coefficients_)
        sum += coefficient;
    return sum;
}

// A sum of n terms is off by at most (n - 1) / 2 ulps of the sum of their
// magnitudes; a kernel made to cancel (a centre set to minus the sum of the
// other cells) carries two such errors, which n ulps cover.
double FilterKernel::ReciprocalOfSum() const {
    double sum = KernelSum();
    double magnitude = 0.0;
    for (double coefficient : coefficients_)
        magnitude += std::abs(coefficient);
    double rounding = static_cast<double>(coefficients_.size()) *
                      std::numeric_limits<double>::epsilon() * magnitude;
    return std::abs(sum) <= rounding ? 0.0 : 1 / sum;
}

double FilterKernel::KernelDistance(std::uint32_t c, std::uint32_t r) const {
    double dc = c - rows_ * 0.5;
    double dr = r - cols_ * 0.5;
    return std::sqrt(dc * dc + dr * dr);
}

void FilterKernel::FillKernelInverseDistance(double value) {
    for (std::uint32_t r = 0; r < rows_; ++r)
        for (std::uint32_t c = 0; c < cols_; ++c)
            coefficients_[static_cast<std::size_t>(r) * cols_ + c] = value / KernelDistance(c, r);
}
