#include "hardware/FpnCorrection.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::uint32_t kProfileMargin = 10; // lines and columns left out of the statistics
constexpr std::uint32_t kEdge = 4;           // columns at each side that are never smoothed
constexpr std::uint32_t kCentreRadius = 20;
constexpr std::int32_t kMaxSample = 4095;

// Mean of each column over lines 10 .. h - 11, summed exactly row by row.
std::vector<double> ColumnProfile(const RawFrame& dark) {
    const std::uint32_t w = dark.width;
    const auto h = static_cast<std::uint32_t>(dark.height);
    std::vector<std::int64_t> sums(w, 0);
    std::uint32_t lines = 0;
    for (std::uint32_t y = kProfileMargin; y + kProfileMargin < h; ++y, ++lines) {
        const std::uint16_t* line = dark.Line(y);
        for (std::uint32_t x = 0; x < w; ++x)
            sums[x] += line[x];
    }
    std::vector<double> profile(w, 0.0);
    if (lines != 0)
        for (std::uint32_t x = 0; x < w; ++x)
            profile[x] = static_cast<double>(sums[x]) / lines;
    return profile;
}

// Columns more than 4 sigma from the mean take values on the line from the
// column before their run to the column after it; a run that reaches the right
// edge continues the column before it.
void ReplaceOutlierColumns(std::vector<double>& profile) {
    const auto w = static_cast<std::uint32_t>(profile.size());
    if (w <= 2 * kProfileMargin)
        return;
    double sum = 0;
    for (std::uint32_t x = kProfileMargin; x < w - kProfileMargin; ++x)
        sum += profile[x];
    const double count = w - 2 * kProfileMargin;
    const double mean = sum / count;
    double squares = 0;
    for (std::uint32_t x = kProfileMargin; x < w - kProfileMargin; ++x)
        squares += (profile[x] - mean) * (profile[x] - mean);
    const double limit = 4 * std::sqrt(squares / count);
    auto outlier = [&](std::uint32_t x) { return std::fabs(profile[x] - mean) > limit; };
    for (std::uint32_t x = kEdge; x < w;) {
        if (!outlier(x)) {
            ++x;
            continue;
        }
        std::uint32_t end = x;
        while (end < w && outlier(end))
            ++end;
        const std::uint32_t before = x - 1;
        const double from = profile[before];
        const double to = end < w ? profile[end] : from;
        for (std::uint32_t i = x; i < end; ++i)
            profile[i] = from + (to - from) * (i - before) / (end - before);
        x = end;
    }
}

double Smoothed(const std::vector<double>& profile, const std::vector<double>& weights,
                std::uint32_t first) {
    double sum = 0;
    for (std::size_t t = 0; t < weights.size(); ++t)
        sum += weights[t] * profile[first + t];
    return sum;
}

// Windows of 41 weights at the centre; towards the edges narrower ones that
// start at column 4 or end at column w - 5; the outer four columns as they are.
std::vector<double> SmoothProfile(const std::vector<double>& profile) {
    const auto w = static_cast<std::uint32_t>(profile.size());
    std::vector<double> smooth(profile);
    if (w < 2 * (kEdge + kCentreRadius))
        return smooth;
    std::vector<std::vector<double>> windows(kCentreRadius + 1);
    for (std::uint32_t r = 0; r <= kCentreRadius; ++r)
        windows[r] = SmoothingWeights(r);
    for (std::uint32_t x = kEdge; x < kEdge + kCentreRadius; ++x)
        smooth[x] = Smoothed(profile, windows[x - kEdge], kEdge);
    for (std::uint32_t x = kEdge + kCentreRadius; x + kEdge + kCentreRadius < w; ++x)
        smooth[x] = Smoothed(profile, windows[kCentreRadius], x - kCentreRadius);
    for (std::uint32_t x = w - kEdge - kCentreRadius; x + kEdge < w; ++x) {
        const std::uint32_t r = w - kEdge - 1 - x;
        smooth[x] = Smoothed(profile, windows[r], x - r);
    }
    return smooth;
}

// Values past this are no sample: absurd coefficients leave the raw value.
constexpr double kSampleBound = 1e9;

struct ColumnTerms {
    double offset, gain, curvature; // first, second and third / 10^7
    double pattern;                 // the dark frame's column pattern P - S
};

std::vector<ColumnTerms> TermsOf(const std::vector<tagFPNEntry>& entries,
                                 const std::vector<double>& profile,
                                 const std::vector<double>& smooth) {
    std::vector<ColumnTerms> terms(profile.size());
    for (std::size_t x = 0; x < terms.size(); ++x)
        terms[x] = {entries[x].first / 1e7, entries[x].second / 1e7, entries[x].third / 1e7,
                    profile[x] - smooth[x]};
    return terms;
}

// Truncation toward zero by conversion (no library call), for |value| < 2^63.
std::int64_t Truncated(double value) {
    return static_cast<std::int64_t>(value);
}

