#include "simulator/Radiograph.h"

#include <algorithm>
#include <cmath>

namespace simulator {

namespace {

constexpr double kAir = 3900;
constexpr double kSoftTissue = 3100;
constexpr double kBone = 2000;
constexpr double kDentin = 1100;
constexpr double kEnamel = 450;
constexpr double kPulp = 1700;

// One tooth in unit coordinates: a crown from the top down to the neck, then a
// root tapering to its apex.
struct Tooth {
    double centre;
    double halfWidth;
};

double ToothSignal(const Tooth& tooth, double u, double v, double fallback) {
    constexpr double crownTop = 0.08, neck = 0.38, apex = 0.92;
    if (v < crownTop || v > apex)
        return fallback;
    double dx = std::abs(u - tooth.centre);
    if (v <= neck) {
        // The crown rounds off towards the biting edge.
        double t = (v - crownTop) / (neck - crownTop);
        double width = tooth.halfWidth * std::sqrt(std::min(1.0, 0.35 + 2.5 * t));
        if (dx > width)
            return fallback;
        double enamelShell = width - tooth.halfWidth * 0.22;
        bool enamel = dx > enamelShell || t < 0.25;
        if (!enamel && dx < tooth.halfWidth * 0.18 && t > 0.55)
            return kPulp;
        return enamel ? kEnamel : kDentin;
    }
    double t = (v - neck) / (apex - neck);
    double width = tooth.halfWidth * (1.0 - 0.75 * t);
    if (dx > width)
        return fallback;
    if (dx < width * 0.22 && t < 0.95)
        return kPulp;
    return kDentin;
}

double Background(double u, double v) {
    // Bone from the alveolar crest down, with a trabecular texture; air above the gum line.
    double crest = 0.42 + 0.03 * std::sin(9.0 * u);
    if (v < 0.2)
        return kAir - 300.0 * v;
    if (v < crest)
        return kSoftTissue;
    double texture = 120.0 * std::sin(60.0 * u + 13.0 * std::sin(25.0 * v)) *
                     std::cos(47.0 * v + 7.0 * std::sin(31.0 * u));
    return kBone + texture;
}

} // namespace

SampleImage MakeRadiograph(std::uint32_t width, std::uint32_t height) {
    static const Tooth teeth[] = {{0.2, 0.13}, {0.5, 0.15}, {0.8, 0.13}};
    SampleImage image{width, height, std::vector<std::uint16_t>(std::size_t{width} * height)};
    for (std::uint32_t y = 0; y < height; ++y) {
        double v = (y + 0.5) / height;
        for (std::uint32_t x = 0; x < width; ++x) {
            double u = (x + 0.5) / width;
            double signal = Background(u, v);
            for (const Tooth& tooth : teeth)
                signal = ToothSignal(tooth, u, v, signal);
            image.samples[x + std::size_t{y} * width] =
                static_cast<std::uint16_t>(std::clamp(signal, 0.0, 3700.0));
        }
    }
    return image;
}

SampleImage MakeDarkPattern(std::uint32_t width, std::uint32_t height) {
    SampleImage image{width, height, std::vector<std::uint16_t>(std::size_t{width} * height)};
    NoiseSource columns(17);
    std::vector<int> columnOffset(width);
    for (int& offset : columnOffset)
        offset = static_cast<int>(columns.Next() % 41) - 20;
    NoiseSource pixels(4711);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            int gradient = static_cast<int>(60 * x / std::max(1u, width) + 40 * y / height);
            int pattern = static_cast<int>(pixels.Next() % 9) - 4;
            image.samples[x + std::size_t{y} * width] =
                static_cast<std::uint16_t>(180 + gradient + columnOffset[x] + pattern);
        }
    return image;
}

} // namespace simulator
