#include "simulator/Radiograph.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>

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

constexpr double kCrownTop = 0.08, kNeck = 0.38, kApex = 0.92;

double Smoothstep(double edge0, double edge1, double x) {
    double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Half the tooth's width at height v (0 outside it): a crown rounded towards
// the biting edge, a root narrowing to the apex.
double HalfWidthAt(const Tooth& tooth, double v) {
    if (v < kCrownTop || v > kApex)
        return 0;
    if (v <= kNeck) {
        double t = (v - kCrownTop) / (kNeck - kCrownTop);
        return tooth.halfWidth * std::sqrt(std::min(1.0, 0.3 + 3.0 * t));
    }
    return tooth.halfWidth * (1.0 - 0.8 * (v - kNeck) / (kApex - kNeck));
}

// The tooth absorbs along its chord: most in the middle, with a soft outline,
// an enamel cap on the crown and the pulp canal down its centre.
double ToothSignal(const Tooth& tooth, double u, double v, double background, double pixel) {
    double half = HalfWidthAt(tooth, v);
    double dx = std::abs(u - tooth.centre);
    double outline = Smoothstep(0, 1.5 * pixel, half - dx) *
                     Smoothstep(0, 1.5 * pixel, std::min(v - kCrownTop, kApex - v));
    if (outline <= 0)
        return background;
    double chord = std::sqrt(std::max(0.0, 1.0 - (dx / half) * (dx / half)));
    double tissue = kDentin;
    if (v <= kNeck) {
        double depth = std::min(half - dx, v - kCrownTop) / tooth.halfWidth;
        tissue = kEnamel + (kDentin - kEnamel) * Smoothstep(0.12, 0.25, depth);
    }
    double canal = half * (v <= kNeck ? 0.25 * Smoothstep(kCrownTop + 0.12, kNeck, v) : 0.22);
    double pulp = (1 - Smoothstep(canal * 0.7, canal, dx)) * (v < kApex - 0.03 ? 1 : 0);
    double solid = background - (background - tissue) * (0.45 + 0.55 * chord);
    double value = solid + (kPulp - solid) * 0.6 * pulp;
    return background + (value - background) * outline;
}

double Background(double u, double v) {
    // Bone from the alveolar crest down, with a trabecular texture; air above the gum line.
    double crest = 0.42 + 0.03 * std::sin(9.0 * u);
    double air = kAir - 300.0 * v;
    if (v < 0.2)
        return air;
    double gum = kSoftTissue + (air - kSoftTissue) * (1 - Smoothstep(0.2, 0.26, v));
    double texture = 120.0 * std::sin(60.0 * u + 13.0 * std::sin(25.0 * v)) *
                     std::cos(47.0 * v + 7.0 * std::sin(31.0 * u));
    return gum + (kBone + texture - gum) * Smoothstep(crest, crest + 0.04, v);
}

} // namespace

SampleImage MakeRadiograph(std::uint32_t width, std::uint32_t height) {
    static const Tooth teeth[] = {{0.2, 0.13}, {0.5, 0.15}, {0.8, 0.13}};
    SampleImage image{width, height, std::vector<std::uint16_t>(std::size_t{width} * height)};
    NoiseSource quanta(99);
    for (std::uint32_t y = 0; y < height; ++y) {
        double v = (y + 0.5) / height;
        for (std::uint32_t x = 0; x < width; ++x) {
            double u = (x + 0.5) / width;
            double signal = Background(u, v);
            for (const Tooth& tooth : teeth)
                signal = ToothSignal(tooth, u, v, signal, 1.0 / width);
            // Quantum noise, larger where more x-ray arrived.
            double noise = (static_cast<int>(quanta.Next() % 21) - 10) * std::sqrt(signal) / 20;
            image.samples[x + std::size_t{y} * width] =
                static_cast<std::uint16_t>(std::clamp(signal + noise, 0.0, 3700.0));
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

const SampleImage& CachedImage(std::uint32_t width, std::uint32_t height, ImageMaker make) {
    static std::mutex lock;
    static std::map<std::pair<ImageMaker, std::uint64_t>, std::unique_ptr<SampleImage>> images;
    std::lock_guard guard(lock);
    auto& image = images[{make, (std::uint64_t{width} << 32) | height}];
    if (!image)
        image = std::make_unique<SampleImage>(make(width, height));
    return *image;
}

} // namespace simulator
