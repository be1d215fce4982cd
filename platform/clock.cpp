#include "platform/clock.h"

#include <ctime>

namespace vlt {

UtcTime UtcTimeNow() noexcept {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm parts{};
    gmtime_r(&now.tv_sec, &parts);
    UtcTime t;
    t.year = static_cast<std::uint16_t>(parts.tm_year + 1900);
    t.month = static_cast<std::uint8_t>(parts.tm_mon + 1);
    t.day = static_cast<std::uint8_t>(parts.tm_mday);
    t.hour = static_cast<std::uint8_t>(parts.tm_hour);
    t.minute = static_cast<std::uint8_t>(parts.tm_min);
    t.second = static_cast<std::uint8_t>(parts.tm_sec);
    t.millisecond = static_cast<std::uint16_t>(now.tv_nsec / 1000000);
    return t;
}

} // namespace vlt
