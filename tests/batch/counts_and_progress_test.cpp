// Thousands grouping of counts and sizes, and the arithmetic of the progress display.
#include <gtest/gtest.h>

#include <cstdint>

#include "batch/format_thousands.h"
#include "batch/job_mode.h"
#include "batch/progress.h"

namespace vlt {
namespace {

TEST(FormatThousands, GroupsOfThree) {
    const struct {
        std::int64_t value;
        const char* text;
    } cases[] = {
        {0, "0"},
        {5, "5"},
        {999, "999"},
        {1000, "1,000"},
        {1234, "1,234"},
        {100100, "100,100"},
        {1000000, "1,000,000"},
        {2147483647, "2,147,483,647"},
        {5000000000LL, "5,000,000,000"}, // beyond 2 GB the sizes still read right
        {-1234, "-1,234"},
        {INT64_MIN, "-9,223,372,036,854,775,808"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatThousands(c.value), c.text) << c.value;
    }
}

TEST(Progress, PercentageRule) {
    const struct {
        std::int64_t position, total;
        int percent;
    } cases[] = {
        {25, 50, 50},
        {0, 0, 0},
        {10, 0, 0},
        {99, 100, 99},
        {199, 200, 99},
        {250, 200, 100},
        {-5, 200, 0},
        {1, 3, 33},
        // for 100 bytes and more the total is divided first: 150 div (199 div 100) = 150, clamped
        {150, 199, 100},
        {3000000000LL, 6000000000LL, 50},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProgressPercent(c.position, c.total), c.percent) << c.position << "/" << c.total;
    }
}

TEST(Progress, FillWidth) {
    const struct {
        std::int64_t width, position, total, fill;
    } cases[] = {
        {0, 50, 100, 0},           {200, 0, 100000, 0},  {200, 100000, 100000, 200},
        {200, 50000, 100000, 100}, {200, 150, 100, 200}, {200, 5, 100, 0}, // total below the width
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProgressFillWidth(c.width, c.position, c.total), c.fill) << c.width << " " << c.position;
    }
}

TEST(Progress, TitleAndText) {
    EXPECT_EQ(ProgressTitle(ProgressPercent(25, 50)), "Vaultane 95 - 50%");
    EXPECT_EQ(ProgressTitle(0), "Vaultane 95 - 0%");
    EXPECT_EQ(std::string(kProgramTitle), "Vaultane 95");
    EXPECT_EQ(PercentText(100), "100%");
    // A bar of 200 inner pixels, "50%" in an 8-point font: 100 - 3 * 8 / 2.
    EXPECT_EQ(ProgressTextLeft(200, 3, 8), 88);
    EXPECT_EQ(ProgressTextLeft(201, 2, 9), 91);
}

TEST(JobMode, VerbsAndColours) {
    EXPECT_EQ(SuccessCaption(jmEncrypt), "Files encrypted successfully:");
    EXPECT_EQ(SuccessCaption(jmDecrypt), "Files decrypted successfully:");
    EXPECT_EQ(SuccessCaption(jmWipe), "Files wiped successfully:");
    EXPECT_EQ(JobColour(jmEncrypt), 255U);
    EXPECT_EQ(JobColour(jmDecrypt), 32768U);
    EXPECT_EQ(JobColour(jmWipe), 32896U);
}

} // namespace
} // namespace vlt
