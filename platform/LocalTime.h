#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "platform/Clock.h"

namespace platform {

// Calendar seconds since 1970 of a UTC time.
std::int64_t CalendarSeconds(const SystemTime& utc);
// Calendar seconds of the current clock's time.
std::int64_t CalendarNow();
// The local broken-down time of calendar seconds.
std::tm LocalTimeOf(std::int64_t calendarSeconds);
// Long local date, two blanks, 12-hour time without a leading zero and AM/PM:
// the "%#x  %#I:%M:%S%p" of the Windows run-time library.
std::string LongDateTimeText(std::int64_t calendarSeconds);

} // namespace platform
