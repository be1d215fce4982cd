#include "platform/dos_time.h"

#include <ctime>

namespace vlt {

namespace {

constexpr int kFirstYear = 1980;
constexpr int kLastYear = 2107;

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

} // namespace

std::uint32_t UnixToDosDateTime(std::int64_t unixSeconds) {
    const auto seconds = static_cast<time_t>(unixSeconds);
    if (static_cast<std::int64_t>(seconds) != unixSeconds) {
        return kInvalidDosDateTime;
    }
    tm local{};
    if (!localtime_r(&seconds, &local)) {
        return kInvalidDosDateTime;
    }
    const int year = local.tm_year + 1900;
    if (year < kFirstYear || year > kLastYear) {
        return kInvalidDosDateTime;
    }
    // A leap second (tm_sec 60) still fits the 5-bit field as 30.
    const auto date =
        static_cast<std::uint32_t>(((year - kFirstYear) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    const auto time = static_cast<std::uint32_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
    return (date << 16) | time;
}

bool DosDateTimeToUnix(std::uint32_t dos, std::int64_t& unixSeconds) {
    const int year = kFirstYear + static_cast<int>(dos >> 25);
    const int month = static_cast<int>((dos >> 21) & 0x0F);
    const int day = static_cast<int>((dos >> 16) & 0x1F);
    const int hour = static_cast<int>((dos >> 11) & 0x1F);
    const int minute = static_cast<int>((dos >> 5) & 0x3F);
    const int second = static_cast<int>(dos & 0x1F) * 2;
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 || minute > 59 ||
        second > 59) {
        return false;
    }
    tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    const time_t result = mktime(&local);
    if (result == static_cast<time_t>(-1)) {
        return false;
    }
    unixSeconds = static_cast<std::int64_t>(result);
    return true;
}

} // namespace vlt
