#pragma once
// The arithmetic of the progress display: the percentage written into the title, the
// width of the filled part of the bar and where its percentage text sits.
#include <cstdint>
#include <string>

namespace vlt {

// 0..100; for totals of 100 bytes and more position div (total div 100), below that
// position * 100 div total; 0 for an empty total.
[[nodiscard]] int ProgressPercent(std::int64_t position, std::int64_t total);

// Filled pixels of a bar with `width` inner pixels: 0 at or before the start, the whole
// width at or after the total.
[[nodiscard]] std::int64_t ProgressFillWidth(std::int64_t width, std::int64_t position, std::int64_t total);

// The application title: "Vaultane 95" when idle, "Vaultane 95 - 50%" during a run.
inline constexpr const char* kProgramTitle = "Vaultane 95";
[[nodiscard]] std::string ProgressTitle(int percent);

// The text drawn on the bar: "50%".
[[nodiscard]] std::string PercentText(int percent);

// Left edge of the percentage text on a bar of `width` inner pixels: the middle less
// half the text's width, reckoned as characters times the font size.
[[nodiscard]] int ProgressTextLeft(int width, int characters, int fontSize);

} // namespace vlt