// q1 = q - R(fixed pattern of q); q2 = q1 - m, the corrected dark m scaled by
// the exposure where the block asks for it; q itself when q2 is no sample.
std::uint16_t CorrectSample(std::uint16_t q, std::uint16_t darkValue, const ColumnTerms& column,
                            const ScalingBlock& scaling, bool scaled) {
    const double qd = q;
    const double pattern = column.gain * qd + column.offset + column.curvature * (qd * qd);
    if (!(std::fabs(pattern) < kSampleBound))
        return q;
    const std::int64_t q1 = q - Truncated(pattern + 0.5);
    std::int64_t m = Truncated(darkValue - column.pattern);
    if (scaled) {
        const double q1d = static_cast<double>(q1);
        const double product = (scaling.b * q1d + scaling.a + scaling.c * (q1d * q1d)) * m;
        if (!(std::fabs(product) < kSampleBound))
            return q;
        m = Truncated(product);
    }
    const std::int64_t q2 = q1 - m;
    return q2 < 0 || q2 > kMaxSample ? q : static_cast<std::uint16_t>(q2);
}

void CorrectLine(const std::uint16_t* exposed, const std::uint16_t* dark, std::uint16_t* out,
                 const std::vector<ColumnTerms>& terms, const ScalingBlock& scaling, bool scaled) {
    for (std::size_t x = 0; x < terms.size(); ++x)
        out[x] = CorrectSample(exposed[x], dark[x], terms[x], scaling, scaled);
}

std::uint64_t LineSum(const RawFrame& frame, std::uint32_t y) {
    const std::uint16_t* line = frame.Line(y);
    std::uint64_t sum = 0;
    for (std::uint32_t x = 0; x < frame.width; ++x)
        sum += line[x];
    return sum;
}

// The gain step at the seam, undone over at most 119 lines in single precision.
void RampSeam(RawFrame& frame, std::int32_t seam) {
    if (seam < 1)
        return;
    const std::uint64_t below = LineSum(frame, static_cast<std::uint32_t>(seam));
    if (below == 0)
        return; // nothing to measure the step by
    const auto g0 = static_cast<float>(static_cast<double>(LineSum(frame, seam - 1)) / below);
    const float step = (1.0f - g0) / 120.0f;
    float g = g0;
    for (std::int32_t i = 0; i < 119 && seam + i < frame.height; ++i) {
        std::uint16_t* line = frame.Line(static_cast<std::uint32_t>(seam + i));
        for (std::uint32_t x = 0; x < frame.width; ++x) {
            // Clamped before the conversion, which then truncates.
            const float value = std::clamp(static_cast<float>(line[x]) * g, 0.0f, 4095.5f);
            line[x] = static_cast<std::uint16_t>(std::min(static_cast<int>(value), kMaxSample));
        }
        g += step;
        if (g >= 1.0f || g <= -1.0f)
            break;
    }
}

} // namespace

std::vector<double> SmoothingWeights(std::uint32_t r) {
    const double sigma = 30.0 / std::sqrt(8.0 * std::log(2.0));
    std::vector<double> weights(2 * r + 1);
    double total = 0;
    for (std::uint32_t t = 0; t < weights.size(); ++t) {
        const double i = static_cast<double>(t) - r;
        weights[t] = std::exp(-(i * i) / (2 * sigma * sigma));
        total += weights[t];
    }
    for (double& weight : weights)
        weight /= total;
    return weights;
}

std::int32_t SeamLine(std::int32_t sizeClass, std::int32_t height) {
    const std::int32_t seam = height - (sizeClass == 2 ? 409 : 535);
    return seam >= 1 && seam < height ? seam : -1;
}

std::unique_ptr<RawFrame> CorrectFixedPatternNoise(const RawFrame& exposed, const RawFrame& dark,
                                                   const std::vector<tagFPNEntry>& entries,
                                                   const ScalingBlock& scaling,
                                                   std::int32_t sizeClass) {
    const std::uint32_t w = exposed.width;
    const std::int32_t h = exposed.height;
    if (w == 0 || h <= 0 || w > kFpnMaxSide || h > static_cast<std::int32_t>(kFpnMaxSide) ||
        dark.width != w || dark.height != h || entries.size() < w || !exposed.pixels ||
        !dark.pixels)
        return nullptr;
    std::vector<double> profile = ColumnProfile(dark);
    ReplaceOutlierColumns(profile);
    const std::vector<ColumnTerms> terms = TermsOf(entries, profile, SmoothProfile(profile));
    auto result = std::make_unique<RawFrame>();
    if (!result->Allocate(w, h, exposed.resolutionX, exposed.resolutionY))
        return nullptr;
    const bool scaled = scaling.enabled && (scaling.b != 0 || scaling.c != 0);
    for (std::int32_t y = 0; y < h; ++y) {
        const auto line = static_cast<std::uint32_t>(y);
        CorrectLine(exposed.Line(line), dark.Line(line), result->Line(line), terms, scaling,
                    scaled);
    }
    if (!scaling.enabled)
        RampSeam(*result, SeamLine(sizeClass, h));
    for (std::int32_t y = 0; y < h; ++y) {
        std::uint16_t* line = result->Line(static_cast<std::uint32_t>(y));
        for (std::uint32_t x = 0; x < w; ++x)
            line[x] = static_cast<std::uint16_t>(line[x] << 4);
    }
    return result;
}
