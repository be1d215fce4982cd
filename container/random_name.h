#pragma once
#include <string>

namespace vlt {

// length characters (at most 255) of A-Z, a-z, 0-9, drawn from the general-purpose
// generator (not the format's own generator, which must stay reproducible).
[[nodiscard]] std::string RandomName(int length);

} // namespace vlt
