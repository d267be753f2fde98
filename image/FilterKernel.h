#pragma once

#include <cstdint>
#include <vector>

// A convolution kernel of odd size: coefficients row-major, a scale applied to
// the weighted sum. A new kernel is the 3 x 3 identity.
class FilterKernel {
public:
    FilterKernel();

    // 0 becomes 1 and an even size grows by one; coefficients become 0, scale 0.
    void SetKernelSize(std::uint32_t cols, std::uint32_t rows);
    void FillKernel(double value);
    void SetKernelCentre(double value);
    double KernelSum() const;
    // 1 / KernelSum(), or 0 when the sum is 0 to within the rounding of adding
    // the coefficients up (a kernel built to sum to 0 rarely sums to exactly 0).
    double ReciprocalOfSum() const;
    // Distance of cell (c, r) from the point (rows / 2, cols / 2) as reals.
    double KernelDistance(std::uint32_t c, std::uint32_t r) const;
    void FillKernelInverseDistance(double value);

    std::uint32_t Rows() const { return rows_; }
    std::uint32_t Cols() const { return cols_; }
    std::uint32_t CentreRow() const { return rows_ / 2; }
    std::uint32_t CentreCol() const { return cols_ / 2; }
    double Coefficient(std::uint32_t r, std::uint32_t c) const {
        return coefficients_[static_cast<std::size_t>(r) * cols_ + c];
    }
    // The cols coefficients of kernel row r.
    const double* RowCoefficients(std::uint32_t r) const {
        return coefficients_.data() + static_cast<std::size_t>(r) * cols_;
    }
    double scale = 1.0;

private:
    std::vector<double> coefficients_;
    std::uint32_t rows_ = 0;
    std::uint32_t cols_ = 0;
};
