#include "platform/Clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace platform {

namespace {

SystemTime FromTimePoint(std::chrono::system_clock::time_point point) {
    using namespace std::chrono;
    auto days = floor<std::chrono::days>(point);
    year_month_day date{days};
    hh_mm_ss<milliseconds> time{duration_cast<milliseconds>(point - days)};
    return {static_cast<unsigned>(static_cast<int>(date.year())),
            static_cast<unsigned>(date.month()),
            static_cast<unsigned>(date.day()),
            static_cast<unsigned>(time.hours().count()),
            static_cast<unsigned>(time.minutes().count()),
            static_cast<unsigned>(time.seconds().count()),
            static_cast<unsigned>(time.subseconds().count())};
}

class StandardClock : public Clock {
public:
    std::uint64_t Milliseconds() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
    SystemTime UtcNow() override { return FromTimePoint(std::chrono::system_clock::now()); }
    void Sleep(unsigned milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
};

// Never destroyed: log channels still read the clock while the module unloads.
std::shared_ptr<Clock>& Installed() {
    static auto* clock = new std::shared_ptr<Clock>();
    return *clock;
}

} // namespace

SystemTime VirtualClock::UtcNow() {
    // Virtual time starts at 2000-01-01 00:00:00 UTC.
    auto epoch = std::chrono::sys_days{std::chrono::year{2000} / 1 / 1};
    return FromTimePoint(epoch + std::chrono::milliseconds(now_.load()));
}

ScaledClock::ScaledClock(std::shared_ptr<Clock> base, double scale)
    : base_(std::move(base)), scale_(scale), baseStart_(base_->Milliseconds()) {}

std::uint64_t ScaledClock::Milliseconds() {
    return static_cast<std::uint64_t>(static_cast<double>(base_->Milliseconds() - baseStart_) /
                                      scale_);
}

void ScaledClock::Sleep(unsigned milliseconds) {
    base_->Sleep(static_cast<unsigned>(milliseconds * scale_ + 0.5));
}

Clock& SystemClock() {
    static auto* clock = new StandardClock();
    return *clock;
}

Clock& CurrentClock() {
    auto& installed = Installed();
    return installed ? *installed : SystemClock();
}

void SetClock(std::shared_ptr<Clock> clock) {
    Installed() = std::move(clock);
}

} // namespace platform
