#pragma once

#include <QIcon>

namespace tarnex {

// The program's icon (icon 2 of the program), drawn rather than shipped as a file.
[[nodiscard]] QIcon ProgramIcon();

} // namespace tarnex
