// Names from others reach the log with their control characters escaped.
#include <gtest/gtest.h>

#include "batch/shown_name.h"

namespace vlt {
namespace {

TEST(ShownName, EscapesEveryControlCharacterAndNothingElse) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain name.txt", "plain name.txt"},
        {"two\nlines", "two\\x0Alines"},
        {"\x1b[2Jcleared", "\\x1B[2Jcleared"},
        {"bell\x07\x7f", "bell\\x07\\x7F"},
        {"csi\xc2\x9b" "31m", "csi\\u009B31m"},   // C1 control in UTF-8
        {"lone\x9b" "31m", "lone\\x9B31m"},       // C1 control as a lone byte
        {"caf\xc3\xa9 \xc2\xa7", "caf\xc3\xa9 \xc2\xa7"}, // printable UTF-8 stays
        {"bad\xff\xa0", "bad\xff\xa0"},           // invalid bytes outside C1 stay
        {"back\\slash", "back\\\\slash"},
    };
    for (const auto& [raw, shown] : cases) {
        EXPECT_EQ(ShownName(raw), shown) << raw;
    }
}

} // namespace
} // namespace vlt
