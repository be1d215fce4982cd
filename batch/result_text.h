#pragma once
// The one place that turns a one-file operation's result into log text and counters.
#include <cstdint>

namespace vlt {

struct ResultMeaning {
    const char* text; // ends the file's log line
    bool success;     // counted among the files handled successfully
    bool error;       // counted among the errors
    bool endsRun;
};

[[nodiscard]] ResultMeaning DescribeResult(std::uint16_t code);

} // namespace vlt
