#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "hardware/Codec.h"
#include "hardware/FpnCorrection.h"
#include "hardware/RawFrame.h"

// The FPN correction and the seam ramp followed step by step, pixel by pixel,
// as slowly as it is written down: the reference for the product's version.
namespace fpn_oracle {

inline long R(double v) {
    return static_cast<long>(std::trunc(v + 0.5));
}

inline double Weight(int i) {
    const double sigma = 30.0 / std::sqrt(8.0 * std::log(2.0));
    return std::exp(-(i * i) / (2 * sigma * sigma));
}

// S[x]: the window of half-width r around x, weights normalised to sum 1.
inline double Smooth(const std::vector<double>& P, int x, int r) {
    double total = 0;
    for (int i = -r; i <= r; ++i)
        total += Weight(i);
    double sum = 0;
    for (int i = -r; i <= r; ++i)
        sum += Weight(i) / total * P[x + i];
    return sum;
}

inline std::unique_ptr<RawFrame> Correct(const RawFrame& E, const RawFrame& D,
                                         const std::vector<tagFPNEntry>& entries,
                                         const ScalingBlock& scaling, int storedClass) {
    const int w = static_cast<int>(E.width), h = E.height;
    // 1. Column profile of the dark frame.
    std::vector<double> P(w);
    for (int x = 0; x < w; ++x) {
        double sum = 0;
        int n = 0;
        for (int y = 10; y <= h - 11; ++y, ++n)
            sum += D.Pixel(x, y);
        P[x] = sum / n;
    }
    // 2. Outlier columns, interpolated from the column before to the column after.
    double mu = 0;
    for (int x = 10; x <= w - 11; ++x)
        mu += P[x];
    mu /= (w - 20);
    double var = 0;
    for (int x = 10; x <= w - 11; ++x)
        var += (P[x] - mu) * (P[x] - mu);
    const double sigma = std::sqrt(var / (w - 20));
    std::vector<bool> outlier(w, false);
    for (int x = 4; x <= w - 1; ++x)
        outlier[x] = std::fabs(P[x] - mu) > 4 * sigma;
    for (int x = 4; x < w; ++x) {
        if (!outlier[x])
            continue;
        int end = x;
        while (end < w && outlier[end])
            ++end;
        int before = x - 1;
        double a = P[before], b = end < w ? P[end] : P[before];
        for (int i = x; i < end; ++i)
            P[i] = a + (b - a) * (i - before) / (end - before);
        x = end;
    }
    // 3. Smoothing.
    std::vector<double> S(P);
    for (int x = 24; x <= w - 25; ++x)
        S[x] = Smooth(P, x, 20);
    for (int x = 4; x <= 23; ++x)
        S[x] = Smooth(P, x, x - 4);
    for (int x = w - 24; x <= w - 5; ++x)
        S[x] = Smooth(P, x, w - 5 - x);
    // 4. and 5. Pattern, corrected dark, each pixel.
    auto out = std::make_unique<RawFrame>();
    out->Allocate(E.width, h, E.resolutionX, E.resolutionY);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double F = P[x] - S[x];
            const long Dp = static_cast<long>(std::trunc(D.Pixel(x, y) - F));
            const long q = E.Pixel(x, y);
            const double first = entries[x].first, second = entries[x].second,
                         third = entries[x].third;
            const double qd = static_cast<double>(q);
            const long q1 = q - R(second / 1e7 * qd + first / 1e7 + third / 1e7 * (qd * qd));
            long m = Dp;
            if (scaling.enabled && (scaling.b != 0 || scaling.c != 0)) {
                const double q1d = static_cast<double>(q1);
                m = static_cast<long>(
                    std::trunc((scaling.b * q1d + scaling.a + scaling.c * (q1d * q1d)) * m));
            }
            const long q2 = q1 - m;
            out->SetPixel(x, y, static_cast<std::uint16_t>(q2 < 0 || q2 > 4095 ? q : q2));
        }
    // 6. Seam ramp.
    if (!scaling.enabled) {
        const int s = storedClass == 2 ? h - 409 : h - 535;
        double above = 0, below = 0;
        for (int x = 0; x < w; ++x)
            above += out->Pixel(x, s - 1), below += out->Pixel(x, s);
        const float g0 = static_cast<float>(above / below);
        float g = g0;
        for (int i = 0; i < 119; ++i) {
            for (int x = 0; x < w; ++x) {
                float v = std::trunc(static_cast<float>(out->Pixel(x, s + i)) * g);
                out->SetPixel(x, s + i, static_cast<std::uint16_t>(v > 4095 ? 4095 : v));
            }
            g += (1.0f - g0) / 120.0f;
            if (g >= 1.0f || g <= -1.0f)
                break;
        }
    }
    // 7. To 16 bits.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out->SetPixel(x, y, static_cast<std::uint16_t>(out->Pixel(x, y) << 4));
    return out;
}

} // namespace fpn_oracle
