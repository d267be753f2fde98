#include "simulator/Sensor2000.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "platform/Clock.h"
#include "simulator/Protocol.h"

namespace simulator {

namespace {

using namespace protocol;

SensorMemory2000 BuildMemory(const Sensor2000Config& config) {
    if (config.memoryImage)
        return SensorMemory2000(*config.memoryImage);
    return SensorMemory2000(config.sensorId, DefectText(config.defects));
}

using ImageMaker = SampleImage (*)(std::uint32_t, std::uint32_t);

const SampleImage& Cached(std::uint32_t width, std::uint32_t height, ImageMaker make) {
    static std::mutex lock;
    static std::map<std::pair<ImageMaker, std::uint64_t>, std::unique_ptr<SampleImage>> images;
    std::lock_guard guard(lock);
    auto& image = images[{make, (std::uint64_t{width} << 32) | height}];
    if (!image)
        image = std::make_unique<SampleImage>(make(width, height));
    return *image;
}

std::uint64_t Now() {
    return platform::CurrentClock().Milliseconds();
}

} // namespace

Sensor2000::Sensor2000(Sensor2000Config config)
    : config_(std::move(config)), memory_(BuildMemory(config_)) {}

std::optional<Sensor2000::Geometry> Sensor2000::GeometryFor(std::uint8_t sizeCode) {
    for (const SizeClass& size : kSizeClasses) {
        if (sizeCode != size.fullCode && sizeCode != size.binnedCode)
            continue;
        const std::uint32_t pixels = size.pixelsPerLine, lines = size.lines;
        // Classes A and B send every pixel as two samples; the image keeps its size.
        if (size.name == 'A' || size.name == 'B')
            return Geometry{pixels, lines, pixels, lines, 2 * pixels, true, 3};
        if (sizeCode == size.binnedCode)
            return Geometry{pixels, lines, pixels / 2, lines / 2, pixels, true, 3};
        return Geometry{pixels, lines, pixels, lines, pixels, false, 7};
    }
    return std::nullopt;
}

void Sensor2000::ResetConnection() {
    replies_.clear();
    bulk_.clear();
    bulkPosition_ = 0;
    state_ = State::Idle;
}

void Sensor2000::Command(const std::uint8_t* bytes, std::size_t length) {
    if (length == 0)
        return;
    switch (bytes[0]) {
    case kResetCommand:
        if (length == 1)
            ResetConnection();
        break;
    case kSubCommand:
        if (length >= 2)
            SubCommand(bytes[1], bytes + 2, length - 2);
        break;
    case kIntegrationTimeCommand:
        if (length == 3)
            integrationTime_ = (std::uint32_t{bytes[1]} << 8) | bytes[2];
        break;
    case kThresholdCommand:
        if (length == 2)
            threshold_ = bytes[1];
        break;
    case kMacIdCommand:
        if (length == 1)
            bulk_.assign(config_.macId.begin(), config_.macId.end()), bulkPosition_ = 0;
        break;
    case kPowerCommand:
        if (length == 2)
            powered_ = bytes[1] != 0;
        break;
    case kReadMemoryCommand:
        if (length == 5)
            QueueMemory((std::uint32_t{bytes[3]} << 8) | bytes[4],
                        (std::uint32_t{bytes[1]} << 8) | bytes[2]);
        break;
    case kEchoCommand:
        if (length == 3 && bytes[1] == kEchoFirst && bytes[2] == kEchoSecond)
            QueueReply(
                {kEchoReply, kEchoFirst, config_.xilinxError ? kEchoXilinxError : kEchoGood});
        break;
    default:
        break;
    }
}

void Sensor2000::SubCommand(std::uint8_t code, const std::uint8_t* rest, std::size_t restLength) {
    if (code == kMemoryPresent && restLength == 0) {
        QueueReply({static_cast<std::uint8_t>(config_.memoryPresent ? 1 : 0)});
    } else if (code == kFlush && restLength == 0) {
        Flush();
    } else if (code == kArmDetection && restLength == 1) {
        // Without a known size the sensor cannot integrate: it stays idle and silent.
        armLevel_ = rest[0];
        if (GeometryFor(sizeCode_)) {
            state_ = State::Armed;
            armedAt_ = Now();
        }
    } else if (code == kTriggerExposure && restLength == 0) {
        ++triggers_;
        if (state_ == State::Armed)
            Expose(false);
    } else if (restLength == 0 && GeometryFor(code)) {
        sizeCode_ = code;
    }
}

// Whatever the sensor had to send is dropped.
void Sensor2000::Flush() {
    ++flushes_;
    ResetConnection();
}

void Sensor2000::QueueReply(std::initializer_list<std::uint8_t> bytes) {
    std::array<std::uint8_t, 64> reply{};
    std::copy(bytes.begin(), bytes.end(), reply.begin());
    replies_.push_back(reply);
}

void Sensor2000::QueueMemory(std::uint32_t address, std::uint32_t length) {
    bulk_.assign(length, 0xFF);
    const auto& bytes = memory_.Bytes();
    for (std::uint32_t i = 0; i < length && address + i < bytes.size(); ++i)
        bulk_[i] = config_.memoryPresent ? bytes[address + i] : 0xFF;
    bulkPosition_ = 0;
}

bool Sensor2000::Reply(std::uint8_t* reply) {
    if (!replies_.empty()) {
        std::memcpy(reply, replies_.front().data(), 64);
        replies_.pop_front();
        return true;
    }
    if (state_ == State::Idle)
        return false;
    std::memset(reply, 0, 64);
    reply[0] = kStatusReply;
    reply[1] = static_cast<std::uint8_t>(StatusCode() | (noise_.Next() & 0x0F));
    for (int i = 2; i < 6; ++i)
        reply[i] = static_cast<std::uint8_t>(noise_.Next());
    return true;
}

std::uint8_t Sensor2000::StatusCode() {
    switch (state_) {
    case State::Armed:
        if (config_.exposureDelay && Now() - armedAt_ >= *config_.exposureDelay) {
            Expose(true);
            return config_.exposureReadyStatus;
        }
        return kStatusWaiting;
    case State::DarkIntegrating:
        if (++darkPolls_ > config_.darkFramePolls) {
            state_ = State::DarkReady;
            StartFrame(false);
            return config_.darkReadyStatus;
        }
        return kStatusIntegrating;
    case State::ExposedReady:
        return config_.exposureReadyStatus;
    case State::DarkReady:
        return config_.darkReadyStatus;
    default:
        return kStatusIdle;
    }
}

void Sensor2000::Expose(bool withXray) {
    xray_ = withXray;
    state_ = State::ExposedReady;
    StartFrame(true);
}

void Sensor2000::StartFrame(bool exposed) {
    std::optional<Geometry> geometry = GeometryFor(sizeCode_);
    bulk_ = geometry ? FrameStream(*geometry, exposed) : std::vector<std::uint8_t>();
    bulkPosition_ = 0;
}

bool Sensor2000::Bulk(std::uint8_t* buffer, std::size_t length) {
    if (bulkPosition_ >= bulk_.size())
        return false;
    std::size_t count = std::min(length, bulk_.size() - bulkPosition_);
    std::memcpy(buffer, bulk_.data() + bulkPosition_, count);
    bulkPosition_ += count;
    if (bulkPosition_ < bulk_.size())
        return true;
    if (state_ == State::ExposedReady) {
        state_ = State::DarkIntegrating;
        darkPolls_ = 0;
    } else if (state_ == State::DarkReady) {
        state_ = State::Idle;
    }
    return true;
}

// Both images depend on the geometry alone: made once per process and kept.
const SampleImage& Sensor2000::Signal(std::uint32_t width, std::uint32_t height) {
    return Cached(width, height, MakeRadiograph);
}

const SampleImage& Sensor2000::Dark(std::uint32_t width, std::uint32_t height) {
    return Cached(width, height, MakeDarkPattern);
}

SampleImage Sensor2000::ExpectedSignal(std::uint32_t width, std::uint32_t height) {
    return Signal(width, height);
}

// The frame as the sensor sends it: every line after the first starts with the
// last pixels of the line before, samples carry noise in their high nibble,
// and interleaved read-outs put the pixels at the odd samples.
std::vector<std::uint8_t> Sensor2000::FrameStream(const Geometry& geometry, bool exposed) {
    const std::uint32_t w = geometry.width, h = geometry.height, k = geometry.displacement;
    const SampleImage& dark = Dark(w, h);
    const SampleImage& signal = Signal(w, h);
    std::vector<std::uint16_t> frame(dark.samples);
    if (exposed) {
        for (std::size_t i = 0; i < frame.size(); ++i)
            frame[i] = static_cast<std::uint16_t>(
                std::min(4095, frame[i] + (xray_ ? signal.samples[i] : 0)));
        std::uint32_t scale = geometry.pixelsPerLine / w;
        for (const Defect& defect : config_.defects) {
            // The defect description counts rows from the last stored line up.
            std::uint32_t x = defect.x / scale;
            std::uint32_t y = defect.y / scale < h ? h - 1 - defect.y / scale : h;
            if (defect.kind == Defect::Kind::Pixel && x < w && y < h)
                frame[x + std::size_t{y} * w] = 4095;
            else if (defect.kind == Defect::Kind::Column && x < w)
                for (std::uint32_t row = 0; row < h; ++row)
                    frame[x + std::size_t{row} * w] = dark.samples[x + std::size_t{row} * w];
            else if (defect.kind == Defect::Kind::Row && y < h)
                std::fill_n(frame.begin() + static_cast<std::ptrdiff_t>(std::size_t{y} * w), w,
                            std::uint16_t{4095});
        }
    }
    std::uint32_t perPixel = geometry.interleaved ? 2 : 1;
    std::vector<std::uint8_t> stream(std::size_t{geometry.lineSamples} * h * 2);
    for (std::uint32_t line = 0; line < h; ++line) {
        std::uint8_t* out = &stream[std::size_t{line} * geometry.lineSamples * 2];
        for (std::uint32_t s = 0; s < geometry.lineSamples; ++s) {
            std::uint32_t value = 0x0ABC;
            if (s % perPixel == perPixel - 1 && s / perPixel < w) {
                std::uint32_t x = s / perPixel;
                // Line 0 is sent as it is; the rest lag k pixels behind.
                std::size_t source = std::size_t{line} * w + x;
                if (line > 0)
                    source -= k;
                value = frame[source];
            }
            value |= (noise_.Next() & 0xF) << 12;
            out[2 * s] = static_cast<std::uint8_t>(value);
            out[2 * s + 1] = static_cast<std::uint8_t>(value >> 8);
        }
    }
    return stream;
}

} // namespace simulator
