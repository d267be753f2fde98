#include "simulator/SensorFirmware.h"

#include <algorithm>
#include <cstring>

#include "platform/Clock.h"
#include "simulator/Protocol.h"

namespace simulator {

namespace {

using namespace protocol;

std::uint64_t Now() {
    return platform::CurrentClock().Milliseconds();
}

} // namespace

void SensorFirmware::ResetConnection() {
    replies_.clear();
    bulk_.clear();
    bulkPosition_ = 0;
    state_ = State::Idle;
}

void SensorFirmware::Command(const std::uint8_t* bytes, std::size_t length) {
    if (length == 0)
        return;
    const std::uint8_t command = bytes[0];
    if (command == MemoryReadCommand()) {
        if (length == 5)
            SendBulk(ReadMemory((std::uint32_t{bytes[3]} << 8) | bytes[4],
                                (std::uint32_t{bytes[1]} << 8) | bytes[2]));
        return;
    }
    switch (command) {
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
            SendBulk({Behaviour().macId.begin(), Behaviour().macId.end()});
        break;
    case kPowerCommand:
        if (length == 2)
            powered_ = bytes[1] != 0;
        break;
    case kEchoCommand:
        if (length == 3 && bytes[1] == kEchoFirst && bytes[2] == kEchoSecond)
            QueueReply(
                {kEchoReply, kEchoFirst, Behaviour().xilinxError ? kEchoXilinxError : kEchoGood});
        break;
    default:
        break;
    }
}

void SensorFirmware::SubCommand(std::uint8_t code, const std::uint8_t* rest,
                                std::size_t restLength) {
    if (code == kMemoryPresent && restLength == 0) {
        QueueReply({static_cast<std::uint8_t>(MemoryPresent() ? 1 : 0)});
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
void SensorFirmware::Flush() {
    ++flushes_;
    ResetConnection();
}

void SensorFirmware::QueueReply(std::initializer_list<std::uint8_t> bytes) {
    std::array<std::uint8_t, kReplyLength> reply{};
    std::copy(bytes.begin(), bytes.end(), reply.begin());
    replies_.push_back(reply);
}

void SensorFirmware::SendBulk(std::vector<std::uint8_t> bytes) {
    bulk_ = std::move(bytes);
    bulkPosition_ = 0;
}

bool SensorFirmware::Reply(std::uint8_t* reply) {
    if (!replies_.empty()) {
        std::memcpy(reply, replies_.front().data(), kReplyLength);
        replies_.pop_front();
        return true;
    }
    if (state_ == State::Idle)
        return false;
    std::memset(reply, 0, kReplyLength);
    reply[0] = kStatusReply;
    reply[1] = static_cast<std::uint8_t>(StatusCode() | (noise_.Next() & 0x0F));
    for (int i = 2; i < 6; ++i)
        reply[i] = static_cast<std::uint8_t>(noise_.Next());
    return true;
}

std::uint8_t SensorFirmware::StatusCode() {
    const FirmwareBehaviour& behaviour = Behaviour();
    switch (state_) {
    case State::Armed:
        if (behaviour.exposureDelay && Now() - armedAt_ >= *behaviour.exposureDelay) {
            Expose(true);
            return behaviour.exposureReadyStatus;
        }
        return kStatusWaiting;
    case State::DarkIntegrating:
        if (++darkPolls_ > behaviour.darkFramePolls) {
            state_ = State::DarkReady;
            StartFrame(false);
            return behaviour.darkReadyStatus;
        }
        return kStatusIntegrating;
    case State::ExposedReady:
        return behaviour.exposureReadyStatus;
    case State::DarkReady:
        return behaviour.darkReadyStatus;
    default:
        return kStatusIdle;
    }
}

void SensorFirmware::Expose(bool withXray) {
    xray_ = withXray;
    state_ = State::ExposedReady;
    StartFrame(true);
}

void SensorFirmware::StartFrame(bool exposed) {
    std::optional<Geometry> geometry = GeometryFor(sizeCode_);
    SendBulk(geometry ? FrameStream(*geometry, exposed, xray_) : std::vector<std::uint8_t>());
}

bool SensorFirmware::Bulk(std::uint8_t* buffer, std::size_t length) {
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

void SensorFirmware::StoreSample(std::uint8_t* at, std::uint32_t value) {
    value |= (noise_.Next() & 0xF) << 12;
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

} // namespace simulator
