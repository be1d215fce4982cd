#pragma once
// Names as the log shows them: file names and stored names come from others (a
// container's sender chooses its stored name), so control characters are shown
// escaped and can neither drive a terminal nor fake a log line.
#include <string>

namespace vlt {

// `text` with every control character (C0, DEL, and C1 whether UTF-8 encoded or a
// lone byte) replaced by "\xNN" (C1 in UTF-8: "\u00NN"), and "\" by "\\", so that
// the shown form is unambiguous. Everything else, invalid UTF-8 included, stays.
[[nodiscard]] std::string ShownName(const std::string& text);

} // namespace vlt
