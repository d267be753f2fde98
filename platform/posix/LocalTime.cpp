#include "platform/LocalTime.h"

#include <cstdio>

namespace platform {

// glibc has no "#" flag; this spells the Windows long date of the C locale.
std::string LongDateTimeText(std::int64_t calendarSeconds) {
    std::tm local = LocalTimeOf(calendarSeconds);
    char date[128] = {};
    std::size_t length = std::strftime(date, sizeof date, "%A, %B %d, %Y", &local);
    int hour = local.tm_hour % 12 == 0 ? 12 : local.tm_hour % 12;
    char time[32] = {};
    std::snprintf(time, sizeof time, "  %d:%02d:%02d%s", hour, local.tm_min, local.tm_sec,
                  local.tm_hour < 12 ? "AM" : "PM");
    return std::string(date, length) + time;
}

} // namespace platform
