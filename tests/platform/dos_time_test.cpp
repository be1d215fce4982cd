#include "platform/dos_time.h"

#include <gtest/gtest.h>

#include <ctime>

namespace vlt {
namespace {

std::uint32_t Dos(int year, int month, int day, int hour, int minute, int second) {
    return (static_cast<std::uint32_t>((year - 1980) << 9 | month << 5 | day) << 16) |
           static_cast<std::uint32_t>(hour << 11 | minute << 5 | second / 2);
}

std::int64_t LocalSeconds(int year, int month, int day, int hour, int minute, int second) {
    tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = -1;
    return static_cast<std::int64_t>(mktime(&parts));
}

TEST(DosDateTime, RoundTripsAtTwoSecondResolution) {
    struct Case {
        int year, month, day, hour, minute, second;
    };
    const Case cases[] = {
        {1980, 1, 1, 0, 0, 0},  {1999, 12, 31, 23, 59, 58}, {2000, 2, 29, 12, 30, 30},
        {2024, 7, 15, 8, 5, 7}, {2107, 12, 31, 23, 59, 59},
    };
    for (const Case& c : cases) {
        const std::int64_t seconds = LocalSeconds(c.year, c.month, c.day, c.hour, c.minute, c.second);
        const std::uint32_t dos = UnixToDosDateTime(seconds);
        EXPECT_EQ(dos, Dos(c.year, c.month, c.day, c.hour, c.minute, c.second)) << c.year;
        std::int64_t back = 0;
        ASSERT_TRUE(DosDateTimeToUnix(dos, back)) << c.year;
        EXPECT_EQ(back, seconds - c.second % 2) << c.year; // odd seconds round down
    }
}

TEST(DosDateTime, OutOfRangeAndInvalidFieldsAreRejected) {
    EXPECT_EQ(UnixToDosDateTime(LocalSeconds(1979, 12, 31, 23, 59, 58)), kInvalidDosDateTime);
    EXPECT_EQ(UnixToDosDateTime(LocalSeconds(2108, 1, 1, 0, 0, 0)), kInvalidDosDateTime);
    EXPECT_EQ(UnixToDosDateTime(-1), kInvalidDosDateTime);

    const std::uint32_t invalid[] = {
        kInvalidDosDateTime,       Dos(2001, 0, 1, 0, 0, 0), // month 0
        Dos(2001, 13, 1, 0, 0, 0),                           // month 13
        Dos(2001, 1, 0, 0, 0, 0),                            // day 0
        Dos(2001, 2, 29, 0, 0, 0),                           // no leap day in 2001
        Dos(2001, 4, 31, 0, 0, 0),                           // April has 30 days
        Dos(2001, 1, 1, 24, 0, 0),                           // hour 24
        Dos(2001, 1, 1, 0, 60, 0),                           // minute 60
        Dos(2001, 1, 1, 0, 0, 60),                           // seconds field 30
    };
    for (const std::uint32_t dos : invalid) {
        std::int64_t seconds = 123;
        EXPECT_FALSE(DosDateTimeToUnix(dos, seconds)) << std::hex << dos;
        EXPECT_EQ(seconds, 123) << std::hex << dos;
    }
}

} // namespace
} // namespace vlt
