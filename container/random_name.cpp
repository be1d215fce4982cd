#include "container/random_name.h"

#include "wipe/random_letters.h"
#include "container/format.h"

#include <algorithm>

namespace vlt {

std::string RandomName(int length) {
    return RandomLetters(static_cast<std::size_t>(std::clamp(length, 0, static_cast<int>(kMaxStoredNameLength))));
}

} // namespace vlt
