#pragma once
// The arithmetic of the progress display: the percentage written into the title and
// the width of the filled part of the bar.
#include <cstdint>

namespace vlt {

// 0..100; for totals of 100 bytes and more position div (total div 100), below that
// position * 100 div total; 0 for an empty total.
[[nodiscard]] int ProgressPercent(std::int64_t position, std::int64_t total);

// Filled pixels of a bar with `width` inner pixels: 0 at or before the start, the whole
// width at or after the total.
[[nodiscard]] std::int64_t ProgressFillWidth(std::int64_t width, std::int64_t position, std::int64_t total);

} // namespace vlt
