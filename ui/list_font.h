#pragma once
// The settings' browser font and colour as Qt sees them.
#include <QColor>
#include <QFont>
#include <QPalette>
#include <cstdint>

#include "batch/browser_host.h"

namespace vlt::ui {

// `font` as a QFont; false (and `out` untouched) when it names no usable font.
[[nodiscard]] bool ToQFont(const ListFont& font, QFont& out);
// A stored colour: 0x00BBGGRR, or 0x80000000 + n for system colour n, taken from
// `palette` (the window text colour for colours without a counterpart).
[[nodiscard]] QColor ToQColor(std::uint32_t colour, const QPalette& palette);

} // namespace vlt::ui
