#include "platform/LocalTime.h"

#include <chrono>
#include <mutex>

namespace platform {

std::int64_t CalendarSeconds(const SystemTime& utc) {
    using namespace std::chrono;
    sys_days date{year{static_cast<int>(utc.year)} / month{utc.month} / day{utc.day}};
    auto time = date + hours{utc.hour} + minutes{utc.minute} + seconds{utc.second};
    return time.time_since_epoch().count();
}

std::int64_t CalendarNow() {
    return CalendarSeconds(CurrentClock().UtcNow());
}

std::tm LocalTimeOf(std::int64_t calendarSeconds) {
    // localtime shares one result buffer. Never destroyed: used while the module unloads.
    static auto* mutex = new std::mutex();
    std::lock_guard lock(*mutex);
    std::time_t time = static_cast<std::time_t>(calendarSeconds);
    const std::tm* local = std::localtime(&time);
    return local != nullptr ? *local : std::tm{};
}

} // namespace platform
