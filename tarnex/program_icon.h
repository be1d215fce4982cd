#pragma once

#include <QIcon>

namespace tarnex {

// The program's icon (resource 2 of the original layout), drawn rather than shipped as a file.
[[nodiscard]] QIcon ProgramIcon();

} // namespace tarnex
