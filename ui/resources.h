#pragma once
// The built-in pictures and help pages. vlt_ui is a static library, whose resource
// objects the linker would drop unless something refers to them: every user of a
// ":/icons/..." or ":/help/..." path calls this first (cheap after the first call).
namespace vlt::ui {

void LoadResources();

} // namespace vlt::ui
