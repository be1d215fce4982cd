#pragma once
// Where each help context number is explained among the built-in help pages.
#include <QUrl>

namespace vlt::ui {

// The contents page.
[[nodiscard]] QUrl HelpContentsUrl();
// The page and section of `context`; an empty URL for a number without a section.
[[nodiscard]] QUrl HelpUrlOf(int context);

} // namespace vlt::ui
