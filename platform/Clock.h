#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

namespace platform {

struct SystemTime {
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, milliseconds = 0;
};

// Time sources. Tests install a VirtualClock so waits and time-outs run in virtual time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint64_t Milliseconds() = 0; // monotonic
    virtual SystemTime UtcNow() = 0;
    virtual void Sleep(unsigned milliseconds) = 0;
};

class VirtualClock : public Clock {
public:
    std::uint64_t Milliseconds() override { return now_.load(); }
    SystemTime UtcNow() override;
    void Sleep(unsigned milliseconds) override { now_ += milliseconds; }
    void Advance(std::uint64_t milliseconds) { now_ += milliseconds; }

private:
    std::atomic<std::uint64_t> now_{0};
};

// Another clock's time at a factor: every wait and time-out measured on it
// takes scale times as long on the base clock (0.01: a hundred times faster).
// Calendar time stays the base clock's.
class ScaledClock : public Clock {
public:
    ScaledClock(std::shared_ptr<Clock> base, double scale);
    std::uint64_t Milliseconds() override;
    SystemTime UtcNow() override { return base_->UtcNow(); }
    void Sleep(unsigned milliseconds) override;

private:
    std::shared_ptr<Clock> base_;
    double scale_;
    std::uint64_t baseStart_;
};

Clock& SystemClock();
Clock& CurrentClock();
// Installs a clock for this process (tests); null restores the system clock.
void SetClock(std::shared_ptr<Clock> clock);

} // namespace platform
