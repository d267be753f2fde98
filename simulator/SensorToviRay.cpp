#include "simulator/SensorToviRay.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "simulator/Protocol.h"
#include "simulator/Radiograph.h"

namespace simulator {

namespace {

using namespace protocol;

constexpr std::int32_t kMaxSample = 4095;

const ToviRaySize& SizeOf(const std::string& sensorId) {
    char last = sensorId.empty()
                    ? 'D'
                    : static_cast<char>(std::toupper(static_cast<unsigned char>(sensorId.back())));
    return last == 'C' ? kToviRaySizes[0] : kToviRaySizes[1];
}

// Coefficients per column, some of each sign: up to +-2 % of gain and +-8
// counts of curvature at full scale, with an offset that nearly cancels them at
// the dark level (within a count), since the dark frame's own column pattern is
// what the correction removes from it.
std::vector<FpnCoefficients> MakeFpn(std::uint32_t width) {
    constexpr std::int32_t kDarkLevel = 230;
    NoiseSource random(31);
    std::vector<FpnCoefficients> entries(width);
    for (FpnCoefficients& entry : entries) {
        entry.second = static_cast<std::int32_t>(random.Next() % 400001u) - 200000;
        entry.third = static_cast<std::int32_t>(random.Next() % 11u) - 5;
        entry.first = -kDarkLevel * entry.second - kDarkLevel * kDarkLevel * entry.third +
                      static_cast<std::int32_t>(random.Next() % 20000001u) - 10000000;
    }
    return entries;
}

double Pattern(const FpnCoefficients& entry, double q) {
    return (entry.first + entry.second * q + entry.third * q * q) / 1e7;
}

std::int32_t Rounded(double value) {
    return static_cast<std::int32_t>(std::trunc(value + 0.5));
}

// Dark current without any column pattern: an offset with a slow gradient and
// a little per-pixel pattern, the same in every frame.
std::vector<std::int32_t> DarkBase(std::uint32_t width, std::uint32_t height) {
    std::vector<std::int32_t> base(std::size_t{width} * height);
    NoiseSource pixels(4711);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            base[x + std::size_t{y} * width] = static_cast<std::int32_t>(
                180 + 60 * x / width + 40 * y / height + pixels.Next() % 9 - 4);
    return base;
}

// The seam's gain on each line: 1 / g, g rising from g0 towards 1 over at most
// 119 lines below the seam.
std::vector<double> SeamGain(std::uint32_t height, double g0) {
    std::vector<double> gain(height, 1.0);
    double g = g0;
    for (std::uint32_t i = 0; i < 119 && kToviRaySeamLine + i < height; ++i) {
        gain[kToviRaySeamLine + i] = 1.0 / g;
        if (g >= 1.0 || g <= -1.0)
            break;
        g += (1.0 - g0) / 120.0;
    }
    return gain;
}

} // namespace

std::vector<Defect> SensorToviRayConfig::ToviRayDefects() {
    using Kind = Defect::Kind;
    return {{Kind::Pixel, 41, 61},
            {Kind::Pixel, 300, 200},
            {Kind::Pixel, 500, 700},
            {Kind::Column, 333, 0},
            {Kind::Row, 0, 777}};
}

SensorToviRay::SensorToviRay(SensorToviRayConfig config)
    : config_(std::move(config)), fpn_(MakeFpn(SizeOf(config_.sensorId).pixelsPerLine)) {
    if (config_.memoryImage) {
        memory_ = *config_.memoryImage;
        return;
    }
    std::vector<MemoryRecord> records{{1, 0, "DEFECTS", PackDefects(config_.defects)},
                                      {1, 1, "FPN", PackFpn(fpn_)}};
    if (config_.fpnRecordFirst)
        std::swap(records[0], records[1]);
    memory_ = BuildToviRayMemory(config_.sensorId, records, config_.scaling);
}

std::vector<std::uint32_t> SensorToviRay::HotColumns(std::uint32_t width) {
    return {width / 5 + 1, width / 2 + 3, width / 2 + 4, 3 * width / 4};
}

SampleImage SensorToviRay::ExpectedSignal(std::uint32_t width, std::uint32_t height) const {
    SampleImage signal = CachedImage(width, height, MakeRadiograph);
    for (std::uint16_t& sample : signal.samples)
        sample = static_cast<std::uint16_t>(sample * 7 / 8);
    return signal;
}

std::optional<SensorFirmware::Geometry> SensorToviRay::GeometryFor(std::uint8_t sizeCode) const {
    for (const ToviRaySize& size : kToviRaySizes)
        if (size.code == sizeCode)
            return Geometry{size.pixelsPerLine,
                            size.lines,
                            size.pixelsPerLine,
                            size.lines,
                            size.pixelsPerLine,
                            false,
                            0};
    return std::nullopt;
}

std::uint8_t SensorToviRay::MemoryReadCommand() const {
    return kToviRayReadMemoryCommand;
}

std::vector<std::uint8_t> SensorToviRay::ReadMemory(std::uint32_t address,
                                                    std::uint32_t length) const {
    std::vector<std::uint8_t> bytes(length, 0xFF);
    for (std::uint32_t i = 0; i < length && address + i < memory_.size(); ++i)
        bytes[i] = memory_[address + i];
    return bytes;
}

// The raw value whose column pattern, taken off as the device does, leaves the
// target: q - R(pattern(q)) = target, found by iteration (the pattern's slope
// is far below 1).
std::int32_t SensorToviRay::ExposedValue(std::uint32_t x, std::int32_t target) const {
    const FpnCoefficients& entry = fpn_[std::min<std::size_t>(x, fpn_.size() - 1)];
    std::int32_t q = target;
    for (int i = 0; i < 4; ++i)
        q = target + Rounded(Pattern(entry, q));
    return std::clamp(q, 0, kMaxSample);
}

std::vector<std::uint16_t> SensorToviRay::Frame(std::uint32_t width, std::uint32_t height,
                                                bool exposed, bool xray) {
    std::vector<std::int32_t> dark = DarkBase(width, height);
    for (std::uint32_t column : HotColumns(width))
        for (std::uint32_t y = 0; y < height && column < width; ++y)
            dark[column + std::size_t{y} * width] += 400;
    const SampleImage signal = ExpectedSignal(width, height);
    const std::vector<double> seam = SeamGain(height, config_.seamG0);
    const ScalingBlock& scaling = config_.scaling;
    const bool scaled = scaling.present && scaling.enabled && (scaling.b != 0 || scaling.c != 0);
    std::vector<std::uint16_t> frame(dark.size());
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            std::size_t i = x + std::size_t{y} * width;
            std::int32_t value;
            if (!exposed) {
                value = dark[i] + Rounded(Pattern(fpn_[x], dark[i])) +
                        static_cast<std::int32_t>(Noise().Next() % 3) - 1;
            } else {
                double s = xray ? std::trunc(signal.samples[i] * seam[y]) : 0;
                double darkPart = dark[i];
                if (scaled) {
                    double q1 = s + dark[i];
                    darkPart =
                        std::trunc((scaling.b * q1 + scaling.a + scaling.c * q1 * q1) * dark[i]);
                }
                value = ExposedValue(x, static_cast<std::int32_t>(s + darkPart));
            }
            frame[i] = static_cast<std::uint16_t>(std::clamp(value, 0, kMaxSample));
        }
    if (exposed)
        for (const Defect& defect : config_.defects) {
            // The flaw map counts rows from the last stored line up.
            const std::uint32_t line = defect.y < height ? height - 1 - defect.y : height;
            if (defect.kind == Defect::Kind::Pixel && defect.x < width && line < height)
                frame[defect.x + std::size_t{line} * width] = kMaxSample;
            else if (defect.kind == Defect::Kind::Row && line < height)
                std::fill_n(frame.begin() + static_cast<std::ptrdiff_t>(line * width), width,
                            std::uint16_t{kMaxSample});
            else if (defect.kind == Defect::Kind::Column && defect.x < width)
                for (std::uint32_t y = 0; y < height; ++y)
                    frame[defect.x + std::size_t{y} * width] = 0;
        }
    return frame;
}

std::vector<std::uint8_t> SensorToviRay::FrameStream(const Geometry& geometry, bool exposed,
                                                     bool xray) {
    std::vector<std::uint16_t> frame = Frame(geometry.width, geometry.height, exposed, xray);
    std::vector<std::uint8_t> stream(frame.size() * 2);
    for (std::size_t i = 0; i < frame.size(); ++i)
        StoreSample(&stream[2 * i], frame[i]);
    return stream;
}

} // namespace simulator
