#pragma once
// Opening a file with the program the desktop associates with it. One replaceable
// service, so tests see what the window would open without starting anything.
#include <string>

namespace vlt::ui {

class DesktopService {
public:
    virtual ~DesktopService() = default;
    // Hands `path` (bytes as the file system gives them) to the desktop. A failure is
    // the desktop's own business: nothing is reported.
    virtual void OpenFile(const std::string& path) = 0;
};

// The installed service (QDesktopServices until a test installs its own).
[[nodiscard]] DesktopService& Desktop();
// Installs `service`, or the desktop's again for nullptr.
void SetDesktop(DesktopService* service);

} // namespace vlt::ui
