#pragma once

#include <cstdint>
#include <vector>

namespace simulator {

// Sensor-domain images of width x height 12-bit samples, row after row;
// larger values mean more x-ray (4095 is black on film).
struct SampleImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint16_t> samples;
    std::uint16_t At(std::uint32_t x, std::uint32_t y) const { return samples[x + y * width]; }
};

// The signal an exposure leaves: soft tissue and air, alveolar bone with a
// trabecular texture, and three teeth standing crown up (enamel, dentin, pulp).
SampleImage MakeRadiograph(std::uint32_t width, std::uint32_t height);

// What the sensor reads without x-ray: an offset with a slow gradient, a fixed
// per-column offset and a little per-pixel pattern, all repeatable.
SampleImage MakeDarkPattern(std::uint32_t width, std::uint32_t height);

// Both images depend on the geometry alone: each is made once per process and
// kept (the maker is MakeRadiograph or MakeDarkPattern). Safe from any thread.
using ImageMaker = SampleImage (*)(std::uint32_t, std::uint32_t);
const SampleImage& CachedImage(std::uint32_t width, std::uint32_t height, ImageMaker make);

// A small fast generator for the repeatable noise of the model.
class NoiseSource {
public:
    explicit NoiseSource(std::uint32_t seed) : state_(seed == 0 ? 0x9E3779B9u : seed) {}
    std::uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }

private:
    std::uint32_t state_;
};

} // namespace simulator
