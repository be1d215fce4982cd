#pragma once
// The one-line input box ("Set new path", and the file commands' questions for a
// name). One replaceable service, so tests answer it from a script.
#include <string>

namespace vlt::ui {

class InputBoxService {
public:
    virtual ~InputBoxService() = default;
    // Shows `prompt` under `caption` with `value` as the initial text. True and the
    // typed text in `value` on OK; false and `value` unchanged on Cancel.
    [[nodiscard]] virtual bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) = 0;
};

// The installed service (a QInputDialog until a test installs its own).
[[nodiscard]] InputBoxService& InputBoxes();
// Installs `service`, or the QInputDialog one again for nullptr.
void SetInputBoxes(InputBoxService* service);

} // namespace vlt::ui
