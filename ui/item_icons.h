#pragma once
// GoodPix: the browser's eight icons, indexed by ItemKind.
#include <QIcon>
#include <array>

namespace vlt::ui {

constexpr int kGoodPixCount = 8;

// Loaded once, in ItemKind order: directory, file, encrypted, encrypted in the other
// format, not encrypted, drive, removable drive, optical drive.
[[nodiscard]] const std::array<QIcon, kGoodPixCount>& GoodPix();

} // namespace vlt::ui
