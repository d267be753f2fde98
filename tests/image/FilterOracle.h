#pragma once

// Literal implementations of the filter formulas, pixel by pixel, that the
// production filters must match byte for byte.

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "image/FilterKernel.h"
#include "image/Image16.h"

namespace oracle {

inline std::uint16_t Sample(const CKIPImage16Bit& image, std::int64_t x, std::int64_t y) {
    x = std::clamp<std::int64_t>(x, 0, image.GetWidth() - 1);
    y = std::clamp<std::int64_t>(y, 0, image.GetHeight() - 1);
    return image.GetRow(static_cast<std::uint32_t>(y))[x];
}

inline double Apply(const FilterKernel& k, const CKIPImage16Bit& image, std::int64_t x,
                    std::int64_t y) {
    double sum = 0;
    for (std::uint32_t r = 0; r < k.Rows(); ++r)
        for (std::uint32_t c = 0; c < k.Cols(); ++c)
            sum +=
                k.Coefficient(r, c) * Sample(image, x - k.CentreCol() + c, y - k.CentreRow() + r);
    return sum * k.scale;
}

template <typename PerPixel>
std::unique_ptr<CKIPImage16Bit> Map(const CKIPImage16Bit& image, PerPixel perPixel) {
    auto result = image.Clone();
    for (std::uint32_t y = 0; y < image.GetHeight(); ++y)
        for (std::uint32_t x = 0; x < image.GetWidth(); ++x)
            result->GetRow(y)[x] = perPixel(x, y, image.GetRow(y)[x]);
    return result;
}

inline std::unique_ptr<CKIPImage16Bit> Convolve(const CKIPImage16Bit& image,
                                                const FilterKernel& k) {
    double maxValue = image.GetMaxValue();
    return Map(image, [&](std::uint32_t x, std::uint32_t y, std::uint16_t) {
        double v = Apply(k, image, x, y);
        if (v < 0)
            v = 0;
        if (v > maxValue)
            v = maxValue;
        return static_cast<std::uint16_t>(std::trunc(v + 0.5));
    });
}

inline std::unique_ptr<CKIPImage16Bit> Laplace(const CKIPImage16Bit& image, const FilterKernel& k) {
    double maxValue = image.GetMaxValue();
    return Map(image, [&](std::uint32_t x, std::uint32_t y, std::uint16_t v) {
        double u = v + Apply(k, image, x, y);
        if (u < 0)
            u = 0;
        if (u > maxValue)
            u = maxValue;
        return static_cast<std::uint16_t>(std::trunc(u + 0.5));
    });
}

// The three-slot tracker of the smallest values, as written.
inline std::uint32_t ThirdSmallest(const std::uint32_t (&samples)[5]) {
    const std::uint32_t empty = 0xFFFFFFFF;
    std::uint32_t a = empty, b = empty, c = empty;
    for (std::uint32_t v : samples) {
        if (a == empty)
            a = v;
        else if (b == empty)
            b = v;
        else if (c == empty)
            c = v;
        else if (v < c)
            c = v;
        else if (v < b)
            b = v;
        else if (v < a)
            a = v;
        if (c < b)
            std::swap(c, b);
        if (b < a)
            std::swap(b, a);
    }
    return c;
}

inline std::unique_ptr<CKIPImage16Bit> FastMedian(const CKIPImage16Bit& image) {
    std::uint32_t w = image.GetWidth(), h = image.GetHeight();
    return Map(image, [&](std::uint32_t x, std::uint32_t y, std::uint16_t v) {
        if (x == 0 || y == 0 || x + 1 >= w || y + 1 >= h)
            return v;
        std::uint32_t samples[5] = {Sample(image, x, y - 1), Sample(image, x - 1, y), v,
                                    Sample(image, x + 1, y), Sample(image, x, y + 1)};
        return static_cast<std::uint16_t>(ThirdSmallest(samples));
    });
}

inline std::unique_ptr<CKIPImage16Bit> Median(const CKIPImage16Bit& image, std::uint32_t k) {
    return Map(image, [&](std::uint32_t x, std::uint32_t y, std::uint16_t) {
        std::vector<std::uint32_t> list;
        for (std::uint32_t dy = 0; dy < k; ++dy)
            for (std::uint32_t dx = 0; dx < k; ++dx)
                list.push_back(
                    Sample(image, std::int64_t{x} - k / 2 + dx, std::int64_t{y} - k / 2 + dy));
        std::sort(list.begin(), list.end());
        return static_cast<std::uint16_t>(list.empty() ? 0 : list[list.size() / 2]);
    });
}

inline std::unique_ptr<CKIPImage16Bit>
BrightnessContrast(const CKIPImage16Bit& image, std::int32_t brightness, std::int32_t contrast) {
    double maxValue = image.GetMaxValue();
    double mid = image.GetLevelCount() / 2;
    double offset = brightness / 100.0 * maxValue;
    double gain = contrast / 100.0;
    return Map(image, [&](std::uint32_t, std::uint32_t, std::uint16_t sample) {
        double v = sample;
        double w = v + (v - mid) * gain + offset;
        if (w < 0)
            return std::uint16_t{0};
        if (w > maxValue)
            return static_cast<std::uint16_t>(maxValue);
        return static_cast<std::uint16_t>(std::trunc(w));
    });
}

inline std::unique_ptr<CKIPImage16Bit> Normalize(const CKIPImage16Bit& image) {
    std::uint32_t maxValue = image.GetMaxValue(), smallest = maxValue, largest = 0;
    for (std::uint32_t y = 0; y < image.GetHeight(); ++y)
        for (std::uint32_t x = 0; x < image.GetWidth(); ++x) {
            smallest = std::min<std::uint32_t>(smallest, image.GetRow(y)[x]);
            largest = std::max<std::uint32_t>(largest, image.GetRow(y)[x]);
        }
    return Map(image, [&](std::uint32_t, std::uint32_t, std::uint16_t v) {
        if (largest == smallest)
            return std::uint16_t{0};
        double span = static_cast<double>(largest) - smallest;
        return static_cast<std::uint16_t>(std::trunc((v - smallest) / span * maxValue));
    });
}

} // namespace oracle
