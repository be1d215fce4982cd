#pragma once
// Whether a drive (mount point) answers, without letting a hung mount freeze the window.
#include <chrono>
#include <string>

namespace vlt::ui {

// True when the free space of `mountPoint` can be read within `patience`. A mount that
// does not answer in time counts as not accessible; its probe is left to finish on its
// own thread.
[[nodiscard]] bool DriveAccessible(const std::string& mountPoint,
                                   std::chrono::milliseconds patience = std::chrono::seconds(3));

} // namespace vlt::ui
