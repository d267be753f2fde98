#include "platform/LocalTime.h"

namespace platform {

std::string LongDateTimeText(std::int64_t calendarSeconds) {
    std::tm local = LocalTimeOf(calendarSeconds);
    char text[256] = {};
    std::size_t length = std::strftime(text, sizeof text, "%#x  %#I:%M:%S%p", &local);
    return std::string(text, length);
}

} // namespace platform
